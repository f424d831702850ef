// The error-reporting page against the real per-user registry: what it shows, what each click
// writes, that it stays out of Apply and Cancel, and the report folder button.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
const wchar_t kConsentKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";
const int kReportingBox = 1007, kQueueingBox = 1008, kReportFolderButton = 1009;

std::optional<DWORD> Dword(const wchar_t* key, const wchar_t* name) {
    return ReadDword(HKEY_CURRENT_USER, key, name);
}

class WerPage : public ::testing::Test {
protected:
    void StartOnPage(HANDLE token = nullptr) {
        ASSERT_TRUE(app.Start(L"", token));
        ASSERT_NE(app.SelectPage(1), nullptr);
    }

    // Clicks a box and waits until the page wrote the expected value and finished the click.
    void ClickAndWait(int id, const wchar_t* name, DWORD expected) {
        app.Click(id);
        ASSERT_TRUE(WaitUntil([&] { return Dword(kWerKey, name) == expected; }))
            << "no " << ToUtf8(name) << " = " << expected;
        app.Settle();
    }

    RegistryKeySnapshot snapshot{HKEY_CURRENT_USER, kWerKey};
    CorvaneApp app;
};
} // namespace

TEST_F(WerPage, BoxesMirrorTheRegistryWhenThePageIsCreated) {
    // Type and data of Disabled, of ForceQueue (type 0: no value; a REG_BINARY 1 has a DWORD's
    // bytes but not its type, so it reads as 0), then whether each box is checked.
    const DWORD cases[][6] = {{0, 0, REG_DWORD, 1, 1, 1},
                              {REG_DWORD, 0, REG_DWORD, 2, 1, 0},
                              {REG_DWORD, 1, 0, 0, 0, 0},
                              {REG_DWORD, 2, REG_BINARY, 1, 1, 0},
                              {REG_BINARY, 1, REG_DWORD, 0, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        for (int i : {0, 1}) {
            const wchar_t* name = i ? L"ForceQueue" : L"Disabled";
            DeleteValue(HKEY_CURRENT_USER, kWerKey, name);
            ASSERT_TRUE(!c[2 * i] ||
                        WriteValue(HKEY_CURRENT_USER, kWerKey, name, c[2 * i], &c[2 * i + 1], 4));
        }
        StartOnPage();
        EXPECT_EQ(app.IsChecked(kReportingBox), c[4] != 0);
        EXPECT_EQ(app.IsChecked(kQueueingBox), c[5] != 0);
        ASSERT_TRUE(app.Cancel());
    }
}

TEST_F(WerPage, StandardUserClicksWriteDwordsAndRaiseALowConsentLevel) {
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"Disabled", Dword(1)));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", Dword(0)));
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    StartOnPage(token);
    CloseHandle(token);
    // The consent level before enabling and after it; -1: no value, -2: no Consent key.
    for (auto [before, after] : {std::pair{1, 2}, {3, 3}, {4, 4}, {-1, 2}, {-2, -1}}) {
        SCOPED_TRACE(before);
        ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, kConsentKey));
        ASSERT_TRUE(before == -2 || CreateKey(HKEY_CURRENT_USER, kConsentKey));
        ASSERT_TRUE(before < 0 ||
                    WriteValue(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", Dword(before)));
        ClickAndWait(kReportingBox, L"Disabled", 0);
        EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent").value_or(~0u), static_cast<DWORD>(after));
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kConsentKey), before != -2);
        // Disabling leaves the consent level alone.
        ClickAndWait(kReportingBox, L"Disabled", 1);
        EXPECT_EQ(Dword(kConsentKey, L"DefaultConsent").value_or(~0u), static_cast<DWORD>(after));
    }
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 0u);
    ClickAndWait(kQueueingBox, L"ForceQueue", 1);
    ClickAndWait(kQueueingBox, L"ForceQueue", 0);
    ASSERT_TRUE(app.Cancel());
}

TEST_F(WerPage, TogglesStayOutOfApplyAndCancelAndTheFolderButtonOpensTheShell) {
    // Apply writes the debugger registration and saves the one it replaces: keep both. An empty
    // one applies without refusals.
    RegistrationSnapshot registrations;
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", Text(L"")));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"Disabled", Dword(0)));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", Dword(0)));
    StartOnPage();
    // The debugger page starts changed: apply it first, so that Apply starts disabled.
    ASSERT_TRUE(WaitUntil([&] { return app.IsApplyEnabled(); }, 5000));
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), L"[information] The default debugger was successfully set.");
    ASSERT_TRUE(WaitUntil([&] { return !app.IsApplyEnabled() && !app.HasMessageBox(); }));
    app.SelectPage(1);
    ClickAndWait(kReportingBox, L"Disabled", 1);
    ClickAndWait(kQueueingBox, L"ForceQueue", 1);
    EXPECT_FALSE(app.IsApplyEnabled());

    wchar_t appData[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    std::wstring folder = std::wstring(appData) + L"\\Microsoft\\Windows\\WER\\ReportQueue";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    app.Click(kReportFolderButton);
    // The shell's folder window, captioned with the folder's name. It holds on to the test's
    // output: end it.
    HWND window = nullptr;
    EXPECT_TRUE(
        WaitUntil([&] { return (window = FindWindowW(L"ExplorerWClass", L"ReportQueue")); }));
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);

    // Cancel neither undoes nor writes anything on this page.
    ASSERT_TRUE(app.Cancel());
    EXPECT_EQ(Dword(kWerKey, L"Disabled"), 1u);
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 1u);
}
