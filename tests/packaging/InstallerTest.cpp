// The release's Windows Installer package as a deployment runs it, with Wine's own msiexec: a
// silent install of an older, signed package, the upgrade to this one, a refused downgrade and the
// removal, while a registration set with the installed corvanectl (and its saved copy) stays byte
// for byte as it was. check_installer.sh builds both packages and names them in the environment.
#include <gtest/gtest.h>

#include <windows.h>

#include <msi.h>
#include <shlobj.h>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {

const wchar_t kUpgradeCode[] = L"{4AED8C09-0DD7-4ACB-B787-D23B0A280F6A}";
const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kBreak = 1009;

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = L"";
    GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return value;
}

DWORD ExitCode(const std::wstring& exe, const std::wstring& arguments) {
    Process process;
    DWORD code = 0xFFFFFFFF;
    if (process.Start(exe, arguments) && process.WaitExit(120000))
        GetExitCodeProcess(process.Handle(), &code);
    return code;
}

const std::wstring kMsiexec = SystemDir() + L"\\msiexec.exe";

// Runs msiexec silently: "/i" installs or upgrades, "/x" removes.
DWORD Msiexec(const wchar_t* action, const std::wstring& package) {
    return ExitCode(kMsiexec, action + (L" \"" + package + L"\" /qn"));
}

// The installed products of the package's upgrade code.
std::vector<std::wstring> Installed() {
    std::vector<std::wstring> codes;
    wchar_t code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i)
        codes.push_back(code);
    return codes;
}

// What the package must never touch: both views' registrations and saved copies, and the
// error-reporting settings.
std::vector<std::optional<KeyValues>> Registration() {
    std::vector<std::optional<KeyValues>> keys;
    for (const wchar_t* key : {kAeDebugKey, kAeDebug32Key, kSavedKey, kSaved32Key, kWerKey})
        keys.push_back(ReadKey(HKEY_LOCAL_MACHINE, key));
    keys.push_back(ReadKey(HKEY_CURRENT_USER, kWerKey));
    return keys;
}

// Wine's msiexec puts a per-machine package's Start-menu shortcut in the user's menu, Windows in
// the common one: either counts.
bool ShortcutExists() {
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        wchar_t path[MAX_PATH];
        SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
        if (FileExists(path + std::wstring(L"\\Corvane.lnk")))
            return true;
    }
    return false;
}

} // namespace

TEST(InstallerPackage, InstallsUpgradesAndRemovesLeavingTheRegistration) {
    const std::wstring msi = Env(L"CORVANE_MSI"), oldMsi = Env(L"CORVANE_OLD_MSI");
    ASSERT_FALSE(msi.empty() || oldMsi.empty()) << "run by check_installer.sh";
    RegistrationSnapshot registrations;
    RegistryKeySnapshot wer(HKEY_CURRENT_USER, kWerKey);
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebug32Key) &&
                CreateKey(HKEY_CURRENT_USER, kWerKey));
    wchar_t programFiles[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles);
    const std::wstring dir = programFiles + std::wstring(L"\\Corvane\\");

    ASSERT_EQ(Msiexec(L"/i", oldMsi), 0u);
    ASSERT_EQ(Installed().size(), 1u);
    ASSERT_EQ(
        ExitCode(dir + L"corvanectl.exe", L"set C:\\windows\\system32\\winedbg.exe \"%ld %ld\""),
        0u);
    ASSERT_EQ(ExitCode(dir + L"corvanectl.exe", L"wer --disable"), 0u);
    const auto registration = Registration();
    ASSERT_TRUE(registration[2].has_value()) << "no saved registration";

    // The upgrade: one entry of this version, and exactly the release's files, the older
    // package's replaced.
    ASSERT_EQ(Msiexec(L"/i", msi), 0u);
    const std::vector<std::wstring> products = Installed();
    ASSERT_EQ(products.size(), 1u);
    const std::wstring entry = kUninstallKey + products[0];
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion"),
              Env(L"CORVANE_VERSION"));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, entry, L"Publisher"), L"Corvane's authors");
    EXPECT_NE(ReadStringValue(HKEY_LOCAL_MACHINE, entry, L"HelpLink").value_or(L""), L"");
    wchar_t icon[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    MsiGetProductInfoW(products[0].c_str(), INSTALLPROPERTY_PRODUCTICON, icon, &size);
    EXPECT_TRUE(FileExists(icon)) << "product icon \"" << ToUtf8(icon) << "\"";
    // The release's list holds the build's files by their Unix paths, which Wine reaches as Z:.
    const std::string shipped = ReadFileUtf8(Env(L"CORVANE_SHIPPED"));
    int files = 0;
    for (size_t at = 0, end; (end = shipped.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::wstring source(shipped.begin() + at, shipped.begin() + end);
        EXPECT_TRUE(ReadFileUtf8(dir + source.substr(source.rfind(L'/') + 1)) ==
                    ReadFileUtf8(L"Z:" + source))
            << ToUtf8(source) << " is not the installed copy";
        ++files;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &found);
    int installed = -2; // . and ..
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
        ++installed;
    FindClose(find);
    EXPECT_EQ(installed, files);
    EXPECT_TRUE(ShortcutExists());
    {
        // Started from its installed folder, the program finds raise.exe there.
        CorvaneApp app;
        ASSERT_TRUE(app.Start(L"", nullptr, dir + L"corvane.exe"));
        EXPECT_TRUE(app.IsEnabled(kBreak));
        EXPECT_TRUE(app.Cancel());
    }

    // The older package over the newer one refuses and changes nothing.
    EXPECT_EQ(Msiexec(L"/i", oldMsi), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_EQ(Installed(), products);
    EXPECT_EQ(Registration(), registration);

    ASSERT_EQ(Msiexec(L"/x", msi), 0u);
    EXPECT_TRUE(Installed().empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(ShortcutExists());
    EXPECT_EQ(Registration(), registration);
}
