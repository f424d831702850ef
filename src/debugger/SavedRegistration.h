// The registration that Corvane replaced, kept so that it can be put back. The first replacement
// in a registry view copies the "Debugger" and "Auto" values exactly as they were stored (type
// and bytes, or their absence) to HKEY_LOCAL_MACHINE\Software\Corvane\Saved in the same view;
// later replacements keep that copy; restoring writes it back exactly and removes it. No windows:
// the page and the console program share it. Writing needs an elevated process, as AeDebug does.
//
// Every writer of the registration goes through ReplaceAeDebug. Each call is all or nothing:
// when a step fails, the registration and the saved copy of every view it names are put back
// as they were, and the thread's last error says why.
#pragma once

#include <windows.h>

#include "debugger/DebuggerEntry.h"

// HKEY_LOCAL_MACHINE sub-key of the saved copy.
extern const wchar_t kSavedRegistrationSubKey[];

// True when the view holds a saved copy, damaged or not.
bool HasSavedRegistration(REGSAM view = 0);
// The saved copy's path, parameters and automatic start, read as AeDebug itself is read.
bool ReadSavedRegistration(CDebuggerEntry& entry, REGSAM view = 0);

// Saves the registration of each view unless it holds a saved copy already, then writes entry.
// A missing 32-bit key is made first (a fresh system may have none), and goes again on failure.
bool ReplaceAeDebug(const CDebuggerEntry& entry, const REGSAM* views, int count);
inline bool ReplaceAeDebug(const CDebuggerEntry& entry, REGSAM view = 0) {
    return ReplaceAeDebug(entry, &view, 1);
}

// Writes each view's saved copy back and removes it. Nothing is written when a view holds no
// copy (ERROR_FILE_NOT_FOUND) or a damaged one (ERROR_INVALID_DATA).
bool RestoreAeDebug(const REGSAM* views, int count);
inline bool RestoreAeDebug(REGSAM view = 0) {
    return RestoreAeDebug(&view, 1);
}
