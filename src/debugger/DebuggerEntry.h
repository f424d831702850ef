// One post-mortem debugger registration as a value: display name, kind, automatic start,
// executable and parameters. AeDebug.h reads and writes it; the page and its list show it.
#pragma once

#include <windows.h>

#include "base/String.h"
#include "resources/resource.h"

// The choice of no debugger at all.
constexpr UINT DEBUGGER_NONE = 0x1;
// Running the executable without arguments opens the debugger's own configuration.
constexpr UINT DEBUGGER_CONFIGURABLE = 0x2;
// The user chooses the executable.
constexpr UINT DEBUGGER_CUSTOM = 0x4;
// The registration saved before the first replacement; choosing it restores that copy exactly.
constexpr UINT DEBUGGER_SAVED = 0x8;

class CDebuggerEntry {
public:
    // Named "No Debugger", flags 0, no path, no parameters, automatic start off.
    CDebuggerEntry() = default;
    // Executable and parameters may be null. A DEBUGGER_NONE record keeps empty texts.
    CDebuggerEntry(UINT flags, UINT nameId, const wchar_t* executable, const wchar_t* parameters,
                   bool autoStart);

    // Refused (false, nothing changed) for a DEBUGGER_NONE record. Null texts change nothing;
    // the parameters are taken as given.
    bool Set(const wchar_t* path, const wchar_t* parameters, bool autoStart);
    // Resolved by ResolveExecutablePath (a bare file name from the system directory). A null text
    // changes nothing, an empty one clears the path; a text too long to resolve is kept as given.
    void SetPath(const wchar_t* text);

    void SetParameters(const wchar_t* parameters) { m_parameters = parameters; }
    void SetAutoStart(bool autoStart) { m_autoStart = autoStart; }

    // String resource of the display name.
    UINT GetNameId() const { return m_nameId; }
    // The full path, never quoted; empty when there is none.
    const CString& GetPath() const { return m_path; }
    const CString& GetParameters() const { return m_parameters; }
    bool IsAutoStart() const { return m_autoStart; }
    bool IsNone() const { return (m_flags & DEBUGGER_NONE) != 0; }
    bool IsConfigurable() const { return (m_flags & DEBUGGER_CONFIGURABLE) != 0; }
    bool IsCustom() const { return (m_flags & DEBUGGER_CUSTOM) != 0; }
    bool IsSaved() const { return (m_flags & DEBUGGER_SAVED) != 0; }

    // 0 when both paths are equal, ignoring the case of the ASCII letters only.
    int ComparePath(const CDebuggerEntry& other) const;
    bool Exists() const;

private:
    UINT m_nameId = IDS_NO_DEBUGGER;
    UINT m_flags = 0;
    bool m_autoStart = false;
    CString m_path;
    CString m_parameters;
};
