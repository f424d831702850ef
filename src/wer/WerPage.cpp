#include "WerPage.h"

#include "../resources/resource.h"

CWerPage::CWerPage() : CPropertyPage(IDD_WER) {}
