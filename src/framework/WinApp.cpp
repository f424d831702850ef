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

CWinApp* GetApplication() {
    return g_app;
}

HWND GetMainWindowHandle() {
    return g_app && g_app->m_mainWnd ? g_app->m_mainWnd->GetHwnd() : nullptr;
}
