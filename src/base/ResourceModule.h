// The module that holds the program's resources (strings, dialogs, icons, version).
#pragma once

#include <windows.h>

// The module set by AfxSetResourceHandle; the running executable until one is set.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
