// The debugger selector on a real combo box: which debuggers are listed for the executables
// present in the system directory, and which item a registered path selects.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "debugger/DebuggerComboBox.h"
#include "resources/resource.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::wstring Str(const CString& text) {
    return std::wstring(text.GetString(), text.GetLength());
}

// A stand-in debugger executable in the system directory, removed again when the test ends.
class InstalledStub {
public:
    explicit InstalledStub(const wchar_t* name) : m_path(SystemDir() + L"\\" + name) {
        m_installed = CopyFileW(BinPath(L"recorder.exe").c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~InstalledStub() {
        if (m_installed)
            DeleteFileW(m_path.c_str());
    }
    InstalledStub(const InstalledStub&) = delete;
    InstalledStub& operator=(const InstalledStub&) = delete;
    bool Installed() const { return m_installed; }

private:
    std::wstring m_path;
    bool m_installed = false;
};

class DebuggerCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        // No stub left from an earlier run may decide what is listed.
        DeleteFileW((SystemDir() + L"\\drwtsn32.exe").c_str());
        DeleteFileW((SystemDir() + L"\\VSJitDebugger.exe").c_str());
        hwnd = CreateWindowExW(0, L"COMBOBOX", L"",
                               WS_POPUP | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0, 300,
                               200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hwnd, nullptr);
        box.Attach(hwnd);
    }
    void TearDown() override { DestroyWindow(hwnd); }

    std::vector<std::wstring> Items() {
        std::vector<std::wstring> items;
        int count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }

    int Selected() { return static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)); }

    // Selects the item whose record has the given path and tells which one it is.
    int SelectFor(const wchar_t* path) {
        CDebuggerEntry entry;
        entry.m_strPath = path;
        EXPECT_TRUE(box.SelectByPath(entry));
        return Selected();
    }

    HWND hwnd = nullptr;
    CDebuggerComboBox box;
};

} // namespace

TEST_F(DebuggerCatalogue, ListsInstalledDebuggersInOrder) {
    using Names = std::vector<std::wstring>;
    ASSERT_TRUE(box.Fill());
    EXPECT_EQ(Items(), (Names{L"No Debugger", L"Other debugger..."}));
    {
        InstalledStub watson(L"drwtsn32.exe");
        InstalledStub jit(L"VSJitDebugger.exe");
        ASSERT_TRUE(watson.Installed() && jit.Installed());
        // Filling again empties the list first.
        ASSERT_TRUE(box.Fill());
        EXPECT_EQ(Items(), (Names{L"No Debugger", L"Dr. Watson",
                                  L"Visual Studio Just-In-Time Debugger", L"Other debugger..."}));
    }
    {
        InstalledStub jit(L"VSJitDebugger.exe");
        ASSERT_TRUE(box.Fill());
        EXPECT_EQ(Items(), (Names{L"No Debugger", L"Visual Studio Just-In-Time Debugger",
                                  L"Other debugger..."}));
        // Each item still carries its own record, though a debugger was left out before it.
        SendMessageW(hwnd, CB_SETCURSEL, 1, 0);
        CDebuggerEntry selected;
        ASSERT_TRUE(box.GetSelection(selected));
        EXPECT_EQ(selected.m_nNameId, static_cast<UINT>(IDS_VSJIT_DEBUGGER));
        SendMessageW(hwnd, CB_SETCURSEL, 2, 0);
        ASSERT_TRUE(box.GetSelection(selected));
        EXPECT_TRUE(selected.IsCustom());
    }
    {
        InstalledStub watson(L"drwtsn32.exe");
        ASSERT_TRUE(box.Fill());
        EXPECT_EQ(Items(), (Names{L"No Debugger", L"Dr. Watson", L"Other debugger..."}));
    }
}

TEST_F(DebuggerCatalogue, SelectionCopiesTheWholeRecord) {
    InstalledStub watson(L"drwtsn32.exe");
    ASSERT_TRUE(watson.Installed());
    ASSERT_TRUE(box.Fill());

    // Nothing selected: the caller's record stays as it was.
    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    CDebuggerEntry entry(DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, L"C:\\mine\\d.exe", L"-mine", TRUE);
    EXPECT_FALSE(box.GetSelection(entry));
    EXPECT_EQ(entry.m_nFlags, DEBUGGER_CUSTOM);
    EXPECT_EQ(Str(entry.GetPath()), L"C:\\mine\\d.exe");
    EXPECT_EQ(Str(entry.GetParameters()), L"-mine");
    EXPECT_TRUE(entry.IsAutoStart());

    SendMessageW(hwnd, CB_SETCURSEL, 1, 0);
    ASSERT_TRUE(box.GetSelection(entry));
    EXPECT_EQ(entry.m_nNameId, static_cast<UINT>(IDS_DRWATSON));
    EXPECT_EQ(entry.m_nFlags, DEBUGGER_CONFIGURABLE);
    EXPECT_TRUE(entry.IsAutoStart());
    EXPECT_EQ(Str(entry.GetPath()), SystemDir() + L"\\drwtsn32.exe");
    EXPECT_EQ(Str(entry.GetParameters()), L"-p %ld -e %ld -g");

    // Editing the copy leaves the listed record as it was.
    entry.Set(L"C:\\other\\x.exe", L"-y", FALSE);
    CDebuggerEntry again;
    ASSERT_TRUE(box.GetSelection(again));
    EXPECT_EQ(Str(again.GetPath()), SystemDir() + L"\\drwtsn32.exe");
    EXPECT_TRUE(again.IsAutoStart());

    SendMessageW(hwnd, CB_SETCURSEL, 0, 0);
    ASSERT_TRUE(box.GetSelection(again));
    EXPECT_TRUE(again.IsNone());
    EXPECT_TRUE(again.GetPath().IsEmpty());
    EXPECT_FALSE(again.IsAutoStart());
}

TEST_F(DebuggerCatalogue, SelectByPathMatchesTheExecutableOnly) {
    std::wstring system = SystemDir();
    {
        InstalledStub watson(L"drwtsn32.exe");
        InstalledStub jit(L"VSJitDebugger.exe");
        ASSERT_TRUE(box.Fill());
        EXPECT_EQ(SelectFor((system + L"\\drwtsn32.exe").c_str()), 1);
        EXPECT_EQ(SelectFor(L"C:\\WINDOWS\\SYSTEM32\\DRWTSN32.EXE"), 1);
        EXPECT_EQ(SelectFor(L"c:\\windows\\system32\\vsjitdebugger.exe"), 2);
        // A different spelling of the same file is not the same path.
        EXPECT_EQ(SelectFor(L"C:\\windows\\system32\\..\\system32\\drwtsn32.exe"), 3);
        EXPECT_EQ(SelectFor(L"C:\\Tools\\dbg.exe"), 3);
        EXPECT_EQ(SelectFor(L""), 0);

        // A record read from the registry selects its debugger whatever its parameters.
        RegistryKeySnapshot snapshot(HKEY_LOCAL_MACHINE, kAeDebugKey);
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                                L"C:\\Windows\\System32\\drwtsn32.exe -z"));
        CDebuggerEntry stored;
        ASSERT_TRUE(stored.Read());
        ASSERT_TRUE(box.SelectByPath(stored));
        EXPECT_EQ(Selected(), 1);
    }
    // The Visual Studio debugger is not installed: its path falls to "Other debugger...".
    ASSERT_TRUE(box.Fill());
    EXPECT_EQ(SelectFor((system + L"\\VSJitDebugger.exe").c_str()), 1);
    EXPECT_EQ(Items().at(1), L"Other debugger...");

    // An empty list has nothing to select.
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    CDebuggerEntry entry;
    EXPECT_FALSE(box.SelectByPath(entry));
}

TEST_F(DebuggerCatalogue, RoundTripOfEveryCatalogueEntry) {
    InstalledStub watson(L"drwtsn32.exe");
    InstalledStub jit(L"VSJitDebugger.exe");
    ASSERT_TRUE(box.Fill());
    RegistryKeySnapshot snapshot(HKEY_LOCAL_MACHINE, kAeDebugKey);
    int count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(count, 4);
    for (int item = 0; item < count; ++item) {
        SCOPED_TRACE(item);
        SendMessageW(hwnd, CB_SETCURSEL, item, 0);
        CDebuggerEntry entry;
        ASSERT_TRUE(box.GetSelection(entry));
        ASSERT_TRUE(entry.Write());
        CDebuggerEntry back;
        if (entry.GetPath().IsEmpty()) {
            // "No Debugger" and "Other debugger..." store no debugger, which reads as none.
            EXPECT_FALSE(back.Read());
            EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger")->data.size(), 2u);
            continue;
        }
        ASSERT_TRUE(back.Read());
        EXPECT_EQ(Str(back.GetPath()), Str(entry.GetPath()));
        EXPECT_EQ(Str(back.GetParameters()), Str(entry.GetParameters()));
        EXPECT_EQ(back.IsAutoStart(), entry.IsAutoStart());
        ASSERT_TRUE(box.SelectByPath(back));
        EXPECT_EQ(Selected(), item);
    }
}
