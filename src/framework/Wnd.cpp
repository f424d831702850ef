#include "framework/Wnd.h"

#include "base/Array.h"

namespace {
// A window subclassed by a wrapper: its procedure before, and the wrapper (null once the wrapper
// is gone while another subclass sat on top; the window then only passes its messages on). Kept
// in the process, not in window properties: under Wine every property lookup, which the common
// controls' subclassing makes twice for every message, is a call into the server.
struct Subclass {
    HWND hwnd;
    CWnd* wnd;
    WNDPROC previous;
};
CSimpleArray<Subclass> g_subclasses;

Subclass* FindSubclass(HWND hwnd) {
    for (int i = 0; i < g_subclasses.GetCount(); ++i) {
        if (g_subclasses[i].hwnd == hwnd)
            return &g_subclasses[i];
    }
    return nullptr;
}
} // namespace

CWnd::~CWnd() {
    Subclass* subclass = m_subclassed && m_hwnd ? FindSubclass(m_hwnd) : nullptr;
    if (!subclass)
        return;
    subclass->wnd = nullptr;
    // Only a procedure still on top can be taken out; otherwise it stays and passes messages on.
    if (GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(WindowProc)) {
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass->previous));
        subclass->hwnd = nullptr;
    }
}

CString CWnd::GetWindowText() const {
    CString text;
    int length = GetWindowTextLengthW(m_hwnd);
    if (wchar_t* buffer = text.GetBuffer(length)) {
        ::GetWindowTextW(m_hwnd, buffer, length + 1);
        text.ReleaseBuffer();
    }
    return text;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_subclassed || FindSubclass(hwnd))
        return false;
    Subclass* slot = FindSubclass(nullptr);
    if (!slot) {
        if (!g_subclasses.Add({}))
            return false;
        slot = &g_subclasses[g_subclasses.GetCount() - 1];
    }
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    if (!previous)
        return false;
    *slot = {hwnd, this, previous};
    m_hwnd = hwnd;
    m_subclassed = true;
    OnSubclassed();
    return true;
}

bool CWnd::Bind(HWND hwnd) {
    if (GetMessageTable().count)
        return SubclassWindow(hwnd);
    if (!hwnd || m_hwnd)
        return false;
    Attach(hwnd);
    return true;
}

bool CWnd::Dispatch(CMessage& message) {
    // A message that could not be registered is 0: WM_NULL is never one of ours.
    if (message.message == WM_NULL)
        return false;
    MessageTable table = GetMessageTable();
    for (int i = 0; i < table.count; ++i) {
        const MessageEntry& row = table.rows[i];
        if ((row.registered ? *row.registered : row.message) != message.message ||
            (row.command &&
             (LOWORD(message.wParam) != row.id || HIWORD(message.wParam) != row.code)))
            continue;
        message.result = 0;
        message.handled = true;
        row.handler(this, message);
        return message.handled;
    }
    return false;
}

LRESULT CWnd::Default(const CMessage& message) {
    Subclass* subclass = FindSubclass(m_hwnd);
    return subclass ? CallWindowProcW(subclass->previous, m_hwnd, message.message, message.wParam,
                                      message.lParam)
                    : DefWindowProcW(m_hwnd, message.message, message.wParam, message.lParam);
}

LRESULT CALLBACK CWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass* subclass = FindSubclass(hwnd);
    if (!subclass)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC previous = subclass->previous;
    CWnd* self = subclass->wnd;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        subclass->hwnd = nullptr;
        if (self) {
            self->m_subclassed = false;
            self->m_hwnd = nullptr;
        }
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    CMessage routed = {message, wParam, lParam};
    if (self && self->Dispatch(routed))
        return routed.result;
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}
