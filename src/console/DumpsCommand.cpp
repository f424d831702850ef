#include "console/DumpsCommand.h"

#include "base/Array.h"
#include "console/Console.h"
#include "dumps/LocalDumps.h"
#include "privileges/Elevation.h"
#include "resources/resource.h"

namespace {

const wchar_t* const kFieldOptions[kDumpFieldCount] = {L"--folder", L"--count", L"--type",
                                                       L"--flags"};

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

int FailRule(DumpsRule rule) {
    PrintError(L"%s", LoadText(DumpsRuleText(rule)).GetString());
    return kExitUsage;
}

// Each value as stored, for people or (json) for scripts.
CString Describe(const DumpValue& value, DumpField field, bool json) {
    CString text;
    if (value.state == DumpValue::kAbsent)
        text = json ? L"null" : L"(not set)";
    else if (value.state == DumpValue::kUnexpected)
        text.Format(json ? L"{\"unexpectedType\":%lu}" : L"(a value of type %lu, kept as stored)",
                    value.registryType);
    else if (field == kDumpFolder)
        text = json ? JsonString(value.text) : Escaped(value.text, value.text.GetLength(), false);
    else if (json)
        text.Format(L"%lu", value.number);
    else
        text = DumpFieldText(value, field);
    return text;
}

// The settings of every program and of each program key; false when they cannot be read.
bool Describe(bool json, const wchar_t* only, CString& out) {
    CSimpleArray<CString> programs;
    if (!ListLocalDumpsPrograms(programs) || !programs.Add(CString()))
        return false;
    const bool on = AreLocalDumpsOn();
    if (json)
        out.Format(L"{\"on\":%s,\"settings\":[", on ? L"true" : L"false");
    else
        out.Format(L"Local dumps: %s\n", on ? L"on" : L"off");
    bool first = true;
    // Every program first: it is the last one added.
    for (int i = programs.GetCount() - 1; i >= 0; --i) {
        const CString& program = programs[i];
        if (only && CompareStringOrdinal(only, -1, program, -1, TRUE) != CSTR_EQUAL)
            continue;
        LocalDumpsSettings settings;
        if (!ReadLocalDumps(program, settings))
            return false;
        if (!settings.exists)
            continue;
        if (json)
            out.AppendFormat(L"%s{\"program\":%s", first ? L"" : L",",
                             program.IsEmpty() ? L"null" : JsonString(program).GetString());
        else
            out.AppendFormat(L"%s\n", program.IsEmpty() ? LoadText(IDS_DUMPS_ALL).GetString()
                                                        : program.GetString());
        first = false;
        for (int field = 0; field < kDumpFieldCount; ++field) {
            CString value = Describe(settings.values[field], static_cast<DumpField>(field), json);
            out.AppendFormat(json ? L",\"%s\":%s" : L"  %-16s %s\n", kDumpValueNames[field],
                             value.GetString());
        }
        if (json)
            out += L"}";
    }
    if (json)
        out += L"]}";
    return true;
}

} // namespace

CString LocalDumpsJson() {
    CString json;
    if (!Describe(true, nullptr, json))
        json = L"null";
    return json;
}

int RunDumps(CArguments& args) {
    const wchar_t* verb = L"show";
    LocalDumpsChange change;
    const wchar_t* fields[kDumpFieldCount] = {};
    bool first = true;
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (first && (Is(arg, L"show") || Is(arg, L"on") || Is(arg, L"off"))) {
            verb = arg;
            first = false;
            continue;
        }
        first = false;
        int field = 0;
        while (field < kDumpFieldCount && !Is(arg, kFieldOptions[field]))
            ++field;
        if (field == kDumpFieldCount && !Is(arg, L"--program"))
            return FailUsage(L"dumps does not know \"%s\".", arg);
        const wchar_t* value = args.Next();
        if (!value)
            return FailUsage(L"%s needs a value.", arg);
        if (field == kDumpFieldCount)
            change.program = value;
        else
            fields[field] = value;
    }
    const bool show = Is(verb, L"show");
    change.on = Is(verb, L"on");
    for (int field = 0; field < kDumpFieldCount; ++field) {
        if (!fields[field])
            continue;
        if (!change.on)
            return FailUsage(L"dumps %s takes only --program.", verb);
        DumpsRule rule = SetDumpField(change, static_cast<DumpField>(field), fields[field]);
        if (rule != DumpsRule::kNone)
            return FailRule(rule);
    }
    DumpsRule rule = ValidateLocalDumps(change);
    if (rule != DumpsRule::kNone)
        return FailRule(rule);

    if (!show) {
        if (!IsElevated()) {
            PrintError(L"changing the local dumps needs an elevated prompt: run corvanectl from a "
                       L"command prompt started with \"Run as administrator\". Nothing was "
                       L"changed.");
            return kExitFailure;
        }
        if (!ApplyLocalDumps(change)) {
            if (GetLastError() != ERROR_DIR_NOT_EMPTY)
                return FailWithLastError(L"the crash dump settings could not be set");
            PrintError(L"%s", LoadText(IDS_DUMPS_NOT_EMPTY).GetString());
            return kExitFailure;
        }
        PrintOut(L"%s\n", LoadText(IDS_DUMPS_SET).GetString());
        const DumpValue& folder = change.values[kDumpFolder];
        // The system makes a missing folder for most programs, not for a service account.
        if (change.changed[kDumpFolder] && folder.state == DumpValue::kPresent &&
            !DumpFolderExists(folder.text))
            PrintOut(L"Note: the folder %s does not exist yet.\n", folder.text.GetString());
    }
    CString out;
    if (!Describe(false, change.program.IsEmpty() ? nullptr : change.program.GetString(), out))
        return FailWithLastError(L"the crash dump settings could not be read");
    WriteOut(out);
    return kExitSuccess;
}
