#include "base/PathUtils.h"

#include <objbase.h>
#include <shellapi.h>
#include <string.h>
#include <wchar.h>

#include "base/SystemFunction.h"

namespace {
// The shell, and COM for it, are loaded only when something is opened.
constinit CSystemFunction<decltype(ShellExecuteExW)> g_shellExecuteEx;
constinit CSystemFunction<decltype(CoInitializeEx)> g_coInitializeEx;

// The shell's path rules, on the backslash and drive colon alone.
bool IsUncPath(const wchar_t* path) {
    return path[0] == L'\\' && path[1] == L'\\';
}

bool NamesDrive(const wchar_t* path) {
    wchar_t letter = static_cast<wchar_t>(path[0] | 0x20);
    return letter >= L'a' && letter <= L'z' && path[1] == L':';
}

bool IsRelativePath(const wchar_t* path) {
    return path[0] != L'\\' && !(path[0] && path[1] == L':');
}

// Growable-string forms work through a buffer of one character more than MAX_PATH.
constexpr UINT kGrowableCapacity = MAX_PATH + 1;

template <class Resolve> bool ResolveInto(CString& out, Resolve resolve) {
    CString result;
    // Room for MAX_PATH characters plus the terminator.
    wchar_t* buffer = result.GetBuffer(MAX_PATH);
    if (!buffer)
        return false;
    buffer[0] = 0;
    if (!resolve(buffer, kGrowableCapacity))
        return false; // the caller's string keeps its previous value
    result.ReleaseBuffer();
    out = static_cast<CString&&>(result);
    return true;
}

// Joins name below the directory that getDirectory writes into out (answering its length, 0 on
// failure). A directory that does not fit fails with tooLong and leaves the empty text: a failure,
// never a partial path.
template <class GetDirectory>
bool JoinToDirectory(wchar_t* out, UINT capacity, const wchar_t* name, DWORD tooLong,
                     GetDirectory getDirectory) {
    UINT length = getDirectory(out, capacity);
    if (length == 0)
        return false;
    if (length >= capacity) {
        out[0] = 0;
        SetLastError(tooLong);
        return false;
    }
    return AppendPath(out, capacity, name);
}
} // namespace

bool ExpandFullPath(const wchar_t* source, wchar_t* out, UINT capacity) {
    wchar_t expanded[MAX_PATH];
    DWORD length = ExpandEnvironmentStringsW(source, expanded, MAX_PATH);
    if (length == 0)
        return false;
    if (length > MAX_PATH) {
        // The expansion does not fit: refuse rather than work on a cut-off path.
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (IsUncPath(expanded) || NamesDrive(expanded)) {
        if (static_cast<UINT>(lstrlenW(expanded)) >= capacity) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        lstrcpynW(out, expanded, capacity);
        return true;
    }
    return JoinToDirectory(
        out, capacity, expanded, ERROR_FILENAME_EXCED_RANGE,
        [](wchar_t* buffer, UINT size) { return GetCurrentDirectoryW(size, buffer); });
}

bool ExpandFullPath(const wchar_t* source, CString& out) {
    return ResolveInto(out, [&](wchar_t* buffer, UINT capacity) {
        return ExpandFullPath(source, buffer, capacity);
    });
}

bool GetSystemPath(const wchar_t* name, wchar_t* out, UINT capacity) {
    if (!IsRelativePath(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return JoinToDirectory(
        out, capacity, name, ERROR_INSUFFICIENT_BUFFER,
        [](wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

bool GetSystemPath(const wchar_t* name, CString& out) {
    return ResolveInto(
        out, [&](wchar_t* buffer, UINT capacity) { return GetSystemPath(name, buffer, capacity); });
}

bool ResolveExecutablePath(const wchar_t* text, wchar_t* out, UINT capacity) {
    return !wcschr(text, L':') && !wcschr(text, L'\\') ? GetSystemPath(text, out, capacity)
                                                       : ExpandFullPath(text, out, capacity);
}

bool ResolveExecutablePath(const wchar_t* text, CString& out) {
    return ResolveInto(out, [&](wchar_t* buffer, UINT capacity) {
        return ResolveExecutablePath(text, buffer, capacity);
    });
}

bool GetModuleFullPath(HMODULE module, wchar_t* out, UINT capacity) {
    DWORD length = GetModuleFileNameW(module, out, capacity);
    if (length == 0)
        return false;
    if (length >= capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    return true;
}

bool GetModuleRelativePath(const wchar_t* name, wchar_t* out, UINT capacity) {
    if (!IsRelativePath(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!GetModuleFullPath(nullptr, out, capacity))
        return false;
    *const_cast<wchar_t*>(FindFileName(out)) = 0;
    return AppendPath(out, capacity, name);
}

bool IsExistingFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ShellExecuteSystem(SHELLEXECUTEINFOW& info) {
    // The shell may hand the file to a handler that uses COM, so the calling thread must be in a
    // single-threaded apartment, with the old OLE1 DDE off. A thread already in COM stays as it
    // is; the program never leaves it again, so the count it adds is not taken back.
    if (auto* coInitializeEx = g_coInitializeEx.Get(L"ole32.dll", "CoInitializeEx"))
        coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    auto* shellExecuteEx = g_shellExecuteEx.Get(L"shell32.dll", "ShellExecuteExW");
    return shellExecuteEx && shellExecuteEx(&info) != FALSE;
}

bool ShellOpen(HWND owner, const wchar_t* file, const wchar_t* parameters, int show, ULONG mask) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_UNICODE | mask;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = show;
    return ShellExecuteSystem(info);
}

bool AppendPath(wchar_t* path, UINT capacity, const wchar_t* name) {
    while (*name == L'\\')
        ++name;
    UINT limit = capacity < MAX_PATH ? capacity : MAX_PATH;
    size_t kept = wcslen(path);
    bool separator = kept && *name && path[kept - 1] != L'\\';
    wchar_t joined[MAX_PATH];
    DWORD written = 0;
    if (kept + separator + wcslen(name) < limit) {
        memcpy(joined, path, kept * sizeof(wchar_t));
        if (separator)
            joined[kept++] = L'\\';
        memcpy(joined + kept, name, (wcslen(name) + 1) * sizeof(wchar_t));
        // Resolves "." and ".." segments; the joined path is full, so the current directory
        // plays no part.
        written = GetFullPathNameW(joined, limit, path, nullptr);
        if (written && written < limit)
            return true;
    }
    path[0] = 0;
    if (written != 0 || kept + separator + wcslen(name) >= limit)
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

const wchar_t* FindFileName(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c; ++c) {
        if ((*c == L'\\' || *c == L':') && c[1])
            name = c + 1;
    }
    return name;
}
