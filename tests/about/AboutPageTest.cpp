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
    ASSERT_NE(FontOf(dialog).lfHeight, 0);
    EXPECT_EQ(FontOf(GetDlgItem(dialog, IDC_ABOUT_TITLE)).lfHeight,
              FontOf(dialog).lfHeight * 170 / 100);

    EXPECT_EQ(GetWindowLongW(link, GWL_STYLE) &
                  (SS_TYPEMASK | SS_NOTIFY | SS_ELLIPSISMASK | WS_TABSTOP),
              SS_OWNERDRAW | SS_NOTIFY | SS_WORDELLIPSIS | WS_TABSTOP);
    EXPECT_EQ(ToolTipText(link), L"Tamsel's Home Page");
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
