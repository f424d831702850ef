#include "privileges/Elevation.h"

#include <shellapi.h>

#include "framework/MessageBoxes.h"

namespace {
// Clean-up on the way out must not hide the first failure from the caller.
void CloseHandleKeepError(HANDLE handle) {
    DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
}
} // namespace

bool RequireElevation(UINT promptId) {
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    BOOL isAdmin = FALSE;
    if (QueryElevation(&type, &isAdmin) && type != TokenElevationTypeLimited && isAdmin)
        return true;

    if (MessageBoxResource(promptId, MB_SHIELD | MB_ICONINFORMATION | MB_RETRYCANCEL) != IDRETRY) {
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    // The new instance closes this one; until then nothing may be written here.
    if (RelaunchElevated())
        SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

bool QueryElevation(TOKEN_ELEVATION_TYPE* type, BOOL* isAdmin) {
    if (!type && !isAdmin)
        return true;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;

    DWORD value = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevationType, &value, sizeof(value), &size)) {
        // Systems before elevation do not know the information class: nothing is split there.
        if (GetLastError() != ERROR_INVALID_PARAMETER) {
            CloseHandleKeepError(token);
            return false;
        }
        value = TokenElevationTypeDefault;
    }
    auto elevation = static_cast<TOKEN_ELEVATION_TYPE>(value);
    if (type)
        *type = elevation;

    bool result = true;
    if (isAdmin) {
        result = elevation == TokenElevationTypeLimited ? IsLinkedTokenAdmin(token, isAdmin)
                                                        : IsCurrentTokenAdmin(isAdmin);
    }
    CloseHandleKeepError(token);
    return result;
}

bool IsLinkedTokenAdmin(HANDLE token, BOOL* isMember) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize))
        return false;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size))
        return false;
    bool result = CheckTokenMembership(linked.LinkedToken, sid, isMember) != FALSE;
    CloseHandleKeepError(linked.LinkedToken);
    return result;
}

bool IsCurrentTokenAdmin(BOOL* isMember) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &sid))
        return false;
    bool result = CheckTokenMembership(nullptr, sid, isMember) != FALSE;
    DWORD error = GetLastError();
    FreeSid(sid);
    SetLastError(error);
    return result;
}

bool RelaunchElevated() {
    wchar_t path[MAX_PATH];
    if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0)
        return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_UNICODE | SEE_MASK_NOASYNC;
    info.hwnd = GetActiveWindow();
    info.lpVerb = L"runas";
    info.lpFile = path;
    info.lpParameters = L"runas";
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}
