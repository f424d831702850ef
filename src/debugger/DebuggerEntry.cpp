#include "DebuggerEntry.h"

#include <shlwapi.h>
#include <wctype.h>

#include "PathUtils.h"
#include "RegistryKey.h"

const wchar_t kAeDebugSubKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";

namespace {
const wchar_t kDebuggerValue[] = L"Debugger";
const wchar_t kAutoValue[] = L"Auto";

// Reads a string value of count characters (terminator included, as its size query gave).
bool ReadSizedString(CRegistryKey& key, const wchar_t* name, DWORD count, CString& text) {
    // A zero-length value still needs room for the empty text it reads as.
    DWORD capacity = count ? count : 1;
    CString value;
    wchar_t* buffer = value.GetBuffer(static_cast<int>(capacity));
    if (!buffer)
        return false;
    // A value that grew since its size was asked fails here with ERROR_MORE_DATA.
    if (key.ReadString(name, buffer, capacity) != ERROR_SUCCESS)
        return false;
    value.ReleaseBuffer(capacity ? static_cast<int>(capacity) - 1 : 0);
    text = static_cast<CString&&>(value);
    return true;
}

CString Trimmed(const wchar_t* text, int length) {
    CString result(text, length);
    result.Trim();
    return result;
}

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}
} // namespace

CDebuggerEntry::CDebuggerEntry(UINT flags, UINT nameId, const wchar_t* executable,
                               const wchar_t* parameters, BOOL autoStart)
    : m_nNameId(nameId), m_nFlags(flags) {
    Set(executable, parameters, autoStart);
}

BOOL CDebuggerEntry::Set(const wchar_t* path, const wchar_t* parameters, BOOL autoStart) {
    if (IsNone())
        return FALSE;
    SetPath(path);
    if (parameters)
        m_strParameters = parameters;
    m_bAutoStart = autoStart;
    return TRUE;
}

void CDebuggerEntry::SetPath(const wchar_t* text) {
    if (!text)
        return;
    if (!*text) {
        // Resolving nothing would name the system directory itself.
        m_strPath.Empty();
        return;
    }
    bool resolved =
        PathIsFileSpecW(text) ? GetSystemPath(text, m_strPath) : ExpandFullPath(text, m_strPath);
    if (!resolved) {
        // Too long to resolve: keep the text as given rather than a path from before, so the
        // record never names another debugger; the existence check refuses it later.
        m_strPath = text;
    }
}

CString CDebuggerEntry::GetPath(BOOL quote) const {
    if (!quote || m_strPath.IsEmpty() || m_strPath.GetLength() >= MAX_PATH)
        return m_strPath;
    wchar_t buffer[MAX_PATH];
    lstrcpynW(buffer, m_strPath, MAX_PATH);
    PathQuoteSpacesW(buffer); // leaves a path whose quoted form would not fit as it is
    return CString(buffer);
}

CString CDebuggerEntry::GetName() const {
    CString name;
    name.LoadString(m_nNameId);
    return name;
}

int CDebuggerEntry::ComparePath(const CDebuggerEntry& other) const {
    const wchar_t* a = m_strPath;
    const wchar_t* b = other.m_strPath;
    for (;; ++a, ++b) {
        wchar_t ca = FoldAscii(*a);
        wchar_t cb = FoldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}

BOOL CDebuggerEntry::Exists() const {
    return PathFileExistsW(m_strPath);
}

CString CDebuggerEntry::BuildCommandLine() const {
    CString commandLine;
    if (m_strPath.IsEmpty())
        return commandLine;
    commandLine = GetPath(TRUE);
    if (!m_strParameters.IsEmpty()) {
        commandLine += L" ";
        commandLine += m_strParameters;
    }
    return commandLine;
}

BOOL CDebuggerEntry::Read() {
    CRegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ) != ERROR_SUCCESS)
        return FALSE;

    DWORD count = 0;
    CString text;
    if (key.ReadString(kDebuggerValue, nullptr, count) != ERROR_SUCCESS ||
        !ReadSizedString(key, kDebuggerValue, count, text))
        return FALSE;
    text.Trim();

    // A quoted path ends at the next quote; a bare one at the first space.
    const wchar_t* chars = text;
    const int length = text.GetLength();
    const wchar_t separator = (length > 0 && chars[0] == L'"') ? L'"' : L' ';
    int start = 0;
    while (start < length && chars[start] == separator)
        ++start;
    int end = start;
    while (end < length && chars[end] != separator)
        ++end;
    CString path = Trimmed(chars + start, end - start);
    if (path.IsEmpty())
        return FALSE;
    SetPath(path);
    m_strParameters = end < length ? Trimmed(chars + end + 1, length - end - 1) : CString();

    count = 0;
    if (key.ReadString(kAutoValue, nullptr, count) != ERROR_SUCCESS) {
        m_bAutoStart = FALSE; // missing or not text: the system asks before starting
    } else {
        CString autoText;
        if (!ReadSizedString(key, kAutoValue, count, autoText))
            return FALSE;
        m_bAutoStart = autoText == L"1";
    }
    return TRUE;
}

BOOL CDebuggerEntry::Write() const {
    CRegistryKey key;
    // Opened, never created: only an existing registration is changed.
    if (key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_WRITE) != ERROR_SUCCESS)
        return FALSE;
    if (key.WriteString(kDebuggerValue, BuildCommandLine(), REG_SZ) != ERROR_SUCCESS)
        return FALSE;
    CString autoText;
    if (!autoText.Format(L"%d", m_bAutoStart ? 1 : 0))
        return FALSE;
    return key.WriteString(kAutoValue, autoText, REG_SZ) == ERROR_SUCCESS;
}
