// The program's prompts: real message boxes shown on a thread of the test process, then read
// and answered from the test's own thread.
#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "framework/MessageBoxes.h"
#include "resources/resource.h"
#include "support/GuiDriver.h"

using namespace testing_support;

namespace {

// Shows a box on a thread of its own, as the program's user interface thread would, and answers
// it. Returns the box's icon and text as read (CorvaneApp::MessageBoxText).
std::wstring RunBox(const std::function<void()>& show) {
    std::thread thread(show);
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        box = FindWindowW(L"#32770", L"Corvane");
        return box && IsWindowVisible(box);
    }));
    std::wstring text = CorvaneApp::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    thread.join();
    return text;
}

} // namespace

TEST(PromptBox, ComposedTextAsShown) {
    const std::wstring created =
                           L"[error] An unhandled exception has occurred. The application will "
                           L"close.\n\nA crash dump was created at C:\\100%s\\d.exe.",
                       failed = L"The default debugger cannot be set. An error has occurred while "
                                L"writing to the Registry.",
                       error = L"[error] " + failed;
    const std::tuple<UINT, HRESULT, std::wstring> cases[] = {
        // A percent sign in an argument is shown as it is, never taken as a format again.
        {IDS_CRASH_DUMP_CREATED, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
         created + L"\n\n" + SystemText(ERROR_FILE_NOT_FOUND) + L" (2)"},
        {IDS_WRITE_FAILED, E_FAIL, error + L"\n\n" + SystemText(E_FAIL) + L" (0x80004005)"},
        {IDS_WRITE_FAILED, static_cast<HRESULT>(0xA0BC1234), error + L" (0xA0BC1234)"}, // unknown
        // The icon follows the code: information for none, a warning for a positive one.
        {IDS_WRITE_FAILED, 0, L"[information] " + failed},
        {IDS_WRITE_FAILED, 1, L"[warning] " + failed},
        // -1: the thread's last error at the moment of the call.
        {IDS_WRITE_FAILED, -1, error + L"\n\n" + SystemText(ERROR_ACCESS_DENIED) + L" (5)"},
    };
    for (const auto& [id, error, text] : cases) {
        EXPECT_EQ(RunBox([&] {
                      SetLastError(ERROR_ACCESS_DENIED);
                      // The icon asked for gives way to the one the code calls for.
                      MessageBoxResourceError(id, MB_ICONQUESTION, error, L"C:\\100%s\\d.exe");
                  }),
                  text);
    }
}
