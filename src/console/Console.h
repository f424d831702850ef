// Output of the console program: lines to standard output and standard error, in the console's
// own characters when it writes to one and in UTF-8 into a file or pipe.
#pragma once

#include <windows.h>

#include "base/String.h"

// Exit codes.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // the system failed, refused or found nothing to do
constexpr int kExitUsage = 2;   // the command line or its values are wrong

void WriteOut(const wchar_t* text);
void PrintOut(const wchar_t* format, ...);
// One line on standard error, after the program's name.
void PrintError(const wchar_t* format, ...);

// A failure of the system: the text, a colon and the system's description of the thread's last
// error. Gives kExitFailure.
int FailWithLastError(const wchar_t* what);
// Bad usage: the text and where the usage is. Gives kExitUsage.
int FailUsage(const wchar_t* format, ...);

// The text as a JSON string, quotes included.
CString JsonString(const wchar_t* text);
