// The rules of changing the registration, in one place for both faces of the program: the
// Debugger page and corvanectl only move what the user chose into these calls and show what
// comes back, each in its own words. No windows.
#pragma once

#include <windows.h>

#include "base/Array.h"
#include "debugger/DebuggerEntry.h"

// The views a change can name: the native one, which 64-bit programs read, and the one 32-bit
// programs read. Changes go through the views in the order given, the native one first.
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;
constexpr REGSAM kWow64View = KEY_WOW64_32KEY;
constexpr int kViewCount = 2;

// The first rule a choice breaks.
enum class ChoiceFault {
    kNone,
    kEmptyPath,
    kMissingExecutable,
    kEmptyParameters,
    kCommandTooLong,
};

// Makes entry (the selected catalogue entry, or a custom one) the record to write from the
// user's path, parameters and automatic start, and checks it. The path is resolved first (a bare
// name from the system directory), so the file checked is the one written. "No Debugger" and the
// saved registration take nothing from the user and break no rule.
ChoiceFault CheckChoice(CDebuggerEntry& entry, const wchar_t* path, const wchar_t* parameters,
                        bool autoStart);
// The string resource that tells the user which rule was broken; 0 for kNone.
UINT ChoiceFaultText(ChoiceFault fault);

// The index of the first entry that names the record's executable, or -1; the saved
// registration stands for a restore, not for its path, and never matches.
int FindEntryByPath(const CSimpleArray<CDebuggerEntry>& catalogue, const CDebuggerEntry& entry);
// The index of the entry with that display name (ignoring case), or -1.
int FindEntryByName(const CSimpleArray<CDebuggerEntry>& catalogue, const wchar_t* name);
// The entry a view's registration selects: reads it into stored (false when it cannot be read,
// which selects "No Debugger", the first entry) and gives the index of the matching entry, or
// the last ("Other debugger...") when none matches.
int SelectStoredEntry(const CSimpleArray<CDebuggerEntry>& catalogue, CDebuggerEntry& stored,
                      bool& read, REGSAM view = kNativeView);

// What a change did, view by view (in the order the views were given).
struct ChangeResult {
    bool succeeded = false;
    bool changed[kViewCount] = {};
    int failed = -1;             // the view that failed, when one did
    DWORD error = ERROR_SUCCESS; // why, when it did not succeed
    bool AnyChanged() const { return changed[0] || changed[1]; }
};

// Writes the choice into each view, saving the registration it replaces first; the saved
// registration is restored instead (from the first view, and from the others that hold a copy).
ChangeResult ApplyChoice(const CDebuggerEntry& entry, const REGSAM* views, int count);
// Restores the saved registration: the first `required` views must hold a copy, the others are
// restored when they hold one (ERROR_FILE_NOT_FOUND when no view does).
ChangeResult RestoreChoice(const REGSAM* views, int count, int required);
