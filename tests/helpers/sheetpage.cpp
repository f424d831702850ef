// Brings the running Corvane sheet forward on the page given by its index, as a click on its tab
// would: scripts/screenshots.sh photographs each page this way. Exit code 0 when the page shows.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    int page = _wtoi(commandLine);
    HWND sheet = nullptr;
    for (int i = 0; i < 100 && !sheet; ++i) {
        sheet = FindWindowW(L"#32770", L"Corvane");
        if (!sheet)
            Sleep(100);
    }
    if (!sheet)
        return 1;
    SetForegroundWindow(sheet);
    SendMessageW(sheet, PSM_SETCURSEL, page, 0);
    HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    return tab && SendMessageW(tab, TCM_GETCURSEL, 0, 0) == page ? 0 : 2;
}
