#include "app/InstanceNotify.h"

// Registered during static initialisation, before the application object is constructed.
const UINT g_instanceNotifyMessage = RegisterWindowMessageW(L"ZKWInstanceNotify");
