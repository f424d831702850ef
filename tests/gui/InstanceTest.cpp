// One instance per session and executable file name: second starts, the elevated restart's
// take-over, copies under other names, a crowd of simultaneous starts, and the notify message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/InstanceManager.h"
#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
const DWORD kCorvaneId = ComputeInstanceId(L"corvane.exe");

void Broadcast(WPARAM code, LPARAM id) {
    SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"ZKWInstanceNotify"), code, id);
}

bool Minimise(HWND sheet) {
    PostMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return WaitUntil([&] { return IsIconic(sheet) != FALSE; });
}

bool RestoredInFront(HWND sheet) {
    return WaitUntil([&] { return !IsIconic(sheet) && GetForegroundWindow() == sheet; });
}

HWND VisibleSheetOf(DWORD pid) {
    for (HWND hwnd : DialogWindowsOf(pid)) {
        if (WindowText(hwnd) == L"Corvane" && IsWindowVisible(hwnd))
            return hwnd;
    }
    return nullptr;
}
} // namespace

TEST(SingleInstance, SecondStartBringsTheFirstToTheFrontAndEnds) {
    CorvaneApp first;
    ASSERT_TRUE(first.Start());
    HWND sheet = first.Sheet();
    // The program holds the mutex named after its own file name.
    CString name;
    ASSERT_TRUE(FormatInstanceMutexName(false, kCorvaneId, name));
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
    EXPECT_NE(mutex, nullptr) << ToUtf8(name.GetString());
    if (mutex)
        CloseHandle(mutex);

    // Another program's window is put in front first (a minimised window may stay the
    // foreground one): a copy of the program under another name, which runs beside it.
    std::wstring decoyExe = MakeTempDir() + L"\\decoy.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), decoyExe.c_str(), FALSE));
    CorvaneApp decoy;
    ASSERT_TRUE(decoy.Start(L"", nullptr, decoyExe));

    // Only the exact single argument "runas" is an elevated restart; anything else is a plain
    // start. The first comes to the front whether it was minimised or only behind the other.
    struct Start {
        const wchar_t* arguments;
        bool minimised;
    };
    for (const Start& start :
         {Start{L"", true}, Start{L"", false}, Start{L"RunAs", true}, Start{L"runas more", false},
          Start{L"more runas", true}, Start{L"RUNAS", false}}) {
        const wchar_t* arguments = start.arguments;
        SCOPED_TRACE(ToUtf8(arguments) + (start.minimised ? " (minimised)" : ""));
        if (start.minimised) {
            ASSERT_TRUE(Minimise(sheet));
        }
        first.Settle();
        // Asked again while it does not hold: the previous activation may still be settling.
        ASSERT_TRUE(WaitUntil([&] {
            if (GetForegroundWindow() == decoy.Sheet())
                return true;
            SetForegroundWindow(decoy.Sheet());
            decoy.Settle();
            return false;
        }));
        Process second;
        ASSERT_TRUE(second.Start(BinPath(L"corvane.exe"), arguments));
        EXPECT_TRUE(second.WaitExit(15000)) << "the second start kept running";
        EXPECT_EQ(VisibleSheetOf(second.Id()), nullptr);
        EXPECT_TRUE(RestoredInFront(sheet));
        ASSERT_TRUE(first.process().IsRunning());
        EXPECT_EQ(first.Sheet(), sheet);
    }
    decoy.PressCancel();
    first.PressCancel();
    EXPECT_TRUE(decoy.WaitExit());
    EXPECT_TRUE(first.WaitExit());
}

TEST(SingleInstance, RunAsClosesTheFirstAndTakesOver) {
    CorvaneApp first;
    ASSERT_TRUE(first.Start());
    CorvaneApp second;
    ASSERT_TRUE(second.Start(L"runas"));
    EXPECT_TRUE(first.WaitExit(15000)) << "the first instance was not closed";
    ASSERT_TRUE(second.process().IsRunning());
    EXPECT_NE(second.Sheet(), nullptr);

    // The new instance guards the name now: a plain start still ends and activates it.
    ASSERT_TRUE(Minimise(second.Sheet()));
    Process third;
    ASSERT_TRUE(third.Start(BinPath(L"corvane.exe")));
    EXPECT_TRUE(third.WaitExit(15000));
    EXPECT_TRUE(RestoredInFront(second.Sheet()));
    second.PressCancel();
    EXPECT_TRUE(second.WaitExit());
}

TEST(SingleInstance, OnlyTheFileNameDecidesWhichProgramItIs) {
    std::wstring otherDir = MakeTempDir();
    std::wstring sameDir = MakeTempDir();
    std::wstring otherName = otherDir + L"\\corvane copy.exe";
    std::wstring sameName = sameDir + L"\\CORVANE.EXE";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), otherName.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), sameName.c_str(), FALSE));

    CorvaneApp first;
    ASSERT_TRUE(first.Start());
    // Another file name is another program: it runs beside the first.
    CorvaneApp beside;
    ASSERT_TRUE(beside.Start(L"", nullptr, otherName));
    EXPECT_TRUE(first.process().IsRunning());
    // The same name in another folder (in other letter case) is the same program.
    Process same;
    ASSERT_TRUE(same.Start(sameName));
    EXPECT_TRUE(same.WaitExit(15000));
    EXPECT_TRUE(first.process().IsRunning());
    EXPECT_TRUE(beside.process().IsRunning());

    beside.PressCancel();
    first.PressCancel();
    EXPECT_TRUE(beside.WaitExit());
    EXPECT_TRUE(first.WaitExit());
}

TEST(SingleInstance, TenStartsAtOnceLeaveExactlyOne) {
    std::vector<Process> starts(10);
    for (Process& p : starts)
        ASSERT_TRUE(p.Start(BinPath(L"corvane.exe")));
    auto running = [&] {
        int count = 0;
        for (Process& p : starts)
            count += p.IsRunning() ? 1 : 0;
        return count;
    };
    EXPECT_TRUE(WaitUntil([&] { return running() <= 1; }, 90000)) << running() << " still run";
    Process* survivor = nullptr;
    for (Process& p : starts) {
        if (p.IsRunning())
            survivor = &p;
    }
    ASSERT_NE(survivor, nullptr) << "every start ended";
    HWND sheet = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (sheet = VisibleSheetOf(survivor->Id())) != nullptr; }));
    // Nothing else turns up later.
    Sleep(1000);
    EXPECT_EQ(running(), 1);
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(survivor->WaitExit());
}

TEST(SingleInstance, NotifyMessageObeysOwnAndEveryInstanceIdentifiersOnly) {
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    HWND sheet = app.Sheet();
    const DWORD otherId = ComputeInstanceId(L"other.exe");
    ASSERT_TRUE(Minimise(sheet));

    // Another program's activation, and codes other than 1 and 2, change nothing.
    Broadcast(1, otherId);
    Broadcast(0, kCorvaneId);
    Broadcast(3, kCorvaneId);
    Broadcast(0x10002, kCorvaneId);
    app.Settle();
    EXPECT_TRUE(IsIconic(sheet));

    // Only the low 32 bits of lParam carry the identifier.
    Broadcast(1, static_cast<LPARAM>((1ull << 32) | kCorvaneId));
    EXPECT_TRUE(RestoredInFront(sheet));
    ASSERT_TRUE(Minimise(sheet));
    Broadcast(1, 0xFFFFFFFF);
    EXPECT_TRUE(RestoredInFront(sheet));

    Broadcast(2, otherId);
    app.Settle();
    EXPECT_FALSE(app.WaitExit(1000));
    EXPECT_EQ(app.Sheet(), sheet);

    // Every instance obeys 0xFFFFFFFF: closing ends the sheet without applying anything.
    Broadcast(2, 0xFFFFFFFF);
    EXPECT_TRUE(app.WaitExit());
}
