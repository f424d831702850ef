#include "support/TestSupport.h"

#include <shlwapi.h>
#include <tlhelp32.h>

#include <fstream>
#include <sstream>

namespace testing_support {

const wchar_t kAeDebugKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return path;
}

std::wstring BinPath(const std::wstring& name) {
    return BinDir() + L"\\" + name;
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
    static unsigned counter = 0;
    for (;;) {
        std::wstring dir = std::wstring(temp) + prefix + L" " +
                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(++counter);
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return L"";
    }
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileUtf8(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    return text;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return "";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(25);
    }
}

std::optional<RegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue value;
    DWORD bytes = 0;
    LONG error = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, nullptr, &bytes);
    if (error == ERROR_SUCCESS) {
        value.data.resize(bytes);
        error =
            RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, value.data.data(), &bytes);
        value.data.resize(bytes);
    }
    RegCloseKey(handle);
    if (error != ERROR_SUCCESS)
        return std::nullopt;
    return value;
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
    HKEY handle;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG error =
        RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(handle);
    return error == ERROR_SUCCESS;
}

bool WriteString(HKEY root, const std::wstring& key, const std::wstring& name,
                 const std::wstring& text, DWORD type) {
    return WriteValue(root, key, name, type, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool WriteDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    return WriteValue(root, key, name, REG_DWORD, &value, sizeof(value));
}

bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    LONG error = RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool CreateKey(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool DeleteKeyTree(HKEY root, const std::wstring& key) {
    LONG error = SHDeleteKeyW(root, key.c_str());
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

namespace {
void CollectKey(HKEY root, const std::wstring& key, const std::wstring& relative,
                std::vector<std::pair<std::wstring, RegValue>>& values,
                std::vector<std::wstring>& keys) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    keys.push_back(relative);
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384;
        DWORD type = 0, bytes = 0;
        if (RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS)
            break;
        RegValue value;
        value.type = type;
        value.data.resize(bytes);
        nameLength = 16384;
        RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, value.data.data(), &bytes);
        values.emplace_back(relative + L"\x01" + name, value);
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(handle, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    RegCloseKey(handle);
    for (const auto& child : children) {
        std::wstring sub = relative.empty() ? child : relative + L"\\" + child;
        CollectKey(root, key + L"\\" + child, sub, values, keys);
    }
}
} // namespace

RegistryKeySnapshot::RegistryKeySnapshot(HKEY root, std::wstring key)
    : m_root(root), m_key(std::move(key)) {
    m_existed = KeyExists(root, m_key);
    if (m_existed)
        CollectKey(root, m_key, L"", m_values, m_keys);
}

RegistryKeySnapshot::~RegistryKeySnapshot() {
    DeleteKeyTree(m_root, m_key);
    if (!m_existed)
        return;
    for (const auto& sub : m_keys)
        CreateKey(m_root, sub.empty() ? m_key : m_key + L"\\" + sub);
    for (const auto& [path, value] : m_values) {
        size_t split = path.find(L'\x01');
        std::wstring sub = path.substr(0, split);
        std::wstring name = path.substr(split + 1);
        WriteValue(m_root, sub.empty() ? m_key : m_key + L"\\" + sub, name, value.type,
                   value.data.data(), static_cast<DWORD>(value.data.size()));
    }
}

Process::~Process() {
    Kill();
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
}

Process::Process(Process&& other) noexcept : m_info(other.m_info) {
    other.m_info = {};
}

bool Process::Start(const std::wstring& exe, const std::wstring& arguments, HANDLE token,
                    const std::wstring& currentDir) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const wchar_t* dir = currentDir.empty() ? nullptr : currentDir.c_str();
    BOOL ok = token ? CreateProcessAsUserW(token, exe.c_str(), commandLine.data(), nullptr, nullptr,
                                           FALSE, 0, nullptr, dir, &startup, &m_info)
                    : CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, dir, &startup, &m_info);
    return ok != FALSE;
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

void Process::Kill() {
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
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

} // namespace testing_support
