// The process-wide filter for unhandled exceptions: it writes a crash dump next to the
// executable, tells the user where it is, and lets the process end.
#pragma once

#include <windows.h>

// Makes CrashDumpFilter the process's top-level filter; the previous filter is dropped.
void InstallCrashHandler();
// EXCEPTION_EXECUTE_HANDLER when a dump was written, EXCEPTION_CONTINUE_SEARCH when not.
LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers);
// "<executable path>[.<version>_64]_<date>_<time>.mdmp"; false (with the thread's last error)
// when the executable's path cannot be read or the name does not fit the buffer.
bool BuildCrashDumpName(wchar_t* buffer, UINT capacity);
// True when the file holds a complete dump; no partial file stays behind.
bool WriteCrashDumpFile(const wchar_t* name, EXCEPTION_POINTERS* exceptionPointers);
// The dump library's answer, or false when the library or its function is unavailable.
bool WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* exceptionPointers);
// The crash message: with a path where the dump is, without one the reason it is missing.
void ShowCrashMessage(const wchar_t* path, HRESULT code);
