#include "AboutPage.h"

#include "../resources/resource.h"

CAboutPage::CAboutPage() : CPropertyPage(IDD_ABOUT) {}
