// The application object: exactly one exists, as a global; the entry point runs its start-up.
#pragma once

#include <windows.h>

#include "base/ResourceModule.h"

class CWnd;

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The start-up routine. The framework's own part selects the resource module; a program
    // overrides it and returns false when the process should end without a message loop.
    virtual bool InitInstance();

    HINSTANCE m_instance = nullptr;
    // The window that owns the program's message boxes; null while none exists.
    CWnd* m_mainWnd = nullptr;
};

CWinApp* AfxGetApp();
HWND AfxGetMainHwnd();
