// The registration that Corvane replaced, kept so that it can be put back. The first replacement
// in a registry view copies the "Debugger" and "Auto" values exactly as they were stored (type
// and bytes, or their absence) to HKEY_LOCAL_MACHINE\Software\Corvane\Saved in the same view;
// later replacements keep that copy; restoring writes it back exactly and removes it. No windows:
// the page and the console program share it. Writing needs an elevated process, as AeDebug does.
//
// Every writer of the registration goes through ReplaceAeDebug or RestoreAeDebug. Both take a
// lock that every process of the machine respects for the whole read-check-write of each call,
// so two writers never interleave. Views are changed one after the other, each all or nothing:
// a view that fails is put back as it was (only what this call wrote), the views before it keep
// their change, and the call stops there with the thread's last error saying why.
#pragma once

#include <windows.h>

#include "debugger/DebuggerEntry.h"

// HKEY_LOCAL_MACHINE sub-key of the saved copy.
extern const wchar_t kSavedRegistrationSubKey[];

enum class SavedCopy {
    kNone,
    kPresent,    // damaged or not
    kUnreadable, // the key is there but cannot be opened; the last error says why
};
SavedCopy FindSavedRegistration(REGSAM view);
inline bool HasSavedRegistration(REGSAM view) {
    return FindSavedRegistration(view) == SavedCopy::kPresent;
}
// The saved copy's path, parameters and automatic start, read as AeDebug itself is read.
bool ReadSavedRegistration(CDebuggerEntry& entry, REGSAM view);

// Saves each view's registration unless it holds a saved copy already, then writes entry. A
// missing 32-bit key is made first (a fresh system may have none), and goes again on failure.
// Returns how many views, from the first, were changed.
int ReplaceAeDebug(const CDebuggerEntry& entry, const REGSAM* views, int count);

// Writes each view's saved copy back and removes it. The first `required` views must hold a
// copy (ERROR_FILE_NOT_FOUND); the others are restored when they hold one, and at least one view
// must. Every copy is read and checked before anything is written: a damaged one
// (ERROR_INVALID_DATA) or one that cannot be read fails with nothing written. `restored`, when
// given, says which views were; `failed`, which view failed (-1: none, or no view in particular).
bool RestoreAeDebug(const REGSAM* views, int count, int required, bool* restored = nullptr,
                    int* failed = nullptr);
