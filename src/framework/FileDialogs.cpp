#include "framework/FileDialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include "base/String.h"
#include "base/SystemFunction.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {
constinit CSystemFunction<decltype(GetOpenFileNameW)> g_getOpenFileName;
constinit CSystemFunction<decltype(SHBrowseForFolderW)> g_browseForFolder;
constinit CSystemFunction<decltype(SHGetPathFromIDListW)> g_getPathFromIdList;
constinit CSystemFunction<decltype(ILFree)> g_freeIdList;

HWND DialogOwner() {
    HWND sheet = GetMainWindowHandle();
    return sheet && IsWindow(sheet) ? GetLastActivePopup(sheet) : nullptr;
}
} // namespace

bool PickExecutable(const wchar_t* initialFolder, wchar_t* file) {
    // The resource separates description and pattern with '|'; the dialog wants NULs.
    CString filter;
    filter.LoadString(IDS_EXE_FILTER);
    int length = filter.GetLength();
    wchar_t* chars = filter.GetBuffer(length + 1);
    if (!chars)
        return false;
    for (int i = 0; i < length; ++i) {
        if (chars[i] == L'|')
            chars[i] = L'\0';
    }
    chars[length] = L'\0';
    filter.ReleaseBuffer(length);

    file[0] = L'\0';
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = DialogOwner();
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = initialFolder && *initialFolder ? initialFolder : nullptr;
    ofn.lpstrDefExt = L"exe";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
    auto* getOpenFileName = g_getOpenFileName.Get(L"comdlg32.dll", "GetOpenFileNameW");
    if (!getOpenFileName) {
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    return getOpenFileName(&ofn) != FALSE;
}

bool PickFolder(UINT titleId, wchar_t* folder) {
    auto* browse = g_browseForFolder.Get(L"shell32.dll", "SHBrowseForFolderW");
    auto* getPath = g_getPathFromIdList.Get(L"shell32.dll", "SHGetPathFromIDListW");
    auto* freeIdList = g_freeIdList.Get(L"shell32.dll", "ILFree");
    if (!browse || !getPath || !freeIdList) {
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    CString title;
    title.LoadString(titleId);
    BROWSEINFOW info = {};
    info.hwndOwner = DialogOwner();
    info.pszDisplayName = folder;
    info.lpszTitle = title;
    // The classic tree: the newer style needs OLE, which nothing else of the program loads.
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = browse(&info);
    if (!chosen)
        return false;
    const bool got = getPath(chosen, folder) != FALSE;
    freeIdList(chosen);
    return got;
}
