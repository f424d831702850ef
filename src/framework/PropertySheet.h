// A modal property sheet holding CPropertyPage objects. The sheet window itself is subclassed
// once the system has created it, so that a derived sheet can answer its own messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/Array.h"
#include "framework/PropertyPage.h"
#include "framework/Wnd.h"

class CPropertySheet : public CWnd {
public:
    CPropertySheet(UINT captionId, HWND parent = nullptr, UINT startPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return m_pages.GetCount(); }
    // Shows the sheet modally; returns what PropertySheetW returned.
    INT_PTR DoModal();

protected:
    // The dialog template, before the sheet window is created from it.
    virtual void OnPreCreate(DLGTEMPLATE* dialogTemplate);
    // Runs at the end of the sheet's own WM_INITDIALOG, once it is subclassed.
    virtual void OnInitialized() {}

    PROPSHEETHEADERW m_psh;

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);

    CString m_caption;
    CSimpleArray<CPropertyPage*> m_pages;
};

// Changes the window styles that a dialog template (plain or extended) asks for.
void AdjustDialogTemplateStyle(DLGTEMPLATE* dialogTemplate, DWORD addStyle, DWORD removeStyle,
                               DWORD removeExStyle);
