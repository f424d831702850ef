#include "app/InstanceManager.h"

#include <stdlib.h>
#include <wchar.h>

#include "app/InstanceNotify.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "base/PathUtils.h"

DWORD ComputeInstanceId(const wchar_t* fileName) {
    wchar_t upper[MAX_PATH];
    lstrcpynW(upper, fileName, MAX_PATH);
    CharUpperBuffW(upper, static_cast<DWORD>(lstrlenW(upper)));
    DWORD hash = 0;
    for (const wchar_t* unit = upper; *unit; ++unit)
        hash = ((hash >> 13) | (hash << 19)) + static_cast<DWORD>(*unit);
    return hash;
}

bool FormatInstanceMutexName(DWORD id, CString& name) {
    return name.Format(L"Local\\ZKWInstance.%08X", id);
}

bool IsElevatedRestart() {
    // The C runtime has already split the command line by the system's rules (those of
    // CommandLineToArgvW, which would load the shell at every start); compared code unit by code
    // unit.
    return __argc == 2 && wcscmp(__wargv[1], L"runas") == 0;
}

CInstanceManager::CInstanceManager() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    m_instanceId = ComputeInstanceId(FindFileName(path));
}

bool CInstanceManager::Acquire(bool activatePrevious) {
    HRESULT result = CreateInstanceMutex();
    if (result != 1) {
        // The first instance, or the guard failed and the program runs unguarded.
        return true;
    }
    if (IsElevatedRestart()) {
        // The elevated instance takes the place of the one that asked for it.
        NotifyClose();
        return true;
    }
    if (activatePrevious) {
        // The user has just started this process, so it may come to the front; the running
        // instance, in the background, may not unless this one hands the right on first.
        AllowSetForegroundWindow(ASFW_ANY);
        NotifyActivate();
    }
    return false;
}

HRESULT CInstanceManager::CreateInstanceMutex() {
    // Every account, anonymous logons included, gets full access, so that instances running
    // under other tokens of the session (elevated or not) can open the same mutex.
    const struct {
        SID_IDENTIFIER_AUTHORITY authority;
        DWORD subAuthority;
    } kAccounts[] = {
        {SECURITY_NT_AUTHORITY, SECURITY_LOCAL_SYSTEM_RID},
        {SECURITY_WORLD_SID_AUTHORITY, SECURITY_WORLD_RID},
        {SECURITY_NT_AUTHORITY, SECURITY_ANONYMOUS_LOGON_RID},
    };
    constexpr int kCount = sizeof(kAccounts) / sizeof(kAccounts[0]);
    CSidHandle sids[kCount];
    DWORD aclBytes = sizeof(ACL);
    for (int i = 0; i < kCount; ++i) {
        SID_IDENTIFIER_AUTHORITY authority = kAccounts[i].authority;
        if (!AllocateAndInitializeSid(&authority, 1, kAccounts[i].subAuthority, 0, 0, 0, 0, 0, 0, 0,
                                      sids[i].Put()))
            return HResultFromLastError();
        aclBytes += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids[i].Get());
    }

    CLocalMemory<ACL> acl(static_cast<ACL*>(LocalAlloc(LPTR, aclBytes)));
    CLocalMemory<void> descriptor(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!acl || !descriptor)
        return E_OUTOFMEMORY;
    if (!InitializeAcl(acl.Get(), aclBytes, ACL_REVISION))
        return HResultFromLastError();
    for (const CSidHandle& sid : sids) {
        if (!AddAccessAllowedAce(acl.Get(), ACL_REVISION, MUTEX_ALL_ACCESS, sid.Get()))
            return HResultFromLastError();
    }
    if (!InitializeSecurityDescriptor(descriptor.Get(), SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(descriptor.Get(), TRUE, acl.Get(), FALSE))
        return HResultFromLastError();

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor.Get();
    attributes.bInheritHandle = FALSE;

    CString name;
    if (!FormatInstanceMutexName(m_instanceId, name))
        return E_OUTOFMEMORY;

    // A handle from an earlier call goes first, so that it does not count as another instance.
    m_mutex.Reset();
    m_mutex.Reset(CreateMutexW(&attributes, FALSE, name));
    DWORD error = GetLastError();
    if (m_mutex)
        return error == ERROR_ALREADY_EXISTS ? 1 : 0;
    // A mutex of the same name that this token may not open also means another instance.
    if (error == ERROR_ACCESS_DENIED)
        return 1;
    return HResultFromLastError();
}

bool CInstanceManager::Notify(WPARAM code) const {
    // Never waits for the receivers: a hung instance must not hang this one.
    return SendNotifyMessageW(HWND_BROADCAST, g_instanceNotifyMessage, code,
                              static_cast<LPARAM>(m_instanceId)) != FALSE;
}

bool CInstanceManager::NotifyActivate() const {
    return Notify(kInstanceNotifyActivate);
}

bool CInstanceManager::NotifyClose() const {
    return Notify(kInstanceNotifyClose);
}
