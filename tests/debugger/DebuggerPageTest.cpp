// The debugger page driven through the real corvane.exe: what it shows for the stored
// registration, choosing and editing entries, applying with its checks and messages, the
// Configure, Browse and Break buttons, and the elevation prompt with real tokens.
#include <gtest/gtest.h>

#include "support/GuiDriver.h"

// The control ids of the system's file dialogs.
#include <dlgs.h>

using namespace testing_support;

namespace {
constexpr int kList = 1000, kConfigure = 1001, kPath = 1002, kParameters = 1003, kBrowse = 1004,
              kDefault = 1005, kAuto = 1006, kBreak = 1009;
const wchar_t kSuccess[] = L"The default debugger was successfully set.";
const wchar_t kMissingExe[] =
    L"The debugger cannot be configured because the executable file does not exist.";
const wchar_t kMarker[] = L"marker.exe -p %ld";
const wchar_t kCorvaneKey[] = L"Software\\Corvane";
const wchar_t kSavedKey[] = L"Software\\Corvane\\Saved";

// A copy of recorder.exe, which writes "<path>.txt" when started; both go with the object.
struct Stub {
    std::wstring path, record;
    Stub(const std::wstring& dir, const wchar_t* name)
        : path(dir + L"\\" + name), record(path + L".txt") {
        DeleteFileW(record.c_str());
        CopyFileW(BinPath(L"recorder.exe").c_str(), path.c_str(), FALSE);
    }
    ~Stub() {
        Remove();
        // The stub may still be running for a moment after writing its record.
        WaitUntil([&] { return DeleteFileW(record.c_str()) || !FileExists(record); }, 5000);
    }
    bool Remove() {
        return WaitUntil([&] { return DeleteFileW(path.c_str()) || !FileExists(path); }, 5000);
    }
    std::string Read() {
        WaitUntil([&] { return !ReadFileUtf8(record).empty(); }, 20000);
        return ReadFileUtf8(record);
    }
};

// Sent, not posted: when it returns, the page has handled the choice.
void Choose(CorvaneApp& app, int index) {
    HWND list = app.Control(kList);
    SendMessageTimeoutW(list, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutW(app.CurrentPage(), WM_COMMAND, MAKEWPARAM(kList, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list), SMTO_ABORTIFHUNG, 5000, nullptr);
}

void ClickNow(CorvaneApp& app, int id) {
    SendMessageTimeoutW(app.Control(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

// The page in one line: entry|path|parameters|auto|enabled controls (Parameters, Auto check
// box, Default, Configure, Browse).
std::wstring Shown(CorvaneApp& app) {
    auto items = app.ComboItems(kList);
    size_t index = app.ComboSelection(kList);
    std::wstring s = (index < items.size() ? items[index] : L"<none>") + L"|" +
                     app.ControlText(kPath) + L"|" + app.ControlText(kParameters) +
                     (app.IsChecked(kAuto) ? L"|auto|" : L"||");
    for (auto [id, name] : {std::pair{kParameters, L"P"},
                            {kAuto, L"A"},
                            {kDefault, L"D"},
                            {kConfigure, L"C"},
                            {kBrowse, L"B"}})
        s += app.IsEnabled(id) ? name : L"";
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

std::wstring StoredDebugger() {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger").value_or(L"<missing>");
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

void Close(CorvaneApp& app) {
    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}
} // namespace

TEST(DebuggerPageOpening, UnreadableRegistrationShowsNoDebugger) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    // Started from a folder without raise.exe, the program offers no Break.
    std::wstring dir = MakeTempDir(L"corvane alone"), alone = dir + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), alone.c_str(), FALSE));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i == 0 ? "key missing" : i == 1 ? "empty Debugger" : "Debugger a DWORD");
        if (i == 0)
            ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
        else if (i == 1)
            ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebugKey) &&
                        WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L"") &&
                        WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));
        else
            ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", 1));
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, i == 2 ? alone : L""));
        EXPECT_EQ(Shown(app), L"No Debugger||||");
        // Every showing marks the page changed, so OK and Apply work from the start.
        EXPECT_TRUE(app.IsApplyEnabled());
        EXPECT_EQ(app.IsEnabled(kBreak), i != 2);
        if (i == 0) {
            // The key is never created, so the write fails and says so.
            app.PressApply();
            EXPECT_EQ(app.TakeMessageBox(), L"The default debugger cannot be set. An error has "
                                            L"occurred while writing to the Registry.");
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
        }
        Close(app);
    }
    DeleteFileW(alone.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(DebuggerPageChoosing, StoredCatalogueEntryThenEachEntryDefaultAndConfigure) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    // The list offers the catalogue's debuggers that are installed.
    Stub watson(SystemDir(), L"drwtsn32.exe"), studio(SystemDir(), L"VSJitDebugger.exe");
    ASSERT_TRUE(FileExists(watson.path) && FileExists(studio.path));
    std::wstring stored = watson.path;
    CharUpperW(stored.data());
    const std::wstring registered = L"  " + stored + L"   -p %ld -e %ld  ";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", registered));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    // The stored values; Configure waits until the entry is chosen.
    EXPECT_EQ(Shown(app), L"Dr. Watson|" + stored + L"|-p %ld -e %ld|auto|PAD");
    EXPECT_TRUE(app.IsApplyEnabled());
    const std::wstring watsonShown = L"Dr. Watson|" + watson.path + L"|-p %ld -e %ld -g|auto|PADC";
    Choose(app, 1);
    EXPECT_EQ(Shown(app), watsonShown);

    // Configure starts it without parameters.
    app.Click(kConfigure);
    EXPECT_EQ(Field(watson.Read(), "cmdline"), "\"" + ToUtf8(watson.path) + "\"");
    EXPECT_FALSE(app.HasMessageBox());

    app.SetEditText(kParameters, L"-p %ld");
    ClickNow(app, kAuto);
    ClickNow(app, kDefault);
    EXPECT_EQ(Shown(app), watsonShown);

    ASSERT_TRUE(watson.Remove());
    DeleteFileW(watson.record.c_str());
    app.Click(kConfigure);
    EXPECT_EQ(app.TakeMessageBox(), kMissingExe);
    EXPECT_FALSE(FileExists(watson.record));

    Choose(app, 2);
    EXPECT_EQ(Shown(app),
              L"Visual Studio Just-In-Time Debugger|" + studio.path + L"|-p %ld -e %ld||PAD");
    Choose(app, 3);
    EXPECT_EQ(Shown(app), L"Other debugger...||||PADB");
    Choose(app, 0);
    EXPECT_EQ(Shown(app), L"No Debugger||||");
    Close(app);
    EXPECT_EQ(StoredDebugger(), registered);
}

// The other debugger with its stored values; Break through the real post-mortem launch; every
// check on applying; Browse; Apply and OK writing.
TEST(DebuggerPageApplying, OtherDebuggerBreakChecksBrowseAndWrites) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    RegistryKeySnapshot corvane(HKEY_LOCAL_MACHINE, kCorvaneKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvaneKey);
    std::wstring dir = MakeTempDir(L"corvane break");
    Stub recorder(dir, L"recorder.exe");
    ASSERT_TRUE(FileExists(recorder.path));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"\"" + recorder.path + L"\" -p %ld -e %ld"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    HWND sheet = app.Sheet();
    EXPECT_EQ(Shown(app), L"Other debugger...|" + recorder.path + L"|-p %ld -e %ld|auto|PAD");

    app.Click(kBreak);
    std::string text = recorder.Read();
    EXPECT_EQ(Field(text, "pid_ok") + Field(text, "event_ok"), "11") << text;
    EXPECT_NE(Field(text, "cmdline").find(ToUtf8(recorder.path)), std::string::npos) << text;
    EXPECT_FALSE(app.HasMessageBox());
    // The shell, loaded for the start (not before: the About page's test), from the system.
    EXPECT_EQ(app.process().LoadedModule(L"shell32.dll"), SystemModule(L"shell32.dll"));

    Choose(app, 3);
    struct {
        std::wstring path, parameters, message;
        int focus;
    } cases[] = {
        {L"", L"-p %ld", L"The path to the debugger cannot be empty.", kPath},
        {dir + L"\\missing.exe", L"-p %ld", kMissingExe, kPath},
        {recorder.path, L"", L"The debugger parameters cannot be empty.", kParameters},
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
    EXPECT_EQ(app.process().LoadedModule(L"comdlg32.dll"), SystemModule(L"comdlg32.dll"));
    HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(recorder.path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    app.Settle();
    EXPECT_EQ(app.ControlText(kPath), recorder.path);

    app.SetEditText(kParameters, L"-p %ld -e %ld");
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    app.Settle();
    EXPECT_EQ(Registration(), L"\"" + recorder.path + L"\" -p %ld -e %ld|0|");
    EXPECT_FALSE(app.IsApplyEnabled());
    Choose(app, 0);
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(Registration(), L"|0|");
    // The first write saved the registration it replaced; the second kept that copy.
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kSavedKey, L"Debugger"),
              L"\"" + recorder.path + L"\" -p %ld -e %ld");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kSavedKey, L"Auto"), L"1");
}

// A registration the page cannot read (an "Auto" without its terminator) shows as "No
// Debugger", and an untouched OK replaces it; the saved copy, offered last but one next time,
// brings it back byte for byte.
TEST(DebuggerPageApplying, SavedRegistrationIsOfferedAndRestoredExactly) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    RegistryKeySnapshot corvane(HKEY_LOCAL_MACHINE, kCorvaneKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvaneKey);
    const std::wstring debugger = L"C:\\saved\\d.exe  -p %ld";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", debugger));
    // Two bytes: "1" without a terminator; the 'X' after it keeps the registry from adding one.
    const wchar_t unterminated[] = L"1X";
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", REG_SZ, unterminated, 2));
    const auto before = std::pair(ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"),
                                  ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto"));
    ASSERT_TRUE(before.first && before.second && before.second->data.size() == 2);
    auto same = [&](const wchar_t* key) {
        auto d = ReadValue(HKEY_LOCAL_MACHINE, key, L"Debugger");
        auto a = ReadValue(HKEY_LOCAL_MACHINE, key, L"Auto");
        return d && a && d->type == before.first->type && d->data == before.first->data &&
               a->type == before.second->type && a->data == before.second->data;
    };

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(Shown(app), L"No Debugger||||");
    const auto catalogue = app.ComboItems(kList);
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(Registration(), L"|0|");
    EXPECT_TRUE(same(kSavedKey));

    // Without elevation the restore asks first; cancelled, it changes nothing.
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    CorvaneApp limited;
    ASSERT_TRUE(limited.Start(L"", token));
    CloseHandle(token);
    Choose(limited, static_cast<int>(catalogue.size()) - 1);
    limited.PressOk();
    EXPECT_EQ(limited.TakeMessageBox(IDCANCEL).substr(0, 33), L"This task requires the applicatio");
    Close(limited);
    EXPECT_EQ(Registration(), L"|0|");
    EXPECT_TRUE(same(kSavedKey));

    CorvaneApp again;
    ASSERT_TRUE(again.Start());
    auto items = again.ComboItems(kList);
    ASSERT_EQ(items.size(), catalogue.size() + 1);
    EXPECT_EQ(items[items.size() - 2], L"Saved registration");
    EXPECT_EQ(items.back(), catalogue.back());
    // Its values as read (the unreadable Auto shows off); nothing of it can be edited.
    Choose(again, static_cast<int>(items.size()) - 2);
    EXPECT_EQ(Shown(again), L"Saved registration|C:\\saved\\d.exe|-p %ld||");
    again.PressOk();
    EXPECT_EQ(again.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(again.WaitExit());
    EXPECT_TRUE(same(kAeDebugKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSavedKey));
}

// Every test runs as an elevated administrator under Wine, which is never asked: the OKs above
// write at once. A restricted token and an administrator's limited token are.
TEST(Elevation, LimitedTokensAreAskedCancelKeepsTheSheetRetryRestarts) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", kMarker));
    for (bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked token, Retry" : "restricted token, Cancel");
        HANDLE token = linked ? CreateLinkedToken() : CreateStandardUserToken();
        ASSERT_NE(token, nullptr);
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", token));
        CloseHandle(token);
        Choose(app, 0);
        app.PressOk();
        HWND box = app.WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(CorvaneApp::MessageBoxText(box),
                  L"This task requires the application to have elevated permissions. Click "
                  L"Retry to restart under different credentials or Cancel to abort.");
        EXPECT_TRUE(GetDlgItem(box, IDRETRY) && GetDlgItem(box, IDCANCEL) &&
                    !GetDlgItem(box, IDOK));
        CorvaneApp::AnswerMessageBox(box, linked ? IDRETRY : IDCANCEL);
        if (!linked) {
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
            app.Settle();
            EXPECT_NE(app.Sheet(), nullptr);
            EXPECT_TRUE(app.IsApplyEnabled());
            EXPECT_EQ(StoredDebugger(), kMarker);
            Close(app);
            continue;
        }
        // The new instance shows its own sheet and closes this one, which writes nothing.
        HWND other = nullptr;
        DWORD otherId = 0;
        EXPECT_TRUE(WaitUntil(
            [&] {
                while ((other = FindWindowExW(nullptr, other, L"#32770", L"Corvane")))
                    if (GetWindowThreadProcessId(other, &otherId) && otherId != app.Id() &&
                        IsWindowVisible(other))
                        return true;
                return false;
            },
            20000));
        EXPECT_TRUE(app.WaitExit(20000));
        EXPECT_EQ(StoredDebugger(), kMarker);
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, otherId);
        ASSERT_NE(process, nullptr);
        PostMessageW(other, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
}
