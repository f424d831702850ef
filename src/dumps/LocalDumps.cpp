#include "dumps/LocalDumps.h"

#include "base/Error.h"
#include "base/PathUtils.h"
#include "base/RegistryKey.h"
#include "resources/resource.h"

const wchar_t kLocalDumpsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\LocalDumps";
const wchar_t* const kDumpValueNames[kDumpFieldCount] = {L"DumpFolder", L"DumpCount", L"DumpType",
                                                         L"CustomDumpFlags"};

namespace {
// The native view, where the system reads the key.
constexpr REGSAM kView = KEY_WOW64_64KEY;
// A registry key name has at most 255 characters.
constexpr int kMaxKeyName = 255;
const wchar_t* const kTypeWords[] = {L"custom", L"mini", L"full"};

bool KeyPath(const wchar_t* program, CString& path) {
    path = kLocalDumpsKey;
    return !program || !*program || (path.Append(L"\\") && path.Append(program));
}

bool IsDumpValueName(const wchar_t* name) {
    for (const wchar_t* known : kDumpValueNames) {
        if (CompareStringOrdinal(name, -1, known, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

void ReadValue(CRegistryKey& key, DumpField field, DumpValue& value) {
    CRegistryValue stored;
    value = DumpValue();
    if (stored.Read(key, kDumpValueNames[field]) != ERROR_SUCCESS || !stored.IsPresent())
        return;
    value.state = DumpValue::kUnexpected;
    value.registryType = stored.GetType();
    const DWORD type = stored.GetType(), size = stored.GetSize();
    if (field == kDumpFolder) {
        const auto* chars = reinterpret_cast<const wchar_t*>(stored.GetData());
        const int count = static_cast<int>(size / sizeof(wchar_t));
        // Text with its terminator, as the system reads it.
        if ((type == REG_EXPAND_SZ || type == REG_SZ) && size % 2 == 0 && count > 0 &&
            chars[count - 1] == 0 && value.text.Assign(chars, count - 1))
            value.state = DumpValue::kPresent;
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        CopyMemory(&value.number, stored.GetData(), sizeof(DWORD));
        // A kind the system does not know is kept like a value of another type.
        if (field != kDumpType || value.number <= kDumpTypeFull)
            value.state = DumpValue::kPresent;
    }
}

LONG WriteValue(CRegistryKey& key, DumpField field, const DumpValue& value) {
    const wchar_t* name = kDumpValueNames[field];
    if (value.state == DumpValue::kAbsent) {
        LONG error = key.DeleteValue(name);
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    return field == kDumpFolder ? key.WriteString(name, value.text, REG_EXPAND_SZ)
                                : key.WriteDword(name, value.number);
}

// True when the key holds nothing but the four values.
bool HoldsOnlyDumpValues(CRegistryKey& key, bool& only) {
    wchar_t name[kMaxKeyName + 1];
    DWORD count = ARRAYSIZE(name);
    LONG error = key.EnumKey(0, name, count);
    only = error == ERROR_NO_MORE_ITEMS;
    if (error != ERROR_SUCCESS && error != ERROR_NO_MORE_ITEMS)
        return Win32Succeeded(error);
    // Value names reach 16383 characters.
    CString valueName;
    wchar_t* buffer = valueName.GetBuffer(16383);
    if (!buffer)
        return false;
    for (DWORD i = 0; only; ++i) {
        count = 16384;
        error = key.EnumValue(i, buffer, count);
        if (error == ERROR_NO_MORE_ITEMS)
            break;
        if (error != ERROR_SUCCESS)
            return Win32Succeeded(error);
        only = IsDumpValueName(buffer);
    }
    return true;
}

bool ParseNumber(const wchar_t* text, int base, DWORD& number) {
    if (base == 16 && text[0] == L'0' && (text[1] | 0x20) == L'x')
        text += 2;
    unsigned long long value = 0;
    if (!*text)
        return false;
    for (; *text; ++text) {
        wchar_t c = *text;
        int digit = c >= L'0' && c <= L'9' ? c - L'0'
                    : base == 16 && (c | 0x20) >= L'a' && (c | 0x20) <= L'f'
                        ? (c | 0x20) - L'a' + 10
                        : -1;
        if (digit < 0)
            return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    number = static_cast<DWORD>(value);
    return true;
}
} // namespace

UINT DumpsRuleText(DumpsRule rule) {
    switch (rule) {
    case DumpsRule::kProgramName:
        return IDS_DUMPS_BAD_PROGRAM;
    case DumpsRule::kFolderTooLong:
        return IDS_DUMPS_BAD_FOLDER;
    case DumpsRule::kCount:
        return IDS_DUMPS_BAD_COUNT;
    case DumpsRule::kType:
        return IDS_DUMPS_BAD_TYPE;
    case DumpsRule::kFlags:
        return IDS_DUMPS_BAD_FLAGS;
    case DumpsRule::kFlagsNeedCustom:
        return IDS_DUMPS_FLAGS_NEED_CUSTOM;
    default:
        return 0;
    }
}

bool AreLocalDumpsOn() {
    CRegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kLocalDumpsKey, KEY_QUERY_VALUE | kView) == ERROR_SUCCESS;
}

bool ReadLocalDumps(const wchar_t* program, LocalDumpsSettings& settings) {
    settings = LocalDumpsSettings();
    CString path;
    if (!KeyPath(program, path))
        return false;
    CRegistryKey key;
    LONG error = key.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE | kView);
    if (error == ERROR_FILE_NOT_FOUND)
        return true;
    if (!Win32Succeeded(error))
        return false;
    settings.exists = true;
    for (int field = 0; field < kDumpFieldCount; ++field)
        ReadValue(key, static_cast<DumpField>(field), settings.values[field]);
    return true;
}

bool ListLocalDumpsPrograms(CSimpleArray<CString>& programs) {
    programs.RemoveAll();
    CRegistryKey key;
    LONG error = key.Open(HKEY_LOCAL_MACHINE, kLocalDumpsKey, KEY_ENUMERATE_SUB_KEYS | kView);
    if (error == ERROR_FILE_NOT_FOUND)
        return true;
    if (!Win32Succeeded(error))
        return false;
    for (DWORD i = 0;; ++i) {
        wchar_t name[kMaxKeyName + 1];
        DWORD count = ARRAYSIZE(name);
        error = key.EnumKey(i, name, count);
        if (error == ERROR_NO_MORE_ITEMS)
            return true;
        if (!Win32Succeeded(error) || !programs.Add(CString(name)))
            return false;
    }
}

DumpsRule SetDumpField(LocalDumpsChange& change, DumpField field, const wchar_t* text) {
    DumpValue value;
    if (*text) {
        value.state = DumpValue::kPresent;
        if (field == kDumpFolder) {
            if (!value.text.Assign(text, lstrlenW(text)))
                return DumpsRule::kFolderTooLong;
        } else if (field == kDumpCount) {
            if (!ParseNumber(text, 10, value.number) || value.number == 0)
                return DumpsRule::kCount;
        } else if (field == kCustomDumpFlags) {
            if (!ParseNumber(text, 16, value.number))
                return DumpsRule::kFlags;
        } else {
            value.number = ARRAYSIZE(kTypeWords);
            for (DWORD type = 0; type < ARRAYSIZE(kTypeWords); ++type) {
                if (CompareStringOrdinal(text, -1, kTypeWords[type], -1, TRUE) == CSTR_EQUAL)
                    value.number = type;
            }
            if (value.number == ARRAYSIZE(kTypeWords))
                return DumpsRule::kType;
        }
    }
    change.changed[field] = true;
    change.values[field] = static_cast<DumpValue&&>(value);
    return DumpsRule::kNone;
}

CString DumpFieldText(const DumpValue& value, DumpField field) {
    CString text;
    if (value.state != DumpValue::kPresent)
        return text;
    if (field == kDumpFolder)
        text = value.text;
    else if (field == kDumpCount)
        text.Format(L"%lu", value.number);
    else if (field == kDumpType)
        text = kTypeWords[value.number];
    else
        text.Format(L"0x%lX", value.number);
    return text;
}

DumpsRule ValidateLocalDumps(const LocalDumpsChange& change) {
    const CString& program = change.program;
    if (!program.IsEmpty()) {
        // A file name ending in ".exe": a backslash would reach another key, and the system
        // matches the key against the crashing program's file name.
        const int length = program.GetLength();
        if (length > kMaxKeyName || length <= 4 ||
            CompareStringOrdinal(program.GetString() + length - 4, 4, L".exe", 4, TRUE) !=
                CSTR_EQUAL)
            return DumpsRule::kProgramName;
        for (const wchar_t* c = program; *c; ++c) {
            if (*c < 0x20 || wcschr(L"\\/:*?\"<>|", *c))
                return DumpsRule::kProgramName;
        }
    }
    if (!change.on)
        return DumpsRule::kNone;
    const DumpValue& folder = change.values[kDumpFolder];
    if (change.changed[kDumpFolder] && folder.text.GetLength() >= MAX_PATH)
        return DumpsRule::kFolderTooLong;
    const DumpValue& flags = change.values[kCustomDumpFlags];
    if (change.changed[kCustomDumpFlags] && flags.state == DumpValue::kPresent) {
        LocalDumpsSettings stored;
        ReadLocalDumps(program, stored);
        const DumpValue& type =
            change.changed[kDumpType] ? change.values[kDumpType] : stored.values[kDumpType];
        if (type.state != DumpValue::kPresent || type.number != kDumpTypeCustom)
            return DumpsRule::kFlagsNeedCustom;
    }
    return DumpsRule::kNone;
}

bool ApplyLocalDumps(const LocalDumpsChange& change) {
    CString path;
    if (!KeyPath(change.program, path))
        return false;
    CRegistryKey key;
    if (change.on) {
        // Creates LocalDumps too when a program's key is the first.
        if (!Win32Succeeded(key.Create(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE | kView)))
            return false;
        for (int field = 0; field < kDumpFieldCount; ++field) {
            if (change.changed[field] &&
                !Win32Succeeded(
                    WriteValue(key, static_cast<DumpField>(field), change.values[field])))
                return false;
        }
        return true;
    }

    LONG error = key.Open(HKEY_LOCAL_MACHINE, path,
                          KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | kView);
    if (error == ERROR_FILE_NOT_FOUND)
        return true; // already off
    bool only = false;
    if (!Win32Succeeded(error) || !HoldsOnlyDumpValues(key, only))
        return false;
    if (!only && change.program.IsEmpty()) {
        // The key itself is what switches local dumps on for every program.
        SetLastError(ERROR_DIR_NOT_EMPTY);
        return false;
    }
    const DumpValue absent;
    for (int field = 0; field < kDumpFieldCount; ++field) {
        if (!Win32Succeeded(WriteValue(key, static_cast<DumpField>(field), absent)))
            return false;
    }
    // A program's key with values of others stays, without the four.
    return !only || Win32Succeeded(CRegistryKey::DeleteKey(HKEY_LOCAL_MACHINE, path, kView));
}

bool DumpFolderExists(const wchar_t* folder) {
    wchar_t path[MAX_PATH];
    if (!ExpandFullPath(folder, path, MAX_PATH))
        return false;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDumpFolder(const wchar_t* folder) {
    wchar_t path[MAX_PATH];
    if (!ExpandFullPath(folder, path, MAX_PATH))
        return false;
    // Each parent in turn, from the first one after the drive or share; their failures (a drive,
    // a share, a folder that exists) tell nothing until the last level.
    for (wchar_t* c = path + 1; *c; ++c) {
        if (*c != L'\\')
            continue;
        *c = 0;
        CreateDirectoryW(path, nullptr);
        *c = L'\\';
    }
    return CreateDirectoryW(path, nullptr) ||
           (GetLastError() == ERROR_ALREADY_EXISTS && DumpFolderExists(folder));
}
