#include "framework/WinApp.h"

#include "framework/Wnd.h"

namespace {
CWinApp* g_app = nullptr;
} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance() {
    // Resources live in the executable itself; there are no satellite resource modules.
    AfxSetResourceHandle(m_instance);
    return true;
}

CWinApp* AfxGetApp() {
    return g_app;
}

HWND AfxGetMainHwnd() {
    return g_app && g_app->m_mainWnd ? g_app->m_mainWnd->GetSafeHwnd() : nullptr;
}
