// The About page of corvane.exe shows the lines of its own version resource: a copy of the
// program is given one with a pre-release flag, parts of several digits and two sentences.
#include <gtest/gtest.h>

#include <windows.h>

#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/VersionText.h"

using namespace testing_support;

TEST(AboutPage, ShowsTheVersionAndCopyrightOfTheProgramsOwnResource) {
    std::wstring exe = MakeTempDir(L"corvane about") + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), exe.c_str(), FALSE));
    VersionFields version{10, 20, 3000, 45, VS_FF_PRERELEASE, L"Copyright (C) 2026 Us. All ours."};
    ASSERT_TRUE(WriteVersionResource(exe, &version));
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", nullptr, exe));
    int last = app.TabCount() - 1;
    EXPECT_EQ(app.TabText(last), L"About");
    ASSERT_NE(app.SelectPage(last), nullptr);
    EXPECT_EQ(app.ControlText(IDC_ABOUT_VERSION), L"Version 10.20 (Build 3000.45) [BETA], 64-bit.");
    EXPECT_EQ(app.ControlText(IDC_ABOUT_COPYRIGHT), L"Copyright (C) 2026 Us");
    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}
