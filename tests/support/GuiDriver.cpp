#include "support/GuiDriver.h"

namespace testing_support {

const wchar_t kElevationPrompt[] =
    L"[information] This task requires the application to have elevated permissions. Click Retry "
    L"to restart under different credentials or Cancel to abort.";

std::wstring WindowText(HWND hwnd) {
    wchar_t text[4096] = L"";
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
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
            if (owner == s->pid && GetClassLongW(hwnd, GCW_ATOM) == 32770) // "#32770"
                s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {
// The icon a message box shows, read from the screen: MB_ICONERROR, MB_ICONWARNING,
// MB_ICONINFORMATION, or 0 for none of them.
UINT ShownIcon(HWND box) {
    HWND icon = nullptr;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = c;
    RECT rect;
    if (!icon || !GetWindowRect(icon, &rect))
        return 0;
    const int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // The bitmap's pixels once drawn, with the icon of that id on white or black.
    auto pixels = [&](LPCWSTR id, bool white) {
        if (id) {
            PatBlt(dc, 0, 0, size, size, white ? WHITENESS : BLACKNESS);
            DrawIconEx(dc, 0, 0, LoadIconW(nullptr, id), size, size, 0, nullptr, DI_NORMAL);
        }
        std::vector<COLORREF> all;
        for (int i = 0; i < size * size; ++i)
            all.push_back(GetPixel(dc, i % size, i / size));
        return all;
    };
    BitBlt(dc, 0, 0, size, size, screen, rect.left, rect.top, SRCCOPY);
    const std::vector<COLORREF> shown = pixels(nullptr, false);
    UINT found = 0;
    for (auto [flag, id] : {std::pair{MB_ICONERROR, IDI_ERROR},
                            {MB_ICONWARNING, IDI_WARNING},
                            {MB_ICONINFORMATION, IDI_INFORMATION}}) {
        // The icon's opaque pixels are those it draws alike on black and on white.
        const auto black = pixels(id, false), white = pixels(id, true);
        size_t opaque = 0, same = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            if (black[i] == white[i])
                ++opaque, same += black[i] == shown[i];
        if (opaque > 0 && same == opaque)
            found = flag;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return found;
}

bool IsSheet(HWND hwnd) {
    return WindowText(hwnd) == L"Corvane" &&
           FindWindowExW(hwnd, nullptr, L"SysTabControl32", nullptr) != nullptr;
}
} // namespace

bool CorvaneApp::Start(const std::wstring& arguments, HANDLE token, const std::wstring& exe) {
    m_sheet = nullptr;
    return m_process.Start(exe.empty() ? BinPath(L"corvane.exe") : exe, arguments, token) &&
           WaitUntil([&] { return Sheet() != nullptr && IsWindowVisible(Sheet()); }, 15000);
}

HWND CorvaneApp::Sheet() {
    if (m_sheet && IsWindow(m_sheet))
        return m_sheet;
    m_sheet = nullptr;
    for (HWND hwnd : DialogWindowsOf(m_process.Id()))
        if (IsSheet(hwnd))
            m_sheet = hwnd;
    return m_sheet;
}

std::wstring ToolTipText(HWND control) {
    DWORD pid = 0;
    GetWindowThreadProcessId(control, &pid);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    // The record and its text buffer must lie in the program's memory, for its tooltip to fill.
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    auto* remote = static_cast<BYTE*>(
        process ? VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                : nullptr);
    wchar_t text[1024] = L"";
    tool.lpszText = reinterpret_cast<wchar_t*>(remote + 1024);
    for (HWND tip = nullptr;
         remote && !text[0] && (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));) {
        DWORD owner = 0;
        if (!GetWindowThreadProcessId(tip, &owner) || owner != pid)
            continue;
        WriteProcessMemory(process, remote, &tool, sizeof(tool), nullptr);
        WriteProcessMemory(process, tool.lpszText, text, sizeof(wchar_t), nullptr);
        SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, tool.lpszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
    return text;
}

bool CorvaneApp::IsApplyEnabled() {
    HWND apply = SheetButton(0x3021); // the sheet's Apply button
    return apply && IsWindowEnabled(apply);
}

void CorvaneApp::SetEditText(int id, const std::wstring& text) {
    // WM_SETTEXT makes the edit send EN_UPDATE and EN_CHANGE to the page, as typing does.
    SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

void CorvaneApp::Choose(int id, int index) {
    SendMessageTimeoutW(Control(id), CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutW(CurrentPage(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(Control(id)), SMTO_ABORTIFHUNG, 5000, nullptr);
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

HWND CorvaneApp::WaitForMessageBox(DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : DialogWindowsOf(m_process.Id()))
                if (hwnd != m_sheet && !IsSheet(hwnd) && GetDlgItem(hwnd, 0xFFFF) &&
                    IsWindowVisible(hwnd))
                    box = hwnd;
            return box != nullptr;
        },
        timeoutMs);
    return box;
}

std::wstring CorvaneApp::MessageBoxText(HWND box) {
    // A box may be up before it is painted: wait a moment for its icon.
    UINT icon = 0;
    WaitUntil([&] { return (icon = ShownIcon(box)) != 0; }, 2000);
    const wchar_t* name = icon == MB_ICONERROR         ? L"[error] "
                          : icon == MB_ICONWARNING     ? L"[warning] "
                          : icon == MB_ICONINFORMATION ? L"[information] "
                                                       : L"";
    return name + WindowText(GetDlgItem(box, 0xFFFF));
}

void CorvaneApp::AnswerMessageBox(HWND box, int buttonId) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
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
