#include "DebuggerFiles.h"

#include "TestSupport.h"

namespace testing_support {

StubExecutable::StubExecutable(const std::wstring& dir, const std::wstring& name)
    : m_path(dir + L"\\" + name) {
    DeleteFileW(record().c_str());
    m_ok = CopyFileW(BinPath(L"recorder.exe").c_str(), m_path.c_str(), FALSE) != FALSE;
}

StubExecutable::~StubExecutable() {
    Remove();
    // The stub may still be running for a moment after writing its record.
    WaitUntil([&] { return DeleteFileW(record().c_str()) || !FileExists(record()); }, 5000);
}

bool StubExecutable::Remove() {
    if (!FileExists(m_path))
        return true;
    return WaitUntil([&] { return DeleteFileW(m_path.c_str()) != FALSE; }, 5000);
}

void ChooseItemNow(CorvaneApp& app, int listId, int index) {
    HWND list = app.Control(listId);
    SendMessageTimeoutW(list, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutW(app.CurrentPage(), WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list), SMTO_ABORTIFHUNG, 5000, nullptr);
}

void ClickNow(CorvaneApp& app, int id) {
    SendMessageTimeoutW(app.Control(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}

HWND FocusedWindowOfThread(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!thread || !GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

} // namespace testing_support
