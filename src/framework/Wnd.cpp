#include "framework/Wnd.h"

#include <commctrl.h>

CWnd::~CWnd() {
    if (m_subclassed && m_hwnd)
        RemoveWindowSubclass(m_hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
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
    if (!hwnd || m_subclassed)
        return false;
    if (!SetWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this), 0))
        return false;
    m_hwnd = hwnd;
    m_subclassed = true;
    OnSubclassed();
    return true;
}

bool CWnd::Dispatch(CMessage& message) {
    // A message that could not be registered is 0: WM_NULL is never one of ours.
    if (message.message == WM_NULL)
        return false;
    MessageTable table = GetMessageTable();
    for (int i = 0; i < table.count; ++i) {
        const MessageEntry& row = table.rows[i];
        if (row.message != message.message || (row.command && (LOWORD(message.wParam) != row.id ||
                                                               HIWORD(message.wParam) != row.code)))
            continue;
        message.result = 0;
        message.handled = true;
        row.handler(this, message);
        return message.handled;
    }
    return false;
}

LRESULT CWnd::Default(const CMessage& message) {
    return DefSubclassProc(m_hwnd, message.message, message.wParam, message.lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR) {
    auto* self = reinterpret_cast<CWnd*>(id);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, id);
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        self->m_subclassed = false;
        self->m_hwnd = nullptr;
        return result;
    }
    CMessage routed = {message, wParam, lParam};
    if (self->Dispatch(routed))
        return routed.result;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
