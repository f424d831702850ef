// The program's only top-level window: the property sheet with the debugger, error-reporting,
// crash dumps and About pages.
#pragma once

#include "about/AboutPage.h"
#include "app/InstanceManager.h"
#include "debugger/DebuggerPage.h"
#include "dumps/DumpsPage.h"
#include "framework/PropertySheet.h"
#include "wer/WerPage.h"

class CCorvaneSheet : public CPropertySheet {
public:
    explicit CCorvaneSheet(HWND parent = nullptr, UINT startPage = 0);
    ~CCorvaneSheet() override;

    CInstanceManager& GetInstanceManager() { return m_instanceManager; }

protected:
    void OnPreCreate(DLGTEMPLATE* dialogTemplate) override;
    void OnInitialized() override;
    MessageTable GetMessageTable() const override;

private:
    // Answers the instance-notify message of another instance of the program: wParam is the
    // code, lParam the sender's instance identifier.
    void OnInstanceNotify(CMessage& message);

    CDebuggerPage m_debuggerPage;
    CWerPage m_werPage;
    CDumpsPage m_dumpsPage;
    CAboutPage m_aboutPage;
    // Declared after the pages so that it goes first, releasing the mutex.
    CInstanceManager m_instanceManager;
    CIconHandle m_largeIcon;
    CIconHandle m_smallIcon;
};
