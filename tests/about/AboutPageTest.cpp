// The About page: hosted in a real sheet inside the test program, which carries the program's
// resources (fonts, the fitted link and its tooltip), and in the real corvane.exe, where it shows
// the lines of the program's own version resource.
#include <gtest/gtest.h>

#include "about/AboutPage.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/PageHost.h"
#include "support/VersionText.h"

using namespace testing_support;

TEST(AboutPageHosted, EnlargedCaptionAndALinkWithItsTooltip) {
    CAboutPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND dialog = host.Page(), link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    EXPECT_GT(abs(FontOf(GetDlgItem(dialog, IDC_ABOUT_TITLE)).lfHeight),
              abs(FontOf(dialog).lfHeight));
    EXPECT_TRUE(GetWindowLongW(link, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(ToolTipText(link), L"Tamsel's Home Page");

    // Tabbing onto the link draws its focus rectangle on the screen along the link's top edge,
    // tabbing away erases it: the row as the screen shows it once the link has painted.
    auto topRow = [&] {
        UpdateWindow(link);
        RECT r;
        GetWindowRect(link, &r);
        HDC screen = GetDC(nullptr);
        std::vector<COLORREF> row;
        for (LONG x = r.left; x < r.right; ++x)
            row.push_back(GetPixel(screen, x, r.top));
        ReleaseDC(nullptr, screen);
        return row;
    };
    SetFocus(GetDlgItem(dialog, IDC_ABOUT_COPYRIGHT));
    ASSERT_TRUE(host.PumpUntil([&] { return GetFocus() != link; }, 5000));
    const auto unfocused = topRow();
    for (bool onto : {true, false}) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        ASSERT_TRUE(host.PumpUntil([&] { return (GetFocus() == link) == onto; }, 5000));
        EXPECT_TRUE(host.PumpUntil([&] { return (topRow() != unfocused) == onto; }, 5000))
            << (onto ? "not drawn" : "not erased");
    }
}

// The version library is loaded for this page, from the system directory.
TEST(AboutPage, ShowsTheVersionAndCopyrightOfTheProgramsOwnResource) {
    std::wstring exe = MakeTempDir(L"corvane about") + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), exe.c_str(), FALSE));
    VersionFields version{10, 20, 3000, 45, VS_FF_PRERELEASE, L"Copyright (C) 2026 Us. All ours."};
    ASSERT_TRUE(WriteVersionResource(exe, &version));
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", nullptr, exe));
    // Idle on the first page, the program has none of the DLLs that only some actions need. The
    // version library is checked only where the system does not bring it into every process
    // (Wine's advapi32 imports it): this test program itself does not import it.
    app.Settle();
    for (const wchar_t* dll : {L"comdlg32.dll", L"shell32.dll", L"shlwapi.dll", L"version.dll"}) {
        if (lstrcmpW(dll, L"version.dll") != 0 || !GetModuleHandleW(dll)) {
            EXPECT_EQ(app.process().LoadedModule(dll), L"") << ToUtf8(dll);
        }
    }
    // The last page.
    EXPECT_EQ(WindowText(app.SelectPage(app.TabCount() - 1)), L"About");
    EXPECT_EQ(app.ControlText(IDC_ABOUT_VERSION), L"Version 10.20 (Build 3000.45) [BETA], 64-bit.");
    EXPECT_EQ(app.process().LoadedModule(L"version.dll"), SystemModule(L"version.dll"));
    EXPECT_EQ(app.ControlText(IDC_ABOUT_COPYRIGHT), L"Copyright (C) 2026 Us");
    EXPECT_TRUE(app.Cancel());
}
