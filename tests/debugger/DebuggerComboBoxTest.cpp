// The catalogue of known debuggers on a real combo box: which are listed and which item a path
// selects. What each entry writes is seen through the page.
#include <gtest/gtest.h>

#include "debugger/AeDebug.h"
#include "debugger/DebuggerComboBox.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

using Names = std::vector<std::wstring>;

class DebuggerCatalogue : public ::testing::Test {
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
        CSimpleArray<CDebuggerEntry> catalogue;
        EXPECT_TRUE(LoadDebuggerCatalogue(catalogue));
        box.Fill(catalogue);
        Names items(box.GetCount(), std::wstring(256, L'\0'));
        for (size_t i = 0; i < items.size(); ++i)
            items[i].resize(SendMessageW(hwnd, CB_GETLBTEXT, i, (LPARAM)items[i].data()));
        return items;
    }

    int SelectFor(const wchar_t* path) {
        EXPECT_TRUE(box.SelectByPath({0, IDS_OTHER_DEBUGGER, path, nullptr, false}));
        return box.GetCurSel();
    }

    HWND hwnd = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
    CDebuggerComboBox box;
};

} // namespace

TEST_F(DebuggerCatalogue, ListsInstalledDebuggersInOrder) {
    const std::wstring none = L"No Debugger", other = L"Other debugger...", watson = L"Dr. Watson",
                       jit = L"Visual Studio Just-In-Time Debugger";
    EXPECT_EQ(FillWith(true, true), (Names{none, watson, jit, other}));
    EXPECT_EQ(FillWith(false, true), (Names{none, jit, other}));
    EXPECT_EQ(FillWith(true, false), (Names{none, watson, other}));
    EXPECT_EQ(FillWith(false, false), (Names{none, other}));
    // A folder of a debugger's name is no debugger.
    const std::wstring folder = SystemDir() + L"\\drwtsn32.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(FillWith(false, false), (Names{none, other}));
    RemoveDirectoryW(folder.c_str());
}

TEST_F(DebuggerCatalogue, SelectsByPathIgnoringAsciiCase) {
    FillWith(true, true);
    EXPECT_EQ(SelectFor(L"C:\\WINDOWS\\SYSTEM32\\DRWTSN32.EXE"), 1);
    EXPECT_EQ(SelectFor(L"c:\\windows\\system32\\vsjitdebugger.exe"), 2);
    EXPECT_EQ(SelectFor(L"C:\\Tools\\drwtsn32.exe"), 3);
    EXPECT_EQ(SelectFor(L""), 0);
    // With nothing selected the caller's record stays as it was.
    CDebuggerEntry mine(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\mine.exe", L"-mine", true);
    box.SetCurSel(-1);
    EXPECT_FALSE(box.GetSelection(mine));
    EXPECT_TRUE(mine.IsCustom() && mine.IsAutoStart() && mine.GetNameId() == IDS_OTHER_DEBUGGER &&
                mine.GetPath() == L"C:\\mine.exe" && mine.GetParameters() == L"-mine");
    // Without Dr. Watson its path falls to "Other debugger...".
    FillWith(false, true);
    EXPECT_EQ(SelectFor(L"C:\\windows\\system32\\drwtsn32.exe"), 2);
}
