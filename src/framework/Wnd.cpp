#include "framework/Wnd.h"

#include <commctrl.h>

CWnd::~CWnd() {
    if (m_subclassed && m_hWnd)
        RemoveWindowSubclass(m_hWnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
}

CString CWnd::GetWindowText() const {
    CString text;
    int length = GetWindowTextLengthW(m_hWnd);
    if (wchar_t* buffer = text.GetBuffer(length)) {
        ::GetWindowTextW(m_hWnd, buffer, length + 1);
        text.ReleaseBuffer();
    }
    return text;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_subclassed)
        return FALSE;
    if (!SetWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this), 0))
        return FALSE;
    m_hWnd = hwnd;
    m_subclassed = true;
    OnSubclassed();
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return TRUE;
    }
    return FALSE;
}

void CWnd::DrawItem(DRAWITEMSTRUCT*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR) {
    auto* self = reinterpret_cast<CWnd*>(id);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, id);
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        self->m_subclassed = false;
        self->m_hWnd = nullptr;
        return result;
    }
    return self->WindowProc(message, wParam, lParam);
}
