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

// The version library is loaded for this page, from the system directory. The strings are read
// from the table the translation names, or without one from the usual code page's.
TEST(AboutPage, ShowsTheVersionAndCopyrightOfTheProgramsOwnResource) {
    std::wstring exe = MakeTempDir(L"corvane about") + L"\\corvane.exe";
    const struct {
        VersionFields fields;
        const wchar_t *version, *copyright;
    } cases[] = {
        {{10, 20, 3000, 45, VS_FF_PRERELEASE, L"Copyright (C) 2026 Us. All ours."},
         L"Version 10.20 (Build 3000.45) [BETA], 64-bit.",
         L"Copyright (C) 2026 Us"},
        {{1, 2, 3, 4, 0, L"..Leading dots. Second.", false},
         L"Version 1.2 (Build 3.4), 64-bit.",
         L"Leading dots"},
        // No terminator: the read stops at the value's length, not in the next value.
        {{7, 8, 5, 6, 0, L"Ab12", true, false}, L"Version 7.8 (Build 5.6), 64-bit.", L"Ab12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.version));
        ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(WriteVersionResource(exe, &c.fields));
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, exe));
        // Idle on the first page, the program has none of the DLLs that only some actions need.
        // The version library is checked only where the system does not bring it into every
        // process (Wine's advapi32 imports it): this test program itself does not import it.
        app.Settle();
        for (const wchar_t* dll :
             {L"comdlg32.dll", L"shell32.dll", L"shlwapi.dll", L"version.dll"}) {
            if (lstrcmpW(dll, L"version.dll") != 0 || !GetModuleHandleW(dll)) {
                EXPECT_EQ(app.process().LoadedModule(dll), L"") << ToUtf8(dll);
            }
        }
        // The last page.
        EXPECT_EQ(WindowText(app.SelectPage(app.TabCount() - 1)), L"About");
        EXPECT_EQ(app.ControlText(IDC_ABOUT_VERSION), c.version);
        EXPECT_EQ(app.process().LoadedModule(L"version.dll"), SystemModule(L"version.dll"));
        EXPECT_EQ(app.ControlText(IDC_ABOUT_COPYRIGHT), c.copyright);
        EXPECT_TRUE(app.Cancel());
    }
}
