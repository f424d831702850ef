// A property page bound to a dialog template. Its dialog procedure turns the sheet's
// notifications into virtual calls, passes a control's notifications to the bound control object
// and then to the page's own message table, and exchanges the page's fields with its controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/Array.h"
#include "framework/Wnd.h"

class CPropertyPage;

// One direction of a data exchange between a page's fields and its controls.
struct CDataExchange {
    CPropertyPage* page;
    bool saveAndValidate; // true: controls to fields; false: fields to controls
};

// Binds a control object to the page's control (once) and makes it receive the control's
// notifications.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, bool& value);

class CPropertyPage : public CWnd {
public:
    explicit CPropertyPage(UINT templateId);
    ~CPropertyPage() override;

    const PROPSHEETPAGEW* GetPropSheetPage() const { return &m_psp; }

    // Moves the fields into the controls (false) or the controls into the fields (true).
    void UpdateData(bool saveAndValidate = true);
    // Marks the page changed (the sheet enables Apply) or unchanged.
    void SetModified(bool changed = true);

    // Called by DDX_Control: the object now stands for one of the page's controls.
    void RegisterControl(CWnd* control);

protected:
    // The framework's initialisation binds the controls and moves the fields into them.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    // PSN_APPLY from the page's own sheet: true lets the sheet finish the apply; false keeps it
    // open on this page.
    virtual bool OnApply() { return true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    CWnd* FindControl(HWND hwnd) const;

    PROPSHEETPAGEW m_psp;
    CSimpleArray<CWnd*> m_controls;
};
