// The About page: the product name in an enlarged font, the version and copyright lines of the
// executable's own version resource, and the link to the web site.
#pragma once

#include "base/Handle.h"
#include "framework/HyperLink.h"
#include "framework/PropertyPage.h"

class CAboutPage : public CPropertyPage {
public:
    CAboutPage();
    ~CAboutPage() override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

private:
    CHyperLink m_link;
    CStatic m_title;
    CStatic m_version;
    CStatic m_copyright;
    CFontHandle m_titleFont;
};
