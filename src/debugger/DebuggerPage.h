#pragma once

#include "../framework/PropertyPage.h"

class CDebuggerPage : public CPropertyPage {
public:
    CDebuggerPage();
};
