// Reading the registration against the real AeDebug key of the test prefix: how stored command
// lines split and which "Auto" values count as on. Writing, and a missing key, are seen through
// the page; the exact bytes written through corvanectl in both views.
#include <gtest/gtest.h>

#include <tuple>

#include "debugger/AeDebug.h"
#include "support/TestSupport.h"

using namespace testing_support;
using namespace std::string_literals;

namespace {

// Every test changes AeDebug freely; the snapshot puts the prefix's own values back.
class AeDebug : public ::testing::Test {
protected:
    static std::wstring Str(const CString& text) { return text.GetString(); }
    // Stores the bytes but the last `hidden` ones, which stay in memory right after the data.
    static bool Store(const wchar_t* name, const RegValue& value, size_t hidden = 0) {
        return WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size() - hidden));
    }
    RegistryKeySnapshot snapshot{HKEY_LOCAL_MACHINE, kAeDebugKey};
};

} // namespace

TEST_F(AeDebug, SplitsStoredCommandLines) {
    // Type, bytes, how many of them stay unstored, and the path and parameters read. No path:
    // the read fails and the record keeps what it held.
    const std::tuple<RegValue, size_t, std::wstring, std::wstring> cases[] = {
        {Text(L"   \"C:\\x y\\d.exe\"   -p %ld  "), 0, L"C:\\x y\\d.exe", L"-p %ld"},
        {Text(L"d.exe  -p %ld"), 0, SystemDir() + L"\\d.exe", L"-p %ld"},
        {Text(L"\"C:\\x y\\d.exe -p %ld"), 0, L"C:\\x y\\d.exe -p %ld", L""},
        {Text(L"%SystemRoot%\\system32\\d.exe -p %ld %TEMP%", REG_EXPAND_SZ), 0,
         SystemDir() + L"\\d.exe", L"-p %ld %TEMP%"},
        // The text ends at its first NUL.
        {Text(L"C:\\x\\d.exe\0junk -p"s), 0, L"C:\\x\\d.exe", L""},
        {Text(L"\"\""), 0, L"", L""},
        {Text(L" \t\r\n"), 0, L"", L""},
        {Text(L""), 0, L"", L""},
        {Dword(1), 0, L"", L""},
        {Text(L"C:\\d.exe"), 1, L"", L""}, // an odd byte count
        // No terminator, and no zero after the data either, else the registry adds one.
        {Text(L"C:\\d.exeX"), 4, L"", L""},
    };
    for (const auto& [stored, hidden, path, parameters] : cases) {
        SCOPED_TRACE(testing::PrintToString(stored.data));
        ASSERT_TRUE(Store(L"Debugger", stored, hidden));
        CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\old.exe", L"-old", true);
        EXPECT_EQ(ReadAeDebug(entry), !path.empty());
        EXPECT_EQ(Str(entry.GetPath()), path.empty() ? L"C:\\old.exe" : path);
        EXPECT_EQ(Str(entry.GetParameters()), path.empty() ? L"-old" : parameters);
    }
}

TEST_F(AeDebug, AutoStartsOnlyForTheTextOne) {
    ASSERT_TRUE(Store(L"Debugger", Text(L"C:\\d.exe -p %ld")));
    const std::pair<RegValue, bool> cases[] = {
        {Text(L"1"), true},     {Text(L"0"), false}, {Text(L" 1"), false}, {Text(L"01"), false},
        {Text(L"true"), false}, {Dword(1), false},   {{}, false}, // no value at all
    };
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(testing::PrintToString(value.data));
        DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
        ASSERT_TRUE(value.type == REG_NONE || Store(L"Auto", value));
        CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, nullptr, nullptr, !on);
        ASSERT_TRUE(ReadAeDebug(entry));
        EXPECT_EQ(entry.IsAutoStart(), on);
    }
}
