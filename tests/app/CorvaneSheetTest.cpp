// The sheet as a user meets it: caption, icon, caption buttons, tabs, and the ways to close it.
#include <gtest/gtest.h>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
const wchar_t kWerKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
}

TEST(Sheet, CaptionIconAndCaptionButtons) {
    RegistryKeySnapshot wer(HKEY_CURRENT_USER, kWerKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kWerKey);
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    HWND sheet = app.Sheet();
    EXPECT_EQ(WindowText(sheet), L"Corvane");
    LONG_PTR style = GetWindowLongPtrW(sheet, GWL_STYLE);
    LONG_PTR exStyle = GetWindowLongPtrW(sheet, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(exStyle & WS_EX_CONTEXTHELP);
    EXPECT_FALSE(style & DS_CONTEXTHELP);

    // The icon (resource 128) cannot be read back here: Wine does not answer WM_GETICON across
    // processes. The resource test checks that it loads.

    // OK, Cancel and Apply, and no Help button.
    EXPECT_NE(app.SheetButton(IDOK), nullptr);
    EXPECT_NE(app.SheetButton(IDCANCEL), nullptr);
    EXPECT_NE(app.SheetButton(0x3021), nullptr);
    HWND help = app.SheetButton(0x0009);
    EXPECT_TRUE(help == nullptr || !IsWindowVisible(help));

    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}

TEST(Sheet, TwoTabsWithoutThePerUserErrorReportingKey) {
    RegistryKeySnapshot wer(HKEY_CURRENT_USER, kWerKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kWerKey);
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_EQ(app.TabCount(), 2);
    EXPECT_EQ(app.TabText(0), L"Debugger");
    EXPECT_EQ(app.TabText(1), L"About");
    // The sheet opens on the debugger page.
    EXPECT_NE(GetDlgItem(app.CurrentPage(), 1000), nullptr);
    app.CloseBox();
    EXPECT_TRUE(app.WaitExit());
}

TEST(Sheet, ThreeTabsWithThePerUserErrorReportingKey) {
    RegistryKeySnapshot wer(HKEY_CURRENT_USER, kWerKey);
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kWerKey));
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_EQ(app.TabCount(), 3);
    EXPECT_EQ(app.TabText(0), L"Debugger");
    EXPECT_EQ(app.TabText(1), L"Windows Error Reporting");
    EXPECT_EQ(app.TabText(2), L"About");
    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}
