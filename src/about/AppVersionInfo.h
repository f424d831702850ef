// The version and copyright lines that the About page shows, from the running executable's own
// version resource.
#pragma once

#include <windows.h>

#include "base/ModuleVersion.h"

// The running executable's version resource, read once on construction.
class CAppVersionInfo : public CModuleVersion {
public:
    CAppVersionInfo();

    // False (with the stored failure as the thread's last error) when the read failed.
    bool IsLoaded() const;
    // "Version 3.4 (Build 56.7), 64-bit." and the like.
    bool FormatVersionText(CString& out, bool appendWordSize) const;
    // The first sentence of LegalCopyright, without its full stop.
    bool FormatCopyrightText(CString& out) const;

private:
    // 0 when reading the running executable succeeded, else the last error of the failed read.
    DWORD m_loadError = 0;
};
