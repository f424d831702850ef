// The elevation gate in this process with a real restricted token: a refused prompt answers
// "cancelled" and leaves no hook behind.
#include <gtest/gtest.h>

#include <thread>

#include "framework/ElevationPrompt.h"
#include "framework/MessageBoxes.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"

using namespace testing_support;

TEST(ElevationGate, RefusedPromptAnswersCancelledAndRemovesItsHook) {
    HANDLE primary = CreateStandardUserToken(), token = nullptr;
    ASSERT_TRUE(primary && DuplicateToken(primary, SecurityImpersonation, &token));
    ASSERT_TRUE(SetThreadToken(nullptr, token));
    bool hookWhileUp = false;
    std::thread answerer([&] {
        WaitUntil([&] {
            for (HWND box : DialogWindowsOf(GetCurrentProcessId())) {
                if (GetDlgItem(box, 0xFFFF) && IsWindowVisible(box)) {
                    hookWhileUp = GetShieldHook() != nullptr;
                    CorvaneApp::AnswerMessageBox(box, IDCANCEL);
                    return true;
                }
            }
            return false;
        });
    });
    SetLastError(ERROR_SUCCESS);
    bool result = RequireElevation(IDS_ELEVATION_PROMPT);
    DWORD error = GetLastError();
    answerer.join();
    RevertToSelf();
    CloseHandle(token);
    CloseHandle(primary);
    EXPECT_FALSE(result);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CANCELLED));
    // The shield hook lives exactly as long as the prompt.
    EXPECT_TRUE(hookWhileUp);
    EXPECT_EQ(GetShieldHook(), nullptr);
}
