// corvanectl.exe: the console companion for scripts and test rigs. It shows, sets, switches off
// and restores the post-mortem debugger registration in both registry views, starts the crash
// companion, and sets the current user's error-reporting switches, all through the units the
// pages use. It never prompts: a command that needs elevation says so and fails.
#include <windows.h>

#include "base/Array.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "base/PathUtils.h"
#include "base/RegistryKey.h"
#include "base/String.h"
#include "base/SystemFunction.h"
#include "console/Arguments.h"
#include "console/Console.h"
#include "console/DumpsCommand.h"
#include "debugger/AeDebug.h"
#include "debugger/DebuggerChoice.h"
#include "debugger/SavedRegistration.h"
#include "privileges/Elevation.h"
#include "resources/resource.h"
#include "wer/ErrorReporting.h"

namespace {

const wchar_t kUsage[] =
    L"Usage: corvanectl COMMAND [OPTIONS]\n"
    L"\n"
    L"Shows and changes the post-mortem debugger that the system starts when a program crashes.\n"
    L"\n"
    L"Commands:\n"
    L"  help\n"
    L"      Shows this text.\n"
    L"  show [--json]\n"
    L"      Shows each registry view's \"Debugger\" and \"Auto\" values as stored, the debugger\n"
    L"      they name, whether a saved registration exists, and the error-reporting switches.\n"
    L"  set PATH PARAMETERS [--auto|--no-auto] [--view 64|32|both]\n"
    L"      Registers the debugger PATH with its PARAMETERS (such as \"-p %ld -e %ld\");\n"
    L"      --auto starts it without asking (default: --no-auto).\n"
    L"  set --entry NAME [--auto|--no-auto] [--view 64|32|both]\n"
    L"      Registers a known debugger by the name that \"show\" lists.\n"
    L"  off [--view 64|32|both]\n"
    L"      Registers no debugger.\n"
    L"  restore [--view 64|32|both]\n"
    L"      Puts back the registration saved before the first change, and forgets the copy.\n"
    L"  test [--32]\n"
    L"      Starts raise.exe (raise32.exe), which crashes at once, and waits up to 60 seconds\n"
    L"      for it to end.\n"
    L"  wer [--enable|--disable] [--queue on|off]\n"
    L"      Shows or sets the current user's Windows Error Reporting switches.\n"
    L"  dumps [show|on|off] [--program NAME] [--folder DIR] [--count N]\n"
    L"        [--type mini|full|custom] [--flags HEX]\n"
    L"      Shows or sets the local crash dumps that Windows Error Reporting keeps, for every\n"
    L"      program or for the program NAME (such as myapp.exe); an empty value goes back to\n"
    L"      the system's default; off removes the settings. on and off need an elevated prompt.\n"
    L"\n"
    L"--view chooses the registry views (default: both). set, off and restore need an elevated\n"
    L"prompt; the first change saves the registration it replaces under\n"
    L"HKEY_LOCAL_MACHINE\\Software\\Corvane\\Saved.\n"
    L"Exit codes: 0 success, 1 failure, 2 bad usage.\n";

// How long "test" waits for the crash companion.
constexpr DWORD kTestTimeoutMs = 60000;
// The exception raise.exe raises, which its process ends with when nothing handles it.
constexpr DWORD kTestException = 0xE0C0FFEE;

// The statuses a process ends with when the loader could not start it: a missing or damaged DLL
// or entry point, or an image of another kind.
bool IsLoaderFailure(DWORD code) {
    static const DWORD kLoaderFailures[] = {
        0xC0000135, // STATUS_DLL_NOT_FOUND
        0xC0000139, // STATUS_ENTRYPOINT_NOT_FOUND
        0xC0000138, // STATUS_ORDINAL_NOT_FOUND
        0xC000007B, // STATUS_INVALID_IMAGE_FORMAT
        0xC0000142, // STATUS_DLL_INIT_FAILED
        0xC0000017, // STATUS_NO_MEMORY
        0xC00000BA, // STATUS_FILE_IS_A_DIRECTORY
    };
    for (DWORD failure : kLoaderFailures) {
        if (code == failure)
            return true;
    }
    return false;
}

const REGSAM kViews[] = {kNativeView, kWow64View};

// The views a command works on; both unless --view says otherwise.
struct ViewChoice {
    REGSAM sams[2] = {kNativeView, kWow64View};
    int count = 2;
    bool given = false;
};

// --view's value; false (bad usage reported) for anything else.
bool TakeView(CArguments& args, ViewChoice& views, int& exitCode) {
    const wchar_t* value = args.Next();
    views.given = true;
    if (value && Is(value, L"64")) {
        views.sams[0] = kNativeView;
        views.count = 1;
    } else if (value && Is(value, L"32")) {
        views.sams[0] = kWow64View;
        views.count = 1;
    } else if (value && Is(value, L"both")) {
        views.sams[0] = kNativeView;
        views.sams[1] = kWow64View;
        views.count = 2;
    } else {
        exitCode = FailUsage(L"--view takes 64, 32 or both.");
        return false;
    }
    return true;
}

int BitsOf(REGSAM sam) {
    return sam == kWow64View ? 32 : 64;
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

int RefuseWithoutElevation() {
    PrintError(L"changing the registration needs an elevated prompt: run corvanectl from a "
               L"command prompt started with \"Run as administrator\". Nothing was changed.");
    return kExitFailure;
}

// --- show ----------------------------------------------------------------------------------

// Longer values are described by their type and size only.
constexpr DWORD kMaxShownBytes = 2048;

bool IsShown(const CRegistryValue& value) {
    return value.GetSize() <= kMaxShownBytes;
}

const wchar_t* TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return L"REG_NONE";
    case REG_SZ:
        return L"REG_SZ";
    case REG_EXPAND_SZ:
        return L"REG_EXPAND_SZ";
    case REG_BINARY:
        return L"REG_BINARY";
    case REG_DWORD:
        return L"REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return L"REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return L"REG_LINK";
    case REG_MULTI_SZ:
        return L"REG_MULTI_SZ";
    case REG_QWORD:
        return L"REG_QWORD";
    default:
        return L"REG_UNKNOWN";
    }
}

bool IsText(const CRegistryValue& value) {
    return (value.GetType() == REG_SZ || value.GetType() == REG_EXPAND_SZ) &&
           value.GetSize() % 2 == 0;
}

// A text value up to its first terminator (or its end), escaped, and whether it has one.
CString TextOf(const CRegistryValue& value, bool& terminated, bool json) {
    const wchar_t* chars = reinterpret_cast<const wchar_t*>(value.GetData());
    int length = 0;
    const int count = static_cast<int>(value.GetSize() / 2);
    while (length < count && chars[length])
        ++length;
    terminated = length < count;
    return Escaped(chars, length, json);
}

CString HexOf(const CRegistryValue& value, const wchar_t* separator) {
    CString hex;
    for (DWORD i = 0; i < value.GetSize(); ++i)
        hex.AppendFormat(L"%s%02x", i ? separator : L"", value.GetData()[i]);
    return hex;
}

CString Describe(const CRegistryValue& value) {
    CString text;
    if (!value.IsPresent())
        return CString(L"(none)");
    if (!IsShown(value)) {
        text.Format(L"%s (too long to show)", TypeName(value.GetType()));
    } else if (IsText(value)) {
        bool terminated = false;
        CString chars = TextOf(value, terminated, false);
        text.Format(L"%s %s%s", TypeName(value.GetType()), chars.GetString(),
                    terminated ? L"" : L" (no terminator)");
    } else if (value.GetType() == REG_DWORD && value.GetSize() == 4) {
        DWORD number = 0;
        CopyMemory(&number, value.GetData(), 4);
        text.Format(L"REG_DWORD %lu", number);
    } else {
        text.Format(L"%s hex: %s", TypeName(value.GetType()), HexOf(value, L" ").GetString());
    }
    return text;
}

CString JsonValue(const CRegistryValue& value) {
    if (!value.IsPresent())
        return CString(L"null");
    CString json;
    json.Format(L"{\"type\":\"%s\",\"size\":%lu", TypeName(value.GetType()), value.GetSize());
    if (IsShown(value)) {
        json.AppendFormat(L",\"bytes\":\"%s\"", HexOf(value, L"").GetString());
        if (IsText(value)) {
            bool terminated = false;
            CString chars = TextOf(value, terminated, true);
            json.AppendFormat(L",\"text\":\"%s\",\"terminated\":%s", chars.GetString(),
                              terminated ? L"true" : L"false");
        }
    }
    json += L"}";
    return json;
}

// The current user's error-reporting switches, as show and wer print them.
CString ErrorReportingLines() {
    CString lines;
    lines.Format(L"Error reporting%s\n  Enabled:  %s\n  Queueing forced: %s\n",
                 IsErrorReportingAvailable() ? L"" : L" (no per-user key)",
                 IsErrorReportingEnabled() ? L"yes" : L"no",
                 IsReportQueueingForced() ? L"yes" : L"no");
    return lines;
}

// The catalogue entry the page would select for the view.
CString MatchingEntry(const CSimpleArray<CDebuggerEntry>& catalogue, REGSAM view) {
    CDebuggerEntry stored;
    bool read = false;
    return LoadText(catalogue[SelectStoredEntry(catalogue, stored, read, view)].GetNameId());
}

// Whether the view holds a saved copy; one that is there but cannot be read says why.
CString SavedState(REGSAM view, bool json) {
    CString state;
    const SavedCopy saved = FindSavedRegistration(view);
    if (saved == SavedCopy::kUnreadable) {
        CString why;
        GetErrorText(HResultFromLastError(), why);
        if (json)
            state.Format(L"true,\"savedError\":%s", JsonString(why).GetString());
        else
            state.Format(L"yes, but it cannot be read: %s", why.GetString());
    } else if (json) {
        state = saved == SavedCopy::kPresent ? L"true" : L"false";
    } else {
        state = saved == SavedCopy::kPresent ? L"yes" : L"no";
    }
    return state;
}

int Show(CArguments& args) {
    bool json = false;
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (!Is(arg, L"--json"))
            return FailUsage(L"show does not know \"%s\".", arg);
        json = true;
    }
    CSimpleArray<CDebuggerEntry> catalogue;
    if (!LoadDebuggerCatalogue(catalogue))
        return FailWithLastError(L"the list of debuggers could not be built");

    CString out(json ? L"{\"views\":[" : L"");
    for (REGSAM view : kViews) {
        CRegistryKey key;
        // A value that cannot be read shows as none.
        CRegistryValue debugger, autoStart;
        bool keyFound =
            key.Open(HKEY_LOCAL_MACHINE, kAeDebugSubKey, KEY_READ | view) == ERROR_SUCCESS;
        if (keyFound) {
            debugger.Read(key, kDebuggerValue);
            autoStart.Read(key, kAutoValue);
        }
        CString entry = MatchingEntry(catalogue, view);
        CString saved = SavedState(view, json);
        if (json) {
            out.AppendFormat(L"%s{\"view\":%d,\"key\":%s,\"debugger\":%s,\"auto\":%s,"
                             L"\"entry\":%s,\"saved\":%s}",
                             view == kViews[0] ? L"" : L",", BitsOf(view),
                             keyFound ? L"true" : L"false", JsonValue(debugger).GetString(),
                             JsonValue(autoStart).GetString(), JsonString(entry).GetString(),
                             saved.GetString());
        } else {
            out.AppendFormat(L"%d-bit registration%s\n  Debugger: %s\n  Auto:     %s\n"
                             L"  Entry:    %s\n  Saved registration: %s\n",
                             BitsOf(view), keyFound ? L"" : L" (no AeDebug key)",
                             Describe(debugger).GetString(), Describe(autoStart).GetString(),
                             entry.GetString(), saved.GetString());
        }
    }

    if (json) {
        out.AppendFormat(L"],\"errorReporting\":{\"available\":%s,\"enabled\":%s,"
                         L"\"queueForced\":%s},\"entries\":[",
                         IsErrorReportingAvailable() ? L"true" : L"false",
                         IsErrorReportingEnabled() ? L"true" : L"false",
                         IsReportQueueingForced() ? L"true" : L"false");
    } else {
        out += ErrorReportingLines();
        out += L"Debuggers for set --entry:\n";
    }
    for (int i = 0; i < catalogue.GetCount(); ++i) {
        CString name = LoadText(catalogue[i].GetNameId());
        if (json)
            out.AppendFormat(L"%s%s", i ? L"," : L"", JsonString(name).GetString());
        else
            out.AppendFormat(L"  %s\n", name.GetString());
    }
    if (json)
        out.AppendFormat(L"],\"localDumps\":%s}\n", LocalDumpsJson().GetString());
    WriteOut(out);
    return kExitSuccess;
}

// --- set, off, restore -----------------------------------------------------------------------

// A change that did not succeed: nothing was changed, or the views before the one that failed
// were.
int ReportFailure(const ChangeResult& result, const ViewChoice& views, const wchar_t* what) {
    SetLastError(result.error);
    CString text;
    if (!result.AnyChanged())
        text.Format(L"%s; nothing was changed", what);
    else
        text.Format(L"%s in the %d-bit view; the %d-bit view was changed", what,
                    BitsOf(views.sams[result.failed]), BitsOf(views.sams[0]));
    return FailWithLastError(text);
}

int Replace(const CDebuggerEntry& entry, const ViewChoice& views) {
    if (!IsElevated())
        return RefuseWithoutElevation();
    const ChangeResult result = ApplyChoice(entry, views.sams, views.count);
    if (!result.succeeded)
        return ReportFailure(result, views, L"the debugger could not be set");
    PrintOut(L"%s\n", LoadText(IDS_DEBUGGER_SET).GetString());
    return kExitSuccess;
}

int Set(CArguments& args) {
    const wchar_t* positional[2] = {};
    int positionals = 0;
    const wchar_t* entryName = nullptr;
    int autoStart = -1; // not given
    ViewChoice views;
    int exitCode = kExitUsage;
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (Is(arg, L"--auto") || Is(arg, L"--no-auto")) {
            autoStart = Is(arg, L"--auto") ? 1 : 0;
        } else if (Is(arg, L"--view")) {
            if (!TakeView(args, views, exitCode))
                return exitCode;
        } else if (Is(arg, L"--entry")) {
            entryName = args.Next();
            if (!entryName)
                return FailUsage(L"--entry needs the name of a debugger.");
        } else if (arg[0] == L'-' && arg[1] == L'-') {
            return FailUsage(L"set does not know \"%s\".", arg);
        } else if (positionals < 2) {
            positional[positionals++] = arg;
        } else {
            return FailUsage(L"set takes a path and parameters, and no more.");
        }
    }
    if (entryName && positionals > 0)
        return FailUsage(L"set takes either a path or --entry, not both.");
    if (!entryName && positionals == 0)
        return FailUsage(L"set needs the debugger's path (or --entry NAME).");

    CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, nullptr, nullptr, false);
    CString path = positional[0], parameters = positional[1];
    bool start = autoStart == 1;
    if (entryName) {
        CSimpleArray<CDebuggerEntry> catalogue;
        if (!LoadDebuggerCatalogue(catalogue))
            return FailWithLastError(L"the list of debuggers could not be built");
        const int found = FindEntryByName(catalogue, entryName);
        if (found < 0)
            return FailUsage(L"no debugger is named \"%s\"; \"corvanectl show\" lists them.",
                             entryName);
        // A known debugger as the page shows it when chosen, with its automatic start unless
        // one was given.
        entry = catalogue[found];
        path = entry.GetPath();
        parameters = entry.GetParameters();
        start = autoStart < 0 ? entry.IsAutoStart() : autoStart == 1;
    }
    const ChoiceFault fault = CheckChoice(entry, path, parameters, start);
    if (fault != ChoiceFault::kNone) {
        PrintError(L"%s", LoadText(ChoiceFaultText(fault)).GetString());
        return kExitUsage;
    }
    return Replace(entry, views);
}

// A command whose only option is --view.
bool TakeOnlyViews(CArguments& args, const wchar_t* command, ViewChoice& views, int& exitCode) {
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (!Is(arg, L"--view")) {
            exitCode = FailUsage(L"%s does not know \"%s\".", command, arg);
            return false;
        }
        if (!TakeView(args, views, exitCode))
            return false;
    }
    return true;
}

int Off(CArguments& args) {
    ViewChoice views;
    int exitCode = kExitUsage;
    if (!TakeOnlyViews(args, L"off", views, exitCode))
        return exitCode;
    return Replace(CDebuggerEntry(), views);
}

int Restore(CArguments& args) {
    ViewChoice views;
    int exitCode = kExitUsage;
    if (!TakeOnlyViews(args, L"restore", views, exitCode))
        return exitCode;
    if (!IsElevated())
        return RefuseWithoutElevation();
    // Without --view, the views that hold a saved registration; a view named on purpose must
    // hold one.
    const ChangeResult result =
        RestoreChoice(views.sams, views.count, views.given ? views.count : 0);
    if (!result.succeeded) {
        const int bits = result.failed >= 0 ? BitsOf(views.sams[result.failed]) : 0;
        if (result.error == ERROR_INVALID_DATA) {
            PrintError(L"%s", LoadText(IDS_SAVED_DAMAGED).GetString());
            return kExitFailure;
        }
        if (result.error == ERROR_FILE_NOT_FOUND && bits) {
            PrintError(L"the %d-bit view holds no saved registration. Nothing was changed.", bits);
            return kExitFailure;
        }
        if (result.error == ERROR_FILE_NOT_FOUND) {
            PrintError(L"there is no saved registration to restore.");
            return kExitFailure;
        }
        if (!result.AnyChanged() && bits &&
            FindSavedRegistration(views.sams[result.failed]) == SavedCopy::kUnreadable) {
            CString what;
            what.Format(L"the saved registration of the %d-bit view cannot be read; nothing was "
                        L"changed",
                        bits);
            SetLastError(result.error);
            return FailWithLastError(what);
        }
        return ReportFailure(result, views, L"the saved registration could not be restored");
    }
    for (int i = 0; i < views.count; ++i) {
        if (result.changed[i])
            PrintOut(L"The saved registration of the %d-bit view was restored.\n",
                     BitsOf(views.sams[i]));
    }
    return kExitSuccess;
}

// --- test ----------------------------------------------------------------------------------

int Test(CArguments& args) {
    const wchar_t* name = L"raise.exe";
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (!Is(arg, L"--32"))
            return FailUsage(L"test does not know \"%s\".", arg);
        name = L"raise32.exe";
    }
    wchar_t path[MAX_PATH];
    if (!GetModuleRelativePath(name, path, MAX_PATH))
        return FailWithLastError(L"the crash program's path could not be made");
    CString what;
    what.Format(L"%s could not be started", name);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return FailWithLastError(what);

    // Started directly, not through the shell: nothing (such as the check of a downloaded
    // file's zone) comes between the start and the crash.
    CString commandLine;
    commandLine.Format(L"\"%s\"", path);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(path, commandLine.GetBuffer(commandLine.GetLength()), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &info))
        return FailWithLastError(what);
    CKernelHandle process(info.hProcess);
    CKernelHandle thread(info.hThread);
    PrintOut(L"Started %s (process %lu); waiting for it to end...\n", name, info.dwProcessId);

    DWORD waited = WaitForSingleObject(process.Get(), kTestTimeoutMs);
    DWORD code = 0;
    bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.Get(), &code);
    if (!ended) {
        PrintError(L"%s has not ended within %lu seconds; a debugger may be holding it.", name,
                   kTestTimeoutMs / 1000);
        return kExitFailure;
    }
    // raise.exe ends with the code of its own exception, unhandled; anything else, a loader's
    // status among them, means the test did not happen as meant.
    if (code == kTestException) {
        PrintOut(L"%s ended by a crash (exception 0x%08lX).\n", name, code);
        return kExitSuccess;
    }
    if (IsLoaderFailure(code)) {
        PrintError(L"%s could not be loaded (status 0x%08lX); it never ran.", name, code);
        return kExitFailure;
    }
    PrintError(L"%s ended with exit code 0x%08lX, not by its test exception.", name, code);
    return kExitFailure;
}

// --- wer -----------------------------------------------------------------------------------

int Wer(CArguments& args) {
    int enable = -1;
    int queue = -1;
    while (!args.AtEnd()) {
        const wchar_t* arg = args.Next();
        if (Is(arg, L"--enable") || Is(arg, L"--disable")) {
            int value = Is(arg, L"--enable") ? 1 : 0;
            if (enable >= 0 && enable != value)
                return FailUsage(L"wer takes --enable or --disable, not both.");
            enable = value;
        } else if (Is(arg, L"--queue")) {
            const wchar_t* value = args.Next();
            if (!value || (!Is(value, L"on") && !Is(value, L"off")))
                return FailUsage(L"--queue takes on or off.");
            queue = Is(value, L"on") ? 1 : 0;
        } else {
            return FailUsage(L"wer does not know \"%s\".", arg);
        }
    }
    if (enable >= 0 && !SetErrorReportingEnabled(enable == 1))
        return FailWithLastError(L"the error-reporting switch could not be set");
    if (queue >= 0 && !SetReportQueueingForced(queue == 1))
        return FailWithLastError(L"the report queueing switch could not be set");
    WriteOut(ErrorReportingLines());
    return kExitSuccess;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Run elevated from a folder of downloads, a DLL planted there must not load in its place.
    LimitDllSearchToSystemDirectory();
    if (argc < 2)
        return FailUsage(L"a command is needed.");
    const wchar_t* command = argv[1];
    CArguments args(argc - 2, argv + 2);
    if (Is(command, L"help") || Is(command, L"--help") || Is(command, L"-h") ||
        Is(command, L"/?")) {
        WriteOut(kUsage);
        return kExitSuccess;
    }
    const struct {
        const wchar_t* name;
        int (*run)(CArguments&);
    } kCommands[] = {{L"show", Show}, {L"set", Set}, {L"off", Off},       {L"restore", Restore},
                     {L"test", Test}, {L"wer", Wer}, {L"dumps", RunDumps}};
    for (const auto& known : kCommands) {
        if (Is(command, known.name))
            return known.run(args);
    }
    return FailUsage(L"\"%s\" is not a command.", command);
}
