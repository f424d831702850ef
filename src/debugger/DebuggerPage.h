// The first page of the sheet: which debugger AeDebug names, the choice of another one, its
// parameters and automatic start, its own configuration, and a test crash through raise.exe.
#pragma once

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
    void OnConfigure();
    void OnBrowse();
    void OnBreak();

    CDebuggerComboBox m_debuggerList;
    CEdit m_pathEdit;
    CEdit m_parametersEdit;
    CButton m_configureButton;
    CButton m_browseButton;
    CButton m_defaultButton;
    CButton m_autoStartCheck;
    CButton m_breakButton;

    // The values the controls show.
    CString m_path;
    CString m_parameters;
    bool m_autoStart = false;
};
