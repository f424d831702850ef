// raise.exe, the crash companion: under the real post-mortem launch, the system starts the
// debugger that AeDebug names with the failing process's id and an event handle.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

TEST(Raise, StartsTheConfiguredPostMortemDebugger) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    // A folder whose path holds a space, so the stored command line needs its quotes.
    std::wstring dir = MakeTempDir(L"corvane debugger");
    ASSERT_FALSE(dir.empty());
    std::wstring recorder = dir + L"\\recorder.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"\"" + recorder + L"\" -p %ld -e %ld"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    Process raise;
    ASSERT_TRUE(raise.Start(BinPath(L"raise.exe")));
    std::wstring log = recorder + L".txt";
    ASSERT_TRUE(WaitUntil([&] { return FileExists(log) && !ReadFileUtf8(log).empty(); }, 20000));
    std::string text = ReadFileUtf8(log);
    EXPECT_NE(text.find("pid=" + std::to_string(raise.Id())), std::string::npos) << text;
    EXPECT_NE(text.find("pid_ok=1"), std::string::npos) << text;
    EXPECT_NE(text.find("event_ok=1"), std::string::npos) << text;
    // The crash ends raise.exe once the debugger has signalled the event.
    EXPECT_TRUE(raise.WaitExit(20000));
}

TEST(Raise, ItsExceptionAsADebuggerSeesIt) {
    // After the loader's breakpoint, the first exception is the test exception, marked as one
    // that cannot be continued. (That raise.exe imports kernel32 alone, so that Wine does not
    // ask first, is the build's import check.)
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring exe = BinPath(L"raise.exe");
    ASSERT_TRUE(CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE,
                               DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &info));
    EXCEPTION_RECORD first{};
    for (DEBUG_EVENT event; WaitForDebugEvent(&event, 10000);) {
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT)
            CloseHandle(event.u.CreateProcessInfo.hFile);
        else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT)
            CloseHandle(event.u.LoadDll.hFile);
        else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT && !first.ExceptionCode &&
                 event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
            first = event.u.Exception.ExceptionRecord;
            TerminateProcess(info.hProcess, 1);
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            break;
    }
    EXPECT_EQ(first.ExceptionCode, 0xE0C0FFEEu);
    EXPECT_EQ(first.ExceptionFlags & EXCEPTION_NONCONTINUABLE, DWORD(EXCEPTION_NONCONTINUABLE));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}
