// The resources of the shipped corvane.exe: every string the program shows, every control of its
// three page templates in tab order with class, text, id, style and place, its icon and manifest.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string.h>

#include "support/TestSupport.h"
#include "version.h"

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

    HMODULE module = nullptr;
};

// One control of a dialog template, in template (and so tab) order. The style leaves out
// WS_CHILD | WS_VISIBLE, which every control must have.
struct Control {
    std::wstring className, text;
    int id;
    DWORD style;
    short x, y, cx, cy;
    bool operator==(const Control&) const = default;
};

void PrintTo(const Control& c, std::ostream* os) {
    *os << ToUtf8(c.className + L" \"" + c.text + L"\" ") << c.id << " 0x" << std::hex << c.style
        << std::dec << " " << c.x << "," << c.y << "," << c.cx << "," << c.cy;
}

struct Dialog {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption, font;
    WORD pointSize = 0;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX: the header, the font and every control with its class and text.
Dialog ParseDialogTemplate(const BYTE* data) {
    size_t at = 0;
    auto get = [&]<class T>(T value) {
        memcpy(&value, data + at, sizeof value);
        at += sizeof value;
        return value;
    };
    auto text = [&] {
        std::wstring result;
        for (WORD c; (c = get(WORD())) != 0;)
            result += static_cast<wchar_t>(c);
        return result;
    };
    // A text, or 0xFFFF and an ordinal (#n). Class names in capitals, by ordinal or by name.
    auto textOrOrdinal = [&](bool isClass) -> std::wstring {
        if (data[at] != 0xFF || data[at + 1] != 0xFF) {
            std::wstring result = text();
            if (isClass)
                CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
            return result;
        }
        at += 2;
        WORD ordinal = get(WORD());
        const wchar_t* classes[] = {L"BUTTON",  L"EDIT",      L"STATIC",
                                    L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
        return isClass && ordinal >= 0x80 && ordinal <= 0x85 ? classes[ordinal - 0x80]
                                                             : L"#" + std::to_wstring(ordinal);
    };
    Dialog dialog;
    EXPECT_EQ(get(DWORD()), 0xFFFF0001u) << "not an extended template";
    at += 8; // help id, extended style
    dialog.style = get(DWORD());
    WORD count = get(WORD());
    at += 4; // x, y
    dialog.cx = get(short());
    dialog.cy = get(short());
    textOrOrdinal(false); // menu
    textOrOrdinal(false); // class
    dialog.caption = text();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = get(WORD());
        at += 4; // weight, italic, character set
        dialog.font = text();
    }
    for (WORD i = 0; i < count; ++i) {
        at = ((at + 3) & ~size_t(3)) + 8; // help id, extended style
        Control c;
        c.style = get(DWORD());
        EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE));
        c.style &= ~(WS_CHILD | WS_VISIBLE);
        c.x = get(short());
        c.y = get(short());
        c.cx = get(short());
        c.cy = get(short());
        c.id = static_cast<int>(get(DWORD()));
        c.className = textOrOrdinal(true);
        c.text = textOrOrdinal(false);
        at += get(WORD()); // creation data
        dialog.controls.push_back(c);
    }
    return dialog;
}

} // namespace

TEST_F(CorvaneResources, TheTextNoOtherTestBringsUp) {
    // Every other string is read where the program shows it.
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, 115, reinterpret_cast<LPWSTR>(&text), 0);
    EXPECT_EQ(std::wstring(text, length), L"Not enough memory to complete the operation.");
}

TEST_F(CorvaneResources, PageTemplatesHoldTheirControlsInTabOrder) {
    const short kStatic = -1;
    const struct {
        int id;
        const wchar_t* caption;
        short height;
        std::vector<Control> controls;
    } templates[] = {
        {107,
         L"Debugger",
         219,
         {
             {L"COMBOBOX", L"", 1000, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7, 7, 164, 108},
             {L"BUTTON", L"&Configure...", 1001, WS_TABSTOP, 179, 7, 50, 14},
             {L"BUTTON", L"Program Information", kStatic, BS_GROUPBOX | WS_GROUP, 7, 27, 233, 121},
             {L"STATIC", L"&Executable path:", kStatic, WS_GROUP, 21, 43, 56, 8},
             {L"EDIT", L"", 1002, ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 21, 54,
              150, 14},
             {L"BUTTON", L"&Browse...", 1004, WS_TABSTOP, 179, 53, 50, 14},
             {L"STATIC", L"&Parameters:", kStatic, WS_GROUP, 21, 75, 40, 8},
             {L"EDIT", L"", 1003, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 21, 86, 150, 14},
             {L"BUTTON", L"&Default", 1005, WS_TABSTOP, 179, 86, 50, 14},
             {L"BUTTON", L"Auto-&select", 1006, BS_AUTOCHECKBOX | WS_TABSTOP, 21, 104, 53, 10},
             {L"BUTTON", L"Also for &32-bit programs", 1011, BS_AUTOCHECKBOX | WS_TABSTOP, 21, 118,
              100, 10},
             // What 32-bit programs use, cut in the middle of the path to fit.
             {L"STATIC", L"", 1012, SS_NOPREFIX | SS_PATHELLIPSIS | SS_NOTIFY | WS_GROUP, 33, 130,
              196, 8},
             {L"BUTTON", L"Test", kStatic, BS_GROUPBOX, 7, 150, 233, 62},
             {L"BUTTON", L"B&reak...", 1009, WS_TABSTOP, 179, 166, 50, 14},
             {L"BUTTON", L"Brea&k 32-bit...", 1013, WS_TABSTOP, 169, 184, 60, 14},
             {L"STATIC",
              L"Click the Break button to throw an exception and test the current debugger "
              L"configuration.",
              kStatic, WS_GROUP, 20, 166, 157, 16},
         }},
        {131,
         L"Windows Error Reporting",
         111,
         {
             {L"BUTTON", L"&Enable Windows Error Reporting.", 1007, BS_AUTOCHECKBOX | WS_TABSTOP,
              20, 41, 122, 10},
             {L"BUTTON", L"Options", kStatic, BS_GROUPBOX, 7, 7, 233, 97},
             {L"BUTTON", L"&Force report queueing.", 1008, BS_AUTOCHECKBOX | WS_TABSTOP, 20, 56,
              102, 10},
             {L"BUTTON", L"&Open report folder...", 1009, WS_TABSTOP, 20, 77, 100, 14},
             {L"STATIC", L"Note: the options below take effect as soon as they are toggled.",
              kStatic, WS_GROUP, 20, 25, 213, 8},
         }},
        {132,
         L"About",
         139,
         {
             {L"BUTTON", L"Corvane", 1010, BS_GROUPBOX, 7, 7, 233, 124},
             {L"STATIC", L"#128", kStatic, SS_ICON, 20, 30, 20, 20},
             {L"STATIC",
              L"Changes the default debugger used by the system to create the crash dumps and "
              L"the log files.",
              kStatic, WS_GROUP, 55, 30, 178, 24},
             {L"STATIC", L"<version>", 1008, WS_GROUP, 55, 58, 175, 8},
             {L"STATIC", L"<copyright>", 1016, WS_GROUP | WS_TABSTOP, 55, 68, 175, 8},
             {L"STATIC", L"All rights reserved.", kStatic, WS_GROUP, 55, 78, 175, 8},
             {L"STATIC", L"For updates and other programs, please take a look at my website:",
              kStatic, WS_GROUP, 55, 93, 178, 16},
             {L"STATIC", L"" CORVANE_HOMEPAGE_TEXT, 1018, WS_GROUP, 65, 112, 56, 8},
         }},
    };
    for (const auto& t : templates) {
        SCOPED_TRACE(t.id);
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(t.id), RT_DIALOG);
        ASSERT_NE(resource, nullptr);
        Dialog dialog = ParseDialogTemplate(
            static_cast<const BYTE*>(LockResource(LoadResource(module, resource))));
        EXPECT_EQ(dialog.caption, t.caption);
        EXPECT_EQ(dialog.style, 0x48C00048u); // child, disabled, caption, set font, fixed sys
        EXPECT_EQ(dialog.font, L"MS Shell Dlg");
        EXPECT_EQ(dialog.pointSize, 8);
        EXPECT_EQ(dialog.cx, 247);
        EXPECT_EQ(dialog.cy, t.height);
        EXPECT_EQ(dialog.controls, t.controls);
    }
}

TEST_F(CorvaneResources, IconAndManifest) {
    // The group: the two 32 x 32 images in 2 and 16 colours first, then 32-bit images with alpha
    // for the sizes Windows asks for (the 256 one stored as PNG). Each image must decode.
    HRSRC icon = FindResourceW(module, MAKEINTRESOURCEW(128), RT_GROUP_ICON);
    ASSERT_NE(icon, nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(module, icon)));
    const std::pair<int, WORD> images[] = {{32, 1},  {32, 4},  {16, 32}, {24, 32},
                                           {32, 32}, {48, 32}, {256, 32}};
    ASSERT_EQ(group[4], std::size(images));
    for (size_t i = 0; i < std::size(images); ++i) {
        SCOPED_TRACE(i);
        const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY, packed
        auto [size, bits] = images[i];
        EXPECT_EQ(entry[0] == 0 ? 256 : entry[0], size);
        EXPECT_EQ(entry[6], bits);
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry[12] | entry[13] << 8), RT_ICON);
        ASSERT_NE(image, nullptr);
        BYTE* data = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
        EXPECT_EQ(size == 256, memcmp(data, "\x89PNG", 4) == 0);
        HICON decoded = CreateIconFromResourceEx(data, SizeofResource(module, image), TRUE,
                                                 0x00030000, size, size, 0);
        EXPECT_NE(decoded, nullptr);
        DestroyIcon(decoded);
    }
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                     SizeofResource(module, manifest));
    for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                             "processorArchitecture=\"amd64\"",
                             "level=\"asInvoker\" uiAccess=\"false\"", ">true</dpiAware>"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}
