// Windows Error Reporting's local dumps through both faces, the Crash Dumps page (in a real
// sheet of this process) and the real corvanectl.exe: one table of changes against the real
// registry, each run through each face from the same start and ending in the same keys; then the
// elevation gate, the folder offer and the Apply button. Wine writes no local dumps itself, so only
// the registry side is checked here; a crash that leaves a dump in the chosen folder is for a
// Windows machine.
#include <gtest/gtest.h>

#include <sstream>

#include "dumps/DumpsPage.h"
#include "support/GuiDriver.h"
#include "support/PageHost.h"

using namespace testing_support;

namespace {
const wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\LocalDumps";
constexpr int kOn = 1020, kProgram = 1021, kRemove = 1022, kNew = 1023, kAdd = 1025, kFolder = 1026,
              kCount = 1029, kType = 1030, kFlags = 1031, kApply = 0x3021;
const char kSet[] = "The crash dump settings were successfully set.";
const char kBadProgram[] = "The program must be given by its file name ending in .exe";

// The LocalDumps key ("") and its sub-keys, each with its values; empty when there is no key.
using Tree = std::map<std::wstring, KeyValues>;

Tree ReadTree() {
    Tree tree;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return tree;
    wchar_t name[256];
    for (DWORD i = 0, size = 256; RegEnumKeyExW(key, i, name, &size, 0, 0, 0, 0) == 0; size = 256)
        tree[name] = *ReadKey(HKEY_LOCAL_MACHINE, kKey + (L"\\" + std::wstring(name))), ++i;
    RegCloseKey(key);
    tree[L""] = *ReadKey(HKEY_LOCAL_MACHINE, kKey);
    return tree;
}

// A tree in a line of items joined by ", ": "Name=value" for a value of the LocalDumps key,
// "program/Name=value" for one of a program's key, "program/" for a key alone ("/" for the
// LocalDumps key alone). A value is a DWORD, 'text' (REG_SZ), or $ for the folder (REG_EXPAND_SZ).
Tree Parse(const std::wstring& line, const std::wstring& folder) {
    Tree tree;
    std::wistringstream items(line);
    for (std::wstring item; std::getline(items >> std::ws, item, L',');) {
        const size_t eq = item.find(L'='), slash = std::min(item.find(L'/'), eq);
        KeyValues& values = tree[slash < eq ? item.substr(0, slash) : L""];
        tree[L""]; // a program's key lies in the LocalDumps key
        if (eq == std::wstring::npos)
            continue;
        const std::wstring value = item.substr(eq + 1);
        values[item.substr(slash < eq ? slash + 1 : 0, eq - (slash < eq ? slash + 1 : 0))] =
            value == L"$"       ? Text(folder, REG_EXPAND_SZ)
            : value[0] == L'\'' ? Text(value.substr(1, value.size() - 2))
                                : Dword(std::stoul(value, nullptr, 0));
    }
    return tree;
}

void WriteTree(const Tree& tree) {
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kKey));
    for (const auto& [sub, values] : tree) {
        std::wstring path = sub.empty() ? kKey : kKey + (L"\\" + sub);
        ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, path));
        for (const auto& [name, value] : values)
            ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, path, name, value));
    }
}

// What a person does on the page: an edit gets the text, a combo box the item of that text, a
// button a click.
struct Step {
    int id;
    std::wstring text = L"";
};

using Steps = std::vector<Step>;

void Do(HWND page, const Step& step) {
    HWND control = GetDlgItem(page, step.id);
    wchar_t type[32] = L"";
    GetClassNameW(control, type, 32);
    if (!lstrcmpiW(type, L"Edit")) {
        SetWindowTextW(control, step.text.c_str());
    } else if (!lstrcmpiW(type, L"ComboBox")) {
        SendMessageW(control, CB_SELECTSTRING, -1, reinterpret_cast<LPARAM>(step.text.c_str()));
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(step.id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
    } else {
        SendMessageW(control, BM_CLICK, 0, 0);
    }
}

// Apply as a click on it: the sheet applies before the call returns.
void Apply(HWND sheet) {
    SendMessageW(sheet, WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(sheet, kApply)));
}

// The page opened fresh on the registry as it is, the steps taken and Apply pressed; the texts
// of the boxes that came up on the way.
std::vector<std::wstring> OnPage(const std::vector<Step>& steps, bool yes = false) {
    CDumpsPage page;
    PageHost host;
    EXPECT_TRUE(host.Open(page));
    return AnswerBoxes(
        [&] {
            for (const Step& step : steps)
                Do(host.Page(), step);
            Apply(host.sheet);
        },
        yes);
}

class LocalDumps : public ::testing::Test {
protected:
    RegistryKeySnapshot snapshot{HKEY_LOCAL_MACHINE, kKey};
};
} // namespace

TEST_F(LocalDumps, EachChangeEndsTheSameThroughThePageAndCorvanectl) {
    const std::wstring tooLong = std::wstring(252, L'x') + L".exe";
    const std::wstring nowhere = MakeTempDir(L"dumps") + L"\\not yet";
    const struct {
        std::wstring before, arguments;
        Steps steps;
        DWORD code; // corvanectl's
        std::string message;
        std::wstring after;
    } cases[] = {
        // On for every program; on for one program, whose key brings the LocalDumps key.
        {L"", L"dumps on --count 5 --type full",
         Steps{{kOn}, {kCount, L"5"}, {kType, L"Full dump"}}, 0, kSet, L"DumpCount=5, DumpType=2"},
        {L"",
         L"dumps on --program myapp.exe --folder \"" + nowhere + L"\" --type custom --flags 0x121",
         Steps{{kNew, L"myapp.exe"},
               {kAdd},
               {kFolder, nowhere},
               {kType, L"Custom"},
               {kFlags, L"0x121"}},
         0, kSet, L"myapp.exe/DumpFolder=$, myapp.exe/DumpType=0, myapp.exe/CustomDumpFlags=0x121"},
        // Values of another type and values of others stay unless their field is changed.
        {L"DumpCount='7', DumpFolder=1, Other='kept'", L"dumps on --type mini",
         Steps{{kType, L"Mini dump"}}, 0, kSet,
         L"DumpCount='7', DumpFolder=1, Other='kept', DumpType=1"},
        // Off for one program: its key goes only when nothing of others is left in it.
        {L"myapp.exe/DumpType=2, myapp.exe/Note='kept'", L"dumps off --program myapp.exe",
         Steps{{kProgram, L"myapp.exe"}, {kRemove}}, 0, kSet, L"myapp.exe/Note='kept'"},
        {L"DumpCount=3, myapp.exe/DumpType=2", L"dumps off --program myapp.exe",
         Steps{{kProgram, L"myapp.exe"}, {kRemove}}, 0, kSet, L"DumpCount=3"},
        // Off for every program: the key goes, unless a program key or another value keeps it.
        {L"DumpCount=3, DumpType=2", L"dumps off", {{kOn}}, 0, kSet, L""},
        {L"DumpCount=3, other.exe/", L"dumps off", Steps{{kOn}}, 1,
         "Local dumps stay on for every program while programs have settings of their own",
         L"DumpCount=3, other.exe/"},
        // Broken rules change nothing, hostile program names included.
        {L"/", L"dumps on --count 0", Steps{{kCount, L"0"}}, 2,
         "The number of dumps to keep must be a whole number", L"/"},
        {L"DumpType=1", L"dumps on --flags 0x2", Steps{{kFlags, L"0x2"}}, 2,
         "Custom dump flags are used only with the custom kind of dump.", L"DumpType=1"},
        {L"", L"dumps on --program ..\\evil.exe", Steps{{kNew, L"..\\evil.exe"}, {kAdd}}, 2,
         kBadProgram, L""},
        {L"", L"dumps on --program " + tooLong, {{kNew, tooLong}, {kAdd}}, 2, kBadProgram, L""},
        {L"", L"dumps off --program myapp", {{kNew, L"myapp"}, {kAdd}}, 2, kBadProgram, L""},
        {L"", L"dumps on --program .exe", {{kNew, L".exe"}, {kAdd}}, 2, kBadProgram, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments));
        const Tree before = Parse(c.before, nowhere), after = Parse(c.after, nowhere);
        WriteTree(before);
        CtlResult ctl = Ctl(c.arguments);
        EXPECT_EQ(ctl.code, c.code) << ctl.err;
        EXPECT_HAS(ctl.out + ctl.err, c.message);
        EXPECT_EQ(ReadTree(), after);

        WriteTree(before);
        // The page asks before making a missing folder: not now.
        std::vector<std::wstring> boxes = OnPage(c.steps);
        ASSERT_FALSE(boxes.empty());
        EXPECT_HAS(ToUtf8(boxes.back()), c.message);
        EXPECT_EQ(ReadTree(), after);
    }
    EXPECT_FALSE(FileExists(nowhere));
    // A kind of dump the system knows reads as its word, one it does not as kept.
    WriteTree(Parse(L"DumpType=2, other.exe/DumpType=3", nowhere));
    const std::string shown = Ctl(L"dumps show").out;
    EXPECT_HAS(shown, "  DumpType         full\n");
    EXPECT_HAS(shown, "  DumpType         (a value of type 4, kept as stored)\n");
}

TEST_F(LocalDumps, OnlyAnAdministratorChangesThemAndAMissingFolderIsMadeWhenAgreed) {
    WriteTree({});
    // Without elevation corvanectl refuses, and the page asks (cancelled here): nothing is written.
    HANDLE token = CreateStandardUserToken(), impersonation = nullptr;
    ASSERT_NE(token, nullptr);
    CtlResult refused = Ctl(L"dumps on --count 4", token);
    EXPECT_EQ(refused.code, 1u);
    EXPECT_HAS(refused.err, "needs an elevated prompt");
    ASSERT_TRUE(DuplicateToken(token, SecurityImpersonation, &impersonation));
    ASSERT_TRUE(SetThreadToken(nullptr, impersonation));
    std::vector<std::wstring> asked = OnPage({{kOn}, {kCount, L"4"}});
    RevertToSelf();
    CloseHandle(impersonation);
    CloseHandle(token);
    EXPECT_EQ(asked, std::vector<std::wstring>{kElevationPrompt});
    EXPECT_EQ(ReadTree(), Tree{});

    // Apply is enabled only while something differs from what is stored.
    const std::wstring folder = MakeTempDir(L"dumps") + L"\\new\\deeper";
    CDumpsPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND apply = GetDlgItem(host.sheet, kApply);
    EXPECT_FALSE(IsWindowEnabled(apply));
    for (bool changed : {true, false, true}) {
        Do(host.Page(), {kOn});
        EXPECT_EQ(IsWindowEnabled(apply) != FALSE, changed);
    }
    Do(host.Page(), {kFolder, folder});
    std::vector<std::wstring> boxes = AnswerBoxes([&] { Apply(host.sheet); }, true);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_HAS(boxes[0], L"does not exist. Windows creates it");
    EXPECT_EQ(ToUtf8(boxes[1]), std::string("[information] ") + kSet);
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(IsWindowEnabled(apply));

    std::string escaped;
    for (char c : ToUtf8(folder))
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    CtlResult json = Ctl(L"show --json");
    EXPECT_HAS(json.out, "\"localDumps\":{\"on\":true,\"settings\":[{\"program\":null,"
                         "\"DumpFolder\":\"" +
                             escaped + "\",\"DumpCount\":null,");
}
