// Output of the console program: lines to standard output and standard error, in the console's
// own characters when it writes to one and, into a file or pipe, in the console's output code
// page with CRLF line ends, as Windows' own tools read them.
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

// The characters of a value as shown: those that could end or redraw a line, and halves of a
// character without their other half, as \uXXXX; for JSON, also quotes and backslashes escaped
// and every character past ASCII as \uXXXX.
CString Escaped(const wchar_t* chars, int length, bool json);
// The text as a JSON string, quotes included.
CString JsonString(const wchar_t* text);
