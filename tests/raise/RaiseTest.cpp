// raise.exe, the crash companion, as a debugger sees it. The post-mortem launch it brings about is
// seen through the page's Break and corvanectl's test command.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

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
