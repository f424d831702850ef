#include "app/CorvaneApp.h"

#include <commctrl.h>

#include "app/CorvaneSheet.h"
#include "base/SystemFunction.h"
#include "crash/CrashHandler.h"

CCorvaneApp g_corvaneApp;

bool CCorvaneApp::InitInstance() {
    // The program may run elevated from a downloads folder, where a planted DLL of a system name
    // waits: before anything loads one by name.
    LimitDllSearchToSystemDirectory();
    // Before anything of the program exists, so that any fault of it leaves a dump.
    InstallCrashHandler();
    {
        CCorvaneSheet sheet(nullptr, 0);
        // Another instance runs and has been asked to come to the front: show nothing.
        if (!sheet.GetInstanceManager().Acquire(true))
            return false;

        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);

        m_mainWnd = &sheet;
        sheet.DoModal();
        m_mainWnd = nullptr;
    }
    // The sheet's modal loop was the program's only one: returning false ends the process.
    return false;
}
