#include "base/SystemFunction.h"

#include <wchar.h>

HMODULE LoadSystemDirectoryLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // Windows 7 without its loader update knows no search flags: the full path then, with the
    // DLL's own folder searched first for what it needs.
    if (GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0)
        return nullptr;
    if (length + 1 + wcslen(name) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    path[length] = L'\\';
    wcscpy(path + length + 1, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC BindSystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemDirectoryLibrary(library);
    return module ? GetProcAddress(module, name) : nullptr;
}
