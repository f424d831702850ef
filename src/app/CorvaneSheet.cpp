#include "app/CorvaneSheet.h"

#include "app/InstanceNotify.h"
#include "framework/WinApp.h"
#include "resources/resource.h"
#include "wer/ErrorReporting.h"

CCorvaneSheet::CCorvaneSheet(HWND parent, UINT startPage)
    : CPropertySheet(IDS_APP_TITLE, parent, startPage), m_instanceManager(false) {
    m_icon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    AddPage(&m_debuggerPage);
    if (IsErrorReportingAvailable())
        AddPage(&m_werPage);
    AddPage(&m_dumpsPage);
    AddPage(&m_aboutPage);
}

CCorvaneSheet::~CCorvaneSheet() = default;

void CCorvaneSheet::OnPreCreate(DLGTEMPLATE* dialogTemplate) {
    // No context-help button in the caption, and the sheet can be minimised.
    AdjustDialogTemplateStyle(dialogTemplate, WS_MINIMIZEBOX, DS_CONTEXTHELP, WS_EX_CONTEXTHELP);
}

void CCorvaneSheet::OnInitialized() {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
}

MessageTable CCorvaneSheet::GetMessageTable() const {
    // The registered message's number is known only at run time.
    static MessageEntry table[] = {OnMessage<&CCorvaneSheet::OnInstanceNotify>(WM_NULL)};
    table[0].message = g_instanceNotifyMessage;
    return table;
}

void CCorvaneSheet::OnInstanceNotify(CMessage& message) {
    if (!m_instanceManager.IsSameInstance(static_cast<DWORD>(message.lParam)))
        return; // another program's instances
    if (message.wParam == INSTANCE_NOTIFY_ACTIVATE) {
        ShowWindow(m_hwnd, SW_RESTORE);
        SetForegroundWindow(m_hwnd);
    } else if (message.wParam == INSTANCE_NOTIFY_CLOSE) {
        // Ends the modal loop without any page applying its changes.
        PostQuitMessage(0);
    }
}
