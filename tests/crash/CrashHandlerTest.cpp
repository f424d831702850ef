// The crash handler in copies of a crashing program of the tests' own: the dump's name and
// contents, the crashing process's message, and whether the post-mortem debugger follows.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>

#include "support/GuiDriver.h"
#include "support/VersionText.h"

using namespace testing_support;

namespace {

const std::wstring kSession = L"System\\CurrentControlSet\\Control\\Session Manager";
const std::wstring kIntro =
    L"[error] An unhandled exception has occurred. The application will close.\n\nA crash dump ";

// The local time `ahead` seconds from now, as a dump's name holds it.
std::wstring Stamp(int ahead = 0) {
    FILETIME now, local;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart += ahead * 10000000ull;
    now = {time.LowPart, time.HighPart};
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&now, &local);
    FileTimeToSystemTime(&local, &t);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"_%04d%02d%02d_%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return stamp;
}

// The exception code a dump records, read with the system's dump library; 0 if unreadable.
DWORD DumpedExceptionCode(const std::wstring& path) {
    using ReadStream = BOOL(WINAPI*)(PVOID, ULONG, PMINIDUMP_DIRECTORY*, PVOID*, ULONG*);
    auto read = reinterpret_cast<ReadStream>(reinterpret_cast<void*>(GetProcAddress(
        LoadLibraryW((SystemDir() + L"\\dbghelp.dll").c_str()), "MiniDumpReadDumpStream")));
    std::string dump = ReadFileUtf8(path);
    PMINIDUMP_DIRECTORY directory = nullptr;
    void* stream = nullptr;
    ULONG size = 0;
    if (!read || dump.size() < sizeof(MINIDUMP_HEADER) ||
        !read(dump.data(), ExceptionStream, &directory, &stream, &size) ||
        size < sizeof(MINIDUMP_EXCEPTION_STREAM))
        return 0;
    return static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode;
}

// AeDebug names a recording debugger that starts without asking. The crashing program prefers
// native libraries named DbgHelp.dll, as Windows does; Wine would otherwise always take its own
// (and a planted one would never be a danger).
class CrashDump : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kApp + L"\\DllOverrides", L"dbghelp",
                               Text(L"native,builtin")));
        recorder = MakeTempDir(L"corvane debugger") + L"\\recorder.exe";
        ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
        ASSERT_TRUE(WriteRegistration(L"\"" + recorder + L"\" -p %ld -e %ld"));
    }

    void TearDown() override { DeleteValue(HKEY_LOCAL_MACHINE, kSession, L"SafeDllSearchMode"); }

    // A copy of the crashing program, with the stand-in library beside it.
    static std::wstring CopyCrasher() {
        std::wstring dir = MakeTempDir(L"corvane crash");
        return CopyFileW(BinPath(L"crasher.exe").c_str(), (dir + L"\\crasher.exe").c_str(),
                         FALSE) &&
                       CopyFileW(BinPath(L"fakedbghelp.dll").c_str(),
                                 (dir + L"\\DbgHelp.dll").c_str(), FALSE)
                   ? dir
                   : L"";
    }

    const std::wstring kApp = L"Software\\Wine\\AppDefaults\\crasher.exe";
    RegistryKeySnapshot aeDebug{HKEY_LOCAL_MACHINE, kAeDebugKey};
    RegistryKeySnapshot overrides{HKEY_CURRENT_USER, kApp};
    std::wstring recorder;
};

} // namespace

TEST_F(CrashDump, WritesAReadableDumpWithTheSystemsLibrary) {
    // Libraries of the dump library's name beside the program and in the current directory are
    // never taken (these would fail the dump), even where the current directory is searched
    // before the system's.
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kSession, L"SafeDllSearchMode", Dword(0)));
    std::wstring planted = MakeTempDir(L"corvane planted");
    ASSERT_TRUE(CopyFileW(BinPath(L"fakedbghelp.dll").c_str(), (planted + L"\\DbgHelp.dll").c_str(),
                          FALSE));
    wchar_t localData[MAX_PATH];
    ASSERT_TRUE(GetEnvironmentVariableW(L"LOCALAPPDATA", localData, MAX_PATH));
    const std::wstring fallback = std::wstring(localData) + L"\\Corvane\\CrashDumps\\";
    VersionFields small{1, 2, 345, 6, 0, L""}, large{10, 11, 12345, 100, 0, L""};
    // "deep": the fault comes with the stack all but used up. (A real stack overflow cannot be
    // shown here: Wine's own dispatch of it runs out of stack and ends the thread.)
    struct Case {
        const VersionFields* version; // null: a record the reader refuses, so no version piece
        const wchar_t* piece;
        const wchar_t* arguments;
        bool writable; // whether the program's folder takes the dump
    } cases[] = {{&small, L".102034506_64", L"", true},
                 {&large, L".101112345100_64", L"deep", true},
                 {nullptr, L"", L"deep", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments) + (c.writable ? "" : " (read-only)"));
        std::wstring dir = CopyCrasher(), exe = dir + L"\\crasher.exe";
        ASSERT_TRUE(WriteVersionResource(exe, c.version));
        std::wstring folder = dir + L"\\";
        if (!c.writable) {
            // Read-only, which Wine turns into the folder's Unix mode; a root user writes there
            // all the same, so a folder also takes each name the dump may have.
            for (int ahead = 0; ahead < 60; ++ahead)
                CreateDirectoryW((exe + c.piece + Stamp(ahead) + L".mdmp").c_str(), nullptr);
            ASSERT_TRUE(SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_READONLY));
            folder = fallback;
        }
        CorvaneApp app;
        std::wstring low = folder + L"crasher.exe" + c.piece + Stamp() + L".mdmp";
        ASSERT_TRUE(app.process().Start(exe, c.arguments, nullptr, planted));
        HWND box = app.WaitForMessageBox(30000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(app.process().LoadedModule(L"dbghelp.dll"), SystemModule(L"dbghelp.dll"));
        std::wstring text = CorvaneApp::MessageBoxText(box);
        CorvaneApp::AnswerMessageBox(box, IDOK);
        std::wstring high = folder + L"crasher.exe" + c.piece + Stamp() + L".mdmp";
        std::wstring created = kIntro + L"was created at ";
        ASSERT_EQ(text.substr(0, created.size()), created) << ToUtf8(text);
        std::wstring path = text.substr(created.size(), text.size() - created.size() - 1);
        EXPECT_TRUE(path.size() == low.size() && path >= low && path <= high) << ToUtf8(path);
        EXPECT_TRUE(app.WaitExit(20000));
        EXPECT_EQ(DumpedExceptionCode(path), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    }
    EXPECT_FALSE(WaitUntil([&] { return FileExists(recorder + L".txt"); }, 3000));
}

TEST_F(CrashDump, FailedDumpLeavesNoFileAndTheSystemGoesOn) {
    // The system's own dump library fails this time: the stand-in takes its place.
    const std::wstring system = SystemDir() + L"\\dbghelp.dll";
    const std::wstring saved = MakeTempDir() + L"\\dbghelp.dll";
    ASSERT_TRUE(CopyFileW(system.c_str(), saved.c_str(), FALSE));
    struct Restore {
        const std::wstring &from, &to;
        ~Restore() { CopyFileW(from.c_str(), to.c_str(), FALSE); }
    } restore{saved, system};
    ASSERT_TRUE(CopyFileW(BinPath(L"fakedbghelp.dll").c_str(), system.c_str(), FALSE));
    std::wstring dir = CopyCrasher();
    CorvaneApp app;
    ASSERT_TRUE(app.process().Start(dir + L"\\crasher.exe"));
    std::wstring text = app.TakeMessageBox(IDOK, 30000);
    EXPECT_EQ(text.rfind(kIntro + L"could not be created.", 0), 0u) << ToUtf8(text);
    const std::wstring reason = SystemText(ERROR_DISK_FULL);
    ASSERT_FALSE(reason.empty());
    EXPECT_HAS(text, reason);
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW((dir + L"\\*.mdmp").c_str(), &found), INVALID_HANDLE_VALUE);

    ASSERT_TRUE(WaitUntil([&] { return !ReadFileUtf8(recorder + L".txt").empty(); }, 20000));
    EXPECT_NE(ReadFileUtf8(recorder + L".txt").find("pid=" + std::to_string(app.Id())),
              std::string::npos);
    EXPECT_TRUE(app.WaitExit(20000));
}
