// Reading and writing the registration against the real AeDebug key of the test prefix: how
// stored command lines split, which "Auto" values count as on, the exact bytes written, and the
// registry view that is read and written.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "debugger/AeDebug.h"
#include "support/TestSupport.h"

using namespace testing_support;
using namespace std::string_literals;

namespace {

using Bytes = std::vector<BYTE>;
using Value = std::pair<DWORD, Bytes>;
using Names = std::vector<std::wstring>;

// A text as stored, with its terminator.
Bytes Text(const std::wstring& text) {
    const BYTE* data = reinterpret_cast<const BYTE*>(text.c_str());
    return {data, data + (text.size() + 1) * sizeof(wchar_t)};
}

// Every test changes AeDebug freely; the snapshot puts the prefix's own values back.
class AeDebug : public ::testing::Test {
protected:
    static std::wstring Str(const CString& text) { return text.GetString(); }
    // Stores the bytes but the last `hidden` ones, which stay in memory right after the data.
    static bool Store(const wchar_t* name, DWORD type, const Bytes& bytes, size_t hidden = 0) {
        return WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name, type, bytes.data(),
                          static_cast<DWORD>(bytes.size() - hidden));
    }
    // Type and bytes of an AeDebug value; REG_NONE when there is none.
    static Value Stored(const wchar_t* name) {
        auto value = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name);
        return value ? Value{value->type, value->data} : Value{REG_NONE, {}};
    }
    RegistryKeySnapshot snapshot{HKEY_LOCAL_MACHINE, kAeDebugKey};
};

} // namespace

TEST_F(AeDebug, SplitsStoredCommandLines) {
    // Type, bytes, how many of them stay unstored, and the path and parameters read. No path:
    // the read fails and the record keeps what it held.
    const std::tuple<DWORD, Bytes, size_t, std::wstring, std::wstring> cases[] = {
        {REG_SZ, Text(L"   \"C:\\x y\\d.exe\"   -p %ld  "), 0, L"C:\\x y\\d.exe", L"-p %ld"},
        {REG_SZ, Text(L"d.exe  -p %ld"), 0, SystemDir() + L"\\d.exe", L"-p %ld"},
        {REG_SZ, Text(L"\"C:\\x y\\d.exe -p %ld"), 0, L"C:\\x y\\d.exe -p %ld", L""},
        {REG_EXPAND_SZ, Text(L"%SystemRoot%\\system32\\d.exe -p %ld %TEMP%"), 0,
         SystemDir() + L"\\d.exe", L"-p %ld %TEMP%"},
        // The text ends at its first NUL.
        {REG_SZ, Text(L"C:\\x\\d.exe\0junk -p"s), 0, L"C:\\x\\d.exe", L""},
        {REG_SZ, Text(L"\"\""), 0, L"", L""},
        {REG_SZ, Text(L" \t\r\n"), 0, L"", L""},
        {REG_SZ, Text(L""), 0, L"", L""},
        {REG_DWORD, {1, 0, 0, 0}, 0, L"", L""},
        {REG_SZ, Text(L"C:\\d.exe"), 1, L"", L""}, // an odd byte count
        // No terminator, and no zero after the data either, else the registry adds one.
        {REG_SZ, Text(L"C:\\d.exeX"), 4, L"", L""},
    };
    for (const auto& [type, stored, hidden, path, parameters] : cases) {
        SCOPED_TRACE(testing::PrintToString(stored));
        ASSERT_TRUE(Store(L"Debugger", type, stored, hidden));
        CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\old.exe", L"-old", true);
        EXPECT_EQ(ReadAeDebug(entry), !path.empty());
        EXPECT_EQ(Str(entry.GetPath()), path.empty() ? L"C:\\old.exe" : path);
        EXPECT_EQ(Str(entry.GetParameters()), path.empty() ? L"-old" : parameters);
    }
}

TEST_F(AeDebug, AutoStartsOnlyForTheTextOne) {
    ASSERT_TRUE(Store(L"Debugger", REG_SZ, Text(L"C:\\d.exe -p %ld")));
    const std::pair<Value, bool> cases[] = {
        {{REG_SZ, Text(L"1")}, true},     {{REG_SZ, Text(L"0")}, false},
        {{REG_SZ, Text(L" 1")}, false},   {{REG_SZ, Text(L"01")}, false},
        {{REG_SZ, Text(L"true")}, false}, {{REG_DWORD, {1, 0, 0, 0}}, false},
        {{REG_NONE, {}}, false}, // no value at all
    };
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(testing::PrintToString(value));
        DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
        ASSERT_TRUE(value.first == REG_NONE || Store(L"Auto", value.first, value.second));
        CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, nullptr, nullptr, !on);
        ASSERT_TRUE(ReadAeDebug(entry));
        EXPECT_EQ(entry.IsAutoStart(), on);
    }
}

TEST_F(AeDebug, WritesExactTextsAndTypes) {
    // Values of other types are replaced by plain strings.
    ASSERT_TRUE(Store(L"Debugger", REG_EXPAND_SZ, Text(L"%SystemRoot%\\old.exe")));
    ASSERT_TRUE(Store(L"Auto", REG_DWORD, {1, 0, 0, 0}));
    // Paths with a space, quoted only while the quoted form still fits MAX_PATH.
    const std::wstring fits = L"C:\\A B\\" + std::wstring(245, L'd') + L".exe",
                       over = L"C:\\A B\\" + std::wstring(246, L'd') + L".exe";
    // The record, the "Debugger" text and the "Auto" text (4 bytes: a digit and a terminator).
    const std::tuple<CDebuggerEntry, std::wstring, std::wstring> cases[] = {
        {{0, IDS_OTHER_DEBUGGER, L"C:\\A B\\d.exe", L"-p %ld -x \"q\"", true},
         L"\"C:\\A B\\d.exe\" -p %ld -x \"q\"",
         L"1"},
        {{0, IDS_OTHER_DEBUGGER, L"\\\\srv\\s\\d.exe", nullptr, false}, L"\\\\srv\\s\\d.exe", L"0"},
        {{0, IDS_OTHER_DEBUGGER, fits.c_str(), L"-p", false}, L"\"" + fits + L"\" -p", L"0"},
        {{0, IDS_OTHER_DEBUGGER, over.c_str(), L"-p", false}, over + L" -p", L"0"},
        // "No Debugger": a lone terminator.
        {{DEBUGGER_NONE, IDS_NO_DEBUGGER, nullptr, nullptr, true}, L"", L"0"},
    };
    for (const auto& [entry, debugger, autoText] : cases) {
        ASSERT_TRUE(WriteAeDebug(entry));
        EXPECT_EQ(Stored(L"Debugger"), Value(REG_SZ, Text(debugger)));
        EXPECT_EQ(Stored(L"Auto"), Value(REG_SZ, Text(autoText)));
    }

    // A missing value or key makes reading and writing fail, and neither creates it.
    ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"));
    CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, L"C:\\d.exe", L"-p %ld", true);
    EXPECT_FALSE(ReadAeDebug(entry));
    EXPECT_EQ(Stored(L"Debugger").first, static_cast<DWORD>(REG_NONE));
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    EXPECT_FALSE(ReadAeDebug(entry));
    EXPECT_FALSE(WriteAeDebug(entry));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
}

TEST_F(AeDebug, TheViewSelectsTheRegistrationThatIsReadAndWritten) {
    // The 32-bit view keeps its own key below Wow6432Node, apart from the native one.
    const std::wstring key32 =
        L"Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
    RegistryKeySnapshot snapshot32(HKEY_LOCAL_MACHINE, key32);
    ASSERT_TRUE(Store(L"Debugger", REG_SZ, Text(L"C:\\native.exe -n")));
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, key32) &&
                WriteString(HKEY_LOCAL_MACHINE, key32, L"Debugger", L"C:\\wow.exe -w"));
    CDebuggerEntry native, wow;
    ASSERT_TRUE(ReadAeDebug(native, 0) && ReadAeDebug(wow, KEY_WOW64_32KEY));
    EXPECT_EQ(Str(native.GetPath()) + Str(native.GetParameters()), L"C:\\native.exe-n");
    EXPECT_EQ(Str(wow.GetPath()) + Str(wow.GetParameters()), L"C:\\wow.exe-w");

    CDebuggerEntry chosen(0, IDS_OTHER_DEBUGGER, L"C:\\new.exe", L"-x", true);
    ASSERT_TRUE(WriteAeDebug(chosen, KEY_WOW64_32KEY));
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key32, L"Debugger"), L"C:\\new.exe -x");
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, key32, L"Auto"), L"1");
    EXPECT_EQ(Stored(L"Debugger"), Value(REG_SZ, Text(L"C:\\native.exe -n")));
}
