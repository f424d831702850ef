#include "base/PathUtils.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace {
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
    return PathAppendW(out, name) != FALSE;
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
    if (PathIsUNCW(expanded) || PathGetDriveNumberW(expanded) != -1) {
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
    if (!PathIsRelativeW(name)) {
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
    return PathIsFileSpecW(text) ? GetSystemPath(text, out, capacity)
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
    if (!PathIsRelativeW(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!GetModuleFullPath(nullptr, out, capacity) || !PathRemoveFileSpecW(out))
        return false;
    return PathAppendW(out, name) != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    if (!ResolveExecutablePath(name, path, MAX_PATH))
        return nullptr;
    return LoadLibraryExW(path, nullptr, 0);
}

bool IsExistingFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ShellOpen(HWND owner, const wchar_t* file, const wchar_t* parameters, int show) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_UNICODE;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = show;
    return ShellExecuteExW(&info) != FALSE;
}

bool ShellOpen(const wchar_t* file, const wchar_t* parameters) {
    return ShellOpen(GetActiveWindow(), file, parameters, SW_SHOWNORMAL);
}
