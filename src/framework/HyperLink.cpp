#include "framework/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <string.h>

#include "base/PathUtils.h"

namespace {
constexpr DWORD kLinkStyle = SS_OWNERDRAW | SS_NOTIFY | SS_WORDELLIPSIS | WS_TABSTOP;
constexpr int kMaxTipChars = 1024;

TTTOOLINFOW MakeToolInfo(HWND control) {
    TTTOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    return info;
}
} // namespace

CHyperLink::CHyperLink()
    : m_normalColor(GetSysColor(COLOR_HOTLIGHT)),
      m_focusBorderX(GetSystemMetrics(SM_CXFOCUSBORDER)),
      m_focusBorderY(GetSystemMetrics(SM_CYFOCUSBORDER)) {}

CHyperLink::~CHyperLink() {
    if (m_tooltip && !IsWindow(m_tooltip.Get()))
        m_tooltip.Detach(); // already gone with its owner
}

void CHyperLink::OnSubclassed() {
    LONG style = GetWindowLongW(m_hwnd, GWL_STYLE);
    m_alignment = static_cast<unsigned>(style) & 3;
    LONG newStyle = (style & ~SS_TYPEMASK) | kLinkStyle;
    // The style is written only when it changes; the frame is not recomputed.
    if (newStyle != style)
        SetWindowLongW(m_hwnd, GWL_STYLE, newStyle);

    CString text = GetWindowText();
    if (m_url.IsEmpty())
        m_url = text;
    if (text.IsEmpty()) {
        if (m_url.IsEmpty())
            m_url = L"http://";
        SetWindowText(m_url);
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW logFont = {};
    if (font && GetObjectW(font, sizeof(logFont), &logFont)) {
        logFont.lfUnderline = TRUE;
        m_linkFont.Reset(CreateFontIndirectW(&logFont));
    }
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), TRUE);

    FitToText();
    // The system's own hand, shared by every program: never destroyed.
    m_linkCursor = LoadCursorW(nullptr, IDC_HAND);

    m_tooltip.Reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                    nullptr, nullptr));
    if (m_tooltip) {
        TTTOOLINFOW info = MakeToolInfo(m_hwnd);
        info.lpszText = const_cast<wchar_t*>(m_url.GetString());
        ::SendMessageW(m_tooltip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CHyperLink::SetUrl(const wchar_t* url, const wchar_t* tipText) {
    m_url = url ? url : L"";
    FitToText();
    if (m_tooltip) {
        wchar_t tip[kMaxTipChars];
        lstrcpynW(tip, tipText ? tipText : m_url.GetString(), kMaxTipChars);
        TTTOOLINFOW info = MakeToolInfo(m_hwnd);
        info.lpszText = tip;
        ::SendMessageW(m_tooltip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

bool CHyperLink::OpenLink() {
    if (m_url.IsEmpty())
        return false;
    // What ShellExecuteW does, through the shell loaded on first use.
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = m_url;
    info.nShow = SW_SHOW;
    if (ShellExecuteSystem(info))
        RepaintArea();
    else
        MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

void CHyperLink::FitToText() {
    if (!m_hwnd)
        return;
    CString text = GetWindowText();
    SIZE extent = {};
    CWindowDC dc(m_hwnd);
    if (dc.Get()) {
        HGDIOBJ old = m_linkFont ? SelectObject(dc.Get(), m_linkFont.Get()) : nullptr;
        GetTextExtentPoint32W(dc.Get(), text, text.GetLength(), &extent);
        if (old)
            SelectObject(dc.Get(), old);
    }
    int neededWidth = extent.cx + 4 * m_focusBorderX;
    int neededHeight = extent.cy + 4 * m_focusBorderY;

    RECT rect;
    GetWindowRect(m_hwnd, &rect);
    HWND parent = GetParent();
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);

    int dy = (rect.bottom - rect.top - neededHeight) / 2;
    rect.top += dy;
    rect.bottom -= dy;
    if (m_alignment & 1) {
        int dx = (rect.right - rect.left - neededWidth) / 2;
        rect.left += dx;
        rect.right -= dx;
    } else if (m_alignment & 2) {
        rect.left = rect.right - neededWidth;
    } else {
        rect.right = rect.left + neededWidth;
    }
    SetWindowPos(m_hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER);
}

void CHyperLink::RepaintArea() {
    HWND parent = GetParent();
    if (!parent)
        return;
    RECT rect;
    GetClientRect(m_hwnd, &rect);
    MapWindowPoints(m_hwnd, parent, reinterpret_cast<POINT*>(&rect), 2);
    RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CHyperLink::RelayToToolTip(const CMessage& message) {
    // The sheet's own message loop knows nothing of the tooltip, so the control hands it the
    // mouse messages that the tooltip needs to show and hide itself.
    if (!m_tooltip)
        return;
    MSG msg = {m_hwnd,
               message.message,
               message.wParam,
               message.lParam,
               static_cast<DWORD>(GetMessageTime()),
               {}};
    DWORD pos = GetMessagePos();
    msg.pt.x = static_cast<short>(LOWORD(pos));
    msg.pt.y = static_cast<short>(HIWORD(pos));
    ::SendMessageW(m_tooltip.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

MessageTable CHyperLink::GetMessageTable() const {
    static const MessageEntry table[] = {
        OnMessage<&CHyperLink::OnSetCursor>(WM_SETCURSOR),
        OnMessage<&CHyperLink::OnMouseMove>(WM_MOUSEMOVE),
        OnMessage<&CHyperLink::OnMouseButton>(WM_LBUTTONDOWN),
        OnMessage<&CHyperLink::OnMouseButton>(WM_LBUTTONUP),
        OnMessage<&CHyperLink::OnMouseButton>(WM_MBUTTONDOWN),
        OnMessage<&CHyperLink::OnMouseButton>(WM_MBUTTONUP),
        OnMessage<&CHyperLink::OnMouseButton>(WM_RBUTTONDOWN),
        OnMessage<&CHyperLink::OnMouseButton>(WM_RBUTTONUP),
        OnMessage<&CHyperLink::OnCaptureChanged>(WM_CAPTURECHANGED),
        OnMessage<&CHyperLink::OnGetDlgCode>(WM_GETDLGCODE),
        OnMessage<&CHyperLink::OnKeyDown>(WM_KEYDOWN),
        OnMessage<&CHyperLink::OnFocusChanged>(WM_SETFOCUS),
        OnMessage<&CHyperLink::OnFocusChanged>(WM_KILLFOCUS),
        OnMessage<&CHyperLink::OnDestroy>(WM_DESTROY),
        OnMessage<&CHyperLink::OnCtlColor>(WM_CTLCOLORSTATIC),
        OnMessage<&CHyperLink::OnClicked>(WM_COMMAND),
        OnMessage<&CHyperLink::OnDrawItem>(WM_DRAWITEM),
    };
    return table;
}

void CHyperLink::OnSetCursor(CMessage& message) {
    if (m_linkCursor)
        SetCursor(m_linkCursor);
    message.result = m_linkCursor ? TRUE : FALSE;
}

void CHyperLink::OnMouseMove(CMessage& message) {
    RelayToToolTip(message);
    message.result = Default(message);
    if (!m_hovering) {
        m_hovering = true;
        SetCapture(m_hwnd);
        RepaintArea();
        return;
    }
    RECT client;
    GetClientRect(m_hwnd, &client);
    POINT point = {static_cast<short>(LOWORD(message.lParam)),
                   static_cast<short>(HIWORD(message.lParam))};
    if (!PtInRect(&client, point)) {
        m_hovering = false;
        ReleaseCapture();
        RepaintArea();
    }
}

void CHyperLink::OnMouseButton(CMessage& message) {
    RelayToToolTip(message);
    message.result = Default(message);
}

void CHyperLink::OnCaptureChanged(CMessage& message) {
    if (reinterpret_cast<HWND>(message.lParam) != m_hwnd && m_hovering) {
        m_hovering = false;
        RepaintArea();
    }
    message.result = Default(message);
}

void CHyperLink::OnGetDlgCode(CMessage& message) {
    message.result = Default(message) | DLGC_WANTCHARS;
}

void CHyperLink::OnKeyDown(CMessage& message) {
    if (message.wParam != VK_SPACE) {
        message.result = Default(message);
        return;
    }
    // Without a target the parent receives the click as usual.
    if (!OpenLink())
        ::PostMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), STN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hwnd));
}

void CHyperLink::OnFocusChanged(CMessage& message) {
    message.result = Default(message);
    RepaintArea();
}

void CHyperLink::OnDestroy(CMessage& message) {
    // The tooltip belongs to the control's life, not to the owner window's.
    m_tooltip.Reset();
    message.result = Default(message);
}

void CHyperLink::OnCtlColor(CMessage& message) {
    HDC dc = reinterpret_cast<HDC>(message.wParam);
    SetTextColor(dc, m_hovering ? m_hoverColor : m_normalColor);
    SetBkMode(dc, TRANSPARENT);
    message.result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void CHyperLink::OnClicked(CMessage& message) {
    // Without a target the parent receives the click as usual.
    message.handled = HIWORD(message.wParam) == STN_CLICKED && OpenLink();
}

void CHyperLink::OnDrawItem(CMessage& message) {
    message.result = TRUE;
    auto* drawItem = reinterpret_cast<DRAWITEMSTRUCT*>(message.lParam);
    RECT rect = drawItem->rcItem;
    HDC dc = drawItem->hDC;
    if (::GetFocus() == m_hwnd) {
        COLORREF previous = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawFocusRect(dc, &rect);
        SetTextColor(dc, previous);
    }
    if (!(drawItem->itemAction & ODA_DRAWENTIRE))
        return;

    CString text = GetWindowText();
    InflateRect(&rect, -2 * m_focusBorderX, -2 * m_focusBorderY);
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
