// The resources of the shipped corvane.exe: every string the program shows, and the controls of
// its three page templates at their ids, with their texts, classes and styles.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

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

    std::wstring String(UINT id) {
        const wchar_t* text = nullptr;
        int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        return length > 0 ? std::wstring(text, length) : L"<missing>";
    }

    HMODULE module = nullptr;
};

struct ControlExpectation {
    int id;
    const wchar_t* className;
    const wchar_t* text; // null: any non-empty text
    DWORD styleBits;     // must all be set
    short x, y, cx, cy;  // dialog units
};

// One control of an extended dialog template, as the resource stores it.
struct TemplateItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;
    std::wstring text;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption, font;
    WORD pointSize = 0;
    std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX: the header, the font and every item with its class and text.
DialogTemplate ParseDialogTemplate(const BYTE* data) {
    auto word = [&](size_t& at) {
        WORD w;
        memcpy(&w, data + at, 2);
        at += 2;
        return w;
    };
    auto dword = [&](size_t& at) {
        DWORD d;
        memcpy(&d, data + at, 4);
        at += 4;
        return d;
    };
    auto text = [&](size_t& at) {
        std::wstring result;
        for (WORD c; (c = word(at)) != 0;)
            result += static_cast<wchar_t>(c);
        return result;
    };
    auto sizeOrOrdinal = [&](size_t& at) -> std::wstring {
        size_t peek = at;
        WORD first = word(peek);
        if (first == 0) {
            at = peek;
            return L"";
        }
        if (first == 0xFFFF) {
            WORD ordinal = word(peek);
            at = peek;
            static const wchar_t* names[] = {L"Button",  L"Edit",      L"Static",
                                             L"ListBox", L"ScrollBar", L"ComboBox"};
            if (ordinal >= 0x80 && ordinal <= 0x85)
                return names[ordinal - 0x80];
            return L"#" + std::to_wstring(ordinal);
        }
        return text(at);
    };
    DialogTemplate result;
    size_t at = 0;
    word(at); // version
    EXPECT_EQ(word(at), 0xFFFF) << "not an extended template";
    dword(at); // help id
    dword(at); // extended style
    result.style = dword(at);
    WORD count = word(at);
    word(at);
    word(at);
    result.cx = static_cast<short>(word(at));
    result.cy = static_cast<short>(word(at));
    sizeOrOrdinal(at); // menu
    sizeOrOrdinal(at); // class
    result.caption = text(at);
    if (result.style & DS_SETFONT) {
        result.pointSize = word(at);
        word(at);
        at += 2; // italic, charset
        result.font = text(at);
    }
    for (WORD i = 0; i < count; ++i) {
        at = (at + 3) & ~size_t(3);
        TemplateItem item;
        dword(at); // help id
        dword(at); // extended style
        item.style = dword(at);
        item.x = static_cast<short>(word(at));
        item.y = static_cast<short>(word(at));
        item.cx = static_cast<short>(word(at));
        item.cy = static_cast<short>(word(at));
        item.id = static_cast<int>(dword(at));
        item.className = sizeOrOrdinal(at);
        item.text = sizeOrOrdinal(at);
        WORD extra = word(at);
        at += extra;
        result.items.push_back(item);
    }
    return result;
}

} // namespace

TEST_F(CorvaneResources, StringTableHoldsEveryText) {
    const struct {
        UINT id;
        const wchar_t* text;
    } strings[] = {
        {57344, L"Corvane"},
        {102, L"Visual Studio Just-In-Time Debugger"},
        {103, L"Executable Files (*.exe)|*.exe||"},
        {104, L"Dr. Watson"},
        {105, L"Other debugger..."},
        {106, L"The path to the debugger cannot be empty."},
        {107, L"The debugger parameters cannot be empty."},
        {108, L"The default debugger cannot be set. An error has occurred while writing to the "
              L"Registry."},
        {109, L"A test exception could not be raised because the raise.exe process could not be "
              L"started."},
        {110, L"Tamsel's Home Page"},
        {112, L"The default debugger was successfully set."},
        {115, L"Not enough memory to complete the operation."},
        {119, L"The debugger cannot be configured because the executable file does not exist."},
        {120, L"This task requires the application to have elevated permissions. Click Retry to "
              L"restart under different credentials or Cancel to abort."},
        {121, L"No Debugger"},
        {122, L"An unhandled exception has occurred. The application will close.\n\nA crash dump "
              L"was created at %s."},
        {123, L"An unhandled exception has occurred. The application will close.\n\nA crash dump "
              L"could not be created."},
        {140, L"32-bit programs: %s"},
        {141, L"32-bit programs (auto-select): %s"},
        {142, L"a Debugger value that is not text"},
        {143, L"The debugger was set for 64-bit programs, but not for 32-bit programs. An error "
              L"has occurred while writing to the 32-bit view of the Registry."},
        {49154, L"64-bit"},
        {49361, L"%d.%d (Build %d.%d)"},
        {49362, L"Version %s"},
    };
    for (const auto& s : strings)
        EXPECT_EQ(String(s.id), s.text) << "string " << s.id;
}

TEST_F(CorvaneResources, PageTemplatesHoldTheirControls) {
    const ControlExpectation debuggerPage[] = {
        {1000, L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7, 7, 164, 108},
        {1001, L"Button", L"&Configure...", WS_TABSTOP, 179, 7, 50, 14},
        {1002, L"Edit", L"", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 21, 54, 150,
         14},
        {1004, L"Button", L"&Browse...", WS_TABSTOP, 179, 53, 50, 14},
        {1003, L"Edit", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 21, 86, 150, 14},
        {1005, L"Button", L"&Default", WS_TABSTOP, 179, 86, 50, 14},
        {1006, L"Button", L"Auto-&select", BS_AUTOCHECKBOX | WS_TABSTOP, 21, 104, 53, 10},
        {1011, L"Button", L"Also for &32-bit programs", BS_AUTOCHECKBOX | WS_TABSTOP, 21, 118, 100,
         10},
        // What 32-bit programs use, cut in the middle of the path to fit.
        {1012, L"Static", L"", SS_PATHELLIPSIS | SS_NOPREFIX | SS_NOTIFY, 33, 130, 196, 8},
        {1009, L"Button", L"B&reak...", WS_TABSTOP, 179, 166, 50, 14},
        {1013, L"Button", L"Brea&k 32-bit...", WS_TABSTOP, 169, 184, 60, 14},
    };
    const ControlExpectation werPage[] = {
        {1007, L"Button", L"&Enable Windows Error Reporting.", 0x50010003, 20, 41, 122, 10},
        {1008, L"Button", L"&Force report queueing.", 0x50010003, 20, 56, 102, 10},
        {1009, L"Button", L"&Open report folder...", 0x50010000, 20, 77, 100, 14},
    };
    const ControlExpectation aboutPage[] = {
        {1010, L"Button", L"Corvane", BS_GROUPBOX, 7, 7, 233, 124},
        {1008, L"Static", L"<version>", WS_GROUP, 55, 58, 175, 8},
        {1016, L"Static", L"<copyright>", WS_GROUP | WS_TABSTOP, 55, 68, 175, 8},
        {1018, L"Static", nullptr, WS_GROUP, 65, 112, 56, 8},
    };
    const struct {
        int id;
        const wchar_t* caption;
        short height;
        const ControlExpectation* controls;
        size_t count;
    } templates[] = {
        {107, L"Debugger", 219, debuggerPage, std::size(debuggerPage)},
        {131, L"Windows Error Reporting", 111, werPage, std::size(werPage)},
        {132, L"About", 139, aboutPage, std::size(aboutPage)},
    };

    for (const auto& t : templates) {
        SCOPED_TRACE(t.id);
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(t.id), RT_DIALOG);
        ASSERT_NE(resource, nullptr);
        DialogTemplate dialog = ParseDialogTemplate(
            static_cast<const BYTE*>(LockResource(LoadResource(module, resource))));
        EXPECT_EQ(dialog.caption, t.caption);
        EXPECT_EQ(dialog.style, 0x48C00048u); // child, disabled, caption, set font, fixed sys
        EXPECT_EQ(dialog.font, L"MS Shell Dlg");
        EXPECT_EQ(dialog.pointSize, 8);
        EXPECT_EQ(dialog.cx, 247);
        EXPECT_EQ(dialog.cy, t.height);
        for (size_t i = 0; i < t.count; ++i) {
            const auto& c = t.controls[i];
            SCOPED_TRACE(c.id);
            const TemplateItem* item = nullptr;
            for (const auto& candidate : dialog.items) {
                if (candidate.id == c.id)
                    item = &candidate;
            }
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(_wcsicmp(item->className.c_str(), c.className), 0);
            if (c.text) {
                EXPECT_EQ(item->text, c.text);
            } else {
                EXPECT_FALSE(item->text.empty());
            }
            EXPECT_EQ(item->style & c.styleBits, c.styleBits);
            EXPECT_TRUE(item->style & WS_VISIBLE);
            EXPECT_EQ(item->x, c.x);
            EXPECT_EQ(item->y, c.y);
            EXPECT_EQ(item->cx, c.cx);
            EXPECT_EQ(item->cy, c.cy);
        }
    }
}

TEST_F(CorvaneResources, IconAndManifest) {
    HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(128), RT_GROUP_ICON);
    ASSERT_NE(icon, nullptr);
    // The same compiled resources are linked into this test program: the icon loads.
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128)), nullptr);

    // The group: the two 32 x 32 images in 2 and 16 colours first, then 32-bit images with alpha
    // for the sizes Windows asks for (the 256 one stored as PNG). Each image must decode.
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(module, icon)));
    WORD count;
    memcpy(&count, group + 4, 2);
    const struct {
        int size;
        WORD bits;
    } images[] = {{32, 1}, {32, 4}, {16, 32}, {24, 32}, {32, 32}, {48, 32}, {256, 32}};
    ASSERT_EQ(count, std::size(images));
    for (size_t i = 0; i < std::size(images); ++i) {
        SCOPED_TRACE(i);
        const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY, packed
        WORD bits, id;
        memcpy(&bits, entry + 6, 2);
        memcpy(&id, entry + 12, 2);
        EXPECT_EQ(entry[0] == 0 ? 256 : entry[0], images[i].size);
        EXPECT_EQ(bits, images[i].bits);
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(image, nullptr);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
        DWORD bytes = SizeofResource(module, image);
        if (images[i].size == 256) {
            EXPECT_EQ(memcmp(data, "\x89PNG\r\n\x1a\n", 8), 0);
        } else {
            BITMAPINFOHEADER header;
            memcpy(&header, data, sizeof header);
            EXPECT_EQ(header.biWidth, images[i].size);
            EXPECT_EQ(header.biHeight, 2 * images[i].size); // colour and mask
            EXPECT_EQ(header.biBitCount, images[i].bits);
        }
        HICON decoded = CreateIconFromResourceEx(const_cast<BYTE*>(data), bytes, TRUE, 0x00030000,
                                                 images[i].size, images[i].size, 0);
        EXPECT_NE(decoded, nullptr);
        DestroyIcon(decoded);
    }
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                     SizeofResource(module, manifest));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"amd64\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
}
