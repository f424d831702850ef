#include "base/SystemFunction.h"

FARPROC BindSystemFunction(const wchar_t* library, const char* name) {
    // The search flag needs Windows 8, or Windows 7 with its loader update (KB2533623); without
    // it the load fails rather than search the program's folder.
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}
