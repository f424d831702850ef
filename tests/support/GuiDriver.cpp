#include "support/GuiDriver.h"

#include <commctrl.h>

#include <stddef.h>
#include <string.h>

namespace testing_support {

std::wstring WindowText(HWND hwnd) {
    wchar_t text[4096] = L"";
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::vector<HWND> DialogWindowsOf(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && ClassName(hwnd) == L"#32770")
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {
bool IsSheet(HWND hwnd) {
    return WindowText(hwnd) == L"Corvane" &&
           FindWindowExW(hwnd, nullptr, L"SysTabControl32", nullptr) != nullptr;
}
} // namespace

bool CorvaneApp::Start(const std::wstring& arguments, HANDLE token, const std::wstring& exe) {
    m_sheet = nullptr;
    if (!m_process.Start(exe.empty() ? BinPath(L"corvane.exe") : exe, arguments, token))
        return false;
    return WaitForSheet();
}

HWND CorvaneApp::Sheet() {
    if (m_sheet && IsWindow(m_sheet))
        return m_sheet;
    m_sheet = nullptr;
    for (HWND hwnd : DialogWindowsOf(m_process.Id())) {
        if (IsSheet(hwnd))
            m_sheet = hwnd;
    }
    return m_sheet;
}

bool CorvaneApp::WaitForSheet(DWORD timeoutMs) {
    return WaitUntil([&] { return Sheet() != nullptr && IsWindowVisible(Sheet()); }, timeoutMs);
}

int CorvaneApp::TabCount() {
    HWND tab = FindWindowExW(Sheet(), nullptr, L"SysTabControl32", nullptr);
    return static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
}

std::wstring CorvaneApp::SendWithRemoteText(HWND target, UINT message, WPARAM wParam,
                                            const void* record, size_t size, size_t textOffset) {
    // Pointers in a message only mean something in the program's own memory.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 m_process.Id());
    if (!process)
        return L"";
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::wstring result;
    if (remote) {
        std::vector<BYTE> copy(static_cast<const BYTE*>(record),
                               static_cast<const BYTE*>(record) + size);
        BYTE* text = remote + 1024;
        memcpy(copy.data() + textOffset, &text, sizeof(text));
        WriteProcessMemory(process, remote, copy.data(), size, nullptr);
        wchar_t empty = 0;
        WriteProcessMemory(process, text, &empty, sizeof(empty), nullptr);
        SendMessageW(target, message, wParam, reinterpret_cast<LPARAM>(remote));
        wchar_t buffer[1024] = L"";
        ReadProcessMemory(process, text, buffer, sizeof(buffer) - sizeof(wchar_t), nullptr);
        result = buffer;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

std::wstring CorvaneApp::TabText(int index) {
    HWND tab = FindWindowExW(Sheet(), nullptr, L"SysTabControl32", nullptr);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.cchTextMax = 256;
    return SendWithRemoteText(tab, TCM_GETITEMW, index, &item, sizeof(item),
                              offsetof(TCITEMW, pszText));
}

std::wstring CorvaneApp::ToolTipText(int id) {
    HWND page = CurrentPage(), control = Control(id);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = page;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr))) {
        DWORD owner = 0;
        if (!GetWindowThreadProcessId(tip, &owner) || owner != m_process.Id())
            continue;
        std::wstring text = SendWithRemoteText(tip, TTM_GETTEXTW, 1024, &tool, sizeof(tool),
                                               offsetof(TTTOOLINFOW, lpszText));
        if (!text.empty())
            return text;
    }
    return L"";
}

HWND CorvaneApp::SelectPage(int index) {
    SendMessageW(Sheet(), PSM_SETCURSEL, index, 0);
    return CurrentPage();
}

HWND CorvaneApp::CurrentPage() {
    return reinterpret_cast<HWND>(SendMessageW(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool CorvaneApp::IsApplyEnabled() {
    HWND apply = SheetButton(0x3021); // the sheet's Apply button
    return apply && IsWindowEnabled(apply);
}

void CorvaneApp::Click(int id) {
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void CorvaneApp::ClickCheckBox(int id) {
    PostMessageW(Control(id), BM_CLICK, 0, 0);
}

void CorvaneApp::SetEditText(int id, const std::wstring& text) {
    // WM_SETTEXT makes the edit send EN_UPDATE and EN_CHANGE to the page, as typing does.
    SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

int CorvaneApp::ComboSelection(int id) {
    return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> CorvaneApp::ComboItems(int id) {
    HWND combo = Control(id);
    std::vector<std::wstring> items;
    int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = L"";
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

void CorvaneApp::PressSheetButton(int button) {
    PostMessageW(Sheet(), PSM_PRESSBUTTON, button, 0);
}

HWND CorvaneApp::WaitForMessageBox(DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : DialogWindowsOf(m_process.Id())) {
                if (hwnd != m_sheet && !IsSheet(hwnd) && GetDlgItem(hwnd, 0xFFFF) &&
                    IsWindowVisible(hwnd)) {
                    box = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return box;
}

bool CorvaneApp::HasMessageBox() {
    return WaitForMessageBox(0) != nullptr;
}

std::wstring CorvaneApp::MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

void CorvaneApp::AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (button)
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    else
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

std::wstring CorvaneApp::TakeMessageBox(int buttonId, DWORD timeoutMs) {
    HWND box = WaitForMessageBox(timeoutMs);
    if (!box)
        return L"<no message box>";
    std::wstring text = MessageBoxText(box);
    AnswerMessageBox(box, buttonId);
    WaitUntil([&] { return !IsWindow(box); }, 5000);
    return text;
}

void CorvaneApp::Settle() {
    // A sent message is handled only after everything posted before it.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Sheet(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

} // namespace testing_support
