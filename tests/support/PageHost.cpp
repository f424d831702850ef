#include "support/PageHost.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "support/GuiDriver.h"

namespace testing_support {

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

PageHost::~PageHost() {
    DestroyWindow(sheet);
}

bool PageHost::Open(CPropertyPage& page) {
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_PROPSHEETPAGE;
    header.nPages = 1;
    header.ppsp = page.GetPropSheetPage();
    sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ShowWindow(sheet, SW_SHOW);
    return PumpUntil([&] { return Page() != nullptr; });
}

HWND PageHost::Page() const {
    return sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
}

bool PageHost::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!PropSheet_IsDialogMessage(sheet, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            return done();
        },
        timeoutMs);
}

std::vector<std::wstring> AnswerBoxes(const std::function<void()>& action, bool yes) {
    std::vector<std::wstring> texts;
    std::atomic<bool> done = false;
    std::thread answerer([&] {
        while (!done) {
            for (HWND box : DialogWindowsOf(GetCurrentProcessId())) {
                if (!GetDlgItem(box, 0xFFFF) || !IsWindowVisible(box) ||
                    FindWindowExW(box, nullptr, WC_TABCONTROLW, nullptr))
                    continue;
                texts.push_back(CorvaneApp::MessageBoxText(box));
                for (int button : {yes ? IDYES : IDNO, IDCANCEL, IDOK}) {
                    if (GetDlgItem(box, button)) {
                        CorvaneApp::AnswerMessageBox(box, button);
                        break;
                    }
                }
                WaitUntil([&] { return !IsWindow(box); }, 5000);
            }
            Sleep(20);
        }
    });
    action();
    done = true;
    answerer.join();
    return texts;
}

} // namespace testing_support
