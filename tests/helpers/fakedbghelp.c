// A stand-in for the dump library. Loading it leaves "<own path>.loaded" behind, so a test can
// tell whether a program took it; its MiniDumpWriteDump writes a few bytes and then fails.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8];
        DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(path, L".loaded");
            HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
            if (marker != INVALID_HANDLE_VALUE)
                CloseHandle(marker);
        }
    }
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI
    MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, int type, void* exception,
                      void* userStreams, void* callback) {
    (void)process;
    (void)processId;
    (void)type;
    (void)exception;
    (void)userStreams;
    (void)callback;
    static const char partial[] = "MDMP partial";
    DWORD written = 0;
    WriteFile(file, partial, sizeof(partial), &written, NULL);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
