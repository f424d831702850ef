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
constinit CSystemFunction<decltype(GetOpenFileNameW)> g_getOpenFileName;
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
    DDX_Control(dx, IDC_BREAK32, m_break32Button);
    DDX_Control(dx, IDC_WOW64_ALSO, m_wow64Check);
    DDX_Control(dx, IDC_WOW64_DEBUGGER, m_wow64Line);
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
        OnCommand<&CDebuggerPage::OnBreak32>(IDC_BREAK32, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PATH, EN_CHANGE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PATH, EN_UPDATE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PARAMETERS, EN_CHANGE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_PARAMETERS, EN_UPDATE),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_AUTOSTART, BN_CLICKED),
        OnCommand<&CDebuggerPage::OnChanged>(IDC_WOW64_ALSO, BN_CLICKED),
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

    // Checked when writing the 32-bit view as well loses nothing there.
    m_wow64Check.SetCheck(ShowWow64Registration() ? BST_CHECKED : BST_UNCHECKED);

    wchar_t raise[MAX_PATH];
    m_breakButton.EnableWindow(GetModuleRelativePath(L"raise.exe", raise, MAX_PATH) &&
                               IsExistingFile(raise));
    m_break32Button.EnableWindow(GetModuleRelativePath(L"raise32.exe", raise, MAX_PATH) &&
                                 IsExistingFile(raise));

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
    if (IsExistingFile(path))
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
    HWND sheet = GetMainWindowHandle();
    ofn.hwndOwner = sheet && IsWindow(sheet) ? GetLastActivePopup(sheet) : nullptr;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = systemDir[0] ? systemDir : nullptr;
    ofn.lpstrDefExt = L"exe";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
    auto* getOpenFileName = g_getOpenFileName.Get(L"comdlg32.dll", "GetOpenFileNameW");
    if (!getOpenFileName) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (getOpenFileName(&ofn))
        m_pathEdit.SetWindowText(file);
}

TTTOOLINFOW CDebuggerPage::LineTool(const wchar_t* text) const {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(m_wow64Line.GetHwnd());
    tool.lpszText = const_cast<wchar_t*>(text);
    return tool;
}

bool CDebuggerPage::ShowWow64Registration() {
    AeDebugValues native, wow64;
    ReadAeDebugValues(native);
    ReadAeDebugValues(wow64, KEY_WOW64_32KEY);
    const bool agree = NamesNoDebugger(wow64) || SameRegistration(native, wow64);
    CString line;
    if (!agree) {
        CString format, notText;
        format.LoadString(wow64.autoStart ? IDS_WOW64_DEBUGGER_AUTO : IDS_WOW64_DEBUGGER);
        notText.LoadString(IDS_WOW64_NOT_TEXT);
        line.Format(format, wow64.debuggerKind == AeDebugValues::kText ? wow64.debugger.GetString()
                                                                       : notText.GetString());
    }
    m_wow64Line.SetWindowText(line);
    ShowWindow(m_wow64Line.GetHwnd(), agree ? SW_HIDE : SW_SHOWNA);
    // The full line, which the static cuts to fit, also comes up as its tooltip. The tooltip is
    // made when the line first shows: most systems never show it, and every window made before
    // the sheet appears delays it.
    if (!agree && !m_wow64Tip) {
        m_wow64Tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     m_hwnd, nullptr, nullptr, nullptr);
        TTTOOLINFOW tool = LineTool(line);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        if (m_wow64Tip)
            ::SendMessageW(m_wow64Tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else if (m_wow64Tip) {
        TTTOOLINFOW tool = LineTool(line);
        ::SendMessageW(m_wow64Tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return agree;
}

void CDebuggerPage::StartCompanion(const wchar_t* name, CButton& button) {
    // Checked again: the companion may have gone since the page opened, and a click posted to
    // the disabled button still arrives here. A folder of its name would open a folder window.
    wchar_t path[MAX_PATH];
    bool found = GetModuleRelativePath(name, path, MAX_PATH) && IsExistingFile(path);
    button.EnableWindow(found);
    if (!found || !ShellOpen(m_hwnd, path, nullptr, SW_SHOWNORMAL))
        MessageBoxResource(IDS_BREAK_FAILED, MB_ICONEXCLAMATION);
}

void CDebuggerPage::OnBreak() {
    StartCompanion(L"raise.exe", m_breakButton);
}

void CDebuggerPage::OnBreak32() {
    StartCompanion(L"raise32.exe", m_break32Button);
}

bool CDebuggerPage::OnApply() {
    UpdateData(true);
    CDebuggerEntry entry;
    m_debuggerList.GetSelection(entry);

    if (entry.IsSaved()) {
        if (!RequireElevation(IDS_ELEVATION_PROMPT))
            return false;
        if (!RestoreAeDebug()) {
            MessageBoxResource(GetLastError() == ERROR_INVALID_DATA ? IDS_SAVED_DAMAGED
                                                                    : IDS_WRITE_FAILED,
                               MB_ICONEXCLAMATION);
            return true;
        }
        // The 32-bit view gets its own saved copy back, when it has one.
        const bool wow64Restored = m_wow64Check.GetCheck() != BST_CHECKED ||
                                   !HasSavedRegistration(KEY_WOW64_32KEY) ||
                                   RestoreAeDebug(KEY_WOW64_32KEY);
        ReportApplied(wow64Restored);
        return true;
    }

    if (!entry.IsNone()) {
        if (m_path.IsEmpty()) {
            MessageBoxResource(IDS_EMPTY_PATH, MB_ICONEXCLAMATION);
            m_pathEdit.SetFocus();
            return false;
        }
        if (!IsExistingFile(m_path)) {
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

    // The first replacement in each view saves the registration it replaces.
    if (!ReplaceAeDebug(entry)) {
        MessageBoxResource(IDS_WRITE_FAILED, MB_ICONEXCLAMATION);
        return true;
    }
    // 32-bit programs read their own view of the key, which may not exist yet.
    const bool wow64Written =
        m_wow64Check.GetCheck() != BST_CHECKED || ReplaceAeDebug(entry, KEY_WOW64_32KEY);
    ReportApplied(wow64Written);
    return true;
}

void CDebuggerPage::ReportApplied(bool wow64Done) {
    ShowWow64Registration();
    if (wow64Done) {
        SetModified(false);
        MessageBoxResource(IDS_DEBUGGER_SET, MB_ICONINFORMATION);
    } else {
        MessageBoxResource(IDS_WOW64_WRITE_FAILED, MB_ICONEXCLAMATION);
    }
}
