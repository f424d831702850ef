// The start-up benchmark's yardstick: an empty three-page property sheet, built and started the
// way corvane.exe is (same compiler and flags, common controls 6 manifest, modal sheet).
#include <windows.h>
#include <commctrl.h>

#include "emptysheet.h"

static INT_PTR CALLBACK EmptyPageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    static const WORD templates[] = {IDD_PAGE1, IDD_PAGE2, IDD_PAGE3};
    PROPSHEETPAGEW pages[3] = {};
    for (int i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof(pages[i]);
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
        pages[i].pfnDlgProc = EmptyPageProc;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hInstance = instance;
    header.pszCaption = L"Empty";
    header.nPages = 3;
    header.ppsp = pages;
    PropertySheetW(&header);
    return 0;
}
