// Reading a file's version resource: the fixed file information (the four-part file version and
// the file flags) and string values such as LegalCopyright.
#pragma once

#include <windows.h>

#include "base/Handle.h"
#include "base/String.h"

class CModuleVersion {
public:
    CModuleVersion();
    CModuleVersion(const CModuleVersion&) = delete;
    CModuleVersion& operator=(const CModuleVersion&) = delete;

    // Reads the version resource of the file at a full path. False when the file has none or it
    // cannot be read; the thread's last error then says why.
    bool LoadFromFile(const wchar_t* fileName);
    // The same for a module already loaded in the process; null names the running executable.
    bool LoadFromModule(const wchar_t* moduleName);
    // A value of the string table that the translation selects; empty when there is none.
    CString QueryString(const wchar_t* key) const;

    WORD GetMajor() const { return HIWORD(m_fixed.dwFileVersionMS); }
    WORD GetMinor() const { return LOWORD(m_fixed.dwFileVersionMS); }
    WORD GetBuild() const { return HIWORD(m_fixed.dwFileVersionLS); }
    WORD GetRevision() const { return LOWORD(m_fixed.dwFileVersionLS); }
    bool IsPrerelease() const { return (m_fixed.dwFileFlags & VS_FF_PRERELEASE) != 0; }

private:
    // The fixed file information as the last load read it; zeros before.
    VS_FIXEDFILEINFO m_fixed;
    // The whole version resource, as the last load read it.
    CHeapMemory<BYTE> m_versionData;
    // Language and code page of the string table that QueryString reads.
    struct {
        WORD language;
        WORD codePage;
    } m_translation;
};
