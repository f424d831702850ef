// The About page of the real corvane.exe: its lines come from the program's own version
// resource, and its link is set up with the tooltip text.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/VersionText.h"
#include "version.h"

using namespace testing_support;

namespace {

// Top-level windows of a process with a given class.
std::vector<HWND> WindowsOf(DWORD pid, const std::wstring& className) {
    struct Search {
        DWORD pid;
        std::wstring className;
        std::vector<HWND> found;
    } search{pid, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && ClassName(hwnd) == s->className)
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// TTM_GETTEXTW carries pointers: the record and its buffer live in the program's memory.
std::wstring RemoteToolText(DWORD pid, HWND tooltip, HWND control) {
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return L"";
    std::wstring result;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote) {
        const WPARAM chars = 1024;
        TTTOOLINFOW info = {};
        info.cbSize = sizeof(info);
        info.hwnd = GetParent(control);
        info.uId = reinterpret_cast<UINT_PTR>(control);
        info.lpszText = reinterpret_cast<LPWSTR>(remote + 1024);
        WriteProcessMemory(process, remote, &info, sizeof(info), nullptr);
        wchar_t zero = 0;
        WriteProcessMemory(process, remote + 1024, &zero, sizeof(zero), nullptr);
        SendMessageW(tooltip, TTM_GETTEXTW, chars, reinterpret_cast<LPARAM>(remote));
        std::vector<wchar_t> text(chars + 1, 0);
        ReadProcessMemory(process, remote + 1024, text.data(), chars * sizeof(wchar_t), nullptr);
        result = text.data();
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

} // namespace

TEST(AboutPage, ShowsTheProgramsVersionCopyrightAndLink) {
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    int last = app.TabCount() - 1;
    ASSERT_GE(last, 1);
    EXPECT_EQ(app.TabText(last), L"About");
    ASSERT_NE(app.SelectPage(last), nullptr);

    std::wstring expected = ExpectedVersionLine(BinPath(L"corvane.exe"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(app.ControlText(IDC_ABOUT_VERSION), expected);
    EXPECT_EQ(app.ControlText(IDC_ABOUT_COPYRIGHT), L"Copyright (C) 2026 The Corvane developers");
    EXPECT_EQ(app.ControlText(IDC_ABOUT_TITLE), L"Corvane");

    HWND link = app.Control(IDC_ABOUT_LINK);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(WindowText(link), L"" CORVANE_HOMEPAGE_TEXT);
    LONG style = GetWindowLongW(link, GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
    EXPECT_EQ(style & (SS_NOTIFY | SS_WORDELLIPSIS | WS_TABSTOP),
              SS_NOTIFY | SS_WORDELLIPSIS | WS_TABSTOP);

    std::vector<std::wstring> tips;
    for (HWND tooltip : WindowsOf(app.Id(), L"tooltips_class32"))
        tips.push_back(RemoteToolText(app.Id(), tooltip, link));
    EXPECT_NE(std::find(tips.begin(), tips.end(), L"Tamsel's Home Page"), tips.end())
        << "tooltips found: " << tips.size();

    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}
