// The resources of the shipped corvane.exe that no page test sees: the manifest's promises (Wine
// neither elevates nor scales), that every icon image decodes, and the keyboard rules of the
// four page templates, checked on the real dialogs the system builds from them.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
class CorvaneResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(BinPath(L"corvane.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { FreeLibrary(module); }
    const BYTE* Data(HRSRC resource) {
        return static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    }
    HMODULE module = nullptr;
};
} // namespace

TEST_F(CorvaneResources, ManifestAndIcon) {
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    std::string text(reinterpret_cast<const char*>(Data(manifest)),
                     SizeofResource(module, manifest));
    for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"amd64\"",
                             "level=\"asInvoker\" uiAccess=\"false\"", ">true</dpiAware>"})
        EXPECT_NE(text.find(part), std::string::npos) << part;

    HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(128), RT_GROUP_ICON);
    ASSERT_NE(icon, nullptr);
    const BYTE* group = Data(icon);
    EXPECT_GE(group[4], 1);
    for (int i = 0; i < group[4]; ++i) {
        const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY, packed
        const int size = entry[0] ? entry[0] : 256;
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry[12] | entry[13] << 8), RT_ICON);
        ASSERT_NE(image, nullptr) << i;
        HICON decoded =
            CreateIconFromResourceEx(const_cast<BYTE*>(Data(image)), SizeofResource(module, image),
                                     TRUE, 0x00030000, size, size, 0);
        EXPECT_NE(decoded, nullptr) << i;
        DestroyIcon(decoded);
    }
}

// Each page built by the system from the shipped template: every control lies inside the page,
// every control a user can operate is reached with Tab, each mnemonic is used once, and a label's
// mnemonic leads to a control that takes the focus.
TEST_F(CorvaneResources, PagesAreWholeAndReachableByKeyboard) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                  nullptr, nullptr);
    for (int id : {107, 131, 132, 133}) {
        SCOPED_TRACE(id);
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
        ASSERT_NE(resource, nullptr);
        // The icon the About page shows comes from this program, which carries the same ones.
        HWND page = CreateDialogIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(Data(resource)), parent,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(page, nullptr);
        RECT client;
        GetClientRect(page, &client);
        std::set<wchar_t> mnemonics;
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const std::wstring text = WindowText(c);
            SCOPED_TRACE(ToUtf8(text));
            RECT r;
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                        r.bottom <= client.bottom);
            const LONG style = GetWindowLongW(c, GWL_STYLE);
            wchar_t className[16] = L"";
            GetClassNameW(c, className, 16);
            const bool label =
                lstrcmpiW(className, L"STATIC") == 0 ||
                (lstrcmpiW(className, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX);
            EXPECT_TRUE(label || (style & WS_TABSTOP));
            const size_t amp = text.find(L'&');
            if (amp == std::wstring::npos || amp + 1 >= text.size())
                continue;
            EXPECT_TRUE(mnemonics.insert(towupper(text[amp + 1])).second);
            if (label) {
                HWND next = GetWindow(c, GW_HWNDNEXT);
                EXPECT_TRUE(next && (GetWindowLongW(next, GWL_STYLE) & WS_TABSTOP));
            }
        }
        DestroyWindow(page);
    }
    DestroyWindow(parent);
}
