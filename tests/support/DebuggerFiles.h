// Files the debugger tests put in place for the program to find: stand-in debugger executables
// in the system directory, removed again when the test ends.
#pragma once

#include <windows.h>

#include <string>

#include "GuiDriver.h"

namespace testing_support {

// A copy of the recording debugger (recorder.exe) under the given name. When started, it writes
// "<path>.txt". The copy and its record are deleted when the object goes.
class StubExecutable {
public:
    StubExecutable(const std::wstring& dir, const std::wstring& name);
    ~StubExecutable();
    StubExecutable(const StubExecutable&) = delete;
    StubExecutable& operator=(const StubExecutable&) = delete;

    bool ok() const { return m_ok; }
    const std::wstring& path() const { return m_path; }
    std::wstring record() const { return m_path + L".txt"; }
    // Deletes the copy early (the program then finds the file missing).
    bool Remove();

private:
    std::wstring m_path;
    bool m_ok = false;
};

// Choices that open no message box, sent rather than posted: when they return, the page has
// handled them (a posted click may still wait behind a sent message).
void ChooseItemNow(CorvaneApp& app, int listId, int index);
void ClickNow(CorvaneApp& app, int id);

// The window that has the keyboard focus on the thread that owns `window`.
HWND FocusedWindowOfThread(HWND window);

} // namespace testing_support
