#include "debugger/DebuggerPage.h"

#include <commdlg.h>

#include "base/PathUtils.h"
#include "base/SystemFunction.h"
#include "debugger/AeDebug.h"
#include "debugger/SavedRegistration.h"
#include "framework/MessageBoxes.h"
#include "framework/WinApp.h"
#include "privileges/Elevation.h"
#include "resources/resource.h"

namespace {
// The file dialogs are loaded when Browse... is pressed.
constinit CSystemFunction<decltype(GetOpenFileNameW)> g_getOpenFileName(L"comdlg32.dll",
                                                                        "GetOpenFileNameW");
} // namespace

CDebuggerPage::CDebuggerPage() : CPropertyPage(IDD_DEBUGGER) {}

void CDebuggerPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_DEBUGGER_LIST, m_debuggerList);
    DDX_Control(dx, IDC_PATH, m_pathEdit);
    DDX_Control(dx, IDC_PARAMETERS, m_parametersEdit);
    DDX_Control(dx, IDC_CONFIGURE, m_configureButton);
    DDX_Control(dx, IDC_BROWSE, m_browseButton);
    DDX_Control(dx, IDC_DEFAULT, m_defaultButton);
    DDX_Control(dx, IDC_AUTOSTART, m_autoStartCheck);
    DDX_Control(dx, IDC_BREAK, m_breakButton);
    DDX_Text(dx, IDC_PATH, m_path);
    DDX_Text(dx, IDC_PARAMETERS, m_parameters);
    DDX_Check(dx, IDC_AUTOSTART, m_autoStart);
}

MessageTable CDebuggerPage::GetMessageTable() const {
    static const MessageEntry table[] = {
        OnCommand<&CDebuggerPage::OnShowSelection>(IDC_DEBUGGER_LIST, CBN_SELCHANGE),
        OnCommand<&CDebuggerPage::OnShowSelection>(IDC_DEFAULT, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnConfigure>(IDC_CONFIGURE, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnBrowse>(IDC_BROWSE, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnBreak>(IDC_BREAK, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PATH, EN_CHANGE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PATH, EN_UPDATE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PARAMETERS, EN_CHANGE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PARAMETERS, EN_UPDATE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_AUTOSTART, BN_CLICKED),
    };
    return table;
}

bool CDebuggerPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();

    CSimpleArray<CDebuggerEntry> catalogue;
    bool shown = LoadDebuggerCatalogue(catalogue);
    if (shown) {
        m_debuggerList.Fill(catalogue);
        // The registration saved before the first replacement, offered last but one; what of
        // it cannot be read shows empty.
        if (HasSavedRegistration()) {
            CDebuggerEntry saved(DEBUGGER_SAVED, IDS_SAVED_REGISTRATION, nullptr, nullptr, false);
            ReadSavedRegistration(saved);
            m_debuggerList.Add(saved, m_debuggerList.GetCount() - 1);
        }
        CDebuggerEntry stored;
        if (ReadAeDebug(stored)) {
            // The stored values as they are, whichever catalogue entry matches their path.
            m_debuggerList.SelectByPath(stored);
            ShowEntry(stored);
        } else {
            m_debuggerList.SetCurSel(0);
            OnShowSelection();
        }
    } else {
        MessageBoxResource(IDS_OUT_OF_MEMORY, MB_ICONERROR);
        m_debuggerList.EnableWindow(false);
    }

    wchar_t raise[MAX_PATH];
    m_breakButton.EnableWindow(GetModuleRelativePath(L"raise.exe", raise, MAX_PATH) &&
                               FileExists(raise));

    // A change mark sent while the sheet is still creating this page does not reach its Apply
    // button (the sheet sets its buttons up afterwards); repeat it once the sheet is ready.
    if (shown)
        ::PostMessageW(GetParent(), PSM_CHANGED, reinterpret_cast<WPARAM>(m_hwnd), 0);
    return true;
}

void CDebuggerPage::ShowEntry(const CDebuggerEntry& entry) {
    // The saved registration is restored as it was stored: nothing of it can be edited.
    bool some = !entry.IsNone() && !entry.IsSaved();
    m_parametersEdit.EnableWindow(some);
    m_autoStartCheck.EnableWindow(some);
    m_defaultButton.EnableWindow(some);
    m_configureButton.EnableWindow(entry.IsConfigurable());
    m_browseButton.EnableWindow(entry.IsCustom());

    m_path = entry.GetPath();
    m_parameters = entry.GetParameters();
    m_autoStart = entry.IsAutoStart();
    UpdateData(false);
    SetModified(true);
}

void CDebuggerPage::OnShowSelection() {
    CDebuggerEntry entry;
    if (m_debuggerList.GetSelection(entry))
        ShowEntry(entry);
}

void CDebuggerPage::OnChanged() {
    SetModified(true);
}

void CDebuggerPage::OnConfigure() {
    CString path = m_pathEdit.GetWindowText();
    if (FileExists(path))
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
    auto* getOpenFileName = g_getOpenFileName.Get();
    if (!getOpenFileName) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (getOpenFileName(&ofn))
        m_pathEdit.SetWindowText(file);
}

void CDebuggerPage::OnBreak() {
    wchar_t raise[MAX_PATH];
    if (!GetModuleRelativePath(L"raise.exe", raise, MAX_PATH))
        return;
    if (!ShellOpen(m_hwnd, raise, nullptr, SW_SHOWNORMAL))
        MessageBoxResource(IDS_BREAK_FAILED, MB_ICONEXCLAMATION);
}

bool CDebuggerPage::OnApply() {
    UpdateData(true);
    CDebuggerEntry entry;
    m_debuggerList.GetSelection(entry);

    if (entry.IsSaved()) {
        if (!RequireElevation(IDS_ELEVATION_PROMPT))
            return false;
        if (RestoreAeDebug()) {
            SetModified(false);
            MessageBoxResource(IDS_DEBUGGER_SET, MB_ICONINFORMATION);
        } else {
            MessageBoxResource(GetLastError() == ERROR_INVALID_DATA ? IDS_SAVED_DAMAGED
                                                                    : IDS_WRITE_FAILED,
                               MB_ICONEXCLAMATION);
        }
        return true;
    }

    if (!entry.IsNone()) {
        if (m_path.IsEmpty()) {
            MessageBoxResource(IDS_EMPTY_PATH, MB_ICONEXCLAMATION);
            m_pathEdit.SetFocus();
            return false;
        }
        if (!FileExists(m_path)) {
            MessageBoxResource(IDS_EXE_MISSING, MB_ICONERROR);
            m_pathEdit.SetFocus();
            return false;
        }
        if (m_parameters.IsEmpty()) {
            MessageBoxResource(IDS_EMPTY_PARAMETERS, MB_ICONEXCLAMATION);
            m_parametersEdit.SetFocus();
            return false;
        }
        entry.Set(m_path, m_parameters, m_autoStart);
    }

    // Refused, or an elevated instance was started that will close this one.
    if (!RequireElevation(IDS_ELEVATION_PROMPT))
        return false;

    // The first replacement saves the registration it replaces.
    if (ReplaceAeDebug(entry)) {
        SetModified(false);
        MessageBoxResource(IDS_DEBUGGER_SET, MB_ICONINFORMATION);
    } else {
        MessageBoxResource(IDS_WRITE_FAILED, MB_ICONEXCLAMATION);
    }
    return true;
}
