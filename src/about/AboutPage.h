#pragma once

#include "../framework/PropertyPage.h"

class CAboutPage : public CPropertyPage {
public:
    CAboutPage();
};
