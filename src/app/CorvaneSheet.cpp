#include "app/CorvaneSheet.h"

#include "app/InstanceNotify.h"
#include "resources/resource.h"
#include "wer/ErrorReporting.h"

namespace {
// The program's icon at the size the system asks for the metrics given, not a shrunk other one.
HICON LoadProgramIcon(int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), 0));
}
} // namespace

CCorvaneSheet::CCorvaneSheet(HWND parent, UINT startPage)
    : CPropertySheet(IDS_APP_TITLE, parent, startPage) {
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
    m_largeIcon.Reset(LoadProgramIcon(SM_CXICON, SM_CYICON));
    m_smallIcon.Reset(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    // An elevated instance must still hear the notices of an unelevated one; only this window
    // lets them through, not the whole process.
    ChangeWindowMessageFilterEx(m_hwnd, g_instanceNotifyMessage, MSGFLT_ALLOW, nullptr);
}

MessageTable CCorvaneSheet::GetMessageTable() const {
    static const MessageEntry table[] = {
        OnRegisteredMessage<&CCorvaneSheet::OnInstanceNotify>(g_instanceNotifyMessage)};
    return table;
}

void CCorvaneSheet::OnInstanceNotify(CMessage& message) {
    if (!m_instanceManager.IsSameInstance(static_cast<DWORD>(message.lParam)))
        return; // another program's instances
    if (message.wParam == kInstanceNotifyActivate) {
        // The sender granted this process the right to come forward before it sent the notice.
        if (IsIconic(m_hwnd))
            ShowWindow(m_hwnd, SW_RESTORE);
        SetForegroundWindow(m_hwnd);
    } else if (message.wParam == kInstanceNotifyClose) {
        // Ends the modal loop without any page applying its changes.
        PostQuitMessage(0);
    }
}
