#pragma once

#include <windows.h>

// The registered message through which instances of the program talk to each other
// ("ZKWInstanceNotify"): wParam is the code, lParam the sender's instance identifier.
extern const UINT g_instanceNotifyMessage;

enum : WPARAM {
    INSTANCE_NOTIFY_ACTIVATE = 1,
    INSTANCE_NOTIFY_CLOSE = 2,
};
