// The process-wide filter for unhandled exceptions: it writes a crash dump next to the
// executable (or, where that folder cannot be written, under the user's local application data
// in Corvane\CrashDumps), tells the user where it is, and lets the process end.
#pragma once

#include <windows.h>

// Makes the crash filter the process's top-level filter (the previous filter is dropped) and
// keeps stack back for it on the calling thread, the program's window thread.
void InstallCrashHandler();
