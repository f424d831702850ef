#pragma once

#include "../framework/PropertyPage.h"

class CWerPage : public CPropertyPage {
public:
    CWerPage();
};
