#include "app/InstanceManager.h"

#include <string.h>

#include "app/InstanceNotify.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "base/PathUtils.h"

namespace {
using ChangeWindowMessageFilterProc = BOOL(WINAPI*)(UINT, DWORD);
bool g_messageFilterLookedUp = false;
ChangeWindowMessageFilterProc g_changeWindowMessageFilter = nullptr;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Reads the next argument of a command line by the rules of the system's splitter
// (CommandLineToArgvW, which would load the shell at every start): blanks separate, double quotes
// group, backslashes count only before a double quote (2n and a quote: n and a grouping quote;
// 2n+1: n and a literal quote). Keeps the first capacity - 1 characters in out and sets length to
// the argument's whole length; false at the end of the line.
bool NextArgument(const wchar_t*& cursor, wchar_t* out, size_t capacity, size_t& length) {
    while (IsBlank(*cursor))
        ++cursor;
    if (!*cursor)
        return false;
    length = 0;
    auto put = [&](wchar_t c, size_t count) {
        for (; count; --count, ++length) {
            if (length + 1 < capacity)
                out[length] = c;
        }
    };
    bool quoted = false;
    while (*cursor && (quoted || !IsBlank(*cursor))) {
        size_t backslashes = 0;
        while (*cursor == L'\\') {
            ++backslashes;
            ++cursor;
        }
        if (*cursor == L'"') {
            put(L'\\', backslashes / 2);
            if (backslashes % 2) {
                put(L'"', 1);
            } else if (quoted && cursor[1] == L'"') {
                put(L'"', 1); // a doubled quote inside quotes stands for itself
                ++cursor;
            } else {
                quoted = !quoted;
            }
            ++cursor;
        } else {
            put(L'\\', backslashes);
            if (*cursor && (quoted || !IsBlank(*cursor)))
                put(*cursor++, 1);
        }
    }
    out[length + 1 < capacity ? length : capacity - 1] = 0;
    return true;
}
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
    // The program's name ends at its closing quote, or else at the first blank.
    const wchar_t* cursor = GetCommandLineW();
    if (*cursor == L'"') {
        for (++cursor; *cursor && *cursor != L'"';)
            ++cursor;
        if (*cursor)
            ++cursor;
    } else {
        while (*cursor && !IsBlank(*cursor))
            ++cursor;
    }
    // Exactly one argument, compared code unit by code unit.
    constexpr wchar_t kMarker[] = L"runas";
    constexpr size_t kMarkerLength = sizeof(kMarker) / sizeof(kMarker[0]) - 1;
    wchar_t first[kMarkerLength + 1], more[1];
    size_t length = 0, moreLength = 0;
    return NextArgument(cursor, first, kMarkerLength + 1, length) && length == kMarkerLength &&
           memcmp(first, kMarker, sizeof(first)) == 0 && !NextArgument(cursor, more, 1, moreLength);
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

CInstanceManager::CInstanceManager(bool global) : m_global(global), m_instanceId(0) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    m_instanceId = ComputeInstanceId(FindFileName(path));
    // An elevated instance must still hear the notices of an unelevated one.
    SetMessageFilter(g_instanceNotifyMessage, true);
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
    if (!FormatInstanceMutexName(m_global, m_instanceId, name))
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
    return Notify(INSTANCE_NOTIFY_ACTIVATE);
}

bool CInstanceManager::NotifyClose() const {
    return Notify(INSTANCE_NOTIFY_CLOSE);
}
