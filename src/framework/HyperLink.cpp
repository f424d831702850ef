#include "framework/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <string.h>

namespace {
constexpr DWORD kLinkStyle = SS_OWNERDRAW | SS_NOTIFY | SS_WORDELLIPSIS | WS_TABSTOP;
constexpr int kMaxTipChars = 1024;
constexpr WORD kHandCursorId = 9801;

TTTOOLINFOW MakeToolInfo(HWND control) {
    TTTOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    return info;
}
} // namespace

CHyperLink::CHyperLink() : normalColor(GetSysColor(COLOR_HOTLIGHT)), alignment(0) {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    BOOL known = GetVersionExW(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    // The focus border metrics exist from Windows XP (5.1) on.
    if (known && (version.dwMajorVersion > 5 ||
                  (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1))) {
        focusBorderX = GetSystemMetrics(SM_CXFOCUSBORDER);
        focusBorderY = GetSystemMetrics(SM_CYFOCUSBORDER);
    }
}

CHyperLink::~CHyperLink() {
    if (linkCursor && ownsCursor) {
        DestroyCursor(linkCursor);
        linkCursor = nullptr;
        ownsCursor = false;
    }
    if (tooltip && !IsWindow(tooltip))
        tooltip.Detach(); // already gone with its owner
}

void CHyperLink::OnSubclassed() {
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    alignment = static_cast<unsigned>(style) & 3;
    LONG newStyle = (style & ~SS_TYPEMASK) | kLinkStyle;
    // The style is written only when it changes; the frame is not recomputed.
    if (newStyle != style)
        SetWindowLongW(m_hWnd, GWL_STYLE, newStyle);

    CString text = GetWindowText();
    if (url.IsEmpty())
        url = text;
    if (text.IsEmpty()) {
        if (url.IsEmpty())
            url = L"http://";
        SetWindowText(url);
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW logFont = {};
    if (font && GetObjectW(font, sizeof(logFont), &logFont)) {
        logFont.lfUnderline = TRUE;
        linkFont.Reset(CreateFontIndirectW(&logFont));
    }
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(linkFont.Get()), TRUE);

    FitToText();
    LoadLinkCursor();

    tooltip.Reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  nullptr, nullptr));
    if (tooltip) {
        TTTOOLINFOW info = MakeToolInfo(m_hWnd);
        info.lpszText = const_cast<wchar_t*>(url.GetString());
        ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CHyperLink::SetUrl(const wchar_t* newUrl, const wchar_t* tipText) {
    url = newUrl ? newUrl : L"";
    FitToText();
    if (tooltip) {
        wchar_t tip[kMaxTipChars];
        lstrcpynW(tip, tipText ? tipText : url.GetString(), kMaxTipChars);
        TTTOOLINFOW info = MakeToolInfo(m_hWnd);
        info.lpszText = tip;
        ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

bool CHyperLink::OpenLink() {
    if (url.IsEmpty())
        return false;
    HINSTANCE result = ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        RepaintArea();
    else
        MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

void CHyperLink::FitToText() {
    if (!m_hWnd)
        return;
    CString text = GetWindowText();
    SIZE extent = {};
    if (HDC dc = GetDC(m_hWnd)) {
        HGDIOBJ old = linkFont ? SelectObject(dc, linkFont) : nullptr;
        GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
        if (old)
            SelectObject(dc, old);
        ReleaseDC(m_hWnd, dc);
    }
    int neededWidth = extent.cx + 4 * focusBorderX;
    int neededHeight = extent.cy + 4 * focusBorderY;

    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    HWND parent = GetParent();
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);

    int dy = (rect.bottom - rect.top - neededHeight) / 2;
    rect.top += dy;
    rect.bottom -= dy;
    if (alignment & 1) {
        int dx = (rect.right - rect.left - neededWidth) / 2;
        rect.left += dx;
        rect.right -= dx;
    } else if (alignment & 2) {
        rect.left = rect.right - neededWidth;
    } else {
        rect.right = rect.left + neededWidth;
    }
    SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER);
}

void CHyperLink::LoadLinkCursor() {
    if (linkCursor)
        return;
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    PathAppendW(path, L"mshtml.dll");
    HMODULE library = LoadLibraryW(path);
    if (!library)
        return;
    if (HCURSOR cursor = LoadCursorW(library, MAKEINTRESOURCEW(kHandCursorId))) {
        linkCursor = CopyIcon(cursor);
        ownsCursor = linkCursor != nullptr;
    }
    FreeLibrary(library);
}

void CHyperLink::RepaintArea() {
    HWND parent = GetParent();
    if (!parent)
        return;
    RECT rect;
    GetClientRect(m_hWnd, &rect);
    MapWindowPoints(m_hWnd, parent, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CHyperLink::RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) {
    // The sheet's own message loop knows nothing of the tooltip, so the control hands it the
    // mouse messages that the tooltip needs to show and hide itself.
    if (!tooltip)
        return;
    MSG msg = {m_hWnd, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    DWORD pos = GetMessagePos();
    msg.pt.x = static_cast<short>(LOWORD(pos));
    msg.pt.y = static_cast<short>(HIWORD(pos));
    ::SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

LRESULT CHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        RelayToToolTip(message, wParam, lParam);
        break;
    default:
        break;
    }

    switch (message) {
    case WM_SETCURSOR:
        if (linkCursor) {
            SetCursor(linkCursor);
            return TRUE;
        }
        return FALSE;
    case WM_MOUSEMOVE: {
        LRESULT result = Default(message, wParam, lParam);
        if (!hovering) {
            hovering = true;
            SetCapture(m_hWnd);
            RepaintArea();
        } else {
            RECT client;
            GetClientRect(m_hWnd, &client);
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (!PtInRect(&client, point)) {
                hovering = false;
                ReleaseCapture();
                RepaintArea();
            }
        }
        return result;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hWnd && hovering) {
            hovering = false;
            RepaintArea();
        }
        return Default(message, wParam, lParam);
    case WM_GETDLGCODE:
        return Default(message, wParam, lParam) | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            if (!OpenLink()) {
                HWND parent = GetParent();
                ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), STN_CLICKED),
                               reinterpret_cast<LPARAM>(m_hWnd));
            }
            return 0;
        }
        return Default(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = Default(message, wParam, lParam);
        RepaintArea();
        return result;
    }
    case WM_DESTROY:
        // The tooltip belongs to the control's life, not to the owner window's.
        tooltip.Reset();
        return Default(message, wParam, lParam);
    default:
        return Default(message, wParam, lParam);
    }
}

BOOL CHyperLink::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, hovering ? hoverColor : normalColor);
        SetBkMode(dc, TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED) {
            // With no target the parent receives the click as usual.
            *result = 0;
            return OpenLink() ? TRUE : FALSE;
        }
        return FALSE;
    default:
        return CStatic::OnChildNotify(message, wParam, lParam, result);
    }
}

void CHyperLink::DrawItem(DRAWITEMSTRUCT* drawItem) {
    RECT rect = drawItem->rcItem;
    HDC dc = drawItem->hDC;
    if (::GetFocus() == m_hWnd) {
        COLORREF previous = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawFocusRect(dc, &rect);
        SetTextColor(dc, previous);
    }
    if (!(drawItem->itemAction & ODA_DRAWENTIRE))
        return;

    CString text = GetWindowText();
    InflateRect(&rect, -2 * focusBorderX, -2 * focusBorderY);
    int length = text.GetLength();
    CString work;
    // DT_MODIFYSTRING may write up to four characters more than the text (the ellipsis).
    wchar_t* buffer = work.GetBuffer(length + 4);
    if (!buffer)
        return;
    memcpy(buffer, text.GetString(), (length + 1) * sizeof(wchar_t));
    DrawTextW(dc, buffer, length, &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_CALCRECT | DT_NOPREFIX | DT_MODIFYSTRING |
                  DT_CENTER | DT_WORD_ELLIPSIS);
    UINT state = DST_TEXT;
    if (!IsWindowEnabled())
        state |= DSS_DISABLED;
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(buffer), 0, rect.left, rect.top,
               rect.right - rect.left, rect.bottom - rect.top, state);
    work.ReleaseBuffer(0);
}
