// The single-instance guard: the identifier of a file name and the mutex name made from it, and
// the real corvane.exe started many times: later starts hand over to the first, "runas" takes
// over, a copy under another name runs beside, and a crowd of starts leaves one.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/InstanceManager.h"
#include "support/GuiDriver.h"

using namespace testing_support;

TEST(InstanceId, HashOfTheUpperCasedFileNameNamesTheMutex) {
    CString name;
    ASSERT_TRUE(FormatInstanceMutexName(ComputeInstanceId(L"abc.exe"), name));
    EXPECT_STREQ(name.GetString(), L"Local\\ZKWInstance.5FC841A6");
}

TEST(SingleInstance, LaterStartsActivateTheFirstUntilRunasTakesOver) {
    CorvaneApp first;
    ASSERT_TRUE(first.Start());
    HWND sheet = first.Sheet();
    // A copy under another name is another program: it runs beside the first, and its window is
    // put in front before each start (a minimised window may stay the foreground one).
    std::wstring decoyExe = MakeTempDir() + L"\\decoy.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), decoyExe.c_str(), FALSE));
    CorvaneApp decoy;
    ASSERT_TRUE(decoy.Start(L"", nullptr, decoyExe));

    // Only the exact single argument "runas" is an elevated restart; anything else (a soft hyphen
    // too) is plain.
    for (auto [arguments, minimised] : {std::pair{L"", true},
                                        {L"run\u00ADas", false},
                                        {L"RunAs", true},
                                        {L"runas more", false}}) {
        SCOPED_TRACE(ToUtf8(arguments) + (minimised ? " (minimised)" : ""));
        if (minimised) {
            PostMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitUntil([&] { return IsIconic(sheet) != FALSE; }));
        }
        first.Settle();
        // Asked again while it does not hold: the previous activation may still be settling.
        ASSERT_TRUE(WaitUntil([&] {
            SetForegroundWindow(decoy.Sheet());
            decoy.Settle();
            return GetForegroundWindow() == decoy.Sheet();
        }));
        Process second;
        ASSERT_TRUE(second.Start(BinPath(L"corvane.exe"), arguments));
        EXPECT_TRUE(second.WaitExit(15000)) << "the second start kept running";
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(sheet) && GetForegroundWindow() == sheet; }));
        ASSERT_TRUE(first.process().IsRunning());
    }

    CorvaneApp elevated;
    // Split as the system splits: quotes group, blanks around do not count.
    ASSERT_TRUE(elevated.Start(L"\t\"run\"as "));
    EXPECT_TRUE(first.WaitExit(15000)) << "the first instance was not closed";
    EXPECT_NE(elevated.Sheet(), nullptr);
    EXPECT_TRUE(decoy.process().IsRunning());
    EXPECT_TRUE(elevated.Cancel());
    EXPECT_TRUE(decoy.Cancel());
}

TEST(SingleInstance, TenStartsAtOnceLeaveExactlyOne) {
    std::vector<Process> starts(10);
    for (Process& p : starts)
        ASSERT_TRUE(p.Start(BinPath(L"corvane.exe")));
    auto isRunning = [](const Process& p) { return p.IsRunning(); };
    auto running = [&] { return std::count_if(starts.begin(), starts.end(), isRunning); };
    EXPECT_TRUE(WaitUntil([&] { return running() <= 1; }, 90000)) << running() << " still run";
    Sleep(1000); // nothing else turns up later
    ASSERT_EQ(running(), 1);
    // The survivor shows its sheet.
    auto survivor = std::find_if(starts.begin(), starts.end(), isRunning);
    HWND sheet = nullptr;
    DWORD owner = 0;
    ASSERT_TRUE(WaitUntil([&] { return (sheet = FindWindowW(L"#32770", L"Corvane")) != nullptr; }));
    GetWindowThreadProcessId(sheet, &owner);
    EXPECT_EQ(owner, survivor->Id());
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(survivor->WaitExit());
}
