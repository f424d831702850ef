// The debugger record against the real AeDebug key of the test prefix: how stored command lines
// split into path and parameters, which "Auto" values count as on, and the exact bytes written.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "debugger/DebuggerEntry.h"
#include "resources/resource.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::wstring Str(const CString& text) {
    return std::wstring(text.GetString(), text.GetLength());
}

std::wstring Expand(const wchar_t* text) {
    wchar_t buffer[MAX_PATH];
    ExpandEnvironmentStringsW(text, buffer, MAX_PATH);
    return buffer;
}

void StoreDebugger(const std::wstring& text, DWORD type = REG_SZ) {
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", text, type));
}

// Stores a string value without its terminator. The registry adds a forgotten terminator when
// the character after the data is one, so the data is followed by a non-zero character here.
bool StoreUnterminated(const wchar_t* name, const std::wstring& text) {
    std::wstring data = text + L"X";
    return WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name, REG_SZ, data.c_str(),
                      static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

std::vector<BYTE> Bytes(const std::wstring& text, bool terminator = true) {
    const BYTE* data = reinterpret_cast<const BYTE*>(text.c_str());
    size_t size = (text.size() + (terminator ? 1 : 0)) * sizeof(wchar_t);
    return std::vector<BYTE>(data, data + size);
}

std::vector<BYTE> StoredBytes(const wchar_t* name) {
    auto value = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, name);
    return value ? value->data : std::vector<BYTE>{};
}

// Every test changes AeDebug freely; the snapshot puts the prefix's own values back.
class AeDebugTest : public ::testing::Test {
protected:
    RegistryKeySnapshot snapshot{HKEY_LOCAL_MACHINE, kAeDebugKey};
};

struct SplitCase {
    const wchar_t* stored;
    std::wstring path;
    const wchar_t* parameters;
};

} // namespace

class DebuggerEntryRead : public AeDebugTest {};

TEST_F(DebuggerEntryRead, SplitsStoredCommandLines) {
    const std::wstring system = SystemDir();
    const SplitCase cases[] = {
        {L"   \"C:\\x y\\d.exe\"   -p %ld  ", L"C:\\x y\\d.exe", L"-p %ld"},
        {L"\"C:\\Program Files\\Dbg\\dbg.exe\" -p %ld -e %ld", L"C:\\Program Files\\Dbg\\dbg.exe",
         L"-p %ld -e %ld"},
        {L"C:\\Windows\\system32\\drwtsn32.exe -p %ld -e %ld -g",
         L"C:\\Windows\\system32\\drwtsn32.exe", L"-p %ld -e %ld -g"},
        // Only a space ends an unquoted path; tabs and line breaks around the text are trimmed.
        {L"\t C:\\D\\d.exe\t-x \r\n", L"C:\\D\\d.exe\t-x", L""},
        // A bare file name is the system directory's.
        {L"d.exe", system + L"\\d.exe", L""},
        {L"d.exe  -p %ld", system + L"\\d.exe", L"-p %ld"},
        // Without a closing quote, the rest of the text is the path.
        {L"\"C:\\x y\\d.exe -p %ld", L"C:\\x y\\d.exe -p %ld", L""},
        // Doubled opening quotes are skipped; the closing quote may end the text.
        {L"\"\"C:\\q\\d.exe\"", L"C:\\q\\d.exe", L""},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        StoreDebugger(c.stored);
        CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, nullptr, L"stale", TRUE);
        ASSERT_TRUE(entry.Read());
        EXPECT_EQ(Str(entry.GetPath()), c.path);
        EXPECT_EQ(Str(entry.GetParameters()), c.parameters);
        // Reading leaves the kind of record alone.
        EXPECT_EQ(entry.m_nFlags, DEBUGGER_CUSTOM);
        EXPECT_EQ(entry.m_nNameId, static_cast<UINT>(IDS_OTHER_DEBUGGER));
    }
}

TEST_F(DebuggerEntryRead, ExpandsThePathButNeverTheParameters) {
    StoreDebugger(L"%SystemRoot%\\system32\\dbg.exe -p %ld %TEMP%", REG_EXPAND_SZ);
    CDebuggerEntry entry;
    ASSERT_TRUE(entry.Read());
    EXPECT_EQ(Str(entry.GetPath()), Expand(L"%SystemRoot%\\system32\\dbg.exe"));
    EXPECT_EQ(Str(entry.GetParameters()), L"-p %ld %TEMP%");

    // A REG_SZ text is expanded the same way: the path is always resolved.
    StoreDebugger(L"\"%SystemRoot%\\a b\\dbg.exe\"", REG_SZ);
    ASSERT_TRUE(entry.Read());
    EXPECT_EQ(Str(entry.GetPath()), Expand(L"%SystemRoot%\\a b\\dbg.exe"));
}

TEST_F(DebuggerEntryRead, TextsWithoutAPathFail) {
    for (const wchar_t* text : {L"\"", L"\"\"", L"\"   \"", L"   ", L" \t\r\n", L""}) {
        SCOPED_TRACE(ToUtf8(text));
        StoreDebugger(text);
        CDebuggerEntry entry(0, IDS_DRWATSON, L"C:\\old\\d.exe", L"-old", TRUE);
        EXPECT_FALSE(entry.Read());
        // Nothing of the stored text got into the record.
        EXPECT_EQ(Str(entry.GetPath()), L"C:\\old\\d.exe");
        EXPECT_EQ(Str(entry.GetParameters()), L"-old");
    }
    // A zero-length value (not even a terminator) holds no path either.
    ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", REG_SZ, L"", 0));
    ASSERT_TRUE(StoredBytes(L"Debugger").empty());
    CDebuggerEntry entry;
    EXPECT_FALSE(entry.Read());
}

TEST_F(DebuggerEntryRead, MalformedDebuggerValuesFail) {
    ASSERT_TRUE(StoreUnterminated(L"Debugger", L"C:\\D\\d.exe -p %ld"));
    ASSERT_EQ(StoredBytes(L"Debugger"), Bytes(L"C:\\D\\d.exe -p %ld", false));
    CDebuggerEntry unterminated;
    EXPECT_FALSE(unterminated.Read());
    EXPECT_TRUE(unterminated.GetPath().IsEmpty());

    std::vector<BYTE> odd = Bytes(L"C:\\D\\d.exe -p %ld");
    odd.push_back(0);
    std::vector<BYTE> multi = Bytes(std::wstring(L"C:\\D\\d.exe\0\0", 12), false);
    std::vector<BYTE> binary = Bytes(L"C:\\D\\d.exe");
    DWORD number = 1;
    struct Stored {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    } values[] = {
        {"odd byte count", REG_SZ, odd.data(), static_cast<DWORD>(odd.size())},
        {"REG_MULTI_SZ", REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size())},
        {"REG_DWORD", REG_DWORD, &number, sizeof(number)},
        {"REG_BINARY", REG_BINARY, binary.data(), static_cast<DWORD>(binary.size())},
    };
    for (const Stored& value : values) {
        SCOPED_TRACE(value.what);
        ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger", value.type, value.data,
                               value.size));
        CDebuggerEntry entry;
        EXPECT_FALSE(entry.Read());
        EXPECT_TRUE(entry.GetPath().IsEmpty());
    }
}

TEST_F(DebuggerEntryRead, AutoStartsOnlyForTheTextOne) {
    StoreDebugger(L"C:\\D\\d.exe -p %ld");
    struct AutoCase {
        const char* what;
        DWORD type;
        std::wstring text;
        BOOL expected;
    } cases[] = {
        {"\"1\"", REG_SZ, L"1", TRUE},        {"\"1\" expandable", REG_EXPAND_SZ, L"1", TRUE},
        {"\"0\"", REG_SZ, L"0", FALSE},       {"\" 1\"", REG_SZ, L" 1", FALSE},
        {"\"01\"", REG_SZ, L"01", FALSE},     {"\"1 \"", REG_SZ, L"1 ", FALSE},
        {"\"true\"", REG_SZ, L"true", FALSE}, {"empty", REG_SZ, L"", FALSE},
    };
    for (const AutoCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", c.text, c.type));
        CDebuggerEntry entry(0, IDS_VSJIT_DEBUGGER, nullptr, nullptr, !c.expected);
        ASSERT_TRUE(entry.Read());
        EXPECT_EQ(entry.IsAutoStart(), c.expected);
    }

    // A number or no value at all: off, and the read still succeeds.
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", 1));
    CDebuggerEntry entry(0, IDS_VSJIT_DEBUGGER, nullptr, nullptr, TRUE);
    ASSERT_TRUE(entry.Read());
    EXPECT_FALSE(entry.IsAutoStart());
    ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto"));
    entry.m_bAutoStart = TRUE;
    ASSERT_TRUE(entry.Read());
    EXPECT_FALSE(entry.IsAutoStart());
    EXPECT_EQ(Str(entry.GetPath()), L"C:\\D\\d.exe");

    // An "Auto" text that exists but cannot be read makes the whole read fail.
    ASSERT_TRUE(StoreUnterminated(L"Auto", L"1"));
    ASSERT_EQ(StoredBytes(L"Auto").size(), 2u);
    EXPECT_FALSE(entry.Read());
}

TEST_F(DebuggerEntryRead, MissingKeyOrValueFailsAndCreatesNothing) {
    ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger"));
    CDebuggerEntry entry;
    EXPECT_FALSE(entry.Read());
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger").has_value());

    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    EXPECT_FALSE(entry.Read());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
}

class DebuggerEntryWrite : public AeDebugTest {};

TEST_F(DebuggerEntryWrite, StoresExactTextsAndTypes) {
    // Values of other types are replaced by plain strings.
    StoreDebugger(L"%SystemRoot%\\old.exe", REG_EXPAND_SZ);
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", 0));

    CDebuggerEntry spaced(0, IDS_OTHER_DEBUGGER, L"C:\\Program Files\\D\\d.exe", L"-p %ld -e %ld",
                          TRUE);
    ASSERT_TRUE(spaced.Write());
    auto debugger = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger");
    ASSERT_TRUE(debugger.has_value());
    EXPECT_EQ(debugger->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(debugger->data, Bytes(L"\"C:\\Program Files\\D\\d.exe\" -p %ld -e %ld"));
    auto autoValue = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
    ASSERT_TRUE(autoValue.has_value());
    EXPECT_EQ(autoValue->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(autoValue->data.size(), 4u);
    EXPECT_EQ(autoValue->data, Bytes(L"1"));

    // No space: no quotes; no parameters: no trailing blank. Any non-zero flag is "1".
    CDebuggerEntry plain(0, IDS_OTHER_DEBUGGER, L"C:\\D\\d.exe", nullptr, FALSE);
    ASSERT_TRUE(plain.Write());
    EXPECT_EQ(StoredBytes(L"Debugger"), Bytes(L"C:\\D\\d.exe"));
    EXPECT_EQ(StoredBytes(L"Auto"), Bytes(L"0"));
    plain.m_bAutoStart = 7;
    ASSERT_TRUE(plain.Write());
    EXPECT_EQ(StoredBytes(L"Auto"), Bytes(L"1"));

    // "No Debugger": a lone terminator, and reading it back is a failure.
    CDebuggerEntry none(DEBUGGER_NONE, IDS_NO_DEBUGGER, nullptr, nullptr, FALSE);
    ASSERT_TRUE(none.Write());
    debugger = ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger");
    ASSERT_TRUE(debugger.has_value());
    EXPECT_EQ(debugger->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(debugger->data, std::vector<BYTE>(2, 0));
    EXPECT_EQ(StoredBytes(L"Auto"), Bytes(L"0"));
    CDebuggerEntry back;
    EXPECT_FALSE(back.Read());

    // Other values of the key are left alone.
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"UserDebuggerHotKey", L"0"));
    ASSERT_TRUE(plain.Write());
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"UserDebuggerHotKey").has_value());
}

TEST_F(DebuggerEntryWrite, MissingKeyFailsAndCreatesNothing) {
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebugKey));
    CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, L"C:\\D\\d.exe", L"-p %ld", TRUE);
    EXPECT_FALSE(entry.Write());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAeDebugKey));
}

TEST_F(DebuggerEntryWrite, RoundTripKeepsPathParametersAndAutoStart) {
    const CDebuggerEntry written[] = {
        {0, IDS_OTHER_DEBUGGER, L"C:\\Program Files\\D\\d.exe", L"-p %ld -e %ld", TRUE},
        {0, IDS_OTHER_DEBUGGER, L"C:\\D\\d.exe", L"", FALSE},
        {0, IDS_OTHER_DEBUGGER, L"\\\\server\\share\\a b\\d.exe", L"-x \"quoted arg\"", TRUE},
    };
    for (const CDebuggerEntry& entry : written) {
        SCOPED_TRACE(ToUtf8(Str(entry.GetPath())));
        ASSERT_TRUE(entry.Write());
        CDebuggerEntry back;
        ASSERT_TRUE(back.Read());
        EXPECT_EQ(Str(back.GetPath()), Str(entry.GetPath()));
        EXPECT_EQ(Str(back.GetParameters()), Str(entry.GetParameters()));
        EXPECT_EQ(back.IsAutoStart(), entry.IsAutoStart());
    }
}

TEST(DebuggerEntryRecord, ConstructionAndSet) {
    CDebuggerEntry defaults;
    EXPECT_EQ(defaults.m_nNameId, static_cast<UINT>(IDS_NO_DEBUGGER));
    EXPECT_EQ(defaults.m_nFlags, 0u);
    EXPECT_FALSE(defaults.IsNone());
    EXPECT_FALSE(defaults.IsAutoStart());
    EXPECT_EQ(Str(defaults.GetName()), L"No Debugger");

    // A "no debugger" record refuses every path, parameter and automatic start.
    CDebuggerEntry none(DEBUGGER_NONE, IDS_NO_DEBUGGER, L"d.exe", L"-p", TRUE);
    EXPECT_TRUE(none.IsNone());
    EXPECT_TRUE(none.GetPath().IsEmpty());
    EXPECT_TRUE(none.GetParameters().IsEmpty());
    EXPECT_FALSE(none.IsAutoStart());
    EXPECT_FALSE(none.Set(L"C:\\D\\d.exe", L"-q", TRUE));
    EXPECT_TRUE(none.GetPath().IsEmpty());
    EXPECT_EQ(Str(none.BuildCommandLine()), L"");

    CDebuggerEntry watson(DEBUGGER_CONFIGURABLE, IDS_DRWATSON, L"drwtsn32.exe", L"-p %ld -e %ld -g",
                          TRUE);
    EXPECT_TRUE(watson.IsConfigurable());
    EXPECT_FALSE(watson.IsCustom());
    EXPECT_EQ(Str(watson.GetName()), L"Dr. Watson");
    EXPECT_EQ(Str(watson.GetPath()), SystemDir() + L"\\drwtsn32.exe");

    // Null texts keep what is there; parameters are taken untrimmed.
    ASSERT_TRUE(watson.Set(nullptr, L"  -x  ", FALSE));
    EXPECT_EQ(Str(watson.GetPath()), SystemDir() + L"\\drwtsn32.exe");
    EXPECT_EQ(Str(watson.GetParameters()), L"  -x  ");
    EXPECT_FALSE(watson.IsAutoStart());
    // Clearing the path must not leave the system directory itself as the debugger.
    watson.SetPath(L"");
    EXPECT_TRUE(watson.GetPath().IsEmpty());

    CDebuggerEntry custom(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, nullptr, nullptr, FALSE);
    EXPECT_TRUE(custom.IsCustom());
    EXPECT_EQ(Str(custom.GetName()), L"Other debugger...");
}

TEST(DebuggerEntryRecord, CommandLineQuotingAndPathComparison) {
    CDebuggerEntry entry(0, IDS_OTHER_DEBUGGER, L"C:\\Program Files\\D\\d.exe", L"-p %ld -e %ld",
                         FALSE);
    EXPECT_EQ(Str(entry.GetPath(TRUE)), L"\"C:\\Program Files\\D\\d.exe\"");
    EXPECT_EQ(Str(entry.GetPath()), L"C:\\Program Files\\D\\d.exe");
    EXPECT_EQ(Str(entry.BuildCommandLine()), L"\"C:\\Program Files\\D\\d.exe\" -p %ld -e %ld");

    // Only a space calls for quotes, not other white space.
    entry.m_strPath = L"C:\\Tab\there\\d.exe";
    EXPECT_EQ(Str(entry.GetPath(TRUE)), L"C:\\Tab\there\\d.exe");
    // Empty path: nothing at all, whatever the parameters.
    entry.m_strPath.Empty();
    EXPECT_EQ(Str(entry.BuildCommandLine()), L"");

    // A path whose quoted form would not fit MAX_PATH stays unquoted.
    entry.m_strParameters.Empty();
    for (size_t length : {MAX_PATH - 2, MAX_PATH + 0, MAX_PATH + 40}) {
        std::wstring longPath = L"C:\\a b\\" + std::wstring(length - 7, L'x');
        entry.m_strPath = longPath.c_str();
        EXPECT_EQ(Str(entry.BuildCommandLine()), longPath) << length;
    }
    std::wstring fits = L"C:\\a b\\" + std::wstring(MAX_PATH - 20, L'x');
    entry.m_strPath = fits.c_str();
    EXPECT_EQ(Str(entry.BuildCommandLine()), L"\"" + fits + L"\"");

    CDebuggerEntry upper(0, IDS_OTHER_DEBUGGER, L"C:\\WINDOWS\\System32\\X.EXE", nullptr, FALSE);
    CDebuggerEntry lower(0, IDS_OTHER_DEBUGGER, L"c:\\windows\\system32\\x.exe", nullptr, FALSE);
    EXPECT_EQ(upper.ComparePath(lower), 0);
    EXPECT_NE(upper.ComparePath(CDebuggerEntry()), 0);
    // Letters outside A to Z keep their case.
    CDebuggerEntry accentUpper(0, IDS_OTHER_DEBUGGER, L"C:\\\u00C4\\x.exe", nullptr, FALSE);
    CDebuggerEntry accentLower(0, IDS_OTHER_DEBUGGER, L"C:\\\u00E4\\x.exe", nullptr, FALSE);
    EXPECT_NE(accentUpper.ComparePath(accentLower), 0);
    EXPECT_EQ(CDebuggerEntry().ComparePath(CDebuggerEntry()), 0);
}
