// The start-up benchmark's yardsticks: a four-page property sheet with no code of its own, built
// and started the way corvane.exe is (same compiler and flags, common controls 6 manifest, modal
// sheet). Built twice: with empty pages, and with the program's own page templates, which shows
// what their controls cost before any of the program's code runs.
#include <windows.h>
#include <commctrl.h>

#include "emptysheet.h"

static INT_PTR CALLBACK EmptyPageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    static const WORD templates[] = {BENCH_PAGE1, BENCH_PAGE2, BENCH_PAGE3, BENCH_PAGE4};
    PROPSHEETPAGEW pages[4] = {};
    for (int i = 0; i < 4; ++i) {
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
    header.nPages = 4;
    header.ppsp = pages;
    PropertySheetW(&header);
    return 0;
}
