#include "crash/CrashHandler.h"

#include <dbghelp.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "base/Error.h"
#include "base/Handle.h"
#include "base/ModuleVersion.h"
#include "base/PathUtils.h"
#include "base/SystemFunction.h"
#include "framework/MessageBoxes.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {
// Bound at the crash, from the system directory only: a DbgHelp.dll planted beside the program
// or in the current directory would otherwise run inside the crashing process.
constinit CSystemFunction<decltype(MiniDumpWriteDump)> g_writeDump;

// The folders below the user's local application data for dumps that the program's own folder
// refuses (Program Files without elevation).
constexpr const wchar_t kFallbackFolders[][16] = {L"Corvane", L"CrashDumps"};

// Bytes of stack kept back for the faulting thread's filter after a stack overflow.
constexpr ULONG kOverflowStack = 32 * 1024;

// What the reporting thread needs of the faulting one.
struct CrashReport {
    EXCEPTION_POINTERS* exceptionPointers;
    DWORD threadId;
};

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

// "<executable name>[.<version>_64]_<date>_<time>.mdmp" into a buffer of MAX_PATH characters.
bool BuildDumpFileName(wchar_t* name) {
    wchar_t program[MAX_PATH];
    // A cut-off path would name another file's version.
    if (!GetModuleFullPath(nullptr, program, MAX_PATH))
        return false;
    lstrcpynW(name, FindFileName(program), MAX_PATH);
    wchar_t piece[MAX_PATH];
    {
        CModuleVersion version;
        if (version.LoadFromFile(program)) {
            _snwprintf(piece, MAX_PATH, L".%d%02d%04d%02d_64", version.GetMajor(),
                       version.GetMinor(), version.GetBuild(), version.GetRevision());
            piece[MAX_PATH - 1] = 0;
            if (!AppendPiece(name, MAX_PATH, piece))
                return false;
        }
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    _snwprintf(piece, MAX_PATH, L"_%d%02d%02d_%02d%02d%02d", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond);
    piece[MAX_PATH - 1] = 0;
    return AppendPiece(name, MAX_PATH, piece) && AppendPiece(name, MAX_PATH, L".mdmp");
}

// %LOCALAPPDATA%\Corvane\CrashDumps, the folders made when missing. The variable, which the
// system sets for every user, spares the crashing process the shell.
bool GetFallbackFolder(wchar_t* path, UINT capacity) {
    DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", path, capacity);
    if (length == 0 || length >= capacity) {
        SetLastError(length ? ERROR_FILENAME_EXCED_RANGE : ERROR_PATH_NOT_FOUND);
        return false;
    }
    for (const wchar_t* folder : kFallbackFolders) {
        if (!AppendPath(path, capacity, folder) ||
            (!CreateDirectoryW(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
            return false;
    }
    return true;
}

HANDLE CreateDumpFile(const wchar_t* path) {
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Writes the dump beside the program, or in the fallback folder when that folder refuses the
// file; path is where it went. No partial file stays behind.
bool WriteCrashDump(wchar_t* path, UINT capacity, const CrashReport& report) {
    wchar_t name[MAX_PATH];
    if (!BuildDumpFileName(name))
        return false;
    CFileHandle file;
    if (GetModuleRelativePath(name, path, capacity))
        file.Reset(CreateDumpFile(path));
    if (!file) {
        if (!GetFallbackFolder(path, capacity) || !AppendPath(path, capacity, name))
            return false;
        file.Reset(CreateDumpFile(path));
        if (!file)
            return false;
    }
    auto* writeDump = g_writeDump.Get(L"dbghelp.dll", "MiniDumpWriteDump");
    MINIDUMP_EXCEPTION_INFORMATION exception = {report.threadId, report.exceptionPointers, FALSE};
    if (writeDump && writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(),
                               MiniDumpNormal, &exception, nullptr, nullptr))
        return true;
    DWORD error = GetLastError();
    file.Reset();
    DeleteFileW(path);
    SetLastError(error);
    return false;
}

// The thread that writes the dump and shows the message: EXCEPTION_EXECUTE_HANDLER when a dump
// was written, EXCEPTION_CONTINUE_SEARCH when not.
DWORD WINAPI ReportCrash(void* parameter) {
    wchar_t name[MAX_PATH] = L"";
    bool written = WriteCrashDump(name, MAX_PATH, *static_cast<CrashReport*>(parameter));
    HRESULT code = written ? 0 : HResultFromLastError();
    // The faulting thread waits for this one: a box owned by its window would wait for it in
    // turn, so the message goes up without an owner.
    if (CWinApp* app = GetApplication())
        app->m_mainWnd = nullptr;
    if (written)
        MessageBoxResource(IDS_CRASH_DUMP_CREATED, MB_OK | MB_ICONERROR, name);
    else
        MessageBoxResourceError(IDS_CRASH_DUMP_FAILED, MB_OK | MB_ICONERROR, code);
    return written ? EXCEPTION_EXECUTE_HANDLER : EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI CrashDumpFilter(EXCEPTION_POINTERS* exceptionPointers) {
    CrashReport report = {exceptionPointers, GetCurrentThreadId()};
    // A thread of its own: after a stack overflow the faulting thread has too little stack left
    // for the dump library and the message box.
    CKernelHandle thread(CreateThread(nullptr, 0, ReportCrash, &report, 0, nullptr));
    if (!thread)
        return static_cast<LONG>(ReportCrash(&report));
    DWORD result = EXCEPTION_CONTINUE_SEARCH;
    if (WaitForSingleObject(thread.Get(), INFINITE) == WAIT_OBJECT_0)
        GetExitCodeThread(thread.Get(), &result);
    return static_cast<LONG>(result);
}
} // namespace

void InstallCrashHandler() {
    // After a stack overflow the filter runs on what the system keeps back of the stack: enough
    // here for it to start the reporting thread.
    ULONG guarantee = kOverflowStack;
    SetThreadStackGuarantee(&guarantee);
    SetUnhandledExceptionFilter(CrashDumpFilter);
}
