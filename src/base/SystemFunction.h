// Functions of system DLLs that only some actions need, bound on their first use instead of
// imported: such a DLL costs nothing until the action, and it comes from the system directory
// only, never from the program's folder or the current directory.
#pragma once

#include <windows.h>

// An export of a DLL loaded, with the DLLs it needs, from the system directory; null with the
// last error set.
FARPROC BindSystemFunction(const wchar_t* library, const char* name);

// From now on the process loads DLLs named without a path, and the DLLs they need, from the
// system directory only: a DLL of a system name planted beside the program or in the current
// directory is never taken. False, changing nothing, on a Windows 7 without its loader update.
bool LimitDllSearchToSystemDirectory();

// One function, typed from the system header's own declaration and held in a zero-initialised
// object (no start-up code, no data in the file): CSystemFunction<decltype(ShellExecuteExW)>.
// Get() binds it on first use; while the DLL or the function cannot be had it answers null with
// the last error set, and a later call tries again.
template <class Function> class CSystemFunction {
public:
    Function* Get(const wchar_t* library, const char* name) {
        if (!m_function)
            m_function = reinterpret_cast<Function*>(
                reinterpret_cast<void*>(BindSystemFunction(library, name)));
        return m_function;
    }

private:
    Function* m_function = nullptr;
};
