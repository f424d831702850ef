// The entry point: everything the program does happens in its application object's start-up.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 0;
    app->m_instance = instance;
    app->InitInstance();
    return 0;
}
