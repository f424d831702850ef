// The debugger page driven through the real corvane.exe: what it shows for the stored
// registration, choosing and editing entries, applying with its checks and messages, and the
// Configure, Browse and Break buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "support/DebuggerFiles.h"
#include "support/GuiDriver.h"

// The control ids of the system's file dialogs.
#include <dlgs.h>

using namespace testing_support;

namespace {
constexpr int kList = 1000, kConfigure = 1001, kPath = 1002, kParameters = 1003, kBrowse = 1004,
              kDefault = 1005, kAuto = 1006, kBreak = 1009;

const wchar_t kSuccess[] = L"The default debugger was successfully set.";
const wchar_t kEmptyPath[] = L"The path to the debugger cannot be empty.";
const wchar_t kMissingExe[] =
    L"The debugger cannot be configured because the executable file does not exist.";
const wchar_t kEmptyParameters[] = L"The debugger parameters cannot be empty.";
const wchar_t kWriteFailed[] =
    L"The default debugger cannot be set. An error has occurred while writing to the Registry.";
const wchar_t kBreakFailed[] =
    L"A test exception could not be raised because the raise.exe process could not be started.";

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

std::wstring SelectedText(CorvaneApp& app) {
    int index = app.ComboSelection(kList);
    auto items = app.ComboItems(kList);
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index] : L"<none>";
}

int IndexOf(CorvaneApp& app, const std::wstring& text) {
    auto items = app.ComboItems(kList);
    auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void Choose(CorvaneApp& app, const std::wstring& text) {
    int index = IndexOf(app, text);
    ASSERT_GE(index, 0) << "no list item " << ToUtf8(text);
    ChooseItemNow(app, kList, index);
}

std::wstring Stored(const wchar_t* name) {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name).value_or(L"<missing>");
}

// The registration as Corvane writes it: both values REG_SZ.
void ExpectRegistration(const std::wstring& debugger, const std::wstring& autoStart) {
    auto value = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(L"Debugger"), debugger);
    auto autoValue = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
    ASSERT_TRUE(autoValue.has_value());
    EXPECT_EQ(autoValue->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(L"Auto"), autoStart);
}

void ExpectNoDebuggerShown(CorvaneApp& app) {
    EXPECT_EQ(SelectedText(app), L"No Debugger");
    EXPECT_EQ(app.ControlText(kPath), L"");
    EXPECT_EQ(app.ControlText(kParameters), L"");
    EXPECT_FALSE(app.IsChecked(kAuto));
    EXPECT_TRUE(app.IsEnabled(kList));
    EXPECT_FALSE(app.IsEnabled(kParameters));
    EXPECT_FALSE(app.IsEnabled(kAuto));
    EXPECT_FALSE(app.IsEnabled(kDefault));
    EXPECT_FALSE(app.IsEnabled(kConfigure));
    EXPECT_FALSE(app.IsEnabled(kBrowse));
    // Every showing marks the page changed, so OK and Apply work from the start.
    EXPECT_TRUE(app.IsApplyEnabled());
}

// One "name=value" line of a recorder's record.
std::string RecordField(const std::string& record, const std::string& name) {
    size_t start = record.find(name + "=");
    if (start == std::string::npos)
        return "<missing>";
    start += name.size() + 1;
    size_t end = record.find_first_of("\r\n", start);
    return record.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void Close(CorvaneApp& app) {
    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}
} // namespace

TEST(DebuggerPageOpening, UnreadableRegistrationShowsNoDebugger) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    {
        SCOPED_TRACE("key missing");
        ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        ExpectNoDebuggerShown(app);
        // Break does not depend on the registration.
        EXPECT_TRUE(app.IsEnabled(kBreak));
        Close(app);
    }
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebugKey));
    {
        SCOPED_TRACE("empty Debugger");
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L""));
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        ExpectNoDebuggerShown(app);
        Close(app);
    }
    {
        SCOPED_TRACE("Debugger of another type");
        ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", 1));
        CorvaneApp app;
        ASSERT_TRUE(app.Start());
        ExpectNoDebuggerShown(app);
        Close(app);
    }
}

TEST(DebuggerPageOpening, StoredCatalogueDebuggerInOtherCase) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    StubExecutable watson(SystemDir(), L"drwtsn32.exe");
    ASSERT_TRUE(watson.ok());
    std::wstring stored = Upper(watson.path());
    ASSERT_NE(stored, watson.path());
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"  " + stored + L"   -p %ld -e %ld  "));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(SelectedText(app), L"Dr. Watson");
    // The stored values, not the catalogue's.
    EXPECT_EQ(app.ControlText(kPath), stored);
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld");
    EXPECT_TRUE(app.IsChecked(kAuto));
    EXPECT_TRUE(app.IsEnabled(kParameters));
    EXPECT_TRUE(app.IsEnabled(kAuto));
    EXPECT_TRUE(app.IsEnabled(kDefault));
    // The record read carries no kind of its own until an entry is chosen.
    EXPECT_FALSE(app.IsEnabled(kConfigure));
    EXPECT_FALSE(app.IsEnabled(kBrowse));
    EXPECT_TRUE(app.IsApplyEnabled());

    Choose(app, L"Dr. Watson");
    EXPECT_TRUE(app.IsEnabled(kConfigure));
    EXPECT_EQ(app.ControlText(kPath), watson.path());
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld -g");
    Close(app);
    // Looking changes nothing.
    EXPECT_EQ(Stored(L"Debugger"), L"  " + stored + L"   -p %ld -e %ld  ");
}

TEST(DebuggerPageOpening, UnknownDebuggerShowsAsOtherWithStoredValues) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"\"C:\\Tools Dir\\dbg.exe\" -attach %ld -event %ld"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"0"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    auto items = app.ComboItems(kList);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(app.ComboSelection(kList), static_cast<int>(items.size()) - 1);
    EXPECT_EQ(SelectedText(app), L"Other debugger...");
    EXPECT_EQ(app.ControlText(kPath), L"C:\\Tools Dir\\dbg.exe");
    EXPECT_EQ(app.ControlText(kParameters), L"-attach %ld -event %ld");
    EXPECT_FALSE(app.IsChecked(kAuto));
    EXPECT_FALSE(app.IsEnabled(kBrowse));
    EXPECT_FALSE(app.IsEnabled(kConfigure));

    // Choosing the entry again gives its catalogue values: nothing, and Browse.
    Choose(app, L"Other debugger...");
    EXPECT_EQ(app.ControlText(kPath), L"");
    EXPECT_EQ(app.ControlText(kParameters), L"");
    EXPECT_TRUE(app.IsEnabled(kBrowse));
    EXPECT_FALSE(app.IsEnabled(kConfigure));
    Close(app);
}

TEST(DebuggerPageChoosing, EntriesFillTheirValuesAndDefaultRestoresThem) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger") ||
                !KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
    StubExecutable watson(SystemDir(), L"drwtsn32.exe");
    StubExecutable studio(SystemDir(), L"VSJitDebugger.exe");
    ASSERT_TRUE(watson.ok() && studio.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(
        app.ComboItems(kList),
        (std::vector<std::wstring>{L"No Debugger", L"Dr. Watson",
                                   L"Visual Studio Just-In-Time Debugger", L"Other debugger..."}));

    Choose(app, L"Dr. Watson");
    EXPECT_EQ(app.ControlText(kPath), watson.path());
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld -g");
    EXPECT_TRUE(app.IsChecked(kAuto));
    EXPECT_TRUE(app.IsEnabled(kConfigure));
    EXPECT_FALSE(app.IsEnabled(kBrowse));
    EXPECT_TRUE(app.IsEnabled(kParameters));

    // Edits are replaced by the catalogue values on Default ...
    app.SetEditText(kParameters, L"-p %ld");
    ClickNow(app, kAuto);
    EXPECT_FALSE(app.IsChecked(kAuto));
    ClickNow(app, kDefault);
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld -g");
    EXPECT_TRUE(app.IsChecked(kAuto));

    Choose(app, L"Visual Studio Just-In-Time Debugger");
    EXPECT_EQ(app.ControlText(kPath), studio.path());
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld");
    EXPECT_FALSE(app.IsChecked(kAuto));
    EXPECT_FALSE(app.IsEnabled(kConfigure));
    EXPECT_FALSE(app.IsEnabled(kBrowse));

    // ... and on choosing the same entry again.
    app.SetEditText(kParameters, L"");
    Choose(app, L"Visual Studio Just-In-Time Debugger");
    EXPECT_EQ(app.ControlText(kParameters), L"-p %ld -e %ld");

    Choose(app, L"Other debugger...");
    EXPECT_EQ(app.ControlText(kPath), L"");
    EXPECT_EQ(app.ControlText(kParameters), L"");
    EXPECT_FALSE(app.IsChecked(kAuto));
    EXPECT_TRUE(app.IsEnabled(kBrowse));
    EXPECT_FALSE(app.IsEnabled(kConfigure));
    EXPECT_TRUE(app.IsEnabled(kDefault));

    Choose(app, L"No Debugger");
    ExpectNoDebuggerShown(app);
    Close(app);
}

TEST(DebuggerPageApplying, ValidationMessagesFocusTheFieldAndKeepTheSheetOpen) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L"marker.exe -x"));
    std::wstring dir = MakeTempDir(L"corvane apply");
    StubExecutable debugger(dir, L"debugger.exe");
    ASSERT_TRUE(debugger.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    HWND sheet = app.Sheet();
    Choose(app, L"Other debugger...");

    struct Case {
        std::wstring path, parameters, message;
        int focus;
    } cases[] = {
        {L"", L"-p %ld", kEmptyPath, kPath},
        {dir + L"\\missing.exe", L"-p %ld", kMissingExe, kPath},
        {debugger.path(), L"", kEmptyParameters, kParameters},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.message));
        app.SetEditText(kPath, c.path);
        app.SetEditText(kParameters, c.parameters);
        app.PressOk();
        EXPECT_EQ(app.TakeMessageBox(), c.message);
        ASSERT_TRUE(
            WaitUntil([&] { return FocusedWindowOfThread(sheet) == app.Control(c.focus); }, 5000))
            << "focus on " << GetDlgCtrlID(FocusedWindowOfThread(sheet));
        EXPECT_EQ(app.Sheet(), sheet);
        EXPECT_TRUE(IsWindowVisible(sheet));
        EXPECT_FALSE(app.HasMessageBox());
    }
    EXPECT_EQ(Stored(L"Debugger"), L"marker.exe -x");
    Close(app);
}

TEST(DebuggerPageApplying, OkWritesTheRegistrationAndCloses) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L"marker.exe -x"));
    StubExecutable watson(SystemDir(), L"drwtsn32.exe");
    ASSERT_TRUE(watson.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    Choose(app, L"Dr. Watson");
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    // No space in the path: no quotes.
    ExpectRegistration(watson.path() + L" -p %ld -e %ld -g", L"1");
}

TEST(DebuggerPageApplying, ApplyQuotesAPathWithASpaceAndLeavesApplyDisabled) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebugKey));
    std::wstring dir = MakeTempDir(L"corvane apply");
    StubExecutable debugger(dir, L"debugger.exe");
    ASSERT_TRUE(debugger.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    Choose(app, L"Other debugger...");
    app.SetEditText(kPath, debugger.path());
    app.SetEditText(kParameters, L"-p %ld -e %ld");
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    app.Settle();
    ExpectRegistration(L"\"" + debugger.path() + L"\" -p %ld -e %ld", L"0");
    EXPECT_FALSE(app.IsApplyEnabled());
    EXPECT_TRUE(app.Sheet() != nullptr);

    // "No Debugger" needs no checks and stores the empty registration.
    Choose(app, L"No Debugger");
    EXPECT_TRUE(app.IsApplyEnabled());
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    ExpectRegistration(L"", L"0");
}

TEST(DebuggerPageApplying, FailedWriteIsReportedAndOkStillCloses) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    // The key must exist for a write; it is never created.
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    Choose(app, L"No Debugger");
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), kWriteFailed);
    app.Settle();
    // The apply counts as done: the next OK tries again, reports again and closes.
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kWriteFailed);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
}

TEST(DebuggerPageBreak, BreakStartsTheStoredPostMortemDebugger) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    std::wstring dir = MakeTempDir(L"corvane break");
    StubExecutable recorder(dir, L"recorder.exe");
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"\"" + recorder.path() + L"\" -p %ld -e %ld"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.IsEnabled(kBreak));
    // Break tries what is stored, not the page's pending changes.
    Choose(app, L"No Debugger");
    app.Click(kBreak);
    ASSERT_TRUE(WaitUntil(
        [&] { return FileExists(recorder.record()) && !ReadFileUtf8(recorder.record()).empty(); },
        20000));
    std::string text = ReadFileUtf8(recorder.record());
    EXPECT_NE(RecordField(text, "pid"), "0") << text;
    EXPECT_EQ(RecordField(text, "pid_ok"), "1") << text;
    EXPECT_EQ(RecordField(text, "event_ok"), "1") << text;
    EXPECT_NE(RecordField(text, "cmdline").find(ToUtf8(recorder.path())), std::string::npos);
    EXPECT_FALSE(app.HasMessageBox());
    Close(app);
}

TEST(DebuggerPageBreak, BreakNeedsRaiseBesideTheProgram) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    std::wstring dir = MakeTempDir(L"corvane alone");
    std::wstring exe = dir + L"\\corvane.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"corvane.exe").c_str(), exe.c_str(), FALSE));
    {
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, exe));
        EXPECT_FALSE(app.IsEnabled(kBreak));
        Close(app);
    }
    // A raise.exe that cannot be started: Break is offered, and its failure reported.
    std::wstring raise = dir + L"\\raise.exe";
    HANDLE file = CreateFileW(raise.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "not a program", 13, &written, nullptr);
    CloseHandle(file);
    {
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, exe));
        EXPECT_TRUE(app.IsEnabled(kBreak));
        app.Click(kBreak);
        // The shell may tell about the failure first, in a box of its own.
        std::wstring text = app.TakeMessageBox(IDOK, 20000);
        if (text != kBreakFailed)
            text = app.TakeMessageBox(IDOK, 20000);
        EXPECT_EQ(text, kBreakFailed);
        Close(app);
    }
    DeleteFileW(raise.c_str());
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(DebuggerPageConfigure, ConfigureStartsTheDebuggerOrWarnsWhenItIsMissing) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    StubExecutable watson(SystemDir(), L"drwtsn32.exe");
    ASSERT_TRUE(watson.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    Choose(app, L"Dr. Watson");
    ASSERT_TRUE(app.IsEnabled(kConfigure));
    app.Click(kConfigure);
    ASSERT_TRUE(WaitUntil(
        [&] { return FileExists(watson.record()) && !ReadFileUtf8(watson.record()).empty(); },
        20000));
    // Started without parameters.
    std::string text = ReadFileUtf8(watson.record());
    EXPECT_EQ(RecordField(text, "cmdline"), "\"" + ToUtf8(watson.path()) + "\"") << text;
    EXPECT_FALSE(app.HasMessageBox());

    ASSERT_TRUE(watson.Remove());
    DeleteFileW(watson.record().c_str());
    app.Click(kConfigure);
    EXPECT_EQ(app.TakeMessageBox(), kMissingExe);
    EXPECT_FALSE(FileExists(watson.record()));
    Close(app);
}

TEST(DebuggerPageBrowse, BrowseSetsThePathFromTheFileOpenDialog) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    std::wstring dir = MakeTempDir(L"corvane browse");
    StubExecutable debugger(dir, L"debugger.exe");
    ASSERT_TRUE(debugger.ok());

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    Choose(app, L"Other debugger...");
    ASSERT_TRUE(app.IsEnabled(kBrowse));

    auto openDialog = [&] {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND hwnd : DialogWindowsOf(app.Id())) {
                    if (hwnd != app.Sheet() && !GetDlgItem(hwnd, 0xFFFF) &&
                        GetDlgItem(hwnd, IDOK) && IsWindowVisible(hwnd))
                        found = hwnd;
                }
                return found != nullptr;
            },
            10000);
        return found;
    };

    // Cancel changes nothing.
    app.Click(kBrowse);
    HWND dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    // The filter list from the string resource, split at its bars.
    HWND types = GetDlgItem(dialog, cmb1);
    ASSERT_NE(types, nullptr);
    wchar_t type[256] = L"";
    SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
    EXPECT_EQ(std::wstring(type), L"Executable Files (*.exe)");
    // It opens in the system directory.
    wchar_t folder[256] = L"";
    SendMessageW(GetDlgItem(dialog, cmb2), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(folder));
    EXPECT_EQ(Upper(folder), L"SYSTEM32");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    app.Settle();
    EXPECT_EQ(app.ControlText(kPath), L"");

    app.Click(kBrowse);
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name)
        name = GetDlgItem(dialog, edt1);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(debugger.path().c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 10000));
    app.Settle();
    EXPECT_EQ(app.ControlText(kPath), debugger.path());

    // The chosen file is what OK checks and writes.
    app.SetEditText(kParameters, L"-p %ld -e %ld");
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    ExpectRegistration(L"\"" + debugger.path() + L"\" -p %ld -e %ld", L"0");
}
