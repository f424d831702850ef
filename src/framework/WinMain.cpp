// The entry point: everything the program does happens in its application object's start-up.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (CWinApp* app = GetApplication())
        app->InitInstance();
    return 0;
}
