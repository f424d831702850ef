#include "debugger/DebuggerChoice.h"

#include "debugger/AeDebug.h"
#include "debugger/SavedRegistration.h"

namespace {
// The system starts the debugger with a command line of at most 32,767 characters, terminator
// included, after the placeholders have become numbers (up to 20 digits each): a longer one
// would be cut or refused when a program crashes, which is no time to find out.
constexpr int kMaxCommandLine = 32767 - 1 - 2 * 20;

ChangeResult ResultOf(int done, int count) {
    ChangeResult result;
    for (int i = 0; i < count && i < kViewCount; ++i)
        result.changed[i] = i < done;
    result.succeeded = done == count;
    if (!result.succeeded) {
        result.error = GetLastError();
        result.failed = done;
    }
    return result;
}
} // namespace

ChoiceFault CheckChoice(CDebuggerEntry& entry, const wchar_t* path, const wchar_t* parameters,
                        bool autoStart) {
    if (entry.IsNone() || entry.IsSaved())
        return ChoiceFault::kNone;
    if (!path || !*path)
        return ChoiceFault::kEmptyPath;
    entry.Set(path, parameters ? parameters : L"", autoStart);
    if (!entry.Exists())
        return ChoiceFault::kMissingExecutable;
    if (entry.GetParameters().IsEmpty())
        return ChoiceFault::kEmptyParameters;
    if (BuildDebuggerCommandLine(entry).GetLength() > kMaxCommandLine)
        return ChoiceFault::kCommandTooLong;
    return ChoiceFault::kNone;
}

UINT ChoiceFaultText(ChoiceFault fault) {
    switch (fault) {
    case ChoiceFault::kEmptyPath:
        return IDS_EMPTY_PATH;
    case ChoiceFault::kMissingExecutable:
        return IDS_EXE_MISSING;
    case ChoiceFault::kEmptyParameters:
        return IDS_EMPTY_PARAMETERS;
    case ChoiceFault::kCommandTooLong:
        return IDS_COMMAND_TOO_LONG;
    default:
        return 0;
    }
}

int FindEntryByPath(const CSimpleArray<CDebuggerEntry>& catalogue, const CDebuggerEntry& entry) {
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        if (!catalogue[i].IsSaved() && catalogue[i].ComparePath(entry) == 0)
            return i;
    }
    return -1;
}

int FindEntryByName(const CSimpleArray<CDebuggerEntry>& catalogue, const wchar_t* name) {
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        CString text;
        text.LoadString(catalogue[i].GetNameId());
        if (CompareStringOrdinal(text, -1, name, -1, TRUE) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

int SelectStoredEntry(const CSimpleArray<CDebuggerEntry>& catalogue, CDebuggerEntry& stored,
                      bool& read, REGSAM view) {
    read = ReadAeDebug(stored, view);
    if (!read)
        return 0;
    const int found = FindEntryByPath(catalogue, stored);
    return found >= 0 ? found : catalogue.GetCount() - 1;
}

ChangeResult ApplyChoice(const CDebuggerEntry& entry, const REGSAM* views, int count) {
    if (entry.IsSaved())
        return RestoreChoice(views, count, 1);
    return ResultOf(ReplaceAeDebug(entry, views, count), count);
}

ChangeResult RestoreChoice(const REGSAM* views, int count, int required) {
    ChangeResult result;
    result.succeeded = RestoreAeDebug(views, count, required, result.changed, &result.failed);
    if (!result.succeeded)
        result.error = GetLastError();
    return result;
}
