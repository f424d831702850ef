// The real About page hosted in a sheet inside the test process, where its fonts and its link
// can be inspected directly. The test program carries the program's resources and version.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "about/AboutPage.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/PageHost.h"
#include "support/TestSupport.h"
#include "support/VersionText.h"
#include "version.h"

using namespace testing_support;

namespace {

LONG FontHeight(HWND hwnd) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (!handle || !GetObjectW(handle, sizeof(font), &font))
        return 0;
    return font.lfHeight;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The tool text that this thread's tooltips hold for a control.
std::wstring ToolTextOf(HWND control) {
    struct Search {
        HWND control;
        std::wstring text;
    } search{control, L""};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (ClassName(hwnd) != L"tooltips_class32")
                return TRUE;
            wchar_t text[1100] = L"";
            TTTOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.hwnd = GetParent(s->control);
            info.uId = reinterpret_cast<UINT_PTR>(s->control);
            info.lpszText = text;
            SendMessageW(hwnd, TTM_GETTEXTW, 1100, reinterpret_cast<LPARAM>(&info));
            if (text[0]) {
                s->text = text;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.text;
}

} // namespace

TEST(AboutPageHosted, ShowsEnlargedTitleVersionCopyrightAndLink) {
    CAboutPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND dialog = host.Page();

    LONG pageHeight = FontHeight(dialog);
    ASSERT_NE(pageHeight, 0);
    EXPECT_EQ(FontHeight(GetDlgItem(dialog, IDC_ABOUT_TITLE)), pageHeight * 170 / 100);
    EXPECT_NE(SendMessageW(GetDlgItem(dialog, IDC_ABOUT_TITLE), WM_GETFONT, 0, 0),
              SendMessageW(dialog, WM_GETFONT, 0, 0));

    std::wstring expected = ExpectedVersionLine(OwnPath());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ABOUT_VERSION)), expected);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ABOUT_COPYRIGHT)),
              L"Copyright (C) 2026 The Corvane developers");

    HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    EXPECT_EQ(WindowText(link), L"" CORVANE_HOMEPAGE_TEXT);
    EXPECT_EQ(ToolTextOf(link), L"Tamsel's Home Page");
    EXPECT_EQ(GetWindowLongW(link, GWL_STYLE) & 0x1C11F, 0x1C10D);

    // Fitted to its underlined text, from the template's left edge.
    RECT templ = {65, 112, 65 + 56, 112 + 8};
    MapDialogRect(dialog, &templ);
    RECT rect;
    GetWindowRect(link, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    std::wstring text = WindowText(link);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    EXPECT_EQ(rect.left, templ.left);
    EXPECT_EQ(rect.right - rect.left, extent.cx + 4 * GetSystemMetrics(SM_CXFOCUSBORDER));
}
