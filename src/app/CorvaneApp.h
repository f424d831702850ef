#pragma once

#include "framework/WinApp.h"

class CCorvaneApp : public CWinApp {
public:
    bool InitInstance() override;
};
