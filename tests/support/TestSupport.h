// Helpers shared by the tests: files and folders of the test run, the real registry, and
// processes. Everything here runs under Wine against the real system calls.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Passes when the text holds the part; a failure shows the whole text.
#define EXPECT_HAS(text, part) EXPECT_NE((text).find(part), (text).npos) << (text)

namespace testing_support {

// A file beside the running test program: the program under test and the helper programs.
std::wstring BinPath(const std::wstring& name);
// A new, empty folder under the prefix's temporary folder; the name may contain a space.
std::wstring MakeTempDir(const std::wstring& prefix = L"corvane test");
bool FileExists(const std::wstring& path);
std::string ReadFileUtf8(const std::wstring& path);
std::wstring SystemDir();
// A DLL's path in the system directory, in lower case as Process::LoadedModule answers.
std::wstring SystemModule(const std::wstring& name);
std::string ToUtf8(const std::wstring& text);
// The system's own text for an error, without its line break.
std::wstring SystemText(DWORD error);

// Polls until the condition holds or the time runs out; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A registry value as the tests see it: type and raw bytes.
struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue&) const = default;
    friend void PrintTo(const RegValue& value, std::ostream* os) {
        *os << "type " << value.type << ":" << std::hex;
        for (BYTE b : value.data)
            *os << " " << int(b);
        *os << std::dec;
    }
};
// A text as stored, with its terminator; a DWORD.
RegValue Text(const std::wstring& text, DWORD type = REG_SZ);
RegValue Dword(DWORD value);
std::optional<RegValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name);
// Every value of a key by name; nothing when the key is missing.
using KeyValues = std::map<std::wstring, RegValue>;
std::optional<KeyValues> ReadKey(HKEY root, const std::wstring& key);
bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                const void* data, DWORD bytes);
bool WriteValue(HKEY root, const std::wstring& key, const std::wstring& name,
                const RegValue& value);
// The native view's registration: Debugger and Auto as plain strings.
bool WriteRegistration(const std::wstring& debugger, const wchar_t* autoText = L"1");
bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& key);
bool CreateKey(HKEY root, const std::wstring& key);
bool DeleteKeyTree(HKEY root, const std::wstring& key);
// A REG_DWORD value; nothing when missing or of another type.
std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const std::wstring& name);
// The text of a REG_SZ/REG_EXPAND_SZ value without its terminator.
std::optional<std::wstring> ReadStringValue(HKEY root, const std::wstring& key,
                                            const std::wstring& name);

// Saves a whole key (values and sub-keys, or its absence) in a copy under HKEY_CURRENT_USER and
// puts it back when destroyed, so a test can change it freely.
class RegistryKeySnapshot {
public:
    RegistryKeySnapshot(HKEY root, std::wstring key);
    ~RegistryKeySnapshot();
    RegistryKeySnapshot(const RegistryKeySnapshot&) = delete;
    RegistryKeySnapshot& operator=(const RegistryKeySnapshot&) = delete;

private:
    HKEY m_root;
    std::wstring m_key, m_copy;
    bool m_existed = false;
};

// The key is created if missing; everybody may read it and nobody write it until the object goes
// (nobody may even read it, unless readable).
class ReadOnlyKey {
public:
    ReadOnlyKey(HKEY root, const std::wstring& key, bool readable = true);
    ~ReadOnlyKey();
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

private:
    HKEY m_key = nullptr;
    std::vector<BYTE> m_saved;
};

// The debugger registration as 64-bit and as 32-bit programs see it, the program's keys in both
// views and the copies saved there; the user's error-reporting key.
extern const wchar_t kAeDebugKey[], kAeDebug32Key[], kCorvaneKey[], kCorvane32Key[], kSavedKey[],
    kSaved32Key[], kWerKey[];

// Both views' registrations and the program's keys go back as they were when the object goes;
// meanwhile there is no saved copy to start with.
struct RegistrationSnapshot {
    RegistrationSnapshot();
    RegistryKeySnapshot keys[4] = {{HKEY_LOCAL_MACHINE, kAeDebugKey},
                                   {HKEY_LOCAL_MACHINE, kAeDebug32Key},
                                   {HKEY_LOCAL_MACHINE, kCorvaneKey},
                                   {HKEY_LOCAL_MACHINE, kCorvane32Key}};
};

// A child process; killed when the object goes if it still runs.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts exe with the given argument text (the program name is put in front). With a token
    // the process runs with it (CreateProcessAsUserW); with outputs, they are its standard output
    // and error (inheritable handles); flags are CreateProcess's creation flags.
    bool Start(const std::wstring& exe, const std::wstring& arguments = L"", HANDLE token = nullptr,
               const std::wstring& currentDir = L"", const HANDLE* outputs = nullptr,
               DWORD flags = 0);
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }
    // The full path in lower case of the DLL of that name loaded in the process; empty when the
    // process has not loaded it.
    std::wstring LoadedModule(const std::wstring& name) const;
    bool IsRunning() const;
    bool WaitExit(DWORD timeoutMs = 10000) const;

private:
    PROCESS_INFORMATION m_info{};
};

// What corvanectl.exe did: its exit code and its output, as a script's redirection takes it.
struct CtlResult {
    DWORD code = 0xFFFFFFFF;
    std::string out, err;
};
// Runs corvanectl.exe (by default the build's) with its output in files of the run's prefix,
// started with the creation flags given. Redirected lines end in CRLF; the result has them as
// LF, and a bare LF shows as "[bare LF]".
CtlResult Ctl(const std::wstring& arguments, HANDLE token = nullptr, DWORD flags = 0,
              const std::wstring& exe = L"");

// A copy of the process token with the Administrators group made deny-only: the closest Wine
// comes to a standard user.
HANDLE CreateStandardUserToken();
// The linked (limited) token of the current process, as an administrator's unelevated token.
HANDLE CreateLinkedToken();

} // namespace testing_support
