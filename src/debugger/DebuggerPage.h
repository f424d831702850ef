// The first page of the sheet: which debugger AeDebug names, the choice of another one, its
// parameters and automatic start, its own configuration, whether 32-bit programs get the same
// registration, and a test crash through raise.exe or raise32.exe.
#pragma once

#include "base/Handle.h"
#include "debugger/DebuggerComboBox.h"
#include "framework/PropertyPage.h"

class CDebuggerPage : public CPropertyPage {
public:
    CDebuggerPage();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnApply() override;
    MessageTable GetMessageTable() const override;

private:
    // Shows a record's values and enables the controls its kind allows.
    void ShowEntry(const CDebuggerEntry& entry);

    void OnShowSelection();
    void OnChanged();
    void OnDestroy(CMessage& message);
    void OnConfigure();
    void OnBrowse();
    void OnBreak();
    void OnBreak32();
    // Starts a crash companion from the program's own folder; says so when it cannot.
    void StartCompanion(const wchar_t* name, CButton& button);
    // Shows what 32-bit programs use when it differs from the native registration; true when
    // the views agree or the 32-bit one names no debugger.
    bool ShowWow64Registration();
    // After a change: the 32-bit line again, then success or the 32-bit view's failure.
    void ReportApplied(bool wow64Done);
    // After a write that failed: Apply stays enabled, so the user can try again.
    void StayChanged();
    // The tooltip's record of that line.
    TTTOOLINFOW LineTool(const wchar_t* text) const;

    CDebuggerComboBox m_debuggerList;
    CEdit m_pathEdit;
    CEdit m_parametersEdit;
    CButton m_configureButton;
    CButton m_browseButton;
    CButton m_defaultButton;
    CButton m_autoStartCheck;
    CButton m_breakButton;
    CButton m_break32Button;
    CButton m_wow64Check; // not exchanged: showing a record leaves it as the user set it
    CStatic m_wow64Line;
    CWindowHandle m_wow64Tip;

    // The values the controls show.
    CString m_path;
    CString m_parameters;
    bool m_autoStart = false;
};
