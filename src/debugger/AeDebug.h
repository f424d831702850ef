// The system's post-mortem debugger registration: the AeDebug key under HKEY_LOCAL_MACHINE, read
// into and written from a CDebuggerEntry, and the catalogue of debuggers the program knows. No
// windows and no texts of its own, so a console program can use it just as the page does.
//
// view selects the registry view that holds the key: 0 is the program's own, KEY_WOW64_64KEY and
// KEY_WOW64_32KEY name the 64-bit and 32-bit views. Failures return false with the thread's last
// error saying why.
#pragma once

#include <windows.h>

#include "base/Array.h"
#include "base/String.h"
#include "debugger/DebuggerEntry.h"

// HKEY_LOCAL_MACHINE sub-key that names the post-mortem debugger.
extern const wchar_t kAeDebugSubKey[];
// Its two values: the command line and whether the system starts the debugger without asking.
extern const wchar_t kDebuggerValue[];
extern const wchar_t kAutoValue[];

// Loads path, parameters and automatic start from the "Debugger" and "Auto" values; the
// entry's name and flags stay. False, with the entry unchanged but for what was already read,
// when the key or a "Debugger" text naming a path cannot be read.
bool ReadAeDebug(CDebuggerEntry& entry, REGSAM view = 0);
// The same reading from another key of HKEY_LOCAL_MACHINE that holds the two values.
bool ReadRegistration(const wchar_t* subKey, CDebuggerEntry& entry, REGSAM view = 0);
// Stores the command line and automatic start into the key, which must exist.
bool WriteAeDebug(const CDebuggerEntry& entry, REGSAM view = 0);
// The text of the "Debugger" value: the path (in double quotes when it holds a space), then one
// space and the parameters; empty when there is no path.
CString BuildDebuggerCommandLine(const CDebuggerEntry& entry);

// "No Debugger", the known debuggers installed in the system directory, and "Other
// debugger...", in that order. False (ERROR_NOT_ENOUGH_MEMORY) when the records could not be
// built.
bool LoadDebuggerCatalogue(CSimpleArray<CDebuggerEntry>& entries);

// One view's "Debugger" and "Auto" as stored, to tell whether replacing them would lose
// anything. A value that is not text, or that cannot be read, counts as kOther.
struct AeDebugValues {
    enum Kind { kMissing, kText, kOther };
    Kind debuggerKind = kMissing;
    CString debugger; // the text as stored, untrimmed
    Kind autoKind = kMissing;
    bool autoStart = false; // on only for the text "1", as ReadAeDebug takes it
};
// A missing key reads as missing values.
void ReadAeDebugValues(AeDebugValues& values, REGSAM view = 0);
// True when the view starts no debugger: no key, no "Debugger" value, or only blanks in it.
bool NamesNoDebugger(const AeDebugValues& values);
// True when both views hold the same "Debugger" text and the same automatic start; values that
// are not text never match.
bool SameRegistration(const AeDebugValues& first, const AeDebugValues& second);
