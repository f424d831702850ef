#include "base/SystemFunction.h"

#include "base/PathUtils.h"

HMODULE LoadSystemDirectoryLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // Windows 7 without its loader update knows no search flags: the full path then, with the
    // DLL's own folder searched first for what it needs.
    if (GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    wchar_t path[MAX_PATH];
    if (!GetSystemPath(name, path, MAX_PATH))
        return nullptr;
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC BindSystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemDirectoryLibrary(library);
    return module ? GetProcAddress(module, name) : nullptr;
}
