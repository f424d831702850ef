// Drives the real corvane.exe through its windows, as a person would: finds its sheet, switches
// pages, reads and operates controls by id, presses OK/Cancel/Apply, and finds, reads and
// answers message boxes. Anything that may open a modal box is posted, never sent, so the test
// does not block on it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace testing_support {

// The program's prompt for elevation, as a message box reads.
extern const wchar_t kElevationPrompt[];

std::wstring WindowText(HWND hwnd);
// Top-level windows of a process whose class is the dialog class (#32770).
std::vector<HWND> DialogWindowsOf(DWORD pid);
// The text of the tooltip that the control's parent holds for it, in whichever process.
std::wstring ToolTipText(HWND control);

// A running corvane.exe and its sheet.
class CorvaneApp {
public:
    // Starts the program (by default the build's corvane.exe) and waits for its sheet.
    bool Start(const std::wstring& arguments = L"", HANDLE token = nullptr,
               const std::wstring& exe = L"");
    Process& process() { return m_process; }
    DWORD Id() const { return m_process.Id(); }

    // The sheet: "#32770" captioned "Corvane" with a tab control; null when it has gone.
    HWND Sheet();
    int TabCount() {
        HWND tab = FindWindowExW(Sheet(), nullptr, L"SysTabControl32", nullptr);
        return static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    }
    // Brings page `index` forward and returns its window, captioned as its tab.
    HWND SelectPage(int index) {
        SendMessageW(Sheet(), PSM_SETCURSEL, index, 0);
        return CurrentPage();
    }
    HWND CurrentPage() {
        return reinterpret_cast<HWND>(SendMessageW(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    HWND Control(int id) { return GetDlgItem(CurrentPage(), id); }
    std::wstring ToolTipText(int id) { return testing_support::ToolTipText(Control(id)); }
    std::wstring ControlText(int id) { return WindowText(Control(id)); }
    bool IsEnabled(int id) { return IsWindowEnabled(Control(id)) != FALSE; }
    bool IsChecked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // The sheet's own buttons.
    HWND SheetButton(int id) { return GetDlgItem(Sheet(), id); }
    bool IsApplyEnabled();

    // Posted, so that a message box it opens does not block the test.
    void Click(int id) { PostMessageW(Control(id), BM_CLICK, 0, 0); }
    // Sent: when they return, the page has handled the click or the choice of a list's item.
    void ClickNow(int id) {
        SendMessageTimeoutW(Control(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    }
    void Choose(int id, int index);
    void SetEditText(int id, const std::wstring& text);
    std::vector<std::wstring> ComboItems(int id);
    void PressOk() { PressSheetButton(PSBTN_OK); }
    // Presses Cancel; true when the program then ends.
    bool Cancel() {
        PressSheetButton(PSBTN_CANCEL);
        return WaitExit();
    }
    void PressApply() { PressSheetButton(PSBTN_APPLYNOW); }
    void PressSheetButton(int button) { PostMessageW(Sheet(), PSM_PRESSBUTTON, button, 0); }

    // A message box of the program (a dialog other than the sheet with a 0xFFFF static).
    HWND WaitForMessageBox(DWORD timeoutMs = 10000);
    bool HasMessageBox() { return WaitForMessageBox(0) != nullptr; }
    // The box's text after its icon's name: "[error] ", "[warning] ", "[information] ".
    static std::wstring MessageBoxText(HWND box);
    // Presses one of the box's buttons (IDOK, IDCANCEL, IDRETRY, ...).
    static void AnswerMessageBox(HWND box, int buttonId);
    // Waits for a box, checks nothing, answers it with OK and returns its text.
    std::wstring TakeMessageBox(int buttonId = IDOK, DWORD timeoutMs = 10000);

    bool WaitExit(DWORD timeoutMs = 10000) { return m_process.WaitExit(timeoutMs); }
    // Lets the program handle everything posted so far.
    void Settle();

private:
    Process m_process;
    HWND m_sheet = nullptr;
};

} // namespace testing_support
