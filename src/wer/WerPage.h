// The page of per-user Windows Error Reporting switches. Every toggle is written at once; the
// page takes no part in the sheet's Apply, OK or Cancel and never marks itself changed.
#pragma once

#include "framework/PropertyPage.h"

class CWerPage : public CPropertyPage {
public:
    CWerPage();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    MessageTable GetMessageTable() const override;

private:
    void OnReportingClicked();
    void OnQueueingClicked();
    void OnOpenReportFolder();

    CButton m_reporting;
    CButton m_queueing;
};
