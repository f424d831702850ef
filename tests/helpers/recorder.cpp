// A stand-in post-mortem debugger for the tests: the system starts it with the failing process's
// id and an event handle. It writes what it was given next to itself (<own path>.txt), checks
// that the process id names a live process, and signals the event so the system goes on.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    unsigned long long numbers[2] = {0, 0};
    int found = 0;
    for (int i = 1; argv && i < argc && found < 2; ++i) {
        wchar_t* end = nullptr;
        unsigned long long value = wcstoull(argv[i], &end, 10);
        if (end && *end == 0 && end != argv[i])
            numbers[found++] = value;
    }
    DWORD pid = static_cast<DWORD>(numbers[0]);
    HANDLE event = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(numbers[1]));

    HANDLE process = pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr;
    BOOL eventSet = found == 2 && event && SetEvent(event);

    wchar_t path[MAX_PATH + 8];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wcscat(path, L".txt");
    FILE* out = _wfopen(path, L"w, ccs=UTF-8");
    if (out) {
        fwprintf(out, L"cmdline=%ls\npid=%lu\npid_ok=%d\nevent_ok=%d\n", GetCommandLineW(), pid,
                 process != nullptr, eventSet ? 1 : 0);
        fclose(out);
    }
    if (process)
        CloseHandle(process);
    LocalFree(argv);
    return 0;
}
