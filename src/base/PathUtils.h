// Turning names of executables, libraries and folders into full paths, and handing files to the
// shell (which is loaded only then). Buffers are the caller's, with their capacity in characters
// (terminator included). Failures return false (or null) with the thread's last error as the
// failing call left it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "base/String.h"

// Expands %NAME% references; a text with neither drive nor UNC prefix is joined below the
// current directory.
bool ExpandFullPath(const wchar_t* source, wchar_t* out, UINT capacity);
bool ExpandFullPath(const wchar_t* source, CString& out);
// The name joined to the system directory; a name that is not relative fails with
// ERROR_INVALID_PARAMETER and leaves out untouched.
bool GetSystemPath(const wchar_t* name, wchar_t* out, UINT capacity);
bool GetSystemPath(const wchar_t* name, CString& out);
// A bare file name (no drive or folder) joined to the system directory; any other text resolved
// by ExpandFullPath.
bool ResolveExecutablePath(const wchar_t* text, wchar_t* out, UINT capacity);
bool ResolveExecutablePath(const wchar_t* text, CString& out);
// The full path of a loaded module (null: the program's own executable); a path that does not
// fit fails with ERROR_INSUFFICIENT_BUFFER, since a cut-off path would name another file.
bool GetModuleFullPath(HMODULE module, wchar_t* out, UINT capacity);
// The name joined to the folder of the program's own executable.
bool GetModuleRelativePath(const wchar_t* name, wchar_t* out, UINT capacity);
// True when the path names an existing file; a folder is not one.
bool IsExistingFile(const wchar_t* path);
// Joins a relative name below the full folder path in path, resolving "." and ".." segments; a
// leading backslash of name is dropped. A result of MAX_PATH or more characters (or past the
// capacity) fails with ERROR_FILENAME_EXCED_RANGE and leaves the empty text.
bool AppendPath(wchar_t* path, UINT capacity, const wchar_t* name);
// The part after the last backslash or drive colon (a trailing backslash does not count).
const wchar_t* FindFileName(const wchar_t* path);
// ShellExecuteExW, with the shell loaded from the system directory on first use and the calling
// thread in a single-threaded COM apartment first.
bool ShellExecuteSystem(SHELLEXECUTEINFOW& info);
// Opens a file, program or folder with the shell's "open" verb; mask adds SEE_MASK_* flags.
bool ShellOpen(HWND owner, const wchar_t* file, const wchar_t* parameters, int show,
               ULONG mask = 0);
// The same, owned by the active window and shown normally. Inline, so that only the programs
// that use it import the window function.
inline bool ShellOpen(const wchar_t* file, const wchar_t* parameters = nullptr) {
    return ShellOpen(GetActiveWindow(), file, parameters, SW_SHOWNORMAL);
}
