// The crash handler in programs of the tests' own that use it as corvane.exe does: the dump's
// name, the dump itself (read back with the system's dump library), the message of the crashing
// process, and whether the system's own handling (the post-mortem debugger) follows.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>

#include <string>
#include <vector>

#include "support/GuiDriver.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const wchar_t kCreatedPrefix[] = L"An unhandled exception has occurred. The application will "
                                 L"close.\n\nA crash dump was created at ";
const wchar_t kFailedText[] = L"An unhandled exception has occurred. The application will "
                              L"close.\n\nA crash dump could not be created.";

std::wstring FromUtf8(const std::string& text) {
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

SYSTEMTIME Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// Every "_YYYYMMDD_hhmmss" stamp from one local time to another, both included.
std::vector<std::wstring> Stamps(SYSTEMTIME from, SYSTEMTIME to) {
    from.wMilliseconds = to.wMilliseconds = 0;
    FILETIME first, last;
    SystemTimeToFileTime(&from, &first);
    SystemTimeToFileTime(&to, &last);
    ULARGE_INTEGER t{{first.dwLowDateTime, first.dwHighDateTime}};
    ULARGE_INTEGER end{{last.dwLowDateTime, last.dwHighDateTime}};
    std::vector<std::wstring> stamps;
    for (; t.QuadPart <= end.QuadPart; t.QuadPart += 10000000ULL) {
        FILETIME ft{t.LowPart, t.HighPart};
        SYSTEMTIME st;
        FileTimeToSystemTime(&ft, &st);
        wchar_t stamp[32];
        swprintf(stamp, 32, L"_%d%02d%02d_%02d%02d%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                 st.wMinute, st.wSecond);
        stamps.push_back(stamp);
    }
    return stamps;
}

// True when name is prefix + one of the stamps + ".mdmp".
::testing::AssertionResult IsDumpName(const std::wstring& name, const std::wstring& prefix,
                                      const std::vector<std::wstring>& stamps) {
    for (const std::wstring& stamp : stamps) {
        if (name == prefix + stamp + L".mdmp")
            return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << ToUtf8(name) << " is not " << ToUtf8(prefix) << ToUtf8(stamps.front()) << ".mdmp";
}

// The version piece of a file's dump names, from its own resource.
std::wstring VersionPiece(const std::wstring& file) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return L"<none>";
    wchar_t piece[64];
    swprintf(piece, 64, L".%d%02d%04d%02d_64", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
             LOWORD(fixed->dwFileVersionLS));
    return piece;
}

std::wstring CopyInto(const std::wstring& dir, const std::wstring& helper,
                      const std::wstring& name) {
    std::wstring path = dir + L"\\" + name;
    return CopyFileW(BinPath(helper).c_str(), path.c_str(), FALSE) ? path : L"";
}

// A folder so deep that an executable in it still has a path that fits, but its dump name
// does not: the executable's path is `length` characters long.
std::wstring DeepFolderFor(const std::wstring& exeName, size_t length) {
    std::wstring dir = MakeTempDir(L"corvane deep");
    while (dir.size() + 1 + exeName.size() < length) {
        size_t room = length - (dir.size() + 1 + exeName.size());
        std::wstring part(room > 41 ? 40 : (room > 1 ? room - 1 : 1), L'd');
        dir += L"\\" + part;
        if (!CreateDirectoryW(dir.c_str(), nullptr))
            return L"";
    }
    return dir;
}

// Runs a dump-name program and returns what it wrote.
std::wstring DumpNameOf(const std::wstring& exe) {
    std::wstring out = MakeTempDir(L"corvane name") + L"\\name.txt";
    Process process;
    if (!process.Start(exe, L"name \"" + out + L"\"") || !process.WaitExit(20000))
        return L"<did not run>";
    return FromUtf8(ReadFileUtf8(out));
}

std::wstring SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text = buffer ? buffer : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::vector<std::wstring> DumpsIn(const std::wstring& dir) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*.mdmp").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            found.push_back(data.cFileName);
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return found;
}

// The exception code that a dump file records, read with the system's dump library; 0 when the
// file is no readable dump.
DWORD DumpedExceptionCode(const std::wstring& path) {
    using ReadStream = BOOL(WINAPI*)(PVOID, ULONG, PMINIDUMP_DIRECTORY*, PVOID*, ULONG*);
    HMODULE dbghelp = LoadLibraryW((SystemDir() + L"\\dbghelp.dll").c_str());
    if (!dbghelp)
        return 0;
    auto read = reinterpret_cast<ReadStream>(
        reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpReadDumpStream")));
    DWORD code = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (read && file != INVALID_HANDLE_VALUE) {
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        void* base = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        PMINIDUMP_DIRECTORY directory = nullptr;
        void* stream = nullptr;
        ULONG size = 0;
        if (base && read(base, ExceptionStream, &directory, &stream, &size) && stream &&
            size >= sizeof(MINIDUMP_EXCEPTION_STREAM))
            code = static_cast<MINIDUMP_EXCEPTION_STREAM*>(stream)->ExceptionRecord.ExceptionCode;
        if (base)
            UnmapViewOfFile(base);
        if (mapping)
            CloseHandle(mapping);
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    FreeLibrary(dbghelp);
    return code;
}

// The crashing process's message box.
HWND WaitForBoxOf(DWORD pid) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : DialogWindowsOf(pid)) {
                if (GetDlgItem(hwnd, 0xFFFF) && IsWindowVisible(hwnd)) {
                    box = hwnd;
                    return true;
                }
            }
            return false;
        },
        30000);
    return box;
}

// AeDebug names a recording debugger that starts without asking. The crashing program prefers
// native libraries named DbgHelp.dll, as Windows does; Wine would otherwise take its own
// built-in library for any path, and a planted file could never be told apart.
class CrashDump : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            WriteString(HKEY_CURRENT_USER, kCrasherOverrides, L"dbghelp", L"native,builtin"));
        std::wstring dir = MakeTempDir(L"corvane debugger");
        recorder = CopyInto(dir, L"recorder.exe", L"recorder.exe");
        ASSERT_FALSE(recorder.empty());
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                                L"\"" + recorder + L"\" -p %ld -e %ld"));
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));
    }
    bool DebuggerRan() { return FileExists(recorder + L".txt"); }

    // Crashes a copy of the crashing program and returns its message box's text, answered.
    std::wstring CrashAndAnswer(Process& process, const std::wstring& exe,
                                const std::wstring& currentDir = L"") {
        if (!process.Start(exe, L"crash", nullptr, currentDir))
            return L"<did not start>";
        HWND box = WaitForBoxOf(process.Id());
        if (!box)
            return L"<no message box>";
        std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        CorvaneApp::AnswerMessageBox(box, IDOK);
        return text;
    }

    static constexpr wchar_t kCrasherOverrides[] =
        L"Software\\Wine\\AppDefaults\\crasher.exe\\DllOverrides";
    RegistryKeySnapshot aeDebug{HKEY_LOCAL_MACHINE, kAeDebugKey};
    RegistryKeySnapshot overrides{HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\crasher.exe"};
    std::wstring recorder;
};

} // namespace

TEST(CrashDumpName, VersionPieceAndLocalTimeFollowTheExecutable) {
    std::wstring dir = MakeTempDir(L"corvane tools");
    struct Case {
        const wchar_t* helper;
        const wchar_t* piece;
    } cases[] = {{L"dumpname_v1.exe", L".102034506_64"},
                 {L"dumpname_v10.exe", L".101112345100_64"},
                 {L"dumpname_plain.exe", L""}};
    for (const Case& c : cases) {
        std::wstring exe = CopyInto(dir, c.helper, L"app.exe");
        ASSERT_FALSE(exe.empty());
        SYSTEMTIME before = Now();
        std::wstring name = DumpNameOf(exe);
        SYSTEMTIME after = Now();
        EXPECT_TRUE(IsDumpName(name, exe + c.piece, Stamps(before, after))) << ToUtf8(c.helper);
    }

    // A name that would not fit the buffer is refused, not cut off.
    std::wstring deep = DeepFolderFor(L"app.exe", 250);
    ASSERT_FALSE(deep.empty());
    std::wstring exe = CopyInto(deep, L"dumpname_plain.exe", L"app.exe");
    ASSERT_EQ(exe.size(), 250u);
    EXPECT_EQ(DumpNameOf(exe), L"FAILED " + std::to_wstring(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(CrashDump, WritesAReadableDumpNextToTheProgramAndEndsIt) {
    std::wstring dir = MakeTempDir(L"corvane crash");
    std::wstring exe = CopyInto(dir, L"crasher.exe", L"crasher.exe");
    ASSERT_FALSE(exe.empty());
    // A library of the dump library's name in the current directory must not be taken.
    std::wstring planted = MakeTempDir(L"corvane planted");
    ASSERT_FALSE(CopyInto(planted, L"fakedbghelp.dll", L"DbgHelp.dll").empty());

    Process process;
    SYSTEMTIME before = Now();
    std::wstring text = CrashAndAnswer(process, exe, planted);
    SYSTEMTIME after = Now();
    ASSERT_EQ(text.compare(0, wcslen(kCreatedPrefix), kCreatedPrefix), 0) << ToUtf8(text);
    ASSERT_EQ(text.back(), L'.');
    std::wstring path = text.substr(wcslen(kCreatedPrefix));
    path.pop_back();
    EXPECT_TRUE(IsDumpName(path, exe + VersionPiece(exe), Stamps(before, after)));

    EXPECT_TRUE(process.WaitExit(20000));
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Handle(), &exitCode);
    EXPECT_EQ(exitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(DumpedExceptionCode(path), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_FALSE(FileExists(planted + L"\\DbgHelp.dll.loaded"));
    // The system's own handling did not follow: no post-mortem debugger.
    EXPECT_FALSE(WaitUntil([&] { return DebuggerRan(); }, 3000));
}

TEST_F(CrashDump, FailedDumpLeavesNoFileAndTheSystemGoesOn) {
    // The dump library beside the program is taken first; this one fails after writing a bit.
    std::wstring dir = MakeTempDir(L"corvane crash");
    std::wstring exe = CopyInto(dir, L"crasher.exe", L"crasher.exe");
    ASSERT_FALSE(exe.empty());
    ASSERT_FALSE(CopyInto(dir, L"fakedbghelp.dll", L"DbgHelp.dll").empty());

    Process process;
    std::wstring text = CrashAndAnswer(process, exe);
    EXPECT_EQ(text.compare(0, wcslen(kFailedText), kFailedText), 0) << ToUtf8(text);
    std::wstring reason = SystemText(ERROR_DISK_FULL);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(text.find(reason), std::wstring::npos) << ToUtf8(text);
    EXPECT_TRUE(FileExists(dir + L"\\DbgHelp.dll.loaded"));
    EXPECT_TRUE(DumpsIn(dir).empty());

    ASSERT_TRUE(WaitUntil(
        [&] { return DebuggerRan() && !ReadFileUtf8(recorder + L".txt").empty(); }, 20000));
    EXPECT_NE(ReadFileUtf8(recorder + L".txt").find("pid=" + std::to_string(process.Id())),
              std::string::npos);
    EXPECT_TRUE(process.WaitExit(20000));
}

TEST_F(CrashDump, NameTooLongIsAFailedDump) {
    std::wstring deep = DeepFolderFor(L"crasher.exe", 245);
    ASSERT_FALSE(deep.empty());
    std::wstring exe = CopyInto(deep, L"crasher.exe", L"crasher.exe");
    ASSERT_FALSE(exe.empty());

    Process process;
    std::wstring text = CrashAndAnswer(process, exe);
    EXPECT_EQ(text.compare(0, wcslen(kFailedText), kFailedText), 0) << ToUtf8(text);
    std::wstring reason = SystemText(ERROR_FILENAME_EXCED_RANGE);
    EXPECT_NE(text.find(reason), std::wstring::npos) << ToUtf8(text);
    EXPECT_TRUE(DumpsIn(deep).empty());
    EXPECT_TRUE(WaitUntil([&] { return DebuggerRan(); }, 20000));
    EXPECT_TRUE(process.WaitExit(20000));
}
