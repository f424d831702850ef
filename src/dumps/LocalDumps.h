// Windows Error Reporting's local dumps: the LocalDumps key under HKEY_LOCAL_MACHINE (for every
// program) and its sub-keys named after an executable (for that program, taking precedence).
// The rules of changing them live here, without windows; the Crash Dumps page and corvanectl only
// move data between the user and these functions. Only the four values below and the keys this
// unit creates are ever written or deleted.
#pragma once

#include <windows.h>

#include "base/Array.h"
#include "base/String.h"

extern const wchar_t kLocalDumpsKey[];

// The four values, in this order everywhere.
enum DumpField { kDumpFolder, kDumpCount, kDumpType, kCustomDumpFlags, kDumpFieldCount };
extern const wchar_t* const kDumpValueNames[kDumpFieldCount];

// DumpType's values.
constexpr DWORD kDumpTypeCustom = 0;
constexpr DWORD kDumpTypeMini = 1;
constexpr DWORD kDumpTypeFull = 2;

// One of the four values as stored: missing, of its expected type (REG_EXPAND_SZ or REG_SZ for
// the folder, REG_DWORD for the others), or of another type, which is shown and kept as it is.
struct DumpValue {
    enum State { kAbsent, kPresent, kUnexpected };
    State state = kAbsent;
    DWORD registryType = REG_NONE;
    CString text;     // the folder, unexpanded
    DWORD number = 0; // the others
};

// The settings of the LocalDumps key (program empty) or of one program's sub-key.
struct LocalDumpsSettings {
    bool exists = false;
    DumpValue values[kDumpFieldCount];
};

// What a front end asks for. on: the key exists with the values given; off: the four values go,
// and the key too when nothing else is left in it. A field not marked changed stays as stored;
// a changed field whose value is kAbsent is removed (the system's default applies).
struct LocalDumpsChange {
    CString program; // empty: every program
    bool on = true;
    bool changed[kDumpFieldCount] = {};
    DumpValue values[kDumpFieldCount];
};

// Which rule a change breaks; each front end shows its own text for it.
enum class DumpsRule {
    kNone,
    kProgramName,     // not a file name ending in ".exe" that fits a registry key name
    kFolderTooLong,   // MAX_PATH characters or more
    kCount,           // not a whole number from 1 up
    kType,            // not one of the kinds
    kFlags,           // not a hexadecimal DWORD
    kFlagsNeedCustom, // custom flags for a kind other than custom
};

// The text both front ends show for a broken rule (a string resource).
UINT DumpsRuleText(DumpsRule rule);

// True when the setting for every program is on (the LocalDumps key exists).
bool AreLocalDumpsOn();
// The settings of the key; false with the last error when it exists but cannot be read.
bool ReadLocalDumps(const wchar_t* program, LocalDumpsSettings& settings);
// The names of the programs with settings of their own, as stored.
bool ListLocalDumpsPrograms(CSimpleArray<CString>& programs);

// Marks a field of the change as changed to what the user typed: the folder as it is; the count
// in decimal from 1; the kind as "mini", "full" or "custom"; the custom flags in hexadecimal
// ("0x" allowed). An empty text removes the value. Answers kCount, kType or kFlags (the change
// untouched) for a text that is no such value.
DumpsRule SetDumpField(LocalDumpsChange& change, DumpField field, const wchar_t* text);
// The text SetDumpField takes for a stored value of the expected type; empty for the others.
CString DumpFieldText(const DumpValue& value, DumpField field);

// The rules, checked before anything is written. Custom flags need the new kind, or the stored
// one when the kind is not changed, to be custom.
DumpsRule ValidateLocalDumps(const LocalDumpsChange& change);
// Writes a valid change. Turning off every program fails with ERROR_DIR_NOT_EMPTY, changing
// nothing, while program keys or other values are in the key: local dumps would stay on.
bool ApplyLocalDumps(const LocalDumpsChange& change);

// The folder exists, with this account's environment expanded (a relative one below the
// current directory).
bool DumpFolderExists(const wchar_t* folder);
// Creates the folder and its missing parents.
bool CreateDumpFolder(const wchar_t* folder);
