// The error-reporting page against the real per-user registry: what it shows, what each click
// writes, that it stays out of Apply and Cancel, and the report folder button.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <optional>
#include <string>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
const wchar_t kWerKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
const wchar_t kConsentKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";
const int kReportingBox = 1007, kQueueingBox = 1008, kReportFolderButton = 1009;

// The value as a REG_DWORD; nothing when missing or of another type.
std::optional<DWORD> Dword(const wchar_t* key, const wchar_t* name) {
    auto value = ReadValue(HKEY_CURRENT_USER, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
        return std::nullopt;
    return *reinterpret_cast<const DWORD*>(value->data.data());
}

// The shell's folder windows on `folder`: explorer.exe processes with it as the last argument.
std::vector<DWORD> FolderWindowsOn(const std::wstring& folder) {
    using QueryProc = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationProcess")));
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        PROCESS_BASIC_INFORMATION basic{};
        PEB peb{};
        RTL_USER_PROCESS_PARAMETERS parameters{};
        std::wstring text(32768, L'\0'); // the longest command line, zero-terminated
        int count = 0;
        LPWSTR* args = nullptr;
        if (process && _wcsicmp(entry.szExeFile, L"explorer.exe") == 0 &&
            query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
            ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) &&
            ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters),
                              nullptr) &&
            ReadProcessMemory(process, parameters.CommandLine.Buffer, text.data(),
                              parameters.CommandLine.Length, nullptr))
            args = CommandLineToArgvW(text.c_str(), &count);
        if (args && count >= 2 && _wcsicmp(args[count - 1], folder.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
        LocalFree(args);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ids;
}

class WerPage : public ::testing::Test {
protected:
    void StartOnPage(HANDLE token = nullptr) {
        ASSERT_TRUE(app.Start(L"", token));
        ASSERT_NE(app.SelectPage(1), nullptr);
    }

    // Clicks a box and waits until the page wrote the expected value and finished the click.
    void ClickAndWait(int id, const wchar_t* name, DWORD expected) {
        app.ClickCheckBox(id);
        ASSERT_TRUE(WaitUntil([&] { return Dword(kWerKey, name) == expected; }))
            << "no " << ToUtf8(name) << " = " << expected;
        app.Settle();
    }

    void Cancel() {
        app.PressCancel();
        ASSERT_TRUE(app.WaitExit());
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
        Cancel();
    }
}

TEST_F(WerPage, StandardUserClicksWriteDwordsAndRaiseALowConsentLevel) {
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"Disabled", 1));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", 0));
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
                    WriteDword(HKEY_CURRENT_USER, kConsentKey, L"DefaultConsent", before));
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
    Cancel();
}

TEST_F(WerPage, TogglesStayOutOfApplyAndCancelAndTheFolderButtonOpensTheShell) {
    // Apply writes the debugger registration and saves the one it replaces: keep both. An empty
    // one applies without refusals.
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    RegistryKeySnapshot saved(HKEY_LOCAL_MACHINE, L"Software\\Corvane");
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", L""));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"Disabled", 0));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kWerKey, L"ForceQueue", 0));
    StartOnPage();
    // The debugger page starts changed: apply it first, so that Apply starts disabled.
    ASSERT_TRUE(WaitUntil([&] { return app.IsApplyEnabled(); }, 5000));
    app.PressApply();
    EXPECT_EQ(app.TakeMessageBox(), L"The default debugger was successfully set.");
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
    EXPECT_TRUE(WaitUntil([&] { return !FolderWindowsOn(folder).empty(); }));
    // The folder window holds on to the test's output: end it.
    for (DWORD id : FolderWindowsOn(folder)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }

    // Cancel neither undoes nor writes anything on this page.
    Cancel();
    EXPECT_EQ(Dword(kWerKey, L"Disabled"), 1u);
    EXPECT_EQ(Dword(kWerKey, L"ForceQueue"), 1u);
}
