#include "framework/MessageBoxes.h"

#include <commctrl.h>

#include "base/Error.h"
#include "base/Handle.h"
#include "base/String.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace {
// Only one shielded box can be up at a time: the hook and its button are process-wide.
CHookHandle g_shieldHook;
int g_shieldButton = IDOK;

LRESULT CALLBACK ShieldHookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND button = GetDlgItem(reinterpret_cast<HWND>(wParam), g_shieldButton);
        if (button)
            SendMessageW(button, BCM_SETSHIELD, 0, 1);
    }
    return CallNextHookEx(g_shieldHook.Get(), code, wParam, lParam);
}

// Installs the shield hook when asked for and takes the flag off; false when it cannot be.
bool BeginShield(UINT& flags) {
    if (!(flags & MB_SHIELD))
        return true;
    g_shieldHook.Reset(SetWindowsHookExW(WH_CBT, ShieldHookProc, nullptr, GetCurrentThreadId()));
    if (!g_shieldHook)
        return false;
    flags &= ~MB_SHIELD;
    switch (flags & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        g_shieldButton = IDOK;
        break;
    case MB_ABORTRETRYIGNORE:
    case MB_RETRYCANCEL:
        g_shieldButton = IDRETRY;
        break;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        g_shieldButton = IDYES;
        break;
    default:
        break; // never asked for; the button of the last shielded box stays
    }
    return true;
}

// Shows an already composed text; the text is never used as a format again, so a percent
// sign in it (a path, say) is shown as it is.
int ShowComposed(const wchar_t* text, UINT flags) {
    if (!BeginShield(flags))
        return IDCANCEL;
    int result = ShowMessageBox(text, flags);
    g_shieldHook.Reset();
    return result;
}

// The string resource (an absent one is the empty format) formatted with the arguments.
CString FormatResource(UINT stringId, va_list args) {
    CString format;
    format.LoadString(LOWORD(stringId));
    CString text;
    text.FormatV(format, args);
    return text;
}

void AppendErrorText(CString& text, HRESULT error) {
    if (error == 0 || error == 1)
        return;
    CString description;
    GetErrorText(error, description);
    if (!description.IsEmpty()) {
        text += L"\n\n";
        text += description;
    } else {
        text.AppendFormat(L" (0x%08X)", static_cast<unsigned>(error));
    }
}

UINT IconFromError(UINT flags, HRESULT error) {
    flags &= ~MB_ICONMASK;
    if (error == 0)
        return flags | MB_ICONINFORMATION;
    return flags | (error < 0 ? MB_ICONERROR : MB_ICONWARNING);
}
} // namespace

HHOOK GetShieldHook() {
    return g_shieldHook.Get();
}

int ShowMessageBox(const wchar_t* text, UINT flags) {
    HWND owner = GetMainWindowHandle();
    if (owner && IsWindow(owner))
        owner = GetLastActivePopup(owner);
    else
        owner = nullptr;
    CString title;
    title.LoadString(IDS_APP_TITLE);
    return MessageBoxW(owner, text, title, flags);
}

int MessageBoxResource(UINT stringId, UINT flags, ...) {
    va_list args;
    va_start(args, flags);
    CString text = FormatResource(stringId, args);
    va_end(args);
    return ShowComposed(text, flags);
}

int MessageBoxResourceError(UINT stringId, UINT flags, HRESULT error, ...) {
    // Taken first, before anything else can change the thread's last error.
    if (error == -1)
        error = HResultFromLastError();
    va_list args;
    va_start(args, error);
    CString text = FormatResource(stringId, args);
    va_end(args);
    AppendErrorText(text, error);
    return ShowComposed(text, IconFromError(flags, error));
}
