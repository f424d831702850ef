#include "debugger/AeDebug.h"

#include <wchar.h>

#include "base/Error.h"
#include "base/RegistryKey.h"

const wchar_t kAeDebugSubKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
const wchar_t kDebuggerValue[] = L"Debugger";
const wchar_t kAutoValue[] = L"Auto";

namespace {

// Reads a whole string value: its size first, then the text. A missing value or one of another
// type fails.
bool ReadText(CRegistryKey& key, const wchar_t* name, CString& text) {
    DWORD count = 0;
    if (!Win32Succeeded(key.ReadString(name, nullptr, count)))
        return false;
    // A zero-length value still needs room for the empty text it reads as.
    DWORD capacity = count ? count : 1;
    CString value;
    wchar_t* buffer = value.GetBuffer(static_cast<int>(capacity));
    if (!buffer)
        return false;
    // A value that grew since its size was asked fails here with ERROR_MORE_DATA.
    if (!Win32Succeeded(key.ReadString(name, buffer, capacity)))
        return false;
    // The text ends at its first NUL, as the system's own reading of the value does.
    value.ReleaseBuffer(-1);
    text = static_cast<CString&&>(value);
    return true;
}

CString Trimmed(const wchar_t* text, int length) {
    CString result(text, length);
    result.Trim();
    return result;
}

// A quoted path ends at the next quote; a bare one at the first space. False when the text
// names no path.
bool ParseCommandLine(CString& text, CDebuggerEntry& entry) {
    text.Trim();
    const wchar_t* chars = text;
    const int length = text.GetLength();
    const wchar_t separator = (length > 0 && chars[0] == L'"') ? L'"' : L' ';
    int start = 0;
    while (start < length && chars[start] == separator)
        ++start;
    int end = start;
    while (end < length && chars[end] != separator)
        ++end;
    CString path = Trimmed(chars + start, end - start);
    if (path.IsEmpty()) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    entry.SetPath(path);
    entry.SetParameters(end < length ? Trimmed(chars + end + 1, length - end - 1) : CString());
    return true;
}

// True when the record holds every text it was built from; false when memory ran out.
bool IsComplete(const CDebuggerEntry& entry, const wchar_t* executable, const wchar_t* parameters) {
    if (executable && entry.GetPath().IsEmpty())
        return false;
    return !parameters || entry.GetParameters().GetLength() == static_cast<int>(wcslen(parameters));
}
} // namespace

bool ReadAeDebug(CDebuggerEntry& entry, REGSAM view) {
    return ReadRegistration(kAeDebugSubKey, entry, view);
}

bool ReadRegistration(const wchar_t* subKey, CDebuggerEntry& entry, REGSAM view) {
    CRegistryKey key;
    CString text;
    if (!Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, subKey, KEY_READ | view)) ||
        !ReadText(key, kDebuggerValue, text) || !ParseCommandLine(text, entry))
        return false;

    DWORD count = 0;
    if (key.ReadString(kAutoValue, nullptr, count) != ERROR_SUCCESS) {
        entry.SetAutoStart(false); // missing or not text: the system asks before starting
        return true;
    }
    CString autoText;
    if (!ReadText(key, kAutoValue, autoText))
        return false;
    entry.SetAutoStart(autoText == L"1");
    return true;
}

bool WriteAeDebug(const CDebuggerEntry& entry, REGSAM view) {
    CRegistryKey key;
    CString autoText;
    return Win32Succeeded(key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_WRITE | view)) &&
           Win32Succeeded(
               key.WriteString(kDebuggerValue, BuildDebuggerCommandLine(entry), REG_SZ)) &&
           autoText.Format(L"%d", entry.IsAutoStart() ? 1 : 0) &&
           Win32Succeeded(key.WriteString(kAutoValue, autoText, REG_SZ));
}

CString BuildDebuggerCommandLine(const CDebuggerEntry& entry) {
    const CString& path = entry.GetPath();
    CString commandLine;
    if (path.IsEmpty())
        return commandLine;
    // Quoted when it holds a space, at any length: unquoted, the system and every reader take
    // the text up to the space for the program.
    if (wcschr(path, L' ')) {
        commandLine = L"\"";
        commandLine += path;
        commandLine += L"\"";
    } else {
        commandLine = path;
    }
    if (!entry.GetParameters().IsEmpty()) {
        commandLine += L" ";
        commandLine += entry.GetParameters();
    }
    return commandLine;
}

bool LoadDebuggerCatalogue(CSimpleArray<CDebuggerEntry>& entries) {
    struct Known {
        UINT flags;
        UINT nameId;
        const wchar_t* executable;
        const wchar_t* parameters;
        bool autoStart;
    };
    static const Known kCatalogue[] = {
        {DEBUGGER_NONE, IDS_NO_DEBUGGER, nullptr, nullptr, false},
        {DEBUGGER_CONFIGURABLE, IDS_DRWATSON, L"drwtsn32.exe", L"-p %ld -e %ld -g", true},
        {0, IDS_VSJIT_DEBUGGER, L"VSJitDebugger.exe", L"-p %ld -e %ld", false},
        {DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, nullptr, nullptr, false},
    };
    entries.RemoveAll();
    for (const Known& known : kCatalogue) {
        CDebuggerEntry entry(known.flags, known.nameId, known.executable, known.parameters,
                             known.autoStart);
        if (!IsComplete(entry, known.executable, known.parameters)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        // Debuggers that are not installed are left out without a word.
        if (known.executable && !entry.Exists())
            continue;
        if (!entries.Add(entry))
            return false;
    }
    return true;
}

namespace {
AeDebugValues::Kind ReadValue(CRegistryKey& key, const wchar_t* name, CString& text) {
    DWORD count = 0;
    LONG error = key.ReadString(name, nullptr, count);
    if (error == ERROR_FILE_NOT_FOUND)
        return AeDebugValues::kMissing;
    return error == ERROR_SUCCESS && ReadText(key, name, text) ? AeDebugValues::kText
                                                               : AeDebugValues::kOther;
}
} // namespace

void ReadAeDebugValues(AeDebugValues& values, REGSAM view) {
    values = AeDebugValues();
    CRegistryKey key;
    LONG error = key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_QUERY_VALUE | view);
    if (error != ERROR_SUCCESS) {
        // A key that is there but cannot be read must not pass for an empty one.
        if (error != ERROR_FILE_NOT_FOUND)
            values.debuggerKind = AeDebugValues::kOther;
        return;
    }
    values.debuggerKind = ReadValue(key, kDebuggerValue, values.debugger);
    CString autoText;
    values.autoKind = ReadValue(key, kAutoValue, autoText);
    values.autoStart = values.autoKind == AeDebugValues::kText && autoText == L"1";
}

bool NamesNoDebugger(const AeDebugValues& values) {
    if (values.debuggerKind != AeDebugValues::kText)
        return values.debuggerKind == AeDebugValues::kMissing;
    CString text = values.debugger;
    text.Trim();
    return text.IsEmpty();
}

bool SameRegistration(const AeDebugValues& first, const AeDebugValues& second) {
    return first.debuggerKind == AeDebugValues::kText &&
           second.debuggerKind == AeDebugValues::kText && first.debugger == second.debugger &&
           first.autoKind != AeDebugValues::kOther && second.autoKind != AeDebugValues::kOther &&
           first.autoStart == second.autoStart;
}
