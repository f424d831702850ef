#include "support/TestSupport.h"

#include <sddl.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <fstream>

namespace testing_support {

const wchar_t kAeDebugKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
              kAeDebug32Key[] =
                  L"Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug",
              kCorvaneKey[] = L"Software\\Corvane",
              kCorvane32Key[] = L"Software\\Wow6432Node\\Corvane",
              kSavedKey[] = L"Software\\Corvane\\Saved",
              kSaved32Key[] = L"Software\\Wow6432Node\\Corvane\\Saved",
              kWerKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";

std::wstring BinPath(const std::wstring& name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return path + (L"\\" + name);
}

std::wstring SystemDir() {
    wchar_t path[MAX_PATH];
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

std::wstring SystemModule(const std::wstring& name) {
    std::wstring path = SystemDir() + L"\\" + name;
    CharLowerW(path.data());
    return path;
}

std::wstring MakeTempDir(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Each run has a prefix of its own: process id and count make the name unique.
    static unsigned counter = 0;
    std::wstring dir = std::wstring(temp) + prefix + L" " + std::to_wstring(GetCurrentProcessId()) +
                       L"-" + std::to_wstring(++counter);
    return CreateDirectoryW(dir.c_str(), nullptr) ? dir : L"";
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileUtf8(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text;
}

std::string ToUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring SystemText(DWORD error) {
    wchar_t text[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, 1024, nullptr);
    return std::wstring(text, wcscspn(text, L"\r\n"));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !condition(); Sleep(25))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

RegValue Text(const std::wstring& text, DWORD type) {
    auto bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {type, {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)}};
}

RegValue Dword(DWORD value) {
    auto bytes = reinterpret_cast<const BYTE*>(&value);
    return {REG_DWORD, {bytes, bytes + sizeof(value)}};
}

std::optional<RegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    RegValue value;
    DWORD bytes = 0;
    for (int pass : {0, 1}) {
        value.data.resize(bytes);
        if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                         pass ? value.data.data() : nullptr, &bytes))
            return std::nullopt;
    }
    value.data.resize(bytes);
    return value;
}

std::optional<KeyValues> ReadKey(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    KeyValues values;
    wchar_t name[256];
    for (DWORD i = 0, length = 256;
         !RegEnumValueW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr);
         ++i, length = 256)
        values[name] = ReadValue(root, key, name).value_or(RegValue{});
    RegCloseKey(handle);
    return values;
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const std::wstring& name) {
    auto value = ReadValue(root, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
        return std::nullopt;
    return *reinterpret_cast<const DWORD*>(value->data.data());
}

std::optional<std::wstring> ReadStringValue(HKEY root, const std::wstring& key,
                                            const std::wstring& name) {
    auto value = ReadValue(root, key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(value->data.data()),
                      value->data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                const void* data, DWORD bytes) {
    return RegSetKeyValueW(root, key.c_str(), name.c_str(), type, data, bytes) == ERROR_SUCCESS;
}

bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name,
                const RegValue& value) {
    return WriteValue(root, key, name, value.type, value.data.data(),
                      static_cast<DWORD>(value.data.size()));
}

bool WriteRegistration(const std::wstring& debugger, const wchar_t* autoText) {
    return WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", Text(debugger)) &&
           WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", Text(autoText));
}

bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    LONG error = RegDeleteKeyValueW(root, key.c_str(), name.c_str());
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    return ReadKey(root, key).has_value();
}

bool CreateKey(HKEY root, const std::wstring& key) {
    HKEY handle;
    return !RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &handle,
                            nullptr) &&
           !RegCloseKey(handle);
}

bool DeleteKeyTree(HKEY root, const std::wstring& key) {
    LONG error = SHDeleteKeyW(root, key.c_str());
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

namespace {
// Copies a key with its values and sub-keys; false when there is none to copy.
bool CopyKey(HKEY fromRoot, const std::wstring& from, HKEY toRoot, const std::wstring& to) {
    HKEY target = nullptr;
    bool copied = KeyExists(fromRoot, from) &&
                  !RegCreateKeyExW(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &target, nullptr) &&
                  !RegCopyTreeW(fromRoot, from.c_str(), target);
    if (target)
        RegCloseKey(target);
    return copied;
}
} // namespace

RegistryKeySnapshot::RegistryKeySnapshot(HKEY root, std::wstring key)
    : m_root(root), m_key(std::move(key)) {
    static int count = 0;
    m_copy = L"Software\\Corvane tests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++count);
    m_existed = CopyKey(root, m_key, HKEY_CURRENT_USER, m_copy);
}

RegistryKeySnapshot::~RegistryKeySnapshot() {
    DeleteKeyTree(m_root, m_key);
    if (m_existed)
        CopyKey(HKEY_CURRENT_USER, m_copy, m_root, m_key);
    DeleteKeyTree(HKEY_CURRENT_USER, m_copy);
}

RegistrationSnapshot::RegistrationSnapshot() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvaneKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvane32Key);
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const std::wstring& key, bool readable) {
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    DWORD size = 0;
    // The owner may always change the access list.
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &m_key,
                        nullptr) ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            readable ? L"D:P(A;;KR;;;WD)" : L"D:P", SDDL_REVISION_1, &readOnly, nullptr))
        return;
    RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, nullptr, &size);
    m_saved.resize(size);
    if (RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved.data(), &size) ||
        RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, readOnly))
        m_saved.clear();
    LocalFree(readOnly);
}

ReadOnlyKey::~ReadOnlyKey() {
    if (!m_saved.empty())
        RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved.data());
    if (m_key)
        RegCloseKey(m_key);
}

Process::~Process() {
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
}

bool Process::Start(const std::wstring& exe, const std::wstring& arguments, HANDLE token,
                    const std::wstring& currentDir, const HANDLE* outputs, DWORD flags) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (outputs) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outputs[0];
        startup.hStdError = outputs[1];
    }
    const wchar_t* dir = currentDir.empty() ? nullptr : currentDir.c_str();
    // Without a token, the process's own.
    return CreateProcessAsUserW(token, exe.c_str(), commandLine.data(), nullptr, nullptr,
                                outputs != nullptr, flags, nullptr, dir, &startup, &m_info);
}

std::wstring Process::LoadedModule(const std::wstring& name) const {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, Id());
    if (snapshot == INVALID_HANDLE_VALUE)
        return L"?"; // never taken for "not loaded"
    std::wstring found;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more && found.empty();
         more = Module32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szModule, name.c_str()) == 0)
            found = CharLowerW(entry.szExePath);
    }
    CloseHandle(snapshot);
    return found;
}

bool Process::IsRunning() const {
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD timeoutMs) const {
    return !m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

HANDLE CreateStandardUserToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY,
                          &token))
        return nullptr;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize);
    SID_AND_ATTRIBUTES disable{sid, 0};
    HANDLE restricted = nullptr;
    if (!CreateRestrictedToken(token, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted))
        restricted = nullptr;
    CloseHandle(token);
    return restricted;
}

HANDLE CreateLinkedToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    HANDLE linked = nullptr;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size))
        linked = nullptr;
    CloseHandle(token);
    return linked;
}

namespace {
std::string FromCrlf(const std::string& text) {
    std::string lf;
    for (char c : text) {
        if (c != '\n')
            lf += c;
        else if (!lf.empty() && lf.back() == '\r')
            lf.back() = '\n';
        else
            lf += "[bare LF]";
    }
    return lf;
}
} // namespace

CtlResult Ctl(const std::wstring& arguments, HANDLE token, DWORD flags, const std::wstring& exe) {
    const std::wstring dir = MakeTempDir(L"corvanectl"),
                       paths[] = {dir + L"\\out.txt", dir + L"\\err.txt"};
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE files[2];
    for (int i : {0, 1})
        files[i] = CreateFileW(paths[i].c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
    CtlResult result;
    Process ctl;
    bool started = ctl.Start(exe.empty() ? BinPath(L"corvanectl.exe") : exe, arguments, token, L"",
                             files, flags);
    DWORD error = GetLastError();
    for (HANDLE file : files)
        CloseHandle(file);
    if (started && ctl.WaitExit(90000))
        GetExitCodeProcess(ctl.Handle(), &result.code);
    result.out = FromCrlf(ReadFileUtf8(paths[0]));
    result.err =
        started ? FromCrlf(ReadFileUtf8(paths[1])) : "not started: error " + std::to_string(error);
    return result;
}

} // namespace testing_support
