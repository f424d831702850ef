// Windows Error Reporting's local dumps through both faces, the Crash Dumps page (in a real
// sheet of this process) and the real corvanectl.exe: one table of changes against the real
// registry, each run through each face from the same start and ending in the same keys; then the
// elevation gate, the folder offer and the Apply button. Wine writes no local dumps itself, so only
// the registry side is checked here; a crash that leaves a dump in the chosen folder is for a
// Windows machine.
#include <gtest/gtest.h>

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
    const RegValue mine = Text(L"kept"), odd = Text(L"7"), dword1 = Dword(1);
    const std::wstring tooLong = std::wstring(252, L'x') + L".exe";
    const std::wstring nowhere = MakeTempDir(L"dumps") + L"\\not yet";
    const struct {
        Tree before;
        std::wstring arguments;
        std::vector<Step> steps;
        DWORD code; // corvanectl's
        std::string message;
        Tree after;
    } cases[] = {
        // On for every program; on for one program, whose key brings the LocalDumps key.
        {{},
         L"dumps on --count 5 --type full",
         {{kOn}, {kCount, L"5"}, {kType, L"Full dump"}},
         0,
         kSet,
         {{L"", {{L"DumpCount", Dword(5)}, {L"DumpType", Dword(2)}}}}},
        {{},
         L"dumps on --program myapp.exe --folder \"" + nowhere + L"\" --type custom --flags 0x121",
         {{kNew, L"myapp.exe"}, {kAdd}, {kFolder, nowhere}, {kType, L"Custom"}, {kFlags, L"0x121"}},
         0,
         kSet,
         {{L"", {}},
          {L"myapp.exe",
           {{L"DumpFolder", Text(nowhere, REG_EXPAND_SZ)},
            {L"DumpType", Dword(0)},
            {L"CustomDumpFlags", Dword(0x121)}}}}},
        // Values of another type and values of others stay unless their field is changed.
        {{{L"", {{L"DumpCount", odd}, {L"DumpFolder", dword1}, {L"Other", mine}}}},
         L"dumps on --type mini",
         {{kType, L"Mini dump"}},
         0,
         kSet,
         {{L"",
           {{L"DumpCount", odd},
            {L"DumpFolder", dword1},
            {L"Other", mine},
            {L"DumpType", Dword(1)}}}}},
        // Off for one program: its key goes only when nothing of others is left in it.
        {{{L"", {}}, {L"myapp.exe", {{L"DumpType", Dword(2)}, {L"Note", mine}}}},
         L"dumps off --program myapp.exe",
         {{kProgram, L"myapp.exe"}, {kRemove}},
         0,
         kSet,
         {{L"", {}}, {L"myapp.exe", {{L"Note", mine}}}}},
        {{{L"", {{L"DumpCount", Dword(3)}}}, {L"myapp.exe", {{L"DumpType", Dword(2)}}}},
         L"dumps off --program myapp.exe",
         {{kProgram, L"myapp.exe"}, {kRemove}},
         0,
         kSet,
         {{L"", {{L"DumpCount", Dword(3)}}}}},
        // Off for every program: the key goes, unless a program key or another value keeps it.
        {{{L"", {{L"DumpCount", Dword(3)}, {L"DumpType", Dword(2)}}}},
         L"dumps off",
         {{kOn}},
         0,
         kSet,
         {}},
        {{{L"", {{L"DumpCount", Dword(3)}}}, {L"other.exe", {}}},
         L"dumps off",
         {{kOn}},
         1,
         "Local dumps stay on for every program while programs have settings of their own",
         {{L"", {{L"DumpCount", Dword(3)}}}, {L"other.exe", {}}}},
        // Broken rules change nothing, hostile program names included.
        {{{L"", {}}},
         L"dumps on --count 0",
         {{kCount, L"0"}},
         2,
         "The number of dumps to keep must be a whole number",
         {{L"", {}}}},
        {{{L"", {{L"DumpType", dword1}}}},
         L"dumps on --flags 0x2",
         {{kFlags, L"0x2"}},
         2,
         "Custom dump flags are used only with the custom kind of dump.",
         {{L"", {{L"DumpType", dword1}}}}},
        {{},
         L"dumps on --program ..\\evil.exe",
         {{kNew, L"..\\evil.exe"}, {kAdd}},
         2,
         kBadProgram,
         {}},
        {{}, L"dumps on --program " + tooLong, {{kNew, tooLong}, {kAdd}}, 2, kBadProgram, {}},
        {{}, L"dumps off --program myapp", {{kNew, L"myapp"}, {kAdd}}, 2, kBadProgram, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.arguments));
        WriteTree(c.before);
        CtlResult ctl = Ctl(c.arguments);
        EXPECT_EQ(ctl.code, c.code) << ctl.err;
        EXPECT_NE((ctl.out + ctl.err).find(c.message), std::string::npos) << ctl.out << ctl.err;
        EXPECT_EQ(ReadTree(), c.after);

        WriteTree(c.before);
        // The page asks before making a missing folder: not now.
        std::vector<std::wstring> boxes = OnPage(c.steps);
        ASSERT_FALSE(boxes.empty());
        EXPECT_NE(ToUtf8(boxes.back()).find(c.message), std::string::npos) << ToUtf8(boxes.back());
        EXPECT_EQ(ReadTree(), c.after);
    }
    EXPECT_FALSE(FileExists(nowhere));
}

TEST_F(LocalDumps, OnlyAnAdministratorChangesThemAndAMissingFolderIsMadeWhenAgreed) {
    WriteTree({});
    // Without elevation corvanectl refuses, and the page asks (cancelled here): nothing is written.
    HANDLE token = CreateStandardUserToken(), impersonation = nullptr;
    ASSERT_NE(token, nullptr);
    CtlResult refused = Ctl(L"dumps on --count 4", token);
    EXPECT_EQ(refused.code, 1u);
    EXPECT_NE(refused.err.find("needs an elevated prompt"), std::string::npos) << refused.err;
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
    EXPECT_NE(boxes[0].find(L"does not exist. Windows creates it"), std::wstring::npos);
    EXPECT_EQ(ToUtf8(boxes[1]), std::string("[information] ") + kSet);
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(IsWindowEnabled(apply));

    std::string escaped;
    for (char c : ToUtf8(folder))
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    CtlResult json = Ctl(L"show --json");
    EXPECT_NE(json.out.find("\"localDumps\":{\"on\":true,\"settings\":[{\"program\":null,"
                            "\"DumpFolder\":\"" +
                            escaped + "\",\"DumpCount\":null,"),
              std::string::npos)
        << json.out;
}
