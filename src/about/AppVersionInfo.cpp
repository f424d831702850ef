#include "about/AppVersionInfo.h"

#include <wchar.h>

#include "resources/resource.h"

CAppVersionInfo::CAppVersionInfo() {
    if (!LoadFromModule(nullptr)) {
        loadError = GetLastError();
        // A failure must never count as loaded, even one that set no error of its own.
        if (loadError == 0)
            loadError = ERROR_INVALID_DATA;
    }
}

CAppVersionInfo::~CAppVersionInfo() = default;

bool CAppVersionInfo::IsLoaded() const {
    if (loadError != 0) {
        SetLastError(loadError);
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
