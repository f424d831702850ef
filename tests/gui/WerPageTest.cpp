// The error-reporting page against the real per-user registry: what it shows, what each click
// writes, that it stays out of Apply/OK/Cancel, and the report folder button.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <string>

#include "support/GuiDriver.h"
#include "support/ProcessInfo.h"

using namespace testing_support;

namespace {
const wchar_t kWerKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
const wchar_t kConsentKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";
const int kReportingBox = 1007;
const int kQueueingBox = 1008;
const int kReportFolderButton = 1009;

// The value as a REG_DWORD; nothing when missing or of another type.
std::optional<DWORD> Dword(const wchar_t* key, const wchar_t* name) {
    auto value = ReadValue(HKEY_CURRENT_USER, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
        return std::nullopt;
    return *reinterpret_cast<const DWORD*>(value->data.data());
}

// Starts the program on a fresh error-reporting key and brings its page forward.
class WerPage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kWerKey)); }

    void StartOnPage(HANDLE token = nullptr) {
        ASSERT_TRUE(app.Start(L"", token));
        ASSERT_EQ(app.TabCount(), 3);
        ASSERT_EQ(app.TabText(1), L"Windows Error Reporting");
        ASSERT_NE(app.SelectPage(1), nullptr);
        ASSERT_NE(app.Control(kReportingBox), nullptr);
    }

    // Clicks a box and waits until the page wrote the expected value and finished the click.
    void ClickAndWait(int id, const wchar_t* name, DWORD expected) {
        bool wasChecked = app.IsChecked(id);
        app.ClickCheckBox(id);
        ASSERT_TRUE(WaitUntil([&] { return Dword(kWerKey, name) == expected; }))
            << "no " << ToUtf8(name) << " = " << expected;
        app.Settle();
        EXPECT_NE(app.IsChecked(id), wasChecked);
    }

    void Close() {
        app.PressCancel();
        EXPECT_TRUE(app.WaitExit());
    }

    RegistryKeySnapshot snapshot{HKEY_CURRENT_USER, kWerKey};
    CorvaneApp app;
};
} // namespace

TEST_F(WerPage, BoxesMirrorTheRegistryWhenThePageIsCreated) {
    struct Case {
        const char* what;
        std::optional<RegValue> disabled, forceQueue;
        bool reportingChecked, queueingChecked;
    };
    auto dword = [](DWORD v) {
        RegValue r{REG_DWORD, {}};
        r.data.assign(reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4);
        return r;
    };
    // A four-byte binary 1 and a REG_SZ are not REG_DWORDs: they read as 0.
    RegValue binaryOne{REG_BINARY, {1, 0, 0, 0}};
    RegValue text{REG_SZ, {'1', 0, 0, 0}};
    RegValue qwordOne{REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}};
    const Case cases[] = {
        {"missing", std::nullopt, std::nullopt, true, false},
        {"0", dword(0), dword(0), true, false},
        {"1", dword(1), dword(1), false, true},
        {"2", dword(2), dword(2), true, false},
        {"binary", binaryOne, binaryOne, true, false},
        {"text and qword", text, qwordOne, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteValue(HKEY_CURRENT_USER, kWerKey, L"Disabled");
        DeleteValue(HKEY_CURRENT_USER, kWerKey, L"ForceQueue");
        if (c.disabled) {
            ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"Disabled", c.disabled->type,
                                   c.disabled->data.data(), (DWORD)c.disabled->data.size()));
        }
        if (c.forceQueue) {
            ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", c.forceQueue->type,
                                   c.forceQueue->data.data(), (DWORD)c.forceQueue->data.size()));
        }
        StartOnPage();
        EXPECT_EQ(app.IsChecked(kReportingBox), c.reportingChecked);
        EXPECT_EQ(app.IsChecked(kQueueingBox), c.queueingChecked);
        // Nothing is written just by looking.
        if (!c.disabled) {
            EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kWerKey, L"Disabled"));
        }
        Close();
    }
}

TEST_F(WerPage, ReportingSwitchWritesDisabledAndRaisesTheConsentLevel) {
    bool machineKeyExisted = KeyExists(HKEY_LOCAL_MACHINE, kWerKey);
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"Disabled", 1));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", 1));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kConsentKey));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", 1));
    StartOnPage();
    ASSERT_FALSE(app.IsChecked(kReportingBox));

    // Enabling with consent 1 raises it to 2.
    ClickAndWait(kReportingBox, L"Disabled", 0);
    EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), 2u);
    // Disabling writes a REG_DWORD 1 and touches nothing else.
    ClickAndWait(kReportingBox, L"Disabled", 1);
    EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), 2u);
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 1u);

    // The consent level is read at each click, so the test can change it in between. Levels
    // of 2 and more stay as they are.
    for (DWORD level : {3u, 4u, 2u}) {
        ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", level));
        ClickAndWait(kReportingBox, L"Disabled", 0);
        EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), level);
        ClickAndWait(kReportingBox, L"Disabled", 1);
    }
    // Level 0, and a Consent key without the value, become 2.
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", 0));
    ClickAndWait(kReportingBox, L"Disabled", 0);
    EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), 2u);
    ClickAndWait(kReportingBox, L"Disabled", 1);
    ASSERT_TRUE(DeleteValue(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent"));
    ClickAndWait(kReportingBox, L"Disabled", 0);
    EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), 2u);
    ClickAndWait(kReportingBox, L"Disabled", 1);

    // Without a Consent key only "Disabled" is written; the key is not created.
    ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, kConsentKey));
    ClickAndWait(kReportingBox, L"Disabled", 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kConsentKey));
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 1u);

    Close();
    EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kWerKey), machineKeyExisted);
}

TEST_F(WerPage, TogglesNeverEnableApplyAndSurviveCancel) {
    // Pressing Apply may write the debugger registration: keep it as it was.
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    // No debugger stored: the debugger page then applies without checks that could refuse.
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L""));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"Disabled", 0));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", 0));
    StartOnPage();

    // The debugger page marks itself changed from the start; apply it first, so that Apply
    // starts disabled. With no debugger stored it writes the empty registration and says so
    // (it marks itself unchanged before that message, so wait for the message itself).
    ASSERT_TRUE(WaitUntil([&] { return app.IsApplyEnabled(); }, 5000));
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), L"The default debugger was successfully set.");
    ASSERT_TRUE(WaitUntil([&] { return !app.IsApplyEnabled() && !app.HasMessageBox(); }));
    app.SelectPage(1);
    ASSERT_FALSE(app.IsApplyEnabled());

    ClickAndWait(kReportingBox, L"Disabled", 1);
    EXPECT_FALSE(app.IsApplyEnabled());
    // Queueing stays usable while reporting is off; switching it off writes 0, never deletes.
    ClickAndWait(kQueueingBox, L"ForceQueue", 1);
    ClickAndWait(kQueueingBox, L"ForceQueue", 0);
    ClickAndWait(kQueueingBox, L"ForceQueue", 1);
    EXPECT_FALSE(app.IsApplyEnabled());
    EXPECT_TRUE(app.IsEnabled(kReportFolderButton));
    EXPECT_EQ(Dword(kWerKey, L"Disabled"), 1u);
    ClickAndWait(kReportingBox, L"Disabled", 0);
    ClickAndWait(kReportingBox, L"Disabled", 1);
    EXPECT_FALSE(app.IsApplyEnabled());

    // Cancel neither undoes nor writes anything on this page.
    app.PressCancel();
    ASSERT_TRUE(app.WaitExit());
    EXPECT_EQ(Dword(kWerKey, L"Disabled"), 1u);
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 1u);
}

TEST_F(WerPage, StandardUserChangesEverySwitch) {
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"Disabled", 1));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kConsentKey));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", 1));
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    StartOnPage(token);
    CloseHandle(token);
    ClickAndWait(kReportingBox, L"Disabled", 0);
    EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent"), 2u);
    ClickAndWait(kQueueingBox, L"ForceQueue", 1);
    ClickAndWait(kReportingBox, L"Disabled", 1);
    ClickAndWait(kQueueingBox, L"ForceQueue", 0);
    Close();
}

namespace {
std::wstring LocalAppDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::vector<DWORD> NewExplorers(const std::vector<DWORD>& before) {
    std::vector<DWORD> added;
    for (DWORD pid : ProcessIdsNamed(L"explorer.exe")) {
        if (std::find(before.begin(), before.end(), pid) == before.end())
            added.push_back(pid);
    }
    return added;
}

// Ends the folder windows that a test made the shell open: they hold on to the test's output.
void EndExplorers(const std::vector<DWORD>& pids) {
    for (DWORD pid : pids) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process)
            continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}
} // namespace

TEST_F(WerPage, ReportFolderButtonOpensTheQueueFolderInTheShell) {
    std::wstring folder = LocalAppDataFolder() + L"\\Microsoft\\Windows\\WER\\ReportQueue";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS ||
                  GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES,
              true);
    std::vector<DWORD> before = ProcessIdsNamed(L"explorer.exe");
    StartOnPage();
    app.Click(kReportFolderButton);

    // The shell starts its folder browser on exactly that folder.
    std::vector<DWORD> started;
    EXPECT_TRUE(WaitUntil([&] {
        started = NewExplorers(before);
        return !started.empty();
    }));
    bool sawFolder = false;
    for (DWORD pid : started) {
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(ProcessCommandLine(pid).c_str(), &count);
        ASSERT_NE(args, nullptr);
        if (count >= 2 && _wcsicmp(args[count - 1], folder.c_str()) == 0)
            sawFolder = true;
        else
            ADD_FAILURE() << "started: " << ToUtf8(ProcessCommandLine(pid));
        LocalFree(args);
    }
    EXPECT_TRUE(sawFolder);
    EXPECT_FALSE(app.HasMessageBox());
    EndExplorers(NewExplorers(before));
    Close();
}

TEST_F(WerPage, ReportFolderButtonDoesNothingWhenThePathWouldNotFit) {
    // A local application-data folder so long that the queue folder's path exceeds MAX_PATH.
    const wchar_t kShellFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    RegistryKeySnapshot shellFolders(HKEY_CURRENT_USER, kShellFolders);
    std::wstring longFolder = MakeTempDir(L"wer") + L"\\" + std::wstring(200, L'x');
    ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
    ASSERT_TRUE(
        WriteString(HKEY_CURRENT_USER, kShellFolders, L"Local AppData", longFolder, REG_EXPAND_SZ));
    ASSERT_EQ(_wcsicmp(LocalAppDataFolder().c_str(), longFolder.c_str()), 0);

    std::vector<DWORD> before = ProcessIdsNamed(L"explorer.exe");
    StartOnPage();
    app.Click(kReportFolderButton);
    app.Settle();
    // Give a wrongly started shell the time to show up.
    EXPECT_FALSE(WaitUntil([&] { return !NewExplorers(before).empty(); }, 3000));
    EXPECT_FALSE(app.HasMessageBox());
    EndExplorers(NewExplorers(before));
    Close();
    RemoveDirectoryW(longFolder.c_str());
}
