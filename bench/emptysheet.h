#pragma once

#ifdef BENCH_PROGRAM_PAGES
#include "resources/resource.h"
#define BENCH_PAGE1 IDD_DEBUGGER
#define BENCH_PAGE2 IDD_WER
#define BENCH_PAGE3 IDD_DUMPS
#define BENCH_PAGE4 IDD_ABOUT
#else
#define BENCH_PAGE1 101
#define BENCH_PAGE2 102
#define BENCH_PAGE3 103
#define BENCH_PAGE4 104
#endif
