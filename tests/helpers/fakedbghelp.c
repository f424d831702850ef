// A stand-in for the dump library: its MiniDumpWriteDump writes a few bytes and then fails.
#include <windows.h>

#pragma GCC diagnostic ignored "-Wunused-parameter"

__declspec(dllexport) BOOL WINAPI
    MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, int type, void* exception,
                      void* streams, void* callback) {
    DWORD written = 0;
    WriteFile(file, "MDMP partial", 12, &written, NULL);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
