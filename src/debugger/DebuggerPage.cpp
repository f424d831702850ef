#include "debugger/DebuggerPage.h"

#include <commdlg.h>
#include <shlwapi.h>

#include "framework/WinApp.h"
#include "privileges/Elevation.h"
#include "framework/MessageBoxes.h"
#include "resources/resource.h"
#include "debugger/AeDebug.h"
#include "base/PathUtils.h"

CDebuggerPage::CDebuggerPage() : CPropertyPage(IDD_DEBUGGER) {}

void CDebuggerPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_DEBUGGER_LIST, m_debuggers);
    DDX_Control(dx, IDC_PATH, m_path);
    DDX_Control(dx, IDC_PARAMETERS, m_parameters);
    DDX_Control(dx, IDC_CONFIGURE, m_configure);
    DDX_Control(dx, IDC_BROWSE, m_browse);
    DDX_Control(dx, IDC_DEFAULT, m_default);
    DDX_Control(dx, IDC_AUTOSTART, m_autoStart);
    DDX_Control(dx, IDC_BREAK, m_break);
    DDX_Text(dx, IDC_PATH, m_strPath);
    DDX_Text(dx, IDC_PARAMETERS, m_strParameters);
    DDX_Check(dx, IDC_AUTOSTART, m_bAutoStart);
}

const CPropertyPage::CommandEntry* CDebuggerPage::GetCommandTable(int* count) const {
    static const CommandEntry table[] = {
        OnCommand<CDebuggerPage>(IDC_DEBUGGER_LIST, CBN_SELCHANGE, &CDebuggerPage::OnShowSelection),
        OnCommand<CDebuggerPage>(IDC_DEFAULT, BN_CLICKED, &CDebuggerPage::OnShowSelection),
        OnCommand<CDebuggerPage>(IDC_CONFIGURE, BN_CLICKED, &CDebuggerPage::OnConfigure),
        OnCommand<CDebuggerPage>(IDC_BROWSE, BN_CLICKED, &CDebuggerPage::OnBrowse),
        OnCommand<CDebuggerPage>(IDC_BREAK, BN_CLICKED, &CDebuggerPage::OnBreak),
        OnCommand<CDebuggerPage>(IDC_PATH, EN_CHANGE, &CDebuggerPage::OnChanged),
        OnCommand<CDebuggerPage>(IDC_PATH, EN_UPDATE, &CDebuggerPage::OnChanged),
        OnCommand<CDebuggerPage>(IDC_PARAMETERS, EN_CHANGE, &CDebuggerPage::OnChanged),
        OnCommand<CDebuggerPage>(IDC_PARAMETERS, EN_UPDATE, &CDebuggerPage::OnChanged),
        OnCommand<CDebuggerPage>(IDC_AUTOSTART, BN_CLICKED, &CDebuggerPage::OnChanged),
    };
    *count = static_cast<int>(sizeof(table) / sizeof(table[0]));
    return table;
}

BOOL CDebuggerPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();

    CSimpleArray<CDebuggerEntry> catalogue;
    bool shown = LoadDebuggerCatalogue(catalogue);
    if (shown) {
        m_debuggers.Fill(catalogue);
        CDebuggerEntry stored;
        if (ReadAeDebug(stored)) {
            // The stored values as they are, whichever catalogue entry matches their path.
            m_debuggers.SelectByPath(stored);
            ShowEntry(stored);
        } else {
            m_debuggers.SetCurSel(0);
            OnShowSelection();
        }
    } else {
        MessageBoxResource(IDS_OUT_OF_MEMORY, MB_ICONERROR);
        m_debuggers.EnableWindow(FALSE);
    }

    wchar_t raise[MAX_PATH];
    m_break.EnableWindow(GetModuleRelativePath(L"raise.exe", raise, MAX_PATH) &&
                         PathFileExistsW(raise));

    // A change mark sent while the sheet is still creating this page does not reach its Apply
    // button (the sheet sets its buttons up afterwards); repeat it once the sheet is ready.
    if (shown)
        ::PostMessageW(GetParent(), PSM_CHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
}

void CDebuggerPage::ShowEntry(const CDebuggerEntry& entry) {
    bool some = !entry.IsNone();
    m_parameters.EnableWindow(some);
    m_autoStart.EnableWindow(some);
    m_default.EnableWindow(some);
    m_configure.EnableWindow(entry.IsConfigurable());
    m_browse.EnableWindow(entry.IsCustom());

    m_strPath = entry.GetPath();
    m_strParameters = entry.GetParameters();
    m_bAutoStart = entry.IsAutoStart();
    UpdateData(FALSE);
    SetModified(TRUE);
}

void CDebuggerPage::OnShowSelection() {
    CDebuggerEntry entry;
    if (m_debuggers.GetSelection(entry))
        ShowEntry(entry);
}

void CDebuggerPage::OnChanged() {
    SetModified(TRUE);
}

void CDebuggerPage::OnConfigure() {
    CString path = m_path.GetWindowText();
    if (PathFileExistsW(path))
        ShellOpen(path);
    else
        MessageBoxResource(IDS_EXE_MISSING, MB_ICONEXCLAMATION);
}

void CDebuggerPage::OnBrowse() {
    // The resource separates description and pattern with '|'; the dialog wants NULs.
    CString filter;
    filter.LoadString(IDS_EXE_FILTER);
    int length = filter.GetLength();
    wchar_t* chars = filter.GetBuffer(length + 1);
    if (!chars)
        return;
    for (int i = 0; i < length; ++i) {
        if (chars[i] == L'|')
            chars[i] = L'\0';
    }
    chars[length] = L'\0';
    filter.ReleaseBuffer(length);

    wchar_t systemDir[MAX_PATH];
    UINT dirLength = GetSystemDirectoryW(systemDir, MAX_PATH);
    if (dirLength == 0 || dirLength >= MAX_PATH)
        systemDir[0] = L'\0';

    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    // No owner of the page's own choosing: like every box of the program, the dialog belongs to
    // the sheet (or the pop-up last active over it), so the sheet waits while it is open.
    HWND sheet = AfxGetMainHwnd();
    ofn.hwndOwner = sheet && IsWindow(sheet) ? GetLastActivePopup(sheet) : nullptr;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = systemDir[0] ? systemDir : nullptr;
    ofn.lpstrDefExt = L"exe";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
    if (GetOpenFileNameW(&ofn))
        m_path.SetWindowText(file);
}

void CDebuggerPage::OnBreak() {
    wchar_t raise[MAX_PATH];
    if (!GetModuleRelativePath(L"raise.exe", raise, MAX_PATH))
        return;
    if (!ShellOpen(m_hWnd, raise, nullptr, SW_SHOWNORMAL))
        MessageBoxResource(IDS_BREAK_FAILED, MB_ICONEXCLAMATION);
}

BOOL CDebuggerPage::OnApply() {
    UpdateData(TRUE);
    CDebuggerEntry entry;
    m_debuggers.GetSelection(entry);

    if (!entry.IsNone()) {
        if (m_strPath.IsEmpty()) {
            MessageBoxResource(IDS_EMPTY_PATH, MB_ICONEXCLAMATION);
            m_path.SetFocus();
            return FALSE;
        }
        if (!PathFileExistsW(m_strPath)) {
            MessageBoxResource(IDS_EXE_MISSING, MB_ICONERROR);
            m_path.SetFocus();
            return FALSE;
        }
        if (m_strParameters.IsEmpty()) {
            MessageBoxResource(IDS_EMPTY_PARAMETERS, MB_ICONEXCLAMATION);
            m_parameters.SetFocus();
            return FALSE;
        }
        entry.Set(m_strPath, m_strParameters, m_bAutoStart);
    }

    // Refused, or an elevated instance was started that will close this one.
    if (!RequireElevation(IDS_ELEVATION_PROMPT))
        return FALSE;

    if (WriteAeDebug(entry)) {
        SetModified(FALSE);
        MessageBoxResource(IDS_DEBUGGER_SET, MB_ICONINFORMATION);
    } else {
        MessageBoxResource(IDS_WRITE_FAILED, MB_ICONEXCLAMATION);
    }
    return TRUE;
}
