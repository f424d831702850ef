#include "wer/WerPage.h"

#include <shlobj.h>

#include "base/PathUtils.h"
#include "base/SystemFunction.h"
#include "resources/resource.h"
#include "wer/ErrorReporting.h"

namespace {
// The shell is loaded when the report folder is opened.
constinit CSystemFunction<decltype(SHGetFolderPathW)> g_getFolderPath;
} // namespace

CWerPage::CWerPage() : CPropertyPage(IDD_WER) {}

void CWerPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_WER_ENABLE, m_reporting);
    DDX_Control(dx, IDC_WER_FORCEQUEUE, m_queueing);
}

bool CWerPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();

    // The registry is the only store: the boxes mirror it once, as the page is created. A read
    // that fails leaves 0, so reporting shows enabled and queueing not forced.
    m_reporting.SetCheck(IsErrorReportingEnabled() ? BST_CHECKED : BST_UNCHECKED);
    m_queueing.SetCheck(IsReportQueueingForced() ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

MessageTable CWerPage::GetMessageTable() const {
    static const MessageEntry table[] = {
        OnCommand<&CWerPage::OnReportingClicked>(IDC_WER_ENABLE, BN_CLICKED),
        OnCommand<&CWerPage::OnQueueingClicked>(IDC_WER_FORCEQUEUE, BN_CLICKED),
        OnCommand<&CWerPage::OnOpenReportFolder>(IDC_WER_OPENFOLDER, BN_CLICKED),
    };
    return table;
}

void CWerPage::OnReportingClicked() {
    // The automatic check box has already changed its own state. Failed writes are not
    // reported: the box keeps the state the user gave it.
    SetErrorReportingEnabled(m_reporting.GetCheck() == BST_CHECKED);
}

void CWerPage::OnQueueingClicked() {
    SetReportQueueingForced(m_queueing.GetCheck() == BST_CHECKED);
}

void CWerPage::OnOpenReportFolder() {
    wchar_t path[MAX_PATH];
    auto* getFolderPath = g_getFolderPath.Get(L"shell32.dll", "SHGetFolderPathW");
    if (!getFolderPath ||
        FAILED(getFolderPath(m_hwnd, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return;
    // A path that would not fit is not opened in a cut-off form.
    if (!AppendPath(path, MAX_PATH, L"Microsoft\\Windows\\WER\\ReportQueue"))
        return;
    ShellOpen(path);
}
