#pragma once

#define IDD_PAGE1 101
#define IDD_PAGE2 102
#define IDD_PAGE3 103
