#include "PageHost.h"

#include <commctrl.h>

namespace testing_support {

PageHost::~PageHost() {
    if (m_sheet && IsWindow(m_sheet))
        DestroyWindow(m_sheet);
    Pump();
}

bool PageHost::Open(CPropertyPage& page) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"Page host";
    header.nPages = 1;
    header.ppsp = page.GetPropSheetPage();
    m_sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (!m_sheet)
        return false;
    ShowWindow(m_sheet, SW_SHOW);
    Pump();
    return Page() != nullptr;
}

HWND PageHost::Page() const {
    return m_sheet ? reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0))
                   : nullptr;
}

void PageHost::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (m_sheet && IsWindow(m_sheet) && PropSheet_IsDialogMessage(m_sheet, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PageHost::PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

} // namespace testing_support
