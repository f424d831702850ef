#include "app/InstanceManager.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "base/Error.h"
#include "app/InstanceNotify.h"

namespace {
const HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000E);

// SIDs allocated by AllocateAndInitializeSid, freed on every way out; freeing keeps the
// thread's last error.
class CSidList {
public:
    CSidList() = default;
    CSidList(const CSidList&) = delete;
    CSidList& operator=(const CSidList&) = delete;
    ~CSidList() {
        DWORD error = GetLastError();
        for (PSID sid : m_sids) {
            if (sid)
                FreeSid(sid);
        }
        SetLastError(error);
    }
    bool Add(SID_IDENTIFIER_AUTHORITY authority, DWORD subAuthority) {
        return AllocateAndInitializeSid(&authority, 1, subAuthority, 0, 0, 0, 0, 0, 0, 0,
                                        &m_sids[m_count++]) != FALSE;
    }
    int Count() const { return m_count; }
    PSID operator[](int index) const { return m_sids[index]; }

private:
    PSID m_sids[3] = {};
    int m_count = 0;
};

// Memory from LocalAlloc, freed on every way out without touching the last error.
class CLocalMemory {
public:
    explicit CLocalMemory(SIZE_T bytes) : m_memory(LocalAlloc(LPTR, bytes)) {}
    CLocalMemory(const CLocalMemory&) = delete;
    CLocalMemory& operator=(const CLocalMemory&) = delete;
    ~CLocalMemory() {
        if (m_memory) {
            DWORD error = GetLastError();
            LocalFree(m_memory);
            SetLastError(error);
        }
    }
    void* Get() const { return m_memory; }

private:
    HLOCAL m_memory;
};

using ChangeWindowMessageFilterProc = BOOL(WINAPI*)(UINT, DWORD);
bool g_messageFilterLookedUp = false;
ChangeWindowMessageFilterProc g_changeWindowMessageFilter = nullptr;
} // namespace

DWORD ComputeInstanceId(const wchar_t* fileName) {
    wchar_t upper[MAX_PATH];
    lstrcpynW(upper, fileName, MAX_PATH);
    CharUpperBuffW(upper, static_cast<DWORD>(lstrlenW(upper)));
    DWORD hash = 0;
    for (const wchar_t* unit = upper; *unit; ++unit)
        hash = ((hash >> 13) | (hash << 19)) + static_cast<DWORD>(*unit);
    return hash;
}

bool FormatInstanceMutexName(bool global, DWORD id, CString& name) {
    return name.Format(L"%ls\\ZKWInstance.%08X", global ? L"Global" : L"Local", id);
}

bool IsElevatedRestart() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args)
        return false;
    bool elevated = count == 2 && lstrcmpW(args[1], L"runas") == 0;
    LocalFree(args);
    return elevated;
}

bool SetMessageFilter(UINT message, bool allow) {
    if (!g_messageFilterLookedUp) {
        g_messageFilterLookedUp = true;
        // Only from Windows Vista on; older systems let every message through anyway.
        if (HMODULE user32 = GetModuleHandleW(L"user32"))
            g_changeWindowMessageFilter = reinterpret_cast<ChangeWindowMessageFilterProc>(
                reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
    }
    if (!g_changeWindowMessageFilter)
        return false;
    return g_changeWindowMessageFilter(message, allow ? MSGFLT_ADD : MSGFLT_REMOVE) != FALSE;
}

CInstanceManager::CInstanceManager(BOOL global)
    : m_bGlobal(global), m_dwInstanceId(0), m_hMutex(nullptr) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    m_dwInstanceId = ComputeInstanceId(PathFindFileNameW(path));
    // An elevated instance must still hear the notices of an unelevated one.
    SetMessageFilter(g_instanceNotifyMessage, true);
}

CInstanceManager::~CInstanceManager() {
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
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
    if (activatePrevious)
        NotifyActivate();
    return false;
}

HRESULT CInstanceManager::CreateInstanceMutex() {
    // Every account, anonymous logons included, gets full access, so that instances running
    // under other tokens of the session (elevated or not) can open the same mutex.
    CSidList sids;
    if (!sids.Add(SECURITY_NT_AUTHORITY, SECURITY_LOCAL_SYSTEM_RID) ||
        !sids.Add(SECURITY_WORLD_SID_AUTHORITY, SECURITY_WORLD_RID) ||
        !sids.Add(SECURITY_NT_AUTHORITY, SECURITY_ANONYMOUS_LOGON_RID))
        return HResultFromLastError();

    DWORD aclBytes = sizeof(ACL);
    for (int i = 0; i < sids.Count(); ++i)
        aclBytes += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids[i]);
    CLocalMemory aclMemory(aclBytes);
    CLocalMemory descriptorMemory(SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (!aclMemory.Get() || !descriptorMemory.Get())
        return kOutOfMemory;
    auto* acl = static_cast<ACL*>(aclMemory.Get());
    if (!InitializeAcl(acl, aclBytes, ACL_REVISION))
        return HResultFromLastError();
    for (int i = 0; i < sids.Count(); ++i) {
        if (!AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, sids[i]))
            return HResultFromLastError();
    }
    PSECURITY_DESCRIPTOR descriptor = descriptorMemory.Get();
    if (!InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE))
        return HResultFromLastError();

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;

    CString name;
    if (!FormatInstanceMutexName(m_bGlobal != FALSE, m_dwInstanceId, name))
        return kOutOfMemory;

    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    m_hMutex = CreateMutexW(&attributes, FALSE, name);
    DWORD error = GetLastError();
    if (m_hMutex)
        return error == ERROR_ALREADY_EXISTS ? 1 : 0;
    // A mutex of the same name that this token may not open also means another instance.
    if (error == ERROR_ACCESS_DENIED)
        return 1;
    return HResultFromLastError();
}

bool CInstanceManager::Notify(WPARAM code) const {
    // Never waits for the receivers: a hung instance must not hang this one.
    return SendNotifyMessageW(HWND_BROADCAST, g_instanceNotifyMessage, code,
                              static_cast<LPARAM>(m_dwInstanceId)) != FALSE;
}

bool CInstanceManager::NotifyActivate() const {
    return Notify(INSTANCE_NOTIFY_ACTIVATE);
}

bool CInstanceManager::NotifyClose() const {
    return Notify(INSTANCE_NOTIFY_CLOSE);
}
