// The program's prompts: system texts of failure codes, and real message boxes shown on a
// thread of the test process, then read and answered from the test's own thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "privileges/MessageBoxes.h"
#include "resources/resource.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::wstring Str(const CString& text) {
    return std::wstring(text.GetString(), text.GetLength());
}

// The system's own text for a Win32 error, without its line break.
std::wstring SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[2048] = {};
    GetWindowTextW(hwnd, text, 2048);
    return text;
}

// One message box, shown by the given call on a thread of its own as the program's user
// interface thread would show it; the test finds it, reads it and answers it.
class BoxOnThread {
public:
    explicit BoxOnThread(std::function<int()> show)
        : m_thread([this, show] {
              m_threadId = GetCurrentThreadId();
              m_result = show();
              m_done = true;
          }) {}
    ~BoxOnThread() {
        if (m_thread.joinable()) {
            if (HWND box = Find())
                PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            m_thread.join();
        }
    }

    // The box once it is shown, or null when none came up.
    HWND Find(DWORD timeoutMs = 10000) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                if (m_threadId == 0)
                    return false;
                EnumThreadWindows(
                    m_threadId,
                    [](HWND hwnd, LPARAM param) -> BOOL {
                        wchar_t name[16] = {};
                        GetClassNameW(hwnd, name, 16);
                        if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd) ||
                            !GetDlgItem(hwnd, 0xFFFF))
                            return TRUE;
                        *reinterpret_cast<HWND*>(param) = hwnd;
                        return FALSE;
                    },
                    reinterpret_cast<LPARAM>(&found));
                return found != nullptr || m_done;
            },
            timeoutMs);
        return found;
    }

    // Presses a button and waits for the call to return its result.
    int Answer(HWND box, int button) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        m_thread.join();
        return m_result;
    }

private:
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_done{false};
    int m_result = 0;
    std::thread m_thread;
};

// What a shown box told the user.
struct Shown {
    std::wstring caption;
    std::wstring text;
    HICON icon = nullptr;
    bool iconVisible = false;
};

Shown Read(HWND box) {
    Shown shown;
    shown.caption = WindowText(box);
    shown.text = WindowText(GetDlgItem(box, 0xFFFF));
    // The icon static of the system's message box.
    HWND icon = GetDlgItem(box, 0x0440);
    if (icon) {
        shown.icon = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
        shown.iconVisible = IsWindowVisible(icon) != FALSE;
    }
    return shown;
}

// Shows a box with the given call, answers it with OK and returns what it showed.
Shown ShowAndRead(std::function<int()> show) {
    BoxOnThread thread(show);
    HWND box = thread.Find();
    EXPECT_NE(box, nullptr);
    if (!box)
        return {};
    Shown shown = Read(box);
    EXPECT_EQ(thread.Answer(box, IDOK), IDOK);
    return shown;
}

HICON SystemIcon(LPCWSTR id) {
    return LoadIconW(nullptr, id);
}

// Counts the shield requests that reach the buttons of a shown box.
std::atomic<int> g_shieldRequests[8];
WNDPROC g_buttonProc = nullptr;

LRESULT CALLBACK CountingButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BCM_SETSHIELD && lParam) {
        int id = GetDlgCtrlID(hwnd);
        if (id >= 0 && id < 8)
            ++g_shieldRequests[id];
    }
    return CallWindowProcW(g_buttonProc, hwnd, message, wParam, lParam);
}

void CountShieldRequests(HWND button) {
    g_buttonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingButtonProc)));
}

// Takes the activation away from the box and gives it back, as a user switching windows does.
void Reactivate(HWND box) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    WaitUntil([&] { return GetForegroundWindow() == other; }, 2000);
    SetForegroundWindow(box);
    WaitUntil([&] { return GetForegroundWindow() == box; }, 2000);
    DestroyWindow(other);
}

} // namespace

TEST(ErrorText, DescribesFailureCodes) {
    CString text(L"left over");
    GetErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), text);
    ASSERT_FALSE(SystemText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_EQ(Str(text), SystemText(ERROR_FILE_NOT_FOUND) + L" (2)");

    // Successes and codes the system does not know get no text, whatever the text held.
    for (HRESULT code : {S_OK, static_cast<HRESULT>(1), static_cast<HRESULT>(0xA0BC1234),
                         static_cast<HRESULT>(0x80040200)}) {
        SCOPED_TRACE(code);
        text = L"left over";
        GetErrorText(code, text);
        EXPECT_TRUE(text.IsEmpty());
    }

    // A code of another facility that the system describes ends with the whole code in hex.
    std::wstring generic = SystemText(static_cast<DWORD>(E_FAIL));
    ASSERT_FALSE(generic.empty());
    GetErrorText(E_FAIL, text);
    EXPECT_EQ(Str(text), generic + L" (0x80004005)");

    // The system's texts lose their trailing line breaks and blanks; inserts stay as they are.
    ASSERT_TRUE(FormatSystemMessage(ERROR_ACCESS_DENIED, nullptr, text));
    EXPECT_EQ(Str(text), SystemText(ERROR_ACCESS_DENIED));
    EXPECT_NE(text[text.GetLength() - 1], L'\n');
    text = L"kept";
    EXPECT_FALSE(FormatSystemMessage(0xA0BC1234, nullptr, text));
    EXPECT_EQ(Str(text), L"kept");
    EXPECT_FALSE(GetCustomErrorText(E_FAIL, text));
    EXPECT_EQ(Str(text), L"kept");
}

TEST(ErrorText, LastErrorAsFailureCode) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(HResultFromLastError(), static_cast<HRESULT>(0x80070005));
    SetLastError(0x12345);
    EXPECT_EQ(HResultFromLastError(), static_cast<HRESULT>(0x80072345));
    SetLastError(0);
    EXPECT_EQ(HResultFromLastError(), 0);
    SetLastError(static_cast<DWORD>(E_ACCESSDENIED));
    EXPECT_EQ(HResultFromLastError(), E_ACCESSDENIED);
}

TEST(PromptBox, ComposedTextAndIconAsShown) {
    const std::wstring fileNotFound = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(fileNotFound.empty());

    // A wrapped Win32 code: a blank line, the system text and the number in decimal.
    Shown shown = ShowAndRead([] {
        return MessageBoxError(L"Cannot start %s.", MB_OK | MB_ICONINFORMATION,
                               HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"C:\\100%s\\d.exe");
    });
    EXPECT_EQ(shown.caption, L"Corvane");
    EXPECT_EQ(shown.text, L"Cannot start C:\\100%s\\d.exe.\n\n" + fileNotFound + L" (2)");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_ERROR));

    // An unknown failure code: the code in hex right after the message.
    shown = ShowAndRead(
        [] { return MessageBoxError(L"Failed.", MB_OK, static_cast<HRESULT>(0xA0BC1234)); });
    EXPECT_EQ(shown.text, L"Failed. (0xA0BC1234)");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_ERROR));
    shown = ShowAndRead(
        [] { return MessageBoxError(L"Failed.", MB_OK, static_cast<HRESULT>(0x80040200)); });
    EXPECT_EQ(shown.text, L"Failed. (0x80040200)");

    // 0 and 1 describe nothing; they choose the information and the warning icon.
    shown = ShowAndRead([] { return MessageBoxError(L"Done 100%%.", MB_OK | MB_ICONERROR, 0); });
    EXPECT_EQ(shown.text, L"Done 100%.");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_INFORMATION));
    shown = ShowAndRead([] { return MessageBoxError(L"Partly.", MB_OK, 1); });
    EXPECT_EQ(shown.text, L"Partly.");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_WARNING));

    // -1: the thread's last error at the moment of the call.
    shown = ShowAndRead([] {
        SetLastError(ERROR_ACCESS_DENIED);
        return MessageBoxResourceError(IDS_OUT_OF_MEMORY, MB_OK, -1);
    });
    EXPECT_EQ(shown.text, L"Not enough memory to complete the operation.\n\n" +
                              SystemText(ERROR_ACCESS_DENIED) + L" (5)");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_ERROR));
    shown = ShowAndRead([] {
        SetLastError(0);
        return MessageBoxError(L"Nothing wrong.", MB_OK, -1);
    });
    EXPECT_EQ(shown.text, L"Nothing wrong.");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_INFORMATION));

    // A percent sign in an argument is shown as it is, never taken as a format again.
    shown = ShowAndRead([] {
        return MessageBoxResource(IDS_CRASH_DUMP_CREATED, MB_ICONERROR, L"C:\\50%d %s\\x.mdmp");
    });
    EXPECT_EQ(shown.text, L"An unhandled exception has occurred. The application will close.\n\n"
                          L"A crash dump was created at C:\\50%d %s\\x.mdmp.");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_ERROR));

    // Without an icon flag the box shows none.
    shown = ShowAndRead([] { return MessageBoxFormat(L"%d%%", MB_OK, 42); });
    EXPECT_EQ(shown.text, L"42%");
    EXPECT_EQ(shown.icon, nullptr);
}

TEST(PromptBox, ShieldHookLivesOnlyWhileTheBoxIsUp) {
    ASSERT_EQ(GetShieldHook(), nullptr);
    BoxOnThread thread([] {
        return MessageBoxResource(IDS_ELEVATION_PROMPT,
                                  MB_SHIELD | MB_ICONINFORMATION | MB_RETRYCANCEL);
    });
    HWND box = thread.Find();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetShieldHook(), nullptr);
    Shown shown = Read(box);
    EXPECT_EQ(shown.text,
              L"This task requires the application to have elevated permissions. "
              L"Click Retry to restart under different credentials or Cancel to abort.");
    EXPECT_EQ(shown.icon, SystemIcon(IDI_INFORMATION));
    // The program's own flag never reaches the box: a Retry/Cancel box, nothing else.
    EXPECT_NE(GetDlgItem(box, IDRETRY), nullptr);
    EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);

    // Each activation of the box marks Retry, and only Retry, with the shield.
    for (auto& count : g_shieldRequests)
        count = 0;
    CountShieldRequests(GetDlgItem(box, IDRETRY));
    CountShieldRequests(GetDlgItem(box, IDCANCEL));
    Reactivate(box);
    EXPECT_TRUE(WaitUntil([] { return g_shieldRequests[IDRETRY] > 0; }, 3000));
    EXPECT_EQ(g_shieldRequests[IDCANCEL], 0);

    EXPECT_EQ(thread.Answer(box, IDRETRY), IDRETRY);
    EXPECT_EQ(GetShieldHook(), nullptr);

    // An error box takes the shield the same way, and drops the hook once answered.
    BoxOnThread errorThread(
        [] { return MessageBoxError(L"Try again?", MB_SHIELD | MB_YESNO, E_ACCESSDENIED); });
    box = errorThread.Find();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetShieldHook(), nullptr);
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_EQ(errorThread.Answer(box, IDNO), IDNO);
    EXPECT_EQ(GetShieldHook(), nullptr);
}
