// The link control on the About template in a real sheet inside the test program: how it looks
// (painted into a bitmap as its window paints), how it follows the mouse and the keyboard, how it
// fits its text, and what a click opens. Opening is seen through a copy of the recording helper.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/HyperLink.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/PageHost.h"

using namespace testing_support;

namespace {

// The About template with only the link bound, counting the clicks the link leaves to it.
class LinkTestPage : public CPropertyPage {
public:
    LinkTestPage() : CPropertyPage(IDD_ABOUT) {}
    CHyperLink link;
    int parentClicks = 0;
    void OnLinkClicked() { ++parentClicks; }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_ABOUT_LINK, link); }
    MessageTable GetMessageTable() const override {
        static const MessageEntry table[] = {
            OnCommand<&LinkTestPage::OnLinkClicked>(IDC_ABOUT_LINK, STN_CLICKED)};
        return table;
    }
};

// The link painted on white as its window paints itself: its pixels, row by row.
std::vector<COLORREF> Paint(HWND link) {
    RECT rect;
    GetClientRect(link, &rect);
    HDC window = GetDC(link), dc = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, rect.right, rect.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, rect.right, rect.bottom, WHITENESS);
    SendMessageW(link, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < rect.bottom; ++y)
        for (int x = 0; x < rect.right; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(link, window);
    return pixels;
}

bool Shows(const std::vector<COLORREF>& pixels, COLORREF colour) {
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

// The window's place in its parent's client area.
RECT PlaceOf(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The width a link needs: its text in its font and two focus borders on each side.
int FittedWidth(HWND link) {
    const std::wstring text = WindowText(link);
    SIZE extent = {};
    HDC dc = GetDC(link);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ReleaseDC(link, dc);
    return extent.cx + 4 * GetSystemMetrics(SM_CXFOCUSBORDER);
}

} // namespace

TEST(HyperLink, LookMouseKeyboardFittingAndOpening) {
    std::wstring target = MakeTempDir(L"corvane link") + L"\\opened.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), target.c_str(), FALSE));
    LinkTestPage page;
    CHyperLink centred, right;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND dialog = host.Page(), link = page.link.GetHwnd();

    // Underlined; fitted to its text from the template's left edge.
    EXPECT_TRUE(FontOf(link).lfUnderline);
    RECT templ = {65, 112, 65 + 56, 112 + 8};
    MapDialogRect(dialog, &templ);
    RECT place = PlaceOf(link);
    EXPECT_EQ(place.left, templ.left);
    EXPECT_EQ(place.right - place.left, FittedWidth(link));
    // Right-aligned and centred texts keep their right edge and their centre.
    for (auto [control, style] : {std::pair{&right, SS_RIGHT}, {&centred, SS_CENTER}}) {
        HWND hwnd = CreateWindowExW(0, L"STATIC", L"Somewhere", WS_CHILD | WS_VISIBLE | style, 20,
                                    20, 200, 20, dialog, nullptr, nullptr, nullptr);
        SendMessageW(hwnd, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
        ASSERT_TRUE(control->SubclassWindow(hwnd));
        place = PlaceOf(hwnd);
        EXPECT_EQ(style == SS_RIGHT ? place.right : place.left + place.right,
                  style == SS_RIGHT ? 220 : 240);
        EXPECT_NEAR(place.right - place.left, FittedWidth(hwnd), 1);
    }

    // The link colour, red while the mouse is over it; the mouse is captured meanwhile and let
    // go when it leaves, or when another window takes the capture.
    const COLORREF normal = GetSysColor(COLOR_HOTLIGHT), hover = RGB(255, 0, 0);
    auto look = Paint(link);
    EXPECT_TRUE(Shows(look, normal) && !Shows(look, hover));
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(GetCapture(), link);
    look = Paint(link);
    EXPECT_TRUE(Shows(look, hover) && !Shows(look, normal));
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 2));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Shows(Paint(link), normal));
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SetCapture(host.sheet);
    EXPECT_TRUE(Shows(Paint(link), normal));
    ReleaseCapture();
    // The system's own hand over it; no browser library is loaded to copy one.
    EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(GetModuleHandleW(L"mshtml.dll"), nullptr);

    // Disabled, it is drawn grey, without the link colour. (The focus rectangle and the tab order
    // are read from the screen by AboutPageHosted.)
    EnableWindow(link, FALSE);
    look = Paint(link);
    EXPECT_TRUE(Shows(look, GetSysColor(COLOR_3DSHADOW)) && !Shows(look, normal));
    EnableWindow(link, TRUE);

    // Space opens the target; without one, the parent gets the click.
    SetFocus(link);
    page.link.SetUrl(target.c_str());
    PostMessageW(link, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(link, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_TRUE(host.PumpUntil([&] { return FileExists(target + L".txt"); }, 20000));
    EXPECT_EQ(page.parentClicks, 0);
    page.link.SetUrl(nullptr);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.PumpUntil([&] { return page.parentClicks == 1; }, 5000));
}
