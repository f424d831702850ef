// The debugger record against the real AeDebug key of the test prefix (how stored command lines
// split, which "Auto" values count as on, the exact bytes written), and the list of debuggers on
// a real combo box (which are listed, which item a path selects).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "debugger/DebuggerComboBox.h"
#include "support/TestSupport.h"

using namespace testing_support;

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
class DebuggerEntry : public ::testing::Test {
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

class DebuggerCatalogue : public DebuggerEntry {
protected:
    void SetUp() override { box.Attach(hwnd); }
    void TearDown() override { FillWith(false, false); }

    // Fills the list while only the chosen stand-in debuggers are in the system directory.
    Names FillWith(bool watson, bool jit) {
        const std::pair<const wchar_t*, bool> stubs[] = {{L"\\drwtsn32.exe", watson},
                                                         {L"\\VSJitDebugger.exe", jit}};
        for (const auto& [name, wanted] : stubs) {
            std::wstring path = SystemDir() + name;
            wanted ? CopyFileW(BinPath(L"recorder.exe").c_str(), path.c_str(), FALSE)
                   : DeleteFileW(path.c_str());
        }
        EXPECT_TRUE(box.Fill());
        Names items(box.GetCount(), std::wstring(256, L'\0'));
        for (size_t i = 0; i < items.size(); ++i)
            items[i].resize(SendMessageW(hwnd, CB_GETLBTEXT, i, (LPARAM)items[i].data()));
        return items;
    }

    int SelectFor(const wchar_t* path) {
        EXPECT_TRUE(box.SelectByPath({0, IDS_OTHER_DEBUGGER, path, nullptr, FALSE}));
        return box.GetCurSel();
    }

    HWND hwnd = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
    CDebuggerComboBox box;
};

} // namespace

TEST_F(DebuggerEntry, SplitsStoredCommandLines) {
    // Type, bytes, how many of them stay unstored, and the path and parameters read. No path:
    // the read fails and the record keeps what it held.
    const std::tuple<DWORD, Bytes, size_t, std::wstring, std::wstring> cases[] = {
        {REG_SZ, Text(L"   \"C:\\x y\\d.exe\"   -p %ld  "), 0, L"C:\\x y\\d.exe", L"-p %ld"},
        {REG_SZ, Text(L"d.exe  -p %ld"), 0, SystemDir() + L"\\d.exe", L"-p %ld"},
        {REG_SZ, Text(L"\"C:\\x y\\d.exe -p %ld"), 0, L"C:\\x y\\d.exe -p %ld", L""},
        {REG_EXPAND_SZ, Text(L"%SystemRoot%\\system32\\d.exe -p %ld %TEMP%"), 0,
         SystemDir() + L"\\d.exe", L"-p %ld %TEMP%"},
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
        CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\old.exe", L"-old", TRUE);
        EXPECT_EQ(entry.Read(), !path.empty());
        EXPECT_EQ(Str(entry.GetPath()), path.empty() ? L"C:\\old.exe" : path);
        EXPECT_EQ(Str(entry.GetParameters()), path.empty() ? L"-old" : parameters);
    }
}

TEST_F(DebuggerEntry, AutoStartsOnlyForTheTextOne) {
    ASSERT_TRUE(Store(L"Debugger", REG_SZ, Text(L"C:\\d.exe -p %ld")));
    const std::pair<Value, BOOL> cases[] = {
        {{REG_SZ, Text(L"1")}, TRUE},     {{REG_SZ, Text(L"0")}, FALSE},
        {{REG_SZ, Text(L" 1")}, FALSE},   {{REG_SZ, Text(L"01")}, FALSE},
        {{REG_SZ, Text(L"true")}, FALSE}, {{REG_DWORD, {1, 0, 0, 0}}, FALSE},
        {{REG_NONE, {}}, FALSE}, // no value at all
    };
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(testing::PrintToString(value));
        DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
        ASSERT_TRUE(value.first == REG_NONE || Store(L"Auto", value.first, value.second));
        CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, nullptr, nullptr, !on);
        ASSERT_TRUE(entry.Read());
        EXPECT_EQ(entry.IsAutoStart(), on);
    }
}

TEST_F(DebuggerEntry, WritesExactTextsAndTypes) {
    // Values of other types are replaced by plain strings.
    ASSERT_TRUE(Store(L"Debugger", REG_EXPAND_SZ, Text(L"%SystemRoot%\\old.exe")));
    ASSERT_TRUE(Store(L"Auto", REG_DWORD, {1, 0, 0, 0}));
    // The record, the "Debugger" text and the "Auto" text (4 bytes: a digit and a terminator).
    const std::tuple<CDebuggerEntry, std::wstring, std::wstring> cases[] = {
        {{0, IDS_OTHER_DEBUGGER, L"C:\\A B\\d.exe", L"-p %ld -x \"q\"", 7},
         L"\"C:\\A B\\d.exe\" -p %ld -x \"q\"",
         L"1"},
        {{0, IDS_OTHER_DEBUGGER, L"\\\\srv\\s\\d.exe", nullptr, FALSE}, L"\\\\srv\\s\\d.exe", L"0"},
        // "No Debugger": a lone terminator.
        {{DEBUGGER_NONE, IDS_NO_DEBUGGER, nullptr, nullptr, TRUE}, L"", L"0"},
    };
    for (const auto& [entry, debugger, autoText] : cases) {
        ASSERT_TRUE(entry.Write());
        EXPECT_EQ(Stored(L"Debugger"), Value(REG_SZ, Text(debugger)));
        EXPECT_EQ(Stored(L"Auto"), Value(REG_SZ, Text(autoText)));
    }

    // A missing value or key makes reading and writing fail, and neither creates it.
    ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"));
    CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, L"C:\\d.exe", L"-p %ld", TRUE);
    EXPECT_FALSE(entry.Read());
    EXPECT_EQ(Stored(L"Debugger").first, static_cast<DWORD>(REG_NONE));
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    EXPECT_FALSE(entry.Read());
    EXPECT_FALSE(entry.Write());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
}

TEST_F(DebuggerCatalogue, ListsInstalledDebuggersInOrder) {
    const std::wstring none = L"No Debugger", other = L"Other debugger...", watson = L"Dr. Watson",
                       jit = L"Visual Studio Just-In-Time Debugger";
    EXPECT_EQ(FillWith(true, true), (Names{none, watson, jit, other}));
    EXPECT_EQ(FillWith(false, true), (Names{none, jit, other}));
    EXPECT_EQ(FillWith(true, false), (Names{none, watson, other}));
    EXPECT_EQ(FillWith(false, false), (Names{none, other}));
}

TEST_F(DebuggerCatalogue, SelectsByPathIgnoringAsciiCase) {
    FillWith(true, true);
    EXPECT_EQ(SelectFor(L"C:\\WINDOWS\\SYSTEM32\\DRWTSN32.EXE"), 1);
    EXPECT_EQ(SelectFor(L"c:\\windows\\system32\\vsjitdebugger.exe"), 2);
    EXPECT_EQ(SelectFor(L"C:\\Tools\\drwtsn32.exe"), 3);
    EXPECT_EQ(SelectFor(L""), 0);
    // Without Dr. Watson its path falls to "Other debugger...".
    FillWith(false, true);
    EXPECT_EQ(SelectFor(L"C:\\windows\\system32\\drwtsn32.exe"), 2);
}

TEST_F(DebuggerCatalogue, RoundTripOfEveryCatalogueEntry) {
    ASSERT_EQ(FillWith(true, true).size(), 4u);
    // With nothing selected the caller's record stays as it was.
    CDebuggerEntry mine(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\mine.exe", L"-mine", TRUE);
    box.SetCurSel(-1);
    EXPECT_FALSE(box.GetSelection(mine));
    EXPECT_TRUE(mine.IsCustom() && mine.IsAutoStart() && mine.m_nNameId == IDS_OTHER_DEBUGGER &&
                mine.GetPath() == L"C:\\mine.exe" && mine.GetParameters() == L"-mine");
    for (int item = 0; item < 4; ++item) {
        SCOPED_TRACE(item);
        box.SetCurSel(item);
        CDebuggerEntry entry, back;
        ASSERT_TRUE(box.GetSelection(entry));
        ASSERT_TRUE(entry.Write());
        // "No Debugger" and "Other debugger..." store no debugger, which reads as none.
        ASSERT_EQ(back.Read(), !entry.GetPath().IsEmpty());
        EXPECT_TRUE(back.GetPath() == entry.GetPath() &&
                    back.GetParameters() == entry.GetParameters());
        EXPECT_EQ(back.IsAutoStart(), entry.IsAutoStart());
        EXPECT_EQ(SelectFor(back.GetPath()), entry.GetPath().IsEmpty() ? 0 : item);
    }
}
