// The first page of the sheet: which debugger AeDebug names, the choice of another one, its
// parameters and automatic start, its own configuration, and a test crash through raise.exe.
#pragma once

#include "framework/PropertyPage.h"
#include "debugger/DebuggerComboBox.h"

class CDebuggerEntry;

class CDebuggerPage : public CPropertyPage {
public:
    CDebuggerPage();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnApply() override;
    const CommandEntry* GetCommandTable(int* count) const override;

private:
    // Shows a record's values and enables the controls its kind allows.
    void ShowEntry(const CDebuggerEntry& entry);

    void OnShowSelection();
    void OnChanged();
    void OnConfigure();
    void OnBrowse();
    void OnBreak();

    CDebuggerComboBox m_debuggers;
    CEdit m_path;
    CEdit m_parameters;
    CButton m_configure;
    CButton m_browse;
    CButton m_default;
    CButton m_autoStart;
    CButton m_break;

    CString m_strPath;
    CString m_strParameters;
    BOOL m_bAutoStart = FALSE;
};
