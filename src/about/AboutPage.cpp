#include "about/AboutPage.h"

#include "about/AppVersionInfo.h"
#include "resources/resource.h"
#include "version.h"

CAboutPage::CAboutPage() : CPropertyPage(IDD_ABOUT) {}

CAboutPage::~CAboutPage() = default;

void CAboutPage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_ABOUT_LINK, m_link);
    DDX_Control(dx, IDC_ABOUT_TITLE, m_title);
    DDX_Control(dx, IDC_ABOUT_VERSION, m_version);
    DDX_Control(dx, IDC_ABOUT_COPYRIGHT, m_copyright);
}

bool CAboutPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();

    HFONT pageFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    LOGFONTW logFont = {};
    if (pageFont && GetObjectW(pageFont, sizeof(logFont), &logFont)) {
        logFont.lfHeight = logFont.lfHeight * 170 / 100;
        m_titleFont.Reset(CreateFontIndirectW(&logFont));
        if (m_titleFont)
            m_title.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), TRUE);
    }

    {
        CAppVersionInfo versionInfo;
        if (versionInfo.IsLoaded()) {
            CString text;
            if (versionInfo.FormatVersionText(text, true))
                m_version.SetWindowText(text);
            if (versionInfo.FormatCopyrightText(text))
                m_copyright.SetWindowText(text);
        }
    }

    CString tip;
    tip.LoadString(IDS_LINK_TOOLTIP);
    m_link.SetUrl(CORVANE_HOMEPAGE_URL, tip);
    return true;
}
