#include "framework/PropertyPage.h"

namespace {
// The control a notification is about, for the messages that a page passes to its controls.
HWND NotifyingControl(UINT message, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    case WM_DRAWITEM:
        return reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
    default:
        return nullptr;
    }
}
} // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.GetHwnd())
        return;
    HWND hwnd = ::GetDlgItem(dx->page->GetHwnd(), id);
    if (hwnd && control.Bind(hwnd))
        dx->page->RegisterControl(&control);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND hwnd = ::GetDlgItem(dx->page->GetHwnd(), id);
    if (!dx->saveAndValidate) {
        SetWindowTextW(hwnd, value);
        return;
    }
    CString text;
    int length = GetWindowTextLengthW(hwnd);
    if (wchar_t* buffer = text.GetBuffer(length)) {
        GetWindowTextW(hwnd, buffer, length + 1);
        text.ReleaseBuffer();
        value = static_cast<CString&&>(text);
    }
}

void DDX_Check(CDataExchange* dx, int id, bool& value) {
    HWND hwnd = ::GetDlgItem(dx->page->GetHwnd(), id);
    if (dx->saveAndValidate)
        value = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
        SendMessageW(hwnd, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

CPropertyPage::CPropertyPage(UINT templateId) : m_psp() {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = GetModuleHandleW(nullptr);
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = DialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

CPropertyPage::~CPropertyPage() = default;

void CPropertyPage::UpdateData(bool saveAndValidate) {
    CDataExchange dx = {this, saveAndValidate};
    DoDataExchange(&dx);
}

void CPropertyPage::SetModified(bool changed) {
    HWND sheet = ::GetParent(m_hwnd);
    if (sheet)
        ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED,
                       reinterpret_cast<WPARAM>(m_hwnd), 0);
}

void CPropertyPage::RegisterControl(CWnd* control) {
    m_controls.Add(control);
}

bool CPropertyPage::OnInitDialog() {
    UpdateData(false);
    return true;
}

CWnd* CPropertyPage::FindControl(HWND hwnd) const {
    if (!hwnd)
        return nullptr;
    for (int i = 0; i < m_controls.GetCount(); ++i) {
        if (m_controls[i]->GetHwnd() == hwnd)
            return m_controls[i];
    }
    return nullptr;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* page;
    if (message == WM_INITDIALOG) {
        // The sheet passes a copy of the page's PROPSHEETPAGEW; its lParam is the page object.
        page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hwnd = hwnd;
    } else {
        page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!page)
        return FALSE;
    INT_PTR result = page->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        for (int i = 0; i < page->m_controls.GetCount(); ++i)
            page->m_controls[i]->ReleaseAttached();
        page->m_controls.RemoveAll();
        page->m_hwnd = nullptr;
    }
    return result;
}

INT_PTR CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    if (message == WM_NOTIFY) {
        // Only the page's own sheet speaks for the sheet.
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == PSN_APPLY && header->hwndFrom == ::GetParent(m_hwnd)) {
            LONG_PTR answer = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, answer);
            return TRUE;
        }
    }
    // A control's notification goes to its object first; what that passes on, to the page.
    CMessage routed = {message, wParam, lParam};
    CWnd* control = FindControl(NotifyingControl(message, lParam));
    if (!(control && control->Dispatch(routed)) && !Dispatch(routed))
        return FALSE;
    // A WM_CTLCOLOR* answer is the brush itself; any other goes into DWLP_MSGRESULT.
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return static_cast<INT_PTR>(routed.result);
    SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, routed.result);
    return TRUE;
}
