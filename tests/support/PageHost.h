// Hosts one of the program's property pages in a real, modeless comctl32 property sheet inside
// the test process, so that a test can reach the page's objects and GDI handles directly.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/PropertyPage.h"

namespace testing_support {

class PageHost {
public:
    PageHost() = default;
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    // Creates the sheet with the page as its only page and lets the page initialise.
    bool Open(CPropertyPage& page);
    HWND Sheet() const { return m_sheet; }
    HWND Page() const;

    // Dispatches what is queued, through the sheet's dialog navigation as its own loop would.
    void Pump();
    // Pumps until the condition holds or the time runs out.
    bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

private:
    HWND m_sheet = nullptr;
};

} // namespace testing_support
