#include "privileges/Elevation.h"

#include <shellapi.h>

#include "base/Handle.h"
#include "base/PathUtils.h"

bool IsElevated() {
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    bool isAdmin = false;
    return QueryElevation(&type, &isAdmin) && type != TokenElevationTypeLimited && isAdmin;
}

bool QueryElevation(TOKEN_ELEVATION_TYPE* type, bool* isAdmin) {
    if (!type && !isAdmin)
        return true;
    CKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return false;

    DWORD value = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenElevationType, &value, sizeof(value), &size))
        return false;
    auto elevation = static_cast<TOKEN_ELEVATION_TYPE>(value);
    if (type)
        *type = elevation;
    if (!isAdmin)
        return true;
    return elevation == TokenElevationTypeLimited ? IsLinkedTokenAdmin(token.Get(), isAdmin)
                                                  : IsCurrentTokenAdmin(isAdmin);
}

namespace {
// Whether the token (null: the thread's or process's own) holds the SID as an enabled group.
bool CheckMembership(HANDLE token, PSID sid, bool* isMember) {
    BOOL member = FALSE;
    if (!CheckTokenMembership(token, sid, &member))
        return false;
    *isMember = member != FALSE;
    return true;
}
} // namespace

bool IsLinkedTokenAdmin(HANDLE token, bool* isMember) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize))
        return false;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size))
        return false;
    CKernelHandle linkedToken(linked.LinkedToken);
    return CheckMembership(linkedToken.Get(), sid, isMember);
}

bool IsCurrentTokenAdmin(bool* isMember) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    CSidHandle sid;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, sid.Put()))
        return false;
    return CheckMembership(nullptr, sid.Get(), isMember);
}

bool RelaunchElevated(HWND owner) {
    wchar_t path[MAX_PATH];
    if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0)
        return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_UNICODE | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = path;
    info.lpParameters = L"runas";
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteSystem(info);
}
