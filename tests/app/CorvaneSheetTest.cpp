// The sheet as a user meets it: caption, caption buttons, pages, and its answers to the other
// instances' notices.
#include <gtest/gtest.h>

#include "app/CorvaneSheet.h"
#include "app/InstanceManager.h"
#include "support/GuiDriver.h"

using namespace testing_support;

TEST(Sheet, CaptionButtonsPagesAndInstanceNotices) {
    RegistryKeySnapshot wer(HKEY_CURRENT_USER, kWerKey);
    // The error-reporting page only with the per-user key.
    for (bool reporting : {false, true}) {
        ASSERT_TRUE(reporting ? CreateKey(HKEY_CURRENT_USER, kWerKey)
                              : DeleteKeyTree(HKEY_CURRENT_USER, kWerKey));
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        // It opens on the debugger page; Crash Dumps comes before About.
        EXPECT_NE(GetDlgItem(app.CurrentPage(), 1000), nullptr);
        std::vector<std::wstring> pages = {L"Debugger", L"Crash Dumps", L"About"};
        if (reporting)
            pages.insert(pages.begin() + 1, L"Windows Error Reporting");
        ASSERT_EQ(app.TabCount(), static_cast<int>(pages.size()));
        for (size_t i = 0; i < pages.size(); ++i)
            EXPECT_EQ(WindowText(app.SelectPage(static_cast<int>(i))), pages[i]);
        if (!reporting) {
            PostMessageW(app.Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_TRUE(app.WaitExit());
            continue;
        }

        HWND sheet = app.Sheet();
        // Minimise box, no context help; OK, Cancel and Apply, and no Help button. The icon
        // cannot be read back here (Wine does not answer WM_GETICON across processes): the
        // resource test checks that it loads.
        EXPECT_TRUE(GetWindowLongPtrW(sheet, GWL_STYLE) & WS_MINIMIZEBOX);
        EXPECT_FALSE(GetWindowLongPtrW(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
        EXPECT_FALSE(GetWindowLongPtrW(sheet, GWL_STYLE) & DS_CONTEXTHELP);
        EXPECT_TRUE(app.SheetButton(IDOK) && app.SheetButton(IDCANCEL) && app.SheetButton(0x3021));
        HWND help = app.SheetButton(0x0009);
        EXPECT_TRUE(help == nullptr || !IsWindowVisible(help));

        // Notices: an unknown code, and any code for another program's instances, do nothing;
        // the identifier of every instance counts as this one's.
        const UINT notice = RegisterWindowMessageW(L"ZKWInstanceNotify");
        const DWORD self = ComputeInstanceId(L"corvane.exe"), everyone = 0xFFFFFFFF;
        PostMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(sheet) != FALSE; }));
        for (auto [code, id] :
             {std::pair{3u, self}, {3u, everyone}, {1u, self + 1}, {2u, self + 1}})
            PostMessageW(sheet, notice, code, id);
        // A quit is taken only when the sheet's queue runs dry: give it time.
        EXPECT_FALSE(app.WaitExit(3000)) << "the sheet closed";
        EXPECT_TRUE(IsIconic(sheet));
        PostMessageW(sheet, notice, 1, everyone);
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(sheet); }));
        PostMessageW(sheet, notice, 2, everyone);
        EXPECT_TRUE(app.WaitExit());
    }
}

// In this process, where the sheet answers WM_GETICON: each icon is the image of its own size.
TEST(Sheet, IconsAtTheSystemsSizes) {
    static CCorvaneSheet* sheet = nullptr;
    static LONG widths[2] = {};
    CCorvaneSheet shown;
    sheet = &shown;
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
        if (!sheet->GetHwnd())
            return;
        KillTimer(nullptr, timer);
        for (WPARAM which : {ICON_SMALL, ICON_BIG}) {
            ICONINFO info = {};
            BITMAP bitmap = {};
            if (GetIconInfo(reinterpret_cast<HICON>(sheet->SendMessage(WM_GETICON, which)),
                            &info) &&
                GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap))
                widths[which] = bitmap.bmWidth;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        PostMessageW(sheet->GetHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    shown.DoModal();
    EXPECT_EQ(widths[ICON_SMALL], GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(widths[ICON_BIG], GetSystemMetrics(SM_CXICON));
}
