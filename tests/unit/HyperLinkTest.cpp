// The link control on real dialogs inside the test process: a page of the test's own on the
// About template (so the page's reflection is the real one), and plain windows for the fitting
// rules. Opening is observed through what the shell starts: a copy of the recording helper,
// which leaves a file next to itself when it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "about/HyperLink.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"
#include "support/PageHost.h"
#include "support/TestSupport.h"
#include "version.h"

using namespace testing_support;

namespace {

class LinkTestPage : public CPropertyPage {
public:
    LinkTestPage() : CPropertyPage(IDD_ABOUT) {}

    CHyperLink link;
    const wchar_t* templateText = nullptr; // replaces the template's text before binding
    int parentClicks = 0;

protected:
    BOOL OnInitDialog() override {
        if (templateText)
            SetDlgItemTextW(m_hWnd, IDC_ABOUT_LINK, templateText);
        return CPropertyPage::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_ABOUT_LINK, link); }
    const CommandEntry* GetCommandTable(int* count) const override {
        static const CommandEntry table[] = {
            OnCommand<LinkTestPage>(IDC_ABOUT_LINK, STN_CLICKED, &LinkTestPage::OnLinkClicked)};
        *count = 1;
        return table;
    }

private:
    void OnLinkClicked() { ++parentClicks; }
};

std::wstring ToolText(HWND tooltip, HWND control) {
    wchar_t text[1100] = L"";
    TTTOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 1100, reinterpret_cast<LPARAM>(&info));
    return text;
}

SIZE TextExtent(HWND control) {
    std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    SIZE extent = {};
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent;
}

RECT RectInParent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A copy of the recording helper in a fresh folder: started, it writes "<path>.txt".
std::wstring RecorderCopy() {
    std::wstring path = MakeTempDir(L"corvane link") + L"\\opened.exe";
    return CopyFileW(BinPath(L"recorder.exe").c_str(), path.c_str(), FALSE) ? path : L"";
}

void PostKey(HWND hwnd, WPARAM key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

} // namespace

TEST(HyperLink, AttachMakesAnUnderlinedFocusableLinkFittedToItsText) {
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    ASSERT_NE(link, nullptr);

    // The template's SS_LEFT static becomes owner-drawn, notifying, ellipsised and a tab stop.
    DWORD style = static_cast<DWORD>(GetWindowLongW(link, GWL_STYLE));
    EXPECT_EQ(style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_GROUP | 0x1C10D));
    EXPECT_EQ(SendMessageW(link, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS, DLGC_WANTCHARS);

    // Without a target of its own the link opens its text.
    EXPECT_STREQ(page.link.GetUrl().GetString(), L"" CORVANE_HOMEPAGE_TEXT);

    LOGFONTW font = {};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)),
                           sizeof(font), &font));
    EXPECT_TRUE(font.lfUnderline);

    // Fitted: the text plus two focus borders on each side; the left edge stays, and the height
    // changes equally at top and bottom.
    RECT templ = {65, 112, 65 + 56, 112 + 8};
    MapDialogRect(host.Page(), &templ);
    SIZE extent = TextExtent(link);
    RECT rect = RectInParent(link);
    int borderX = GetSystemMetrics(SM_CXFOCUSBORDER), borderY = GetSystemMetrics(SM_CYFOCUSBORDER);
    EXPECT_EQ(rect.left, templ.left);
    EXPECT_EQ(rect.right - rect.left, extent.cx + 4 * borderX);
    int shrink = ((templ.bottom - templ.top) - (extent.cy + 4 * borderY)) / 2;
    EXPECT_EQ(rect.top, templ.top + shrink);
    EXPECT_EQ(rect.bottom, templ.bottom - shrink);

    HWND tooltip = page.link.GetToolTip();
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(ClassName(tooltip), L"tooltips_class32");
    EXPECT_EQ(ToolText(tooltip, link), L"" CORVANE_HOMEPAGE_TEXT);

    // A target of its own: the tool text follows, the displayed text does not.
    page.link.SetUrl(L"https://elsewhere.example/", L"Somewhere else");
    EXPECT_EQ(ToolText(tooltip, link), L"Somewhere else");
    page.link.SetUrl(L"https://elsewhere.example/");
    EXPECT_EQ(ToolText(tooltip, link), L"https://elsewhere.example/");
    EXPECT_EQ(WindowText(link), L"" CORVANE_HOMEPAGE_TEXT);
}

TEST(HyperLink, EmptyTextAndTargetBecomeHttp) {
    LinkTestPage page;
    page.templateText = L"";
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    EXPECT_STREQ(page.link.GetUrl().GetString(), L"http://");
    EXPECT_EQ(WindowText(page.link.GetSafeHwnd()), L"http://");
}

TEST(HyperLink, TabAndSpaceBarOpenTheTarget) {
    std::wstring target = RecorderCopy();
    ASSERT_FALSE(target.empty());
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    page.link.SetUrl(target.c_str(), L"tip");
    EXPECT_EQ(ToolText(page.link.GetToolTip(), page.link.GetSafeHwnd()), L"tip");

    // The copyright line comes before the link in the tab order.
    HWND copyright = GetDlgItem(host.Page(), IDC_ABOUT_COPYRIGHT);
    SetFocus(copyright);
    ASSERT_EQ(GetFocus(), copyright);
    PostKey(copyright, VK_TAB);
    ASSERT_TRUE(host.PumpUntil([&] { return GetFocus() == page.link.GetSafeHwnd(); }, 5000));

    PostKey(GetFocus(), VK_SPACE);
    host.Pump();
    EXPECT_TRUE(WaitUntil([&] { return FileExists(target + L".txt"); }, 20000));
    EXPECT_EQ(page.parentClicks, 0);
}

TEST(HyperLink, ClickOpensItsOwnTextAndWithoutTargetReachesTheParent) {
    // A template whose text is the target, and no target given: the click opens the text.
    std::wstring target = RecorderCopy();
    ASSERT_FALSE(target.empty());
    LinkTestPage page;
    page.templateText = target.c_str();
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    host.Pump();
    EXPECT_TRUE(WaitUntil([&] { return FileExists(target + L".txt"); }, 20000));
    EXPECT_EQ(page.parentClicks, 0);

    // No target: the page gets the click and the space bar as its own STN_CLICKED.
    page.link.SetUrl(nullptr);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    host.Pump();
    EXPECT_EQ(page.parentClicks, 1);
    SetFocus(link);
    PostKey(link, VK_SPACE);
    EXPECT_TRUE(host.PumpUntil([&] { return page.parentClicks == 2; }, 5000));
    EXPECT_FALSE(page.link.OpenLink());
}

TEST(HyperLink, HoverColoursFollowTheMouseAndTheCapture) {
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    HDC dc = GetDC(link);
    auto colourAsked = [&] {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkMode(dc, OPAQUE);
        LRESULT brush = SendMessageW(host.Page(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(link));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        return GetTextColor(dc);
    };
    const COLORREF normal = GetSysColor(COLOR_HOTLIGHT), hover = RGB(255, 0, 0);

    EXPECT_EQ(colourAsked(), normal);
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(page.link.IsHovering());
    EXPECT_EQ(GetCapture(), link);
    EXPECT_EQ(colourAsked(), hover);
    // Still inside: nothing changes.
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 1));
    EXPECT_EQ(GetCapture(), link);
    // Out: the capture goes back.
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-20, -20));
    EXPECT_FALSE(page.link.IsHovering());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(colourAsked(), normal);

    // In again, then another window takes the capture: hovering ends.
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(colourAsked(), hover);
    SetCapture(host.Page());
    EXPECT_FALSE(page.link.IsHovering());
    EXPECT_EQ(colourAsked(), normal);
    ReleaseCapture();
    ReleaseDC(link, dc);
}

TEST(HyperLink, RightAlignedKeepsItsRightEdgeAndCentredItsCentre) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HFONT font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto makeStatic = [&](DWORD align, int top) {
        HWND hwnd = CreateWindowExW(0, L"STATIC", L"A fairly short link", WS_CHILD | align, 50, top,
                                    251, 41, parent, nullptr, nullptr, nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return hwnd;
    };
    HWND right = makeStatic(SS_RIGHT, 10);
    HWND centre = makeStatic(SS_CENTER, 100);
    CHyperLink rightLink, centreLink;
    ASSERT_TRUE(rightLink.SubclassWindow(right));
    ASSERT_TRUE(centreLink.SubclassWindow(centre));
    int borderX = GetSystemMetrics(SM_CXFOCUSBORDER);

    // The alignment is kept apart; the style itself loses it to the owner-draw type.
    EXPECT_EQ(GetWindowLongW(right, GWL_STYLE) & SS_TYPEMASK, SS_OWNERDRAW);

    SIZE extent = TextExtent(right);
    RECT rect = RectInParent(right);
    EXPECT_EQ(rect.right, 301);
    EXPECT_EQ(rect.right - rect.left, extent.cx + 4 * borderX);

    rect = RectInParent(centre);
    int needed = extent.cx + 4 * borderX;
    int shrink = (251 - needed) / 2;
    EXPECT_EQ(rect.left, 50 + shrink);
    EXPECT_EQ(rect.right, 301 - shrink);
    // An odd difference leaves the window one pixel wider than the text needs.
    EXPECT_LE(std::abs((rect.right - rect.left) - needed), 1);
    DestroyWindow(parent);
}

TEST(HyperLink, OwnerDrawingShowsFocusAndTextAndGreysWhenDisabled) {
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    RECT item;
    GetClientRect(link, &item);
    const int width = item.right, height = item.bottom;
    const int marginX = 2 * GetSystemMetrics(SM_CXFOCUSBORDER);
    const int marginY = 2 * GetSystemMetrics(SM_CYFOCUSBORDER);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);

    struct Counts {
        int border = 0, inside = 0, black = 0;
    };
    // Draws one request onto white and counts the pixels that are no longer white.
    auto draw = [&](UINT action) {
        FillRect(dc, &item, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        DRAWITEMSTRUCT request = {ODT_STATIC, IDC_ABOUT_LINK, 0, action, 0, link, dc, item, 0};
        SendMessageW(host.Page(), WM_DRAWITEM, IDC_ABOUT_LINK, reinterpret_cast<LPARAM>(&request));
        Counts counts;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                COLORREF pixel = GetPixel(dc, x, y);
                if (pixel == RGB(255, 255, 255))
                    continue;
                bool onBorder = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                bool inText =
                    x >= marginX && x < width - marginX && y >= marginY && y < height - marginY;
                counts.border += onBorder;
                counts.inside += inText;
                counts.black += pixel == RGB(0, 0, 0);
            }
        }
        return counts;
    };

    // Focused, asked only for the focus: the rectangle on the item's edge, no text.
    SetFocus(link);
    ASSERT_EQ(GetFocus(), link);
    Counts focus = draw(ODA_FOCUS);
    EXPECT_GT(focus.border, 0);
    EXPECT_EQ(focus.inside, 0);

    // Not focused, the whole item: the text within its margins, no rectangle.
    SetFocus(GetDlgItem(host.Page(), IDC_ABOUT_COPYRIGHT));
    Counts text = draw(ODA_DRAWENTIRE);
    EXPECT_EQ(text.border, 0);
    EXPECT_GT(text.inside, 0);
    EXPECT_GT(text.black, 0);

    // Disabled: the text is drawn embossed, not in the text colour.
    EnableWindow(link, FALSE);
    Counts disabled = draw(ODA_DRAWENTIRE);
    EXPECT_GT(disabled.inside, 0);
    EXPECT_EQ(disabled.black, 0);

    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(HyperLink, TooltipShowsWhenTheMouseRestsOnTheLink) {
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    HWND tooltip = page.link.GetToolTip();
    ASSERT_FALSE(IsWindowVisible(tooltip));
    SetForegroundWindow(host.Sheet());
    RECT rect;
    GetWindowRect(link, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    // The sheet's loop knows nothing of the tooltip: only the link's relaying can show it. One
    // move only, since every move restarts the tooltip's waiting time.
    PostMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.PumpUntil([&] { return IsWindowVisible(tooltip) != FALSE; }, 10000));
    SetCursorPos(0, 0);
}
