#include "crash/CrashHandler.h"

#include <dbghelp.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "base/Error.h"
#include "base/Handle.h"
#include "base/ModuleVersion.h"
#include "base/PathUtils.h"
#include "framework/MessageBoxes.h"
#include "resources/resource.h"

namespace {
// Only the header's types are used: the library is loaded at the crash, never linked.
using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);
constexpr const wchar_t kDumpLibrary[] = L"DbgHelp.dll";

// Appends a piece to the name; a name that no longer fits fails rather than being cut off.
bool AppendPiece(wchar_t* buffer, UINT capacity, const wchar_t* piece) {
    size_t used = wcslen(buffer);
    size_t length = wcslen(piece);
    if (used + length >= capacity) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    memcpy(buffer + used, piece, (length + 1) * sizeof(wchar_t));
    return true;
}

HMODULE LoadDumpLibrary() {
    // Never from the current directory: a library planted there would run inside the crashing
    // program. The program's own folder comes first, then the system's copy.
    wchar_t path[MAX_PATH];
    if (GetModuleRelativePath(kDumpLibrary, path, MAX_PATH)) {
        if (HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return module;
    }
    return LoadSystemLibrary(kDumpLibrary);
}
} // namespace

void InstallCrashHandler() {
    SetUnhandledExceptionFilter(CrashDumpFilter);
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    wchar_t name[MAX_PATH];
    if (BuildCrashDumpName(name, MAX_PATH) && WriteCrashDumpFile(name, exceptionPointers)) {
        ShowCrashMessage(name, 0);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    ShowCrashMessage(nullptr, HResultFromLastError());
    return EXCEPTION_CONTINUE_SEARCH;
}

bool BuildCrashDumpName(wchar_t* buffer, UINT capacity) {
    if (capacity == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    if (!GetModuleFullPath(nullptr, buffer, capacity)) {
        // A cut-off path would put the dump somewhere else.
        if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            buffer[0] = 0;
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
        }
        return false;
    }

    wchar_t piece[MAX_PATH];
    {
        CModuleVersion version;
        if (version.LoadFromFile(buffer)) {
            _snwprintf(piece, MAX_PATH, L".%d%02d%04d%02d_64", version.GetMajor(),
                       version.GetMinor(), version.GetBuild(), version.GetRevision());
            piece[MAX_PATH - 1] = 0;
            if (!AppendPiece(buffer, capacity, piece))
                return false;
        }
    }

    SYSTEMTIME now;
    GetLocalTime(&now);
    _snwprintf(piece, MAX_PATH, L"_%d%02d%02d_%02d%02d%02d", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond);
    piece[MAX_PATH - 1] = 0;
    return AppendPiece(buffer, capacity, piece) && AppendPiece(buffer, capacity, L".mdmp");
}

bool WriteCrashDumpFile(const wchar_t* name, EXCEPTION_POINTERS* exceptionPointers) {
    CFileHandle file(CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    if (WriteMiniDump(file.Get(), exceptionPointers))
        return true;
    DWORD error = GetLastError();
    file.Reset();
    DeleteFileW(name);
    SetLastError(error);
    return false;
}

bool WriteMiniDump(HANDLE file, EXCEPTION_POINTERS* exceptionPointers) {
    // Loaded only now and never freed: the process is about to end.
    HMODULE library = LoadDumpLibrary();
    if (!library)
        return false;
    auto writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "MiniDumpWriteDump")));
    if (!writeDump)
        return false;
    MINIDUMP_EXCEPTION_INFORMATION exception = {GetCurrentThreadId(), exceptionPointers, FALSE};
    return writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception,
                     nullptr, nullptr) != FALSE;
}

void ShowCrashMessage(const wchar_t* path, HRESULT code) {
    if (path)
        MessageBoxResource(IDS_CRASH_DUMP_CREATED, MB_OK | MB_ICONERROR, path);
    else
        MessageBoxResourceError(IDS_CRASH_DUMP_FAILED, MB_OK | MB_ICONERROR, code);
}
