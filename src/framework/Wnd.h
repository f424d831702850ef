// Thin wrappers around windows the program does not own: dialog controls and the sheet.
//
// Messages reach a wrapper's handlers through one path: its message table. The table sees the
// window's own messages once the wrapper has subclassed the window, and the notifications that
// its parent page passes back to it (WM_COMMAND, WM_CTLCOLORSTATIC, WM_DRAWITEM about this
// control). A row names a message and a handler, or a control's command and a handler without
// arguments; the first matching row runs.
#pragma once

#include <windows.h>

#include <type_traits>

#include "base/String.h"

class CWnd;

// A message on its way through a table. The handler sets the answer; it clears handled to let
// the message go on as if no row had matched.
struct CMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool handled = true;
};

struct MessageEntry {
    UINT message;
    bool command; // a WM_COMMAND row for one control's notification
    UINT id;      // commands: the control
    UINT code;    // commands: the notification code
    void (*handler)(CWnd* window, CMessage& message);
    // A registered message: where its number lies, known only once it is registered.
    const UINT* registered;
};

// A window's table: the rows of a static array.
struct MessageTable {
    MessageTable() = default;
    template <int N> constexpr MessageTable(const MessageEntry (&rows)[N]) : rows(rows), count(N) {}
    const MessageEntry* rows = nullptr;
    int count = 0;
};

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND GetHwnd() const { return m_hwnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hwnd, message, wParam, lParam);
    }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hwnd, enable); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hwnd) != FALSE; }
    void SetFocus() const { ::SetFocus(m_hwnd); }
    HWND GetParent() const { return ::GetParent(m_hwnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hwnd); }
    CString GetWindowText() const;
    void SetWindowText(const wchar_t* text) const { ::SetWindowTextW(m_hwnd, text); }

    // Routes the window's messages through the table until the window is destroyed.
    bool SubclassWindow(HWND hwnd);
    // Takes the window without subclassing it; for wrappers that only need the handle.
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    // Subclasses the window when the wrapper has rows of its own, else only takes the handle:
    // under Wine every message through a subclass costs calls into the server.
    bool Bind(HWND hwnd);
    // Forgets a window that was only taken, once it is gone.
    void ReleaseAttached() {
        if (!m_subclassed)
            m_hwnd = nullptr;
    }

    // Runs the first row of the table that matches; false when none did or it passed the
    // message on.
    bool Dispatch(CMessage& message);

protected:
    HWND m_hwnd = nullptr;

    // A row for a message; the handler is a member of the window's class taking a CMessage&.
    template <auto Handler> static constexpr MessageEntry OnMessage(UINT message) {
        return {message, false, 0, 0, &CallHandler<Handler>, nullptr};
    }
    // A row for a message registered at run time (RegisterWindowMessage), by its variable.
    template <auto Handler> static constexpr MessageEntry OnRegisteredMessage(const UINT& message) {
        return {WM_NULL, false, 0, 0, &CallHandler<Handler>, &message};
    }
    // A row for a control's command; the handler is a member without arguments.
    template <auto Handler> static constexpr MessageEntry OnCommand(UINT id, UINT code) {
        return {WM_COMMAND, true, id, code, &CallHandler<Handler>, nullptr};
    }

    // The window's table; empty by default.
    virtual MessageTable GetMessageTable() const { return {}; }
    // Runs once the window has been subclassed.
    virtual void OnSubclassed() {}
    // The window's default handling of a message, for handlers that add to it.
    LRESULT Default(const CMessage& message);

private:
    template <class Member> struct ClassOf;
    template <class T, class Function> struct ClassOf<Function T::*> { using Type = T; };
    // Calls a handler member on the window the row belongs to.
    template <auto Handler> static void CallHandler(CWnd* window, CMessage& message) {
        auto* self = static_cast<typename ClassOf<decltype(Handler)>::Type*>(window);
        if constexpr (std::is_invocable_v<decltype(Handler), decltype(self), CMessage&>)
            (self->*Handler)(message);
        else
            (self->*Handler)();
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool m_subclassed = false;
};

class CStatic : public CWnd {};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, check); }
};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    int AddString(const wchar_t* text) const {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // Before the item at index; -1 appends.
    int InsertString(int index, const wchar_t* text) const {
        return static_cast<int>(
            SendMessage(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text)));
    }
    DWORD_PTR GetItemData(int index) const { return SendMessage(CB_GETITEMDATA, index); }
    int SetItemData(int index, DWORD_PTR data) const {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, index, static_cast<LPARAM>(data)));
    }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
};
