// A modal property sheet holding CPropertyPage objects. The sheet window itself is subclassed
// once the system has created it, so that a derived sheet's message table sees its messages.
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

    // The page stays the caller's; it must live as long as the sheet.
    void AddPage(CPropertyPage* page);
    // Shows the sheet modally; returns what PropertySheetW returned.
    INT_PTR DoModal();

protected:
    // The dialog template, before the sheet window is created from it.
    virtual void OnPreCreate(DLGTEMPLATE*) {}
    // Runs at the end of the sheet's own WM_INITDIALOG, once it is subclassed.
    virtual void OnInitialized() {}

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);

    PROPSHEETHEADERW m_psh;
    CString m_caption;
    // Copies of the pages' PROPSHEETPAGEW records, in the order they were added.
    CSimpleArray<PROPSHEETPAGEW> m_pages;
};

// Changes the window styles that a dialog template (plain or extended) asks for.
void AdjustDialogTemplateStyle(DLGTEMPLATE* dialogTemplate, DWORD addStyle, DWORD removeStyle,
                               DWORD removeExStyle);
