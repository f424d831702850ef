// The debugger page driven through the real corvane.exe: what it shows for the stored
// registration, choosing and editing entries, applying with its checks and messages, the
// Configure, Browse and Break buttons, the 32-bit registry view, and the elevation prompt with
// real tokens.
#include <gtest/gtest.h>

#include "support/GuiDriver.h"

// The control ids of the system's file dialogs.
#include <dlgs.h>
using namespace testing_support;

namespace {
constexpr int kList = 1000, kConfigure = 1001, kPath = 1002, kParameters = 1003, kBrowse = 1004,
              kDefault = 1005, kAuto = 1006, kBreak = 1009, kWow64 = 1011, kWow64Line = 1012,
              kBreak32 = 1013;
// Boxes as read: the icon's name, then the text.
const wchar_t kSuccess[] = L"[information] The default debugger was successfully set.";
const wchar_t kBreakFailed[] = L"[warning] A test exception could not be raised because the "
                               L"raise.exe process could not be started.";
const std::wstring kMissingExe =
    L"The debugger cannot be configured because the executable file does not exist.";
const wchar_t kMarker[] = L"marker.exe -p %ld";

// A copy of recorder.exe, which writes "<path>.txt" when started; both go with the object.
struct Stub {
    std::wstring path, record;
    Stub(const std::wstring& dir, const wchar_t* name)
        : path(dir + L"\\" + name), record(path + L".txt") {
        DeleteFileW(record.c_str());
        CopyFileW(BinPath(L"recorder.exe").c_str(), path.c_str(), FALSE);
    }
    // The stub may still be running for a moment after writing its record.
    ~Stub() {
        Remove();
        Gone(record);
    }
    bool Remove() { return Gone(path); }
    static bool Gone(const std::wstring& file) {
        return WaitUntil([&] { return DeleteFileW(file.c_str()) || !FileExists(file); }, 5000);
    }
    std::string Read() {
        WaitUntil([&] { return !ReadFileUtf8(record).empty(); }, 20000);
        return ReadFileUtf8(record);
    }
};

// The page in one line: entry|path|parameters|auto|enabled controls (Parameters, Auto check
// box, Default, Configure, Browse).
std::wstring Shown(CorvaneApp& app) {
    auto items = app.ComboItems(kList);
    size_t index = SendMessageW(app.Control(kList), CB_GETCURSEL, 0, 0);
    std::wstring s = (index < items.size() ? items[index] : L"<none>") + L"|" +
                     app.ControlText(kPath) + L"|" + app.ControlText(kParameters) +
                     (app.IsChecked(kAuto) ? L"|auto|" : L"||");
    const int ids[] = {kParameters, kAuto, kDefault, kConfigure, kBrowse};
    for (int i = 0; i < 5; ++i)
        s += app.IsEnabled(ids[i]) ? std::wstring(1, L"PADCB"[i]) : L"";
    return s;
}

// Debugger|Auto as stored, each required to be REG_SZ.
std::wstring Registration() {
    std::wstring s;
    for (const wchar_t* name : {L"Debugger", L"Auto"}) {
        auto value = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name);
        s += value && value->type == REG_SZ
                 ? ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name).value() + L"|"
                 : L"<not REG_SZ>|";
    }
    return s;
}

std::string Field(const std::string& record, const std::string& name) {
    size_t at = record.find(name + "=");
    if (at == std::string::npos)
        return "<missing>";
    at += name.size() + 1;
    return record.substr(at, record.find_first_of("\r\n", at) - at);
}

HWND Focused(HWND sheet) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &info);
    return info.hwndFocus;
}

void ApplyOk(CorvaneApp& app) {
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
}

void OkAndExit(CorvaneApp& app) {
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
}

// Both views' registrations and saved copies go back as they were; no saved copy at the start.
class DebuggerPage : public ::testing::Test {
protected:
    RegistrationSnapshot registrations;
};
class DebuggerPageOpening : public DebuggerPage {};
class DebuggerPageChoosing : public DebuggerPage {};
class DebuggerPageApplying : public DebuggerPage {};
class DebuggerPageWow64 : public DebuggerPage {};
class Elevation : public DebuggerPage {};
} // namespace

TEST_F(DebuggerPageOpening, UnreadableRegistrationShowsNoDebugger) {
    // Started beside a folder named raise.exe, the program offers no Break.
    std::wstring dir = MakeTempDir(L"corvane alone"), alone = dir + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), alone.c_str(), FALSE) &&
                CreateDirectoryW((dir + L"\\raise.exe").c_str(), nullptr));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i == 0 ? "key missing" : i == 1 ? "empty Debugger" : "Debugger a DWORD");
        ASSERT_TRUE(i == 0   ? DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey)
                    : i == 1 ? WriteRegistration(L"")
                             : WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", Dword(1)));
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, i == 2 ? alone : L""));
        EXPECT_EQ(Shown(app), L"No Debugger||||");
        // Every showing marks the page changed, so OK and Apply work from the start.
        EXPECT_TRUE(app.IsApplyEnabled());
        EXPECT_EQ(app.IsEnabled(kBreak), i != 2);
        EXPECT_EQ(app.IsEnabled(kBreak32), i != 2);
        if (i == 2) {
            // A click posted to the disabled button opens nothing and says why.
            PostMessageW(app.CurrentPage(), WM_COMMAND, MAKEWPARAM(kBreak, BN_CLICKED),
                         reinterpret_cast<LPARAM>(app.Control(kBreak)));
            EXPECT_EQ(app.TakeMessageBox(), kBreakFailed);
        }
        if (i == 0) {
            // The key is never created, so the write fails and says so; the 32-bit view, whose
            // box is ticked, is not written after that.
            EXPECT_TRUE(app.IsChecked(kWow64));
            app.PressApply();
            EXPECT_EQ(app.TakeMessageBox(), L"[warning] The default debugger cannot be set. An "
                                            L"error has occurred while writing to the Registry.");
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebug32Key));
            app.Settle();
            EXPECT_TRUE(app.IsApplyEnabled()); // still changed, to try again
        }
        EXPECT_TRUE(app.Cancel());
    }
}

TEST_F(DebuggerPageChoosing, StoredCatalogueEntryThenEachEntryDefaultAndConfigure) {
    // The list offers the catalogue's debuggers that are installed.
    Stub watson(SystemDir(), L"drwtsn32.exe"), studio(SystemDir(), L"VSJitDebugger.exe");
    ASSERT_TRUE(FileExists(watson.path) && FileExists(studio.path));
    std::wstring stored = watson.path;
    CharUpperW(stored.data());
    ASSERT_TRUE(WriteRegistration(L"  " + stored + L"   -p %ld -e %ld  "));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    // The stored values; Configure waits until the entry is chosen.
    EXPECT_EQ(Shown(app), L"Dr. Watson|" + stored + L"|-p %ld -e %ld|auto|PAD");
    EXPECT_TRUE(app.IsApplyEnabled());
    const std::wstring watsonShown = L"Dr. Watson|" + watson.path + L"|-p %ld -e %ld -g|auto|PADC";
    app.Choose(kList, 1);
    EXPECT_EQ(Shown(app), watsonShown);

    // Configure starts it without parameters.
    app.Click(kConfigure);
    EXPECT_EQ(Field(watson.Read(), "cmdline"), "\"" + ToUtf8(watson.path) + "\"");
    EXPECT_FALSE(app.HasMessageBox());

    app.SetEditText(kParameters, L"-p %ld");
    app.ClickNow(kAuto);
    app.ClickNow(kDefault);
    EXPECT_EQ(Shown(app), watsonShown);
    // Unticked, an entry whose default is on stores "0".
    app.ClickNow(kAuto);
    ApplyOk(app);
    const std::wstring applied = watson.path + L" -p %ld -e %ld -g|0|";
    EXPECT_EQ(Registration(), applied);

    ASSERT_TRUE(watson.Remove());
    DeleteFileW(watson.record.c_str());
    app.Click(kConfigure);
    EXPECT_EQ(app.TakeMessageBox(), L"[warning] " + kMissingExe);
    EXPECT_FALSE(FileExists(watson.record));

    app.Choose(kList, 2);
    EXPECT_EQ(Shown(app),
              L"Visual Studio Just-In-Time Debugger|" + studio.path + L"|-p %ld -e %ld||PAD");
    app.Choose(kList, 3);
    EXPECT_EQ(Shown(app), L"Other debugger...||||PADB");
    app.Choose(kList, 0);
    EXPECT_EQ(Shown(app), L"No Debugger||||");
    EXPECT_TRUE(app.Cancel());
    EXPECT_EQ(Registration(), applied);
}

// Only installed debuggers are listed (a folder of a debugger's name is none), and a stored path
// selects an entry only when it is that entry's whole path.
TEST_F(DebuggerPageChoosing, ListsOnlyInstalledDebuggersAndMatchesWholePaths) {
    const std::wstring none = L"No Debugger", jit = L"Visual Studio Just-In-Time Debugger",
                       other = L"Other debugger...", watson = SystemDir() + L"\\drwtsn32.exe";
    const struct {
        const wchar_t* installed; // in the system directory; null: a folder named drwtsn32.exe
        std::wstring stored;
        std::vector<std::wstring> items;
    } cases[] = {
        {L"VSJitDebugger.exe", watson, {none, jit, other}},
        {L"drwtsn32.exe", L"C:\\Tools\\drwtsn32.exe", {none, L"Dr. Watson", other}},
        {nullptr, watson, {none, other}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        std::optional<Stub> stub;
        if (c.installed)
            stub.emplace(SystemDir(), c.installed);
        ASSERT_TRUE(c.installed || CreateDirectoryW(watson.c_str(), nullptr));
        ASSERT_TRUE(WriteRegistration(c.stored + L" -p %ld"));
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.ComboItems(kList), c.items);
        EXPECT_EQ(Shown(app), other + L"|" + c.stored + L"|-p %ld|auto|PAD");
        EXPECT_TRUE(app.Cancel());
        RemoveDirectoryW(watson.c_str());
    }
}

// The other debugger with its stored values; Break through the real post-mortem launch; every
// check on applying; Browse; Apply and OK writing.
TEST_F(DebuggerPageApplying, OtherDebuggerBreakChecksBrowseAndWrites) {
    std::wstring dir = MakeTempDir(L"corvane break");
    Stub recorder(dir, L"recorder.exe");
    ASSERT_TRUE(FileExists(recorder.path));
    ASSERT_TRUE(WriteRegistration(L"\"" + recorder.path + L"\" -p %ld -e %ld"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    HWND sheet = app.Sheet();
    EXPECT_EQ(Shown(app), L"Other debugger...|" + recorder.path + L"|-p %ld -e %ld|auto|PAD");

    app.Click(kBreak);
    std::string text = recorder.Read();
    EXPECT_EQ(Field(text, "pid_ok") + Field(text, "event_ok"), "11") << text;
    EXPECT_HAS(Field(text, "cmdline"), ToUtf8(recorder.path));
    EXPECT_FALSE(app.HasMessageBox());

    app.Choose(kList, 3);
    struct {
        std::wstring path, parameters, message;
        int focus;
    } cases[] = {
        // A missing program goes before empty parameters; a folder is no program. (Each refusal's
        // text is checked through both faces; here, where the focus goes.)
        {dir + L"\\missing.exe", L"", L"[error] " + kMissingExe, kPath},
        {L"C:\\Windows", L"-p %ld", L"[error] " + kMissingExe, kPath},
        {recorder.path, L"", L"[warning] The debugger parameters cannot be empty.", kParameters},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.message));
        app.SetEditText(kPath, c.path);
        app.SetEditText(kParameters, c.parameters);
        app.PressOk();
        EXPECT_EQ(app.TakeMessageBox(), c.message);
        EXPECT_TRUE(WaitUntil([&] { return Focused(sheet) == app.Control(c.focus); }, 5000));
        EXPECT_TRUE(IsWindowVisible(sheet));
    }

    app.SetEditText(kPath, L"");
    app.Click(kBrowse);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND hwnd : DialogWindowsOf(app.Id()))
            if (hwnd != sheet && !GetDlgItem(hwnd, 0xFFFF) && IsWindowVisible(hwnd))
                dialog = hwnd;
        return dialog != nullptr;
    }));
    // The file types come from a string resource split at its bars.
    wchar_t type[64] = L"";
    SendMessageW(GetDlgItem(dialog, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
    EXPECT_STREQ(type, L"Executable Files (*.exe)");
    HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(recorder.path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    app.Settle();
    EXPECT_EQ(app.ControlText(kPath), recorder.path);

    app.SetEditText(kParameters, L"-p %ld -e %ld");
    app.ClickNow(kAuto); // ticked: "1"
    ApplyOk(app);
    app.Settle();
    EXPECT_EQ(Registration(), L"\"" + recorder.path + L"\" -p %ld -e %ld|1|");
    EXPECT_FALSE(app.IsApplyEnabled());
    app.Choose(kList, 0);
    OkAndExit(app);
    EXPECT_EQ(Registration(), L"|0|");
}

// A registration the page cannot read (an "Auto" without its terminator) shows as "No
// Debugger", and an untouched OK replaces it; the saved copy, offered last but one next time,
// brings it back byte for byte.
TEST_F(DebuggerPageApplying, SavedRegistrationIsOfferedAndRestoredExactly) {
    const std::wstring debugger = L"C:\\saved\\d.exe  -p %ld";
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", Text(debugger)));
    // Two bytes: "1" without a terminator; the 'X' after it keeps the registry from adding one.
    const wchar_t unterminated[] = L"1X";
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", REG_SZ, unterminated, 2));
    const auto before = std::pair(ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"),
                                  ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto"));
    ASSERT_TRUE(before.first && before.second && before.second->data.size() == 2);
    auto same = [&](const wchar_t* key) {
        return std::pair(ReadValue(HKEY_LOCAL_MACHINE, key, L"Debugger"),
                         ReadValue(HKEY_LOCAL_MACHINE, key, L"Auto")) == before;
    };

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(Shown(app), L"No Debugger||||");
    const auto catalogue = app.ComboItems(kList);
    OkAndExit(app);
    EXPECT_EQ(Registration(), L"|0|");
    EXPECT_TRUE(same(kSavedKey));

    // Without elevation (a restricted token) the restore asks first, with Retry and Cancel only;
    // cancelled, it changes nothing and the sheet stays, still to be applied.
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    CorvaneApp limited;
    ASSERT_TRUE(limited.Start(L"", token));
    CloseHandle(token);
    limited.Choose(kList, static_cast<int>(catalogue.size()) - 1);
    limited.PressOk();
    HWND box = limited.WaitForMessageBox();
    EXPECT_TRUE(GetDlgItem(box, IDRETRY) && GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDOK));
    EXPECT_EQ(limited.TakeMessageBox(IDCANCEL), kElevationPrompt);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    limited.Settle();
    EXPECT_TRUE(IsWindowVisible(limited.Sheet()) && limited.IsApplyEnabled());
    EXPECT_TRUE(limited.Cancel());
    EXPECT_EQ(Registration(), L"|0|");
    EXPECT_TRUE(same(kSavedKey));

    CorvaneApp again;
    ASSERT_TRUE(again.Start());
    auto items = again.ComboItems(kList);
    ASSERT_EQ(items.size(), catalogue.size() + 1);
    EXPECT_EQ(items[items.size() - 2], L"Saved registration");
    EXPECT_EQ(items.back(), catalogue.back());
    // Its values as read (the unreadable Auto shows off); nothing of it can be edited.
    again.Choose(kList, static_cast<int>(items.size()) - 2);
    EXPECT_EQ(Shown(again), L"Saved registration|C:\\saved\\d.exe|-p %ld||");
    OkAndExit(again);
    EXPECT_TRUE(same(kAeDebugKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSavedKey));
}

namespace {
// The native view names the debugger, and starts it at once.
std::wstring StoreNativeRegistration(const std::wstring& debugger) {
    std::wstring commandLine = L"\"" + debugger + L"\" -p %ld -e %ld";
    EXPECT_TRUE(WriteRegistration(commandLine));
    return commandLine;
}

void Store32(const KeyValues& values) {
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebug32Key));
    for (const auto& [name, value] : values)
        ASSERT_TRUE(name.empty() ? CreateKey(HKEY_LOCAL_MACHINE, kAeDebug32Key)
                                 : WriteValue(HKEY_LOCAL_MACHINE, kAeDebug32Key, name, value));
}
} // namespace

// The box is ticked only when writing the 32-bit view too loses nothing there; otherwise the
// line below it says what 32-bit programs use, in full in its tooltip.
TEST_F(DebuggerPageWow64, OpeningShowsADifferingRegistrationAndBreak32) {
    const std::wstring native = StoreNativeRegistration(BinPath(L"recorder.exe"));
    const std::wstring other =
        L"\"C:\\Program Files (x86)\\Some Debugging Tools\\x86\\dbg32.exe\" -p %ld -e %ld -g";
    const std::wstring shows = L"32-bit programs: ";
    const struct {
        const char* name;
        KeyValues values;  // "" alone: an empty key
        std::wstring line; // empty: the box is ticked
    } cases[] = {
        {"no key", {}, L""},
        {"no Debugger", {{L"Auto", Text(L"1")}}, L""},
        {"empty Debugger", {{L"Debugger", Text(L"")}, {L"Auto", Text(L"1")}}, L""},
        {"the same", {{L"Debugger", Text(native)}, {L"Auto", Text(L"1")}}, L""},
        {"no Auto", {{L"Debugger", Text(native)}}, shows + native},
        {"Auto a DWORD", {{L"Debugger", Text(native)}, {L"Auto", Dword(1)}}, shows + native},
        {"another debugger",
         {{L"Debugger", Text(other, REG_EXPAND_SZ)}, {L"Auto", Text(L"1")}},
         L"32-bit programs (auto-select): " + other},
        {"Debugger a DWORD",
         {{L"Debugger", Dword(1)}},
         shows + L"a Debugger value that is not text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Store32(c.values);
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(app.IsChecked(kWow64), c.line.empty());
        EXPECT_EQ(IsWindowVisible(app.Control(kWow64Line)) != FALSE, !c.line.empty());
        EXPECT_EQ(app.ControlText(kWow64Line), c.line);
        EXPECT_EQ(app.ToolTipText(kWow64Line), c.line);
        EXPECT_TRUE(app.Cancel());
    }
    // A line that first shows after an apply brings its tooltip along.
    {
        Store32({{L"Debugger", Text(native)}, {L"Auto", Text(L"1")}});
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        app.ClickNow(kWow64);
        Store32({{L"Debugger", Text(other)}});
        ApplyOk(app);
        EXPECT_EQ(app.ToolTipText(kWow64Line), shows + other);
        EXPECT_TRUE(app.Cancel());
    }

    // raise32.exe alone beside the program: only the 32-bit Break is offered, and it starts that
    // file. A 64-bit stand-in records its start: this Wine cannot run 32-bit code.
    std::wstring dir = MakeTempDir(L"corvane wow64"), exe = dir + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), exe.c_str(), FALSE));
    Stub raise32(dir, L"raise32.exe");
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", nullptr, exe));
    EXPECT_FALSE(app.IsEnabled(kBreak));
    EXPECT_TRUE(app.IsEnabled(kBreak32));
    app.Click(kBreak32);
    EXPECT_EQ(Field(raise32.Read(), "cmdline"), "\"" + ToUtf8(raise32.path) + "\"");
    // Gone once the page opened: the start fails, with Break's message.
    ASSERT_TRUE(raise32.Remove());
    app.Click(kBreak32);
    // The shell may say so first in a box of its own.
    std::wstring message = app.TakeMessageBox();
    EXPECT_EQ(message == kBreakFailed ? message : app.TakeMessageBox(), kBreakFailed);
    EXPECT_TRUE(app.Cancel());
}

// Apply writes the native view as ever, then, with the box ticked, the same registration into
// the 32-bit view; unticked, the 32-bit view keeps every byte.
TEST_F(DebuggerPageWow64, ApplyWritesThe32BitViewOnlyWhenTicked) {
    // A folder with a space, so the command lines written hold quotes.
    Stub recorder(MakeTempDir(L"corvane wow64"), L"recorder.exe");
    const std::wstring native = StoreNativeRegistration(recorder.path),
                       chosen = L"\"" + recorder.path + L"\" -p %ld -x";
    Store32({{L"Debugger", Text(L"%SystemRoot%\\dbg32.exe -p %ld", REG_EXPAND_SZ)},
             {L"Auto", Dword(1)},
             {L"UserDebuggerHotKey", Dword(0)}});
    const auto before = ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key);

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_FALSE(app.IsChecked(kWow64));
    app.SetEditText(kParameters, L"-p %ld -x");
    ApplyOk(app);
    EXPECT_EQ(Registration(), chosen + L"|1|");
    EXPECT_EQ(ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key), before);
    EXPECT_TRUE(IsWindowVisible(app.Control(kWow64Line)));

    // Ticked, with a 32-bit view that cannot be written after the native one was: said, never a
    // success; the copy just saved for that view goes again.
    app.ClickNow(kWow64);
    EXPECT_TRUE(app.IsApplyEnabled());
    {
        ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kAeDebug32Key);
        app.SetEditText(kParameters, L"-p %ld -e %ld");
        app.PressApply();
        EXPECT_EQ(app.TakeMessageBox(),
                  L"[warning] The debugger was set for 64-bit programs, but not for 32-bit "
                  L"programs. An error has occurred while writing to the 32-bit view of the "
                  L"Registry.");
        EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"), native);
        EXPECT_EQ(ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key), before);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSaved32Key));
        app.Settle();
        EXPECT_TRUE(app.IsApplyEnabled());
    }
    // Then Debugger and Auto as the native view holds them; other values stay.
    ApplyOk(app);
    EXPECT_EQ(ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key),
              (KeyValues{{L"Debugger", Text(native)},
                         {L"Auto", Text(L"1")},
                         {L"UserDebuggerHotKey", Dword(0)}}));
    EXPECT_FALSE(IsWindowVisible(app.Control(kWow64Line)));
    EXPECT_TRUE(app.Cancel());

    // No 32-bit key: ticked from the start, and "No Debugger" empties both, creating it. The
    // stored debugger is still the other one, though the saved entry stands before it.
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebug32Key));
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(app.IsChecked(kWow64));
    EXPECT_EQ(Shown(app), L"Other debugger...|" + recorder.path + L"|-p %ld -e %ld|auto|PAD");
    app.Choose(kList, 0);
    OkAndExit(app);
    EXPECT_EQ(Registration(), L"|0|");
    EXPECT_EQ(ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key), ReadKey(HKEY_LOCAL_MACHINE, kAeDebugKey));

    // Each view kept what its first apply replaced; the saved entry, ticked, restores both.
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(app.IsChecked(kWow64));
    app.Choose(kList, static_cast<int>(app.ComboItems(kList).size()) - 2);
    OkAndExit(app);
    EXPECT_EQ(Registration(), native + L"|1|");
    EXPECT_EQ(ReadKey(HKEY_LOCAL_MACHINE, kAeDebug32Key),
              (KeyValues{{L"Auto", Dword(1)},
                         {L"Debugger", Text(L"%SystemRoot%\\dbg32.exe -p %ld", REG_EXPAND_SZ)}}));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCorvaneKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCorvane32Key));
}

// Every test runs as an elevated administrator under Wine, which is never asked: the OKs above
// write at once. An administrator's limited token is asked, and Retry restarts elevated.
TEST_F(Elevation, RetryWithALimitedTokenRestarts) {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Windows asks for consent on the secure desktop: docs/windows-checklist.md";
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", Text(kMarker)));
    HANDLE token = CreateLinkedToken();
    ASSERT_NE(token, nullptr);
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", token));
    CloseHandle(token);
    app.Choose(kList, 0);
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(IDRETRY), kElevationPrompt);
    // The new instance closes this one, which writes nothing, and shows its own sheet.
    EXPECT_TRUE(app.WaitExit(20000));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"), kMarker);
    HWND other = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (other = FindWindowW(L"#32770", L"Corvane")); }, 20000));
    DWORD otherId = 0;
    GetWindowThreadProcessId(other, &otherId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, otherId);
    ASSERT_NE(process, nullptr);
    PostMessageW(other, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    CloseHandle(process);
}
