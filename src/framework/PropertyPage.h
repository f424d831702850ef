// A property page bound to a dialog template: its dialog procedure turns the sheet's
// notifications into virtual calls, routes control notifications through a table of handler
// methods, reflects child notifications to the bound control objects, and exchanges the page's
// fields with its controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/Array.h"
#include "framework/Wnd.h"

class CPropertyPage;

// One direction of a data exchange between a page's fields and its controls.
class CDataExchange {
public:
    CDataExchange(CPropertyPage* page, BOOL saveAndValidate)
        : m_pDlgWnd(page), m_bSaveAndValidate(saveAndValidate) {}
    CPropertyPage* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // TRUE: controls to fields; FALSE: fields to controls
};

// Binds a control object to the page's control (once) and makes it receive reflected notices.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, BOOL& value);

class CPropertyPage : public CWnd {
public:
    using Handler = void (CPropertyPage::*)();
    // One row of a page's message table: a control's notification and the method it calls.
    struct CommandEntry {
        UINT id;
        UINT code;
        Handler handler;
    };
    template <class T> static constexpr CommandEntry OnCommand(UINT id, UINT code, void (T::*h)()) {
        return {id, code, static_cast<Handler>(h)};
    }

    explicit CPropertyPage(UINT templateId);
    ~CPropertyPage() override;

    const PROPSHEETPAGEW* GetPropSheetPage() const { return &m_psp; }
    UINT GetTemplateId() const { return m_templateId; }

    // Moves the fields into the controls (FALSE) or the controls into the fields (TRUE).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Marks the page changed (the sheet enables Apply) or unchanged.
    void SetModified(BOOL changed = TRUE);

    // Called by DDX_Control: the object now stands for one of the page's controls.
    void RegisterControl(CWnd* control);

protected:
    // The framework's initialisation binds the controls and moves the fields into them.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    // PSN_APPLY: TRUE lets the sheet finish the apply; FALSE keeps it open on this page.
    virtual BOOL OnApply() { return TRUE; }
    // The page's message table; an empty table by default.
    virtual const CommandEntry* GetCommandTable(int* count) const;
    // Messages the base does not handle; return TRUE when handled.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    CWnd* FindControl(HWND hwnd) const;

    UINT m_templateId;
    PROPSHEETPAGEW m_psp;
    CSimpleArray<CWnd*> m_controls;
};
