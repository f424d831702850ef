#include "app/CorvaneSheet.h"

#include "framework/WinApp.h"
#include "resources/resource.h"
#include "wer/ErrorReporting.h"
#include "app/InstanceNotify.h"

CCorvaneSheet::CCorvaneSheet(HWND parent, UINT startPage)
    : CPropertySheet(IDS_APP_TITLE, parent, startPage), m_instanceManager(FALSE) {
    m_hIcon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    AddPage(&m_debuggerPage);
    if (IsErrorReportingAvailable())
        AddPage(&m_werPage);
    AddPage(&m_aboutPage);
}

CCorvaneSheet::~CCorvaneSheet() = default;

void CCorvaneSheet::OnPreCreate(DLGTEMPLATE* dialogTemplate) {
    // No context-help button in the caption, and the sheet can be minimised.
    AdjustDialogTemplateStyle(dialogTemplate, WS_MINIMIZEBOX, DS_CONTEXTHELP, WS_EX_CONTEXTHELP);
}

void CCorvaneSheet::OnInitialized() {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
}

LRESULT CCorvaneSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_instanceNotifyMessage && message != 0) {
        OnInstanceNotify(wParam, static_cast<DWORD>(lParam));
        return 0;
    }
    return CPropertySheet::WindowProc(message, wParam, lParam);
}

void CCorvaneSheet::OnInstanceNotify(WPARAM code, DWORD id) {
    if (!m_instanceManager.IsSameInstance(id))
        return; // another program's instances
    if (code == INSTANCE_NOTIFY_ACTIVATE) {
        ShowWindow(m_hWnd, SW_RESTORE);
        SetForegroundWindow(m_hWnd);
    } else if (code == INSTANCE_NOTIFY_CLOSE) {
        // Ends the modal loop without any page applying its changes.
        PostQuitMessage(0);
    }
}
