#include "framework/PropertySheet.h"

namespace {
// The sheet being shown: the system's sheet callback has no room for a pointer of ours.
CPropertySheet* g_creatingSheet = nullptr;

// Leading part of an extended dialog template (DLGTEMPLATEEX), which the system's sheet uses.
struct DialogTemplateEx {
    WORD dlgVer;
    WORD signature;
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
};
} // namespace

CPropertySheet::CPropertySheet(UINT captionId, HWND parent, UINT startPage) : m_psh() {
    m_caption.LoadString(captionId);
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.hwndParent = parent;
    m_psh.pszCaption = m_caption;
    m_psh.nStartPage = startPage;
    m_psh.pfnCallback = SheetCallback;
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
    m_pages.Add(*page->GetPropSheetPage());
}

INT_PTR CPropertySheet::DoModal() {
    m_psh.hInstance = GetModuleHandleW(nullptr);
    m_psh.pszCaption = m_caption;
    m_psh.nPages = m_pages.GetCount();
    m_psh.ppsp = m_pages.begin();

    CPropertySheet* previous = g_creatingSheet;
    g_creatingSheet = this;
    INT_PTR result = PropertySheetW(&m_psh);
    g_creatingSheet = previous;
    return result;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM lParam) {
    CPropertySheet* sheet = g_creatingSheet;
    if (!sheet)
        return 0;
    if (message == PSCB_PRECREATE && lParam) {
        sheet->OnPreCreate(reinterpret_cast<DLGTEMPLATE*>(lParam));
    } else if (message == PSCB_INITIALIZED) {
        sheet->SubclassWindow(hwnd);
        sheet->OnInitialized();
    }
    return 0;
}

// Exported for derived sheets that adjust the template's styles.
void AdjustDialogTemplateStyle(DLGTEMPLATE* dialogTemplate, DWORD addStyle, DWORD removeStyle,
                               DWORD removeExStyle) {
    auto* extended = reinterpret_cast<DialogTemplateEx*>(dialogTemplate);
    if (extended->signature == 0xFFFF) {
        extended->style = (extended->style & ~removeStyle) | addStyle;
        extended->exStyle &= ~removeExStyle;
    } else {
        dialogTemplate->style = (dialogTemplate->style & ~removeStyle) | addStyle;
        dialogTemplate->dwExtendedStyle &= ~removeExStyle;
    }
}
