#include "debugger/DebuggerEntry.h"

#include "base/PathUtils.h"

namespace {
wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}
} // namespace

CDebuggerEntry::CDebuggerEntry(UINT flags, UINT nameId, const wchar_t* executable,
                               const wchar_t* parameters, bool autoStart)
    : m_nameId(nameId), m_flags(flags) {
    Set(executable, parameters, autoStart);
}

bool CDebuggerEntry::Set(const wchar_t* path, const wchar_t* parameters, bool autoStart) {
    if (IsNone())
        return false;
    SetPath(path);
    if (parameters)
        m_parameters = parameters;
    m_autoStart = autoStart;
    return true;
}

void CDebuggerEntry::SetPath(const wchar_t* text) {
    if (!text)
        return;
    if (!*text) {
        // Resolving nothing would name the system directory itself.
        m_path.Empty();
        return;
    }
    if (!ResolveExecutablePath(text, m_path)) {
        // Too long to resolve: keep the text as given rather than a path from before, so the
        // record never names another debugger; the existence check refuses it later.
        m_path = text;
    }
}

int CDebuggerEntry::ComparePath(const CDebuggerEntry& other) const {
    const wchar_t* a = m_path;
    const wchar_t* b = other.m_path;
    for (;; ++a, ++b) {
        wchar_t ca = FoldAscii(*a);
        wchar_t cb = FoldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}

bool CDebuggerEntry::Exists() const {
    return FileExists(m_path);
}
