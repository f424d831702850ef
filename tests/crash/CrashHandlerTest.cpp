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

std::wstring Stamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
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
// native libraries named DbgHelp.dll, as Windows does; Wine would otherwise always take its own.
class CrashDump : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kApp + L"\\DllOverrides", L"dbghelp",
                                L"native,builtin"));
        recorder = MakeTempDir(L"corvane debugger") + L"\\recorder.exe";
        ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
        ASSERT_TRUE(WriteRegistration(L"\"" + recorder + L"\" -p %ld -e %ld"));
    }

    void TearDown() override { DeleteValue(HKEY_LOCAL_MACHINE, kSession, L"SafeDllSearchMode"); }

    // Crashes a copy of the crashing program; returns its message box's text, answered.
    static std::wstring Crash(CorvaneApp& app, const std::wstring& exe, const std::wstring& dir) {
        return app.process().Start(exe, L"", nullptr, dir) ? app.TakeMessageBox(IDOK, 30000)
                                                           : L"<did not start>";
    }

    const std::wstring kApp = L"Software\\Wine\\AppDefaults\\crasher.exe";
    RegistryKeySnapshot aeDebug{HKEY_LOCAL_MACHINE, kAeDebugKey};
    RegistryKeySnapshot overrides{HKEY_CURRENT_USER, kApp};
    std::wstring recorder;
};

} // namespace

TEST_F(CrashDump, WritesAReadableDumpNamedAfterTheProgramAndItsVersion) {
    // A library of the dump library's name in the current directory must not be taken (this one
    // would fail the dump), even where that directory is searched before the system's.
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kSession, L"SafeDllSearchMode", 0));
    std::wstring planted = MakeTempDir(L"corvane planted");
    ASSERT_TRUE(CopyFileW(BinPath(L"fakedbghelp.dll").c_str(), (planted + L"\\DbgHelp.dll").c_str(),
                          FALSE));
    VersionFields small{1, 2, 345, 6, 0, L""}, large{10, 11, 12345, 100, 0, L""};
    struct Case {
        const VersionFields* version; // null: a record the reader refuses, so no version piece
        const wchar_t* piece;
    } cases[] = {{&small, L".102034506_64"}, {&large, L".101112345100_64"}, {nullptr, L""}};
    for (const Case& c : cases) {
        std::wstring exe = MakeTempDir(L"corvane crash") + L"\\crasher.exe";
        ASSERT_TRUE(CopyFileW(BinPath(L"crasher.exe").c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(WriteVersionResource(exe, c.version));
        CorvaneApp app;
        std::wstring low = exe + c.piece + Stamp() + L".mdmp";
        std::wstring text = Crash(app, exe, planted);
        std::wstring high = exe + c.piece + Stamp() + L".mdmp";
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
    // The dump library beside the program is taken first; this one fails after writing a bit.
    std::wstring dir = MakeTempDir(L"corvane crash"), exe = dir + L"\\crasher.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"crasher.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(BinPath(L"fakedbghelp.dll").c_str(), (dir + L"\\DbgHelp.dll").c_str(), FALSE));
    CorvaneApp app;
    std::wstring text = Crash(app, exe, L"");
    EXPECT_EQ(text.rfind(kIntro + L"could not be created.", 0), 0u) << ToUtf8(text);
    const std::wstring reason = SystemText(ERROR_DISK_FULL);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(text.find(reason), std::wstring::npos) << ToUtf8(text);
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW((dir + L"\\*.mdmp").c_str(), &found), INVALID_HANDLE_VALUE);

    ASSERT_TRUE(WaitUntil([&] { return !ReadFileUtf8(recorder + L".txt").empty(); }, 20000));
    EXPECT_NE(ReadFileUtf8(recorder + L".txt").find("pid=" + std::to_string(app.Id())),
              std::string::npos);
    EXPECT_TRUE(app.WaitExit(20000));
}
