// Uses the program's crash handler the way corvane.exe does.
//   crasher.exe crash          installs the handler, then writes through a null pointer
//   crasher.exe name <file>    writes the crash-dump name it would use (or "FAILED <error>")
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

#include "crash/CrashHandler.h"

namespace {
int WriteName(const wchar_t* outPath) {
    wchar_t name[MAX_PATH];
    wchar_t line[MAX_PATH + 32];
    if (BuildCrashDumpName(name, MAX_PATH))
        _snwprintf(line, MAX_PATH + 32, L"%ls", name);
    else
        _snwprintf(line, MAX_PATH + 32, L"FAILED %lu", GetLastError());
    line[MAX_PATH + 31] = 0;
    FILE* out = _wfopen(outPath, L"w, ccs=UTF-8");
    if (!out)
        return 2;
    fputws(line, out);
    fclose(out);
    return 0;
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc >= 3 && wcscmp(argv[1], L"name") == 0)
        return WriteName(argv[2]);
    if (argv && argc >= 2 && wcscmp(argv[1], L"crash") == 0) {
        InstallCrashHandler();
        volatile int* volatile nowhere = nullptr;
        *nowhere = 42;
        return 3;
    }
    return 1;
}
