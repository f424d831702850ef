// The About page and its link in a real sheet inside the test program, which carries the
// program's resources. Opening is seen through a copy of the recording helper as the target.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "about/AboutPage.h"
#include "about/HyperLink.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// A modeless sheet with one page, pumped by the test through the sheet's dialog navigation.
struct PageHost {
    HWND sheet = nullptr;
    ~PageHost() { DestroyWindow(sheet); }
    bool Open(CPropertyPage& page) {
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
        header.nPages = 1;
        header.ppsp = page.GetPropSheetPage();
        sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
        ShowWindow(sheet, SW_SHOW);
        return PumpUntil([&] { return Page() != nullptr; });
    }
    HWND Page() { return sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr; }
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
        return WaitUntil(
            [&] {
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (!PropSheet_IsDialogMessage(sheet, &msg)) {
                        TranslateMessage(&msg);
                        DispatchMessageW(&msg);
                    }
                }
                return done();
            },
            timeoutMs);
    }
};

// The About template with only the link bound, counting the clicks the link leaves to it.
class LinkTestPage : public CPropertyPage {
public:
    LinkTestPage() : CPropertyPage(IDD_ABOUT) {}
    CHyperLink link;
    int parentClicks = 0;
    void OnLinkClicked() { ++parentClicks; }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_ABOUT_LINK, link); }
    const CommandEntry* GetCommandTable(int* count) const override {
        static const CommandEntry table[] = {
            OnCommand<LinkTestPage>(IDC_ABOUT_LINK, STN_CLICKED, &LinkTestPage::OnLinkClicked)};
        *count = 1;
        return table;
    }
};

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

// The tool text that one of this process's tooltips holds for a control.
std::wstring ToolText(HWND control) {
    wchar_t text[256] = L"";
    TTTOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    for (HWND tip = nullptr;
         !text[0] && (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(tip, &pid);
        if (pid == GetCurrentProcessId())
            SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    }
    return text;
}

} // namespace

TEST(AboutPageHosted, EnlargedCaptionAndAFittedLinkWithItsTooltip) {
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
    EXPECT_EQ(ToolText(link), L"Tamsel's Home Page");

    // Fitted to its text and two focus borders on each side, from the template's left edge.
    RECT templ = {65, 112, 65 + 56, 112 + 8}, rect;
    MapDialogRect(dialog, &templ);
    GetWindowRect(link, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    std::wstring text = WindowText(link);
    SIZE extent = {};
    HDC dc = GetDC(link);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ReleaseDC(link, dc);
    EXPECT_EQ(rect.left, templ.left);
    EXPECT_EQ(rect.right - rect.left, extent.cx + 4 * GetSystemMetrics(SM_CXFOCUSBORDER));
}

TEST(HyperLink, TabAndSpaceOpenTheTargetAndWithoutOneTheParentGetsTheClick) {
    std::wstring target = MakeTempDir(L"corvane link") + L"\\opened.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), target.c_str(), FALSE));
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    page.link.SetUrl(target.c_str());

    // The copyright line comes before the link in the tab order.
    SetFocus(GetDlgItem(host.Page(), IDC_ABOUT_COPYRIGHT));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(host.PumpUntil([&] { return GetFocus() == link; }, 5000));
    PostMessageW(link, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(link, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_TRUE(host.PumpUntil([&] { return FileExists(target + L".txt"); }, 20000));
    EXPECT_EQ(page.parentClicks, 0);

    page.link.SetUrl(nullptr);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.PumpUntil([&] { return page.parentClicks == 1; }, 5000));
}
