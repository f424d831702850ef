#include "framework/PropertyPage.h"

#include "framework/WinApp.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (hwnd && control.SubclassWindow(hwnd))
        dx->m_pDlgWnd->RegisterControl(&control);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (!dx->m_bSaveAndValidate) {
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

void DDX_Check(CDataExchange* dx, int id, BOOL& value) {
    HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (dx->m_bSaveAndValidate)
        value = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
        SendMessageW(hwnd, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

CPropertyPage::CPropertyPage(UINT templateId) : m_templateId(templateId), m_psp() {
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = DialogProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

CPropertyPage::~CPropertyPage() = default;

BOOL CPropertyPage::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CPropertyPage::SetModified(BOOL changed) {
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet)
        ::SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED,
                       reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CPropertyPage::RegisterControl(CWnd* control) {
    m_controls.Add(control);
}

BOOL CPropertyPage::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

const CPropertyPage::CommandEntry* CPropertyPage::GetCommandTable(int* count) const {
    *count = 0;
    return nullptr;
}

BOOL CPropertyPage::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

CWnd* CPropertyPage::FindControl(HWND hwnd) const {
    if (!hwnd)
        return nullptr;
    for (int i = 0; i < m_controls.GetCount(); ++i) {
        if (m_controls[i]->m_hWnd == hwnd)
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
        page->m_hWnd = hwnd;
    } else {
        page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!page)
        return FALSE;
    INT_PTR result = page->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        page->m_controls.RemoveAll();
        page->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == PSN_APPLY) {
            LONG_PTR answer = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, answer);
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        HWND source = reinterpret_cast<HWND>(lParam);
        if (CWnd* control = FindControl(source)) {
            if (control->OnChildNotify(message, wParam, lParam, &result))
                return TRUE;
        }
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        int count = 0;
        const CommandEntry* table = GetCommandTable(&count);
        for (int i = 0; i < count; ++i) {
            if (table[i].id == id && table[i].code == code) {
                (this->*table[i].handler)();
                return TRUE;
            }
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
        if (CWnd* control = FindControl(reinterpret_cast<HWND>(lParam))) {
            // A WM_CTLCOLOR* answer is the brush itself, not a DWLP_MSGRESULT value.
            if (control->OnChildNotify(message, wParam, lParam, &result))
                return static_cast<INT_PTR>(result);
        }
        break;
    case WM_DRAWITEM:
        if (CWnd* control = FindControl(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem)) {
            if (control->OnChildNotify(message, wParam, lParam, &result))
                return TRUE;
        }
        break;
    default:
        break;
    }
    if (OnMessage(message, wParam, lParam, &result)) {
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}
