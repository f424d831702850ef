#include "DebuggerPage.h"

#include "../resources/resource.h"

CDebuggerPage::CDebuggerPage() : CPropertyPage(IDD_DEBUGGER) {}
