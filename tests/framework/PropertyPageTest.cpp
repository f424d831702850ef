// A page of the framework in a real sheet inside the test program: the sheet's Apply reaches the
// page, with the page's answer, only when it comes from the page's own sheet.
#include <gtest/gtest.h>

#include "framework/PropertyPage.h"
#include "resources/resource.h"
#include "support/PageHost.h"

using namespace testing_support;

namespace {
class ApplyCountingPage : public CPropertyPage {
public:
    ApplyCountingPage() : CPropertyPage(IDD_ABOUT) {}
    bool OnApply() override {
        ++applies;
        return answer;
    }
    int applies = 0;
    bool answer = true;
};
} // namespace

TEST(PropertyPage, AppliesOnlyWhenItsOwnSheetAsks) {
    ApplyCountingPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND dialog = host.Page();
    HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);
    // Sender, the page's answer, then the applies counted and the result the sheet reads. A
    // page that was not asked leaves the result 0, not its refusal.
    const struct {
        HWND from;
        bool answer;
        int applies;
        LONG_PTR result;
    } cases[] = {
        {stranger, false, 0, 0},
        {nullptr, false, 0, 0},
        {host.sheet, true, 1, PSNRET_NOERROR},
        {host.sheet, false, 2, PSNRET_INVALID_NOCHANGEPAGE},
    };
    for (const auto& c : cases) {
        page.answer = c.answer;
        NMHDR header = {c.from, 0, PSN_APPLY};
        SendMessageW(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        EXPECT_EQ(page.applies, c.applies);
        EXPECT_EQ(GetWindowLongPtrW(dialog, DWLP_MSGRESULT), c.result);
    }
    DestroyWindow(stranger);
}
