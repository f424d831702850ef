#include "base/SystemFunction.h"

namespace {
// Windows 8 on, and Windows 7 with its loader update (KB2533623).
constinit CSystemFunction<decltype(SetDefaultDllDirectories)> g_setDefaultDllDirectories;
} // namespace

FARPROC BindSystemFunction(const wchar_t* library, const char* name) {
    // The search flag needs the same update; without it the load fails rather than search the
    // program's folder.
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}

bool LimitDllSearchToSystemDirectory() {
    auto* setDirectories =
        g_setDefaultDllDirectories.Get(L"kernel32.dll", "SetDefaultDllDirectories");
    return setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
