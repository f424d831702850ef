#include "about/AppVersionInfo.h"

#include <wchar.h>

#include "resources/resource.h"

CAppVersionInfo::CAppVersionInfo() {
    if (!LoadFromModule(nullptr)) {
        m_loadError = GetLastError();
        // A failure must never count as loaded, even one that set no error of its own.
        if (m_loadError == 0)
            m_loadError = ERROR_INVALID_DATA;
    }
}

bool CAppVersionInfo::IsLoaded() const {
    if (m_loadError != 0) {
        SetLastError(m_loadError);
        return false;
    }
    return true;
}

bool CAppVersionInfo::FormatVersionText(CString& out, bool appendWordSize) const {
    if (!IsLoaded())
        return false;
    CString format;
    format.LoadString(IDS_VERSION_PARTS);
    CString parts;
    parts.Format(format, GetMajor(), GetMinor(), GetBuild(), GetRevision());
    if (IsPrerelease())
        parts += L" [BETA]";
    if (appendWordSize) {
        CString wordSize;
        wordSize.LoadString(IDS_WORD_SIZE);
        parts += L", ";
        parts += wordSize;
        parts += L".";
    }
    format.LoadString(IDS_VERSION_LINE);
    out.Format(format, parts.GetString());
    return true;
}

bool CAppVersionInfo::FormatCopyrightText(CString& out) const {
    if (!IsLoaded())
        return false;
    CString copyright = QueryString(L"LegalCopyright");
    const wchar_t* text = copyright.GetString();
    while (*text == L'.')
        ++text;
    const wchar_t* end = wcschr(text, L'.');
    out.Assign(text, end ? static_cast<int>(end - text) : static_cast<int>(wcslen(text)));
    return true;
}
