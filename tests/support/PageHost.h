// One of the program's pages in a real modeless sheet inside the test program, pumped by the
// test through the sheet's dialog navigation.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/PropertyPage.h"

namespace testing_support {

// The font a control draws its text in.
LOGFONTW FontOf(HWND hwnd);

struct PageHost {
    HWND sheet = nullptr;
    PageHost() = default;
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;
    ~PageHost();
    // Shows the sheet with the page and waits until the page's window exists.
    bool Open(CPropertyPage& page);
    HWND Page() const;
    // Runs the sheet's messages until done() holds or the time is up.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
};

// Runs the action on this thread while another answers each message box it brings up (Yes or
// No as yes says, else Cancel, else OK); gives their texts as CorvaneApp::MessageBoxText reads
// them, in order.
std::vector<std::wstring> AnswerBoxes(const std::function<void()>& action, bool yes = false);

} // namespace testing_support
