// The link control on the About template in a real sheet inside the test program. Opening is
// seen through a copy of the recording helper as the target.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/HyperLink.h"
#include "resources/resource.h"
#include "support/PageHost.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// The About template with only the link bound, counting the clicks the link leaves to it.
class LinkTestPage : public CPropertyPage {
public:
    LinkTestPage() : CPropertyPage(IDD_ABOUT) {}
    CHyperLink link;
    int parentClicks = 0;
    void OnLinkClicked() { ++parentClicks; }
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_ABOUT_LINK, link); }
    MessageTable GetMessageTable() const override {
        static const MessageEntry table[] = {
            OnCommand<&LinkTestPage::OnLinkClicked>(IDC_ABOUT_LINK, STN_CLICKED)};
        return table;
    }
};

} // namespace

TEST(HyperLink, TabAndSpaceOpenTheTargetAndWithoutOneTheParentGetsTheClick) {
    std::wstring target = MakeTempDir(L"corvane link") + L"\\opened.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), target.c_str(), FALSE));
    LinkTestPage page;
    PageHost host;
    ASSERT_TRUE(host.Open(page));
    HWND link = page.link.GetSafeHwnd();
    page.link.SetUrl(target.c_str());

    // The copyright line comes before the link in the tab order.
    SetFocus(GetDlgItem(host.Page(), IDC_ABOUT_COPYRIGHT));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(host.PumpUntil([&] { return GetFocus() == link; }, 5000));
    PostMessageW(link, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(link, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_TRUE(host.PumpUntil([&] { return FileExists(target + L".txt"); }, 20000));
    EXPECT_EQ(page.parentClicks, 0);

    page.link.SetUrl(nullptr);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(host.PumpUntil([&] { return page.parentClicks == 1; }, 5000));
}
