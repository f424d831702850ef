#pragma once

#include <windows.h>

// The registered message through which instances of the program talk to each other
// ("ZKWInstanceNotify"): wParam is the code, lParam the sender's instance identifier.
extern const UINT g_instanceNotifyMessage;

enum : WPARAM {
    kInstanceNotifyActivate = 1,
    kInstanceNotifyClose = 2,
};
