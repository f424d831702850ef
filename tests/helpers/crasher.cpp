// Installs the program's crash handler as corvane.exe does, then writes through a null pointer.
#include <windows.h>

#include "crash/CrashHandler.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstallCrashHandler();
    volatile int* volatile nowhere = nullptr;
    *nowhere = 42;
    return 3;
}
