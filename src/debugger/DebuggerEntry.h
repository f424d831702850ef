// One post-mortem debugger configuration: display name, kind, automatic start, executable and
// parameters. It reads itself from and writes itself to the system's AeDebug key.
#pragma once

#include <windows.h>

#include "../framework/String.h"
#include "../resources/resource.h"

// The choice of no debugger at all.
constexpr UINT DEBUGGER_NONE = 0x1;
// Running the executable without arguments opens the debugger's own configuration.
constexpr UINT DEBUGGER_CONFIGURABLE = 0x2;
// The user chooses the executable.
constexpr UINT DEBUGGER_CUSTOM = 0x4;

// HKEY_LOCAL_MACHINE sub-key that names the post-mortem debugger.
extern const wchar_t kAeDebugSubKey[];

class CDebuggerEntry {
public:
    // Named "No Debugger", flags 0, no path, no parameters, automatic start off.
    CDebuggerEntry() = default;
    // Executable and parameters may be null. A DEBUGGER_NONE record keeps empty texts.
    CDebuggerEntry(UINT flags, UINT nameId, const wchar_t* executable, const wchar_t* parameters,
                   BOOL autoStart);

    // Refused (FALSE, nothing changed) for a DEBUGGER_NONE record. Null texts change nothing;
    // the parameters are taken as given.
    BOOL Set(const wchar_t* path, const wchar_t* parameters, BOOL autoStart);
    // A bare file name is taken from the system directory; any other text has its environment
    // variables expanded and is made absolute against the current directory. A null text
    // changes nothing, an empty one clears the path.
    void SetPath(const wchar_t* text);

    // The path, in double quotes when asked to and it holds a space.
    CString GetPath(BOOL quote = FALSE) const;
    const CString& GetParameters() const { return m_strParameters; }
    BOOL IsAutoStart() const { return m_bAutoStart; }
    BOOL IsNone() const { return (m_nFlags & DEBUGGER_NONE) != 0; }
    BOOL IsConfigurable() const { return (m_nFlags & DEBUGGER_CONFIGURABLE) != 0; }
    BOOL IsCustom() const { return (m_nFlags & DEBUGGER_CUSTOM) != 0; }
    CString GetName() const;

    // 0 when both paths are equal, ignoring the case of the ASCII letters only.
    int ComparePath(const CDebuggerEntry& other) const;
    BOOL Exists() const;
    // The text of the "Debugger" value: the (quoted) path, then one space and the parameters.
    CString BuildCommandLine() const;

    // Loads path, parameters and automatic start from AeDebug; name and flags stay.
    BOOL Read();
    // Stores the command line and automatic start into an existing AeDebug key.
    BOOL Write() const;

    UINT m_nNameId = IDS_NO_DEBUGGER;
    UINT m_nFlags = 0;
    BOOL m_bAutoStart = FALSE;
    CString m_strPath;
    CString m_strParameters;
};
