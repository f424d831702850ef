// The version reader on resources written into copies of a program that has none of its own.
// The usual case (a beta flag, a copyright cut at its first full stop) is the About page's.
#include <gtest/gtest.h>

#include "about/AppVersionInfo.h"
#include "support/TestSupport.h"
#include "support/VersionText.h"

using namespace testing_support;

TEST(AppVersionInfo, FormatsTheVersionAndCopyrightLinesOfAFile) {
    struct Case {
        VersionFields fields;
        const wchar_t* version;
        const wchar_t* copyright;
    } cases[] = {
        {{10, 20, 3000, 45, 0, L"Copyright 2026 Multi Digit Makers", false},
         L"Version 10.20 (Build 3000.45)",
         L"Copyright 2026 Multi Digit Makers"},
        {{1, 2, 3, 4, 0, L"..Leading dots. Second."}, L"Version 1.2 (Build 3.4)", L"Leading dots"},
        // No terminator: the read stops at the value's length, not in the next value.
        {{7, 8, 5, 6, 0, L"Ab12", true, false}, L"Version 7.8 (Build 5.6)", L"Ab12"},
    };
    std::wstring file = MakeTempDir() + L"\\versioned.exe";
    for (const Case& c : cases) {
        ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), file.c_str(), FALSE));
        ASSERT_TRUE(WriteVersionResource(file, &c.fields));
        CAppVersionInfo info;
        ASSERT_TRUE(info.LoadFromFile(file.c_str())) << ToUtf8(c.version);
        CString line;
        ASSERT_TRUE(info.FormatVersionText(line, false));
        EXPECT_EQ(std::wstring(line.GetString()), c.version);
        ASSERT_TRUE(info.FormatCopyrightText(line));
        EXPECT_EQ(std::wstring(line.GetString()), c.copyright);
    }

    CModuleVersion none;
    SetLastError(0);
    EXPECT_FALSE(none.LoadFromFile(BinPath(L"recorder.exe").c_str()));
    EXPECT_NE(GetLastError(), 0u);
}
