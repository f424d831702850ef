// The application object: exactly one exists, as a global; the entry point runs its start-up.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The start-up routine; it returns false when the process should end without a message
    // loop.
    virtual bool InitInstance() = 0;

    // The window that owns the program's message boxes; null while none exists.
    CWnd* m_mainWnd = nullptr;
};

// The one application object; null before it is constructed.
CWinApp* GetApplication();
// The handle of the application object's main window; null while there is none.
HWND GetMainWindowHandle();
