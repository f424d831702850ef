// The elevation gate in this process, with the real token calls: what it reads from the token,
// and what a refused prompt leaves behind (the last error, no hook).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "privileges/Elevation.h"
#include "privileges/MessageBoxes.h"
#include "resources/resource.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {
// Makes the calling thread act with a token whose Administrators group is deny-only.
class ImpersonateStandardUser {
public:
    ImpersonateStandardUser() {
        HANDLE primary = CreateStandardUserToken();
        if (primary && DuplicateToken(primary, SecurityImpersonation, &m_token))
            m_active = SetThreadToken(nullptr, m_token) != FALSE;
        if (primary)
            CloseHandle(primary);
    }
    ~ImpersonateStandardUser() {
        RevertToSelf();
        if (m_token)
            CloseHandle(m_token);
    }
    bool active() const { return m_active; }

private:
    HANDLE m_token = nullptr;
    bool m_active = false;
};

// Answers the first message box of `thread` with `button`, noting its text and whether the
// shield hook was installed while it was up.
struct BoxAnswerer {
    DWORD thread;
    int button;
    std::wstring text;
    std::atomic<bool> hookWhileUp{false};
    std::atomic<bool> answered{false};

    void Run() {
        WaitUntil(
            [&] {
                HWND found = nullptr;
                EnumThreadWindows(
                    thread,
                    [](HWND hwnd, LPARAM lParam) -> BOOL {
                        wchar_t name[16] = L"";
                        GetClassNameW(hwnd, name, 16);
                        if (std::wstring(name) == L"#32770" && GetDlgItem(hwnd, 0xFFFF) &&
                            IsWindowVisible(hwnd)) {
                            *reinterpret_cast<HWND*>(lParam) = hwnd;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&found));
                if (!found)
                    return false;
                hookWhileUp = GetShieldHook() != nullptr;
                wchar_t buffer[1024] = L"";
                GetWindowTextW(GetDlgItem(found, 0xFFFF), buffer, 1024);
                text = buffer;
                PostMessageW(found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(found, button)));
                answered = true;
                return true;
            },
            10000);
    }
};
} // namespace

TEST(ElevationGate, ReadsTheProcessToken) {
    EXPECT_TRUE(QueryElevation(nullptr, nullptr));
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    BOOL admin = FALSE;
    ASSERT_TRUE(QueryElevation(&type, &admin));
    // The test runs as an elevated administrator, as Wine gives every process.
    EXPECT_EQ(type, TokenElevationTypeFull);
    EXPECT_TRUE(admin);

    // The linked token of an administrator is a member as well.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BOOL member = FALSE;
    EXPECT_TRUE(IsLinkedTokenAdmin(token, &member));
    EXPECT_TRUE(member);
    CloseHandle(token);

    {
        ImpersonateStandardUser standard;
        ASSERT_TRUE(standard.active());
        member = TRUE;
        EXPECT_TRUE(IsCurrentTokenAdmin(&member));
        EXPECT_FALSE(member);
    }
    member = FALSE;
    EXPECT_TRUE(IsCurrentTokenAdmin(&member));
    EXPECT_TRUE(member);
}

TEST(ElevationGate, RefusedPromptAnswersCancelledAndRemovesItsHook) {
    ImpersonateStandardUser standard;
    ASSERT_TRUE(standard.active());
    BoxAnswerer answerer{GetCurrentThreadId(), IDCANCEL, {}};
    std::thread watcher([&] { answerer.Run(); });
    SetLastError(ERROR_SUCCESS);
    bool result = RequireElevation(IDS_ELEVATION_PROMPT);
    DWORD error = GetLastError();
    watcher.join();
    ASSERT_TRUE(answerer.answered);
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_EQ(answerer.text,
              L"This task requires the application to have elevated permissions. Click "
              L"Retry to restart under different credentials or Cancel to abort.");
    // The shield hook lives exactly as long as the prompt.
    EXPECT_TRUE(answerer.hookWhileUp);
    EXPECT_EQ(GetShieldHook(), nullptr);
}
