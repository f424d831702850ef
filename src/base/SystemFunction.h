// Functions of system DLLs that only some actions need, bound on their first use instead of
// imported: such a DLL costs nothing until the action, and it comes from the system directory
// only, never from the program's folder or the current directory.
#pragma once

#include <windows.h>

// Loads a DLL, and the DLLs it needs, from the system directory; null with the last error set.
HMODULE LoadSystemDirectoryLibrary(const wchar_t* name);
// An export of such a DLL; null with the last error set.
FARPROC BindSystemFunction(const wchar_t* library, const char* name);

// One function, declared as a constinit object (no start-up code), typed from the
// system header's own declaration: CSystemFunction<decltype(ShellExecuteExW)>. Get() binds it on
// first use; while the DLL or the function cannot be had it answers null with the last error
// set, and a later call tries again.
template <class Function> class CSystemFunction {
public:
    constexpr CSystemFunction(const wchar_t* library, const char* name)
        : m_library(library), m_name(name) {}
    CSystemFunction(const CSystemFunction&) = delete;
    CSystemFunction& operator=(const CSystemFunction&) = delete;

    Function* Get() {
        if (!m_function)
            m_function = reinterpret_cast<Function*>(
                reinterpret_cast<void*>(BindSystemFunction(m_library, m_name)));
        return m_function;
    }

private:
    const wchar_t* m_library;
    const char* m_name;
    Function* m_function = nullptr;
};
