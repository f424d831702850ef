#include "debugger/DebuggerPage.h"

#include "base/PathUtils.h"
#include "debugger/AeDebug.h"
#include "debugger/DebuggerChoice.h"
#include "debugger/SavedRegistration.h"
#include "framework/ElevationPrompt.h"
#include "framework/FileDialogs.h"
#include "framework/MessageBoxes.h"
#include "resources/resource.h"

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
        OnMessage<&CDebuggerPage::OnDestroy>(WM_DESTROY),
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
        if (FindSavedRegistration(kNativeView) != SavedCopy::kNone) {
            CDebuggerEntry saved(DEBUGGER_SAVED, IDS_SAVED_REGISTRATION, nullptr, nullptr, false);
            ReadSavedRegistration(saved, kNativeView);
            m_debuggerList.Add(saved, m_debuggerList.GetCount() - 1);
        }
        // The stored values as they are, whichever catalogue entry matches their path.
        CDebuggerEntry stored;
        bool read = false;
        m_debuggerList.SelectEntry(SelectStoredEntry(catalogue, stored, read));
        if (read)
            ShowEntry(stored);
        else
            OnShowSelection();
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

void CDebuggerPage::OnDestroy(CMessage&) {
    // Before the page goes, while the handle still names the tooltip.
    m_wow64Tip.Reset();
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
    wchar_t systemDir[MAX_PATH];
    UINT dirLength = GetSystemDirectoryW(systemDir, MAX_PATH);
    if (dirLength == 0 || dirLength >= MAX_PATH)
        systemDir[0] = L'\0';
    wchar_t file[MAX_PATH];
    if (PickExecutable(systemDir, file))
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
    ReadAeDebugValues(native, kNativeView);
    ReadAeDebugValues(wow64, kWow64View);
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
        m_wow64Tip.Reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         m_hwnd, nullptr, nullptr, nullptr));
        TTTOOLINFOW tool = LineTool(line);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        if (m_wow64Tip)
            ::SendMessageW(m_wow64Tip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else if (m_wow64Tip) {
        TTTOOLINFOW tool = LineTool(line);
        ::SendMessageW(m_wow64Tip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return agree;
}

void CDebuggerPage::StartCompanion(const wchar_t* name, CButton& button) {
    // Checked again: the companion may have gone since the page opened, and a click posted to
    // the disabled button still arrives here. A folder of its name would open a folder window.
    wchar_t path[MAX_PATH];
    bool found = GetModuleRelativePath(name, path, MAX_PATH) && IsExistingFile(path);
    button.EnableWindow(found);
    // The user chose to run Corvane and its companions came with it: a zone mark copied from a
    // downloaded zip must not put the system's security warning between Break and the crash.
    // (Wine keeps no zone marks; only Windows shows the difference.)
    if (!found || !ShellOpen(m_hwnd, path, nullptr, SW_SHOWNORMAL, SEE_MASK_NOZONECHECKS))
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

    const ChoiceFault fault = CheckChoice(entry, m_path, m_parameters, m_autoStart);
    if (fault != ChoiceFault::kNone) {
        MessageBoxResource(ChoiceFaultText(fault), fault == ChoiceFault::kMissingExecutable
                                                       ? MB_ICONERROR
                                                       : MB_ICONEXCLAMATION);
        (fault == ChoiceFault::kEmptyParameters ? m_parametersEdit : m_pathEdit).SetFocus();
        return false;
    }

    // Refused, or an elevated instance was started that will close this one.
    if (!RequireElevation(IDS_ELEVATION_PROMPT))
        return false;

    // 32-bit programs read their own view of the key, which may not exist yet. The saved
    // registration comes back in the native view, and in the 32-bit one when it holds a copy.
    const REGSAM views[] = {kNativeView, kWow64View};
    const ChangeResult result =
        ApplyChoice(entry, views, m_wow64Check.GetCheck() == BST_CHECKED ? 2 : 1);
    if (!result.changed[0]) {
        MessageBoxResource(result.error == ERROR_INVALID_DATA && entry.IsSaved() ? IDS_SAVED_DAMAGED
                                                                                 : IDS_WRITE_FAILED,
                           MB_ICONEXCLAMATION);
        StayChanged();
        return true;
    }
    ReportApplied(result.succeeded);
    return true;
}

void CDebuggerPage::ReportApplied(bool wow64Done) {
    ShowWow64Registration();
    if (wow64Done) {
        SetModified(false);
        MessageBoxResource(IDS_DEBUGGER_SET, MB_ICONINFORMATION);
    } else {
        MessageBoxResource(IDS_WOW64_WRITE_FAILED, MB_ICONEXCLAMATION);
        StayChanged();
    }
}

void CDebuggerPage::StayChanged() {
    // The sheet takes an accepted apply for done and disables Apply once every page has answered;
    // marked again after that, the page keeps Apply for another try.
    ::PostMessageW(GetParent(), PSM_CHANGED, reinterpret_cast<WPARAM>(m_hwnd), 0);
}
