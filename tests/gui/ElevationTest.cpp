// The elevation gate before the debugger registration is written, with real process tokens: an
// elevated administrator passes, a restricted token and an administrator's limited token get the
// Retry/Cancel prompt, Cancel writes nothing, Retry restarts the program through "runas".
#include <gtest/gtest.h>

#include "support/DebuggerFiles.h"
#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
const wchar_t kPrompt[] = L"This task requires the application to have elevated permissions. "
                          L"Click Retry to restart under different credentials or Cancel to "
                          L"abort.";
const wchar_t kSuccess[] = L"The default debugger was successfully set.";
const wchar_t kEmptyPath[] = L"The path to the debugger cannot be empty.";
const wchar_t kMarker[] = L"marker.exe -p %ld";

void ChooseItem(CorvaneApp& app, int index) {
    ChooseItemNow(app, 1000, index);
}

int LastItem(CorvaneApp& app) {
    return static_cast<int>(app.ComboItems(1000).size()) - 1;
}

std::wstring StoredDebugger() {
    return ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger").value_or(L"<missing>");
}

// Presses OK and checks that the prompt comes up: its text, Retry and Cancel, nothing else.
HWND PressOkAndExpectPrompt(CorvaneApp& app) {
    app.PressOk();
    HWND box = app.WaitForMessageBox();
    EXPECT_NE(box, nullptr);
    if (!box)
        return nullptr;
    EXPECT_EQ(CorvaneApp::MessageBoxText(box), kPrompt);
    EXPECT_NE(GetDlgItem(box, IDRETRY), nullptr);
    EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
    return box;
}

// Cancel refuses the apply: nothing is written and the sheet stays open on the page.
void CancelPromptAndExpectNothingWritten(CorvaneApp& app, HWND box) {
    CorvaneApp::AnswerMessageBox(box, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    app.Settle();
    EXPECT_FALSE(app.HasMessageBox());
    EXPECT_NE(app.Sheet(), nullptr);
    EXPECT_TRUE(app.process().IsRunning());
    EXPECT_EQ(StoredDebugger(), kMarker);
    EXPECT_TRUE(app.IsApplyEnabled());
}

// The sheets of Corvane processes other than `pid`.
std::vector<std::pair<DWORD, HWND>> OtherSheets(DWORD pid) {
    std::vector<std::pair<DWORD, HWND>> sheets;
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* found = reinterpret_cast<std::vector<std::pair<DWORD, HWND>>*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (ClassName(hwnd) == L"#32770" && WindowText(hwnd) == L"Corvane" &&
                FindWindowExW(hwnd, nullptr, L"SysTabControl32", nullptr) && IsWindowVisible(hwnd))
                found->push_back({owner, hwnd});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&sheets));
    std::erase_if(sheets, [&](const auto& s) { return s.first == pid; });
    return sheets;
}
} // namespace

TEST(Elevation, ElevatedAdministratorIsNotAsked) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", kMarker));
    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    ChooseItem(app, 0); // "No Debugger"
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kSuccess);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(StoredDebugger(), L"");
}

TEST(Elevation, RestrictedTokenIsAskedAndCancelWritesNothing) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", kMarker));
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", token));
    CloseHandle(token);
    ChooseItem(app, 0);

    HWND box = PressOkAndExpectPrompt(app);
    ASSERT_NE(box, nullptr);
    CancelPromptAndExpectNothingWritten(app, box);

    // The prompt's hook is gone with it: an ordinary box afterwards comes up and answers, and
    // the prompt can be shown again.
    ChooseItem(app, LastItem(app)); // "Other debugger...", no path
    app.PressOk();
    EXPECT_EQ(app.TakeMessageBox(), kEmptyPath);
    ChooseItem(app, 0);
    box = PressOkAndExpectPrompt(app);
    ASSERT_NE(box, nullptr);
    CancelPromptAndExpectNothingWritten(app, box);

    // Closing the prompt counts as Cancel.
    box = PressOkAndExpectPrompt(app);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    app.Settle();
    EXPECT_EQ(StoredDebugger(), kMarker);
    EXPECT_NE(app.Sheet(), nullptr);

    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}

TEST(Elevation, AdministratorsLimitedTokenIsAsked) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", kMarker));
    HANDLE token = CreateLinkedToken();
    ASSERT_NE(token, nullptr);
    // The limited token still belongs to the Administrators: membership alone does not pass.
    TOKEN_ELEVATION_TYPE type{};
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size));
    ASSERT_EQ(type, TokenElevationTypeLimited);
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", token));
    CloseHandle(token);
    ChooseItem(app, 0);
    HWND box = PressOkAndExpectPrompt(app);
    ASSERT_NE(box, nullptr);
    CancelPromptAndExpectNothingWritten(app, box);
    app.PressCancel();
    EXPECT_TRUE(app.WaitExit());
}

TEST(Elevation, RetryRestartsTheProgramWhichReplacesThisInstance) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", kMarker));
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    CorvaneApp app;
    ASSERT_TRUE(app.Start(L"", token));
    CloseHandle(token);
    ASSERT_TRUE(OtherSheets(app.Id()).empty());
    ChooseItem(app, 0);
    HWND box = PressOkAndExpectPrompt(app);
    ASSERT_NE(box, nullptr);
    CorvaneApp::AnswerMessageBox(box, IDRETRY);

    // The new instance shows its own sheet; the old one is closed by it, without writing.
    std::vector<std::pair<DWORD, HWND>> others;
    EXPECT_TRUE(WaitUntil([&] { return !(others = OtherSheets(app.Id())).empty(); }, 20000));
    EXPECT_TRUE(app.WaitExit(20000));
    EXPECT_EQ(StoredDebugger(), kMarker);
    ASSERT_EQ(others.size(), 1u);

    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, others[0].first);
    PostMessageW(others[0].second, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    if (process) {
        EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
}
