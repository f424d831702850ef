// The version reader against real version resources: libraries built with resources of their
// own, resources written into a library by the test, and the test program's own (the program's).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "about/ModuleVersion.h"
#include "support/TestSupport.h"
#include "version.h"

using namespace testing_support;

namespace {

// One node of a version resource: header, key, value and children, each on 32-bit boundaries.
struct VersionNode {
    std::wstring key;
    WORD type = 1;
    std::vector<BYTE> value;
    WORD valueLength = 0; // as stored: bytes for binary values, characters for text
    std::vector<VersionNode> children;
};

void PadTo4(std::vector<BYTE>& bytes) {
    while (bytes.size() % 4)
        bytes.push_back(0);
}

std::vector<BYTE> Serialize(const VersionNode& node) {
    std::vector<BYTE> bytes(6, 0);
    memcpy(&bytes[2], &node.valueLength, 2);
    memcpy(&bytes[4], &node.type, 2);
    const BYTE* key = reinterpret_cast<const BYTE*>(node.key.c_str());
    bytes.insert(bytes.end(), key, key + (node.key.size() + 1) * sizeof(wchar_t));
    PadTo4(bytes);
    bytes.insert(bytes.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        PadTo4(bytes);
        std::vector<BYTE> childBytes = Serialize(child);
        bytes.insert(bytes.end(), childBytes.begin(), childBytes.end());
    }
    WORD length = static_cast<WORD>(bytes.size());
    memcpy(&bytes[0], &length, 2);
    return bytes;
}

VersionNode Text(const std::wstring& key, const std::wstring& text, bool terminate) {
    VersionNode node{key, 1, {}, 0, {}};
    const BYTE* data = reinterpret_cast<const BYTE*>(text.c_str());
    size_t chars = text.size() + (terminate ? 1 : 0);
    node.value.assign(data, data + chars * sizeof(wchar_t));
    node.valueLength = static_cast<WORD>(chars);
    return node;
}

// A resource whose LegalCopyright value carries no terminator and is followed directly by the
// next value's header, as a damaged or hostile file could have it.
std::vector<BYTE> CraftedResource(DWORD signature) {
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = signature;
    fixed.dwStrucVersion = 0x10000;
    fixed.dwFileVersionMS = MAKELONG(8, 7);
    fixed.dwFileVersionLS = MAKELONG(6, 5);
    VersionNode root{L"VS_VERSION_INFO", 0, {}, sizeof(fixed), {}};
    const BYTE* data = reinterpret_cast<const BYTE*>(&fixed);
    root.value.assign(data, data + sizeof(fixed));

    VersionNode table{L"040904b0", 1, {}, 0, {}};
    // Four characters end on a 32-bit boundary: no padding zeros stop a runaway read.
    table.children.push_back(Text(L"LegalCopyright", L"Ab12", false));
    table.children.push_back(Text(L"Comments", L"Next", true));
    VersionNode strings{L"StringFileInfo", 1, {}, 0, {table}};

    VersionNode translation{L"Translation", 0, {0x09, 0x04, 0xB0, 0x04}, 4, {}};
    VersionNode vars{L"VarFileInfo", 1, {}, 0, {translation}};
    root.children = {strings, vars};
    return Serialize(root);
}

std::wstring WriteVersionResource(const std::wstring& dir, const std::wstring& name,
                                  const std::vector<BYTE>& resource) {
    std::wstring path = dir + L"\\" + name;
    if (!CopyFileW(BinPath(L"ver_none.dll").c_str(), path.c_str(), FALSE))
        return L"";
    HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
    if (!update)
        return L"";
    BOOL ok =
        UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                        const_cast<BYTE*>(resource.data()), static_cast<DWORD>(resource.size()));
    if (!EndUpdateResourceW(update, !ok) || !ok)
        return L"";
    return path;
}

std::wstring Str(const CString& text) {
    return text.GetString();
}

} // namespace

TEST(ModuleVersion, ReadsFixedInfoTranslationAndStrings) {
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromFile(BinPath(L"ver_beta.dll").c_str()));
    EXPECT_EQ(version.dwSignature, static_cast<DWORD>(VS_FFI_SIGNATURE));
    EXPECT_EQ(version.GetMajor(), 2);
    EXPECT_EQ(version.GetMinor(), 0);
    EXPECT_EQ(version.GetBuild(), 5);
    EXPECT_EQ(version.GetRevision(), 1);
    EXPECT_EQ(version.dwProductVersionMS, static_cast<DWORD>(MAKELONG(9, 9)));
    EXPECT_TRUE(version.IsPrerelease());
    EXPECT_EQ(version.dwFileType, static_cast<DWORD>(VFT_DLL));
    // The first translation selects the German Windows-1252 table, not the first table.
    EXPECT_EQ(version.translation.language, 0x0407);
    EXPECT_EQ(version.translation.codePage, 0x04E4);
    EXPECT_EQ(Str(version.QueryString(L"LegalCopyright")),
              L"Copyright (C) 2026 Beta people. All rights reserved.");
    EXPECT_EQ(Str(version.QueryString(L"Comments")), L"100% sure");
    EXPECT_EQ(Str(version.QueryString(L"CompanyName")), L"");

    // Without a translation table the strings come from the 1252 table of the default language.
    CModuleVersion noTable;
    ASSERT_TRUE(noTable.LoadFromFile(BinPath(L"ver_notrans.dll").c_str()));
    EXPECT_EQ(noTable.translation.codePage, 0x04E4);
    EXPECT_EQ(Str(noTable.QueryString(L"LegalCopyright")), L"..Leading dots. Second.");
    EXPECT_EQ(noTable.GetBuild(), 3);
}

TEST(ModuleVersion, FilesWithoutAUsableResourceFail) {
    CModuleVersion none;
    SetLastError(0);
    EXPECT_FALSE(none.LoadFromFile(BinPath(L"ver_none.dll").c_str()));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(Str(none.QueryString(L"LegalCopyright")), L"");
    EXPECT_EQ(none.dwFileVersionMS, 0u);

    CModuleVersion missing;
    EXPECT_FALSE(missing.LoadFromFile((MakeTempDir() + L"\\absent.dll").c_str()));
    EXPECT_NE(GetLastError(), 0u);

    // A resource with a wrong signature is no version resource; the failure carries an error.
    std::wstring dir = MakeTempDir();
    std::wstring bad = WriteVersionResource(dir, L"badsig.dll", CraftedResource(0x12345678));
    ASSERT_FALSE(bad.empty());
    CModuleVersion wrong;
    SetLastError(0);
    EXPECT_FALSE(wrong.LoadFromFile(bad.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST(ModuleVersion, StringReadStopsAtTheValueLength) {
    std::wstring dir = MakeTempDir();
    std::wstring path =
        WriteVersionResource(dir, L"crafted.dll", CraftedResource(VS_FFI_SIGNATURE));
    ASSERT_FALSE(path.empty());
    CModuleVersion version;
    ASSERT_TRUE(version.LoadFromFile(path.c_str()));
    EXPECT_EQ(version.GetMajor(), 7);
    EXPECT_EQ(version.GetRevision(), 6);
    EXPECT_EQ(Str(version.QueryString(L"LegalCopyright")), L"Ab12");
    EXPECT_EQ(Str(version.QueryString(L"Comments")), L"Next");
}

TEST(ModuleVersion, LoadFromModuleFindsTheLoadedFile) {
    HMODULE module = LoadLibraryW(BinPath(L"ver_multi.dll").c_str());
    ASSERT_NE(module, nullptr);
    CModuleVersion version;
    EXPECT_TRUE(version.LoadFromModule(L"ver_multi.dll"));
    EXPECT_EQ(version.GetMajor(), 10);
    EXPECT_EQ(version.GetBuild(), 3000);
    FreeLibrary(module);

    CModuleVersion notLoaded;
    EXPECT_FALSE(notLoaded.LoadFromModule(L"ver_notrans.dll"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    // A null name is the running program, which carries the program's own resource.
    CModuleVersion own;
    ASSERT_TRUE(own.LoadFromModule(nullptr));
    EXPECT_EQ(own.GetMajor(), CORVANE_VERSION_MAJOR);
    EXPECT_EQ(own.GetRevision(), CORVANE_VERSION_TWEAK);
}

TEST(AppVersionInfo, FormatsTheVersionAndCopyrightLines) {
    CAppVersionInfo info;
    ASSERT_TRUE(info.IsLoaded());
    CString line;
    ASSERT_TRUE(info.FormatVersionText(line, true));
    wchar_t expected[128];
    swprintf(expected, 128, L"Version %d.%d (Build %d.%d), 64-bit.", CORVANE_VERSION_MAJOR,
             CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH, CORVANE_VERSION_TWEAK);
    EXPECT_EQ(Str(line), expected);
    ASSERT_TRUE(info.FormatCopyrightText(line));
    EXPECT_EQ(Str(line), L"Copyright (C) 2026 The Corvane developers");

    // The same object read from other files: the lines follow the record it holds.
    ASSERT_TRUE(info.LoadFromFile(BinPath(L"ver_beta.dll").c_str()));
    ASSERT_TRUE(info.FormatVersionText(line, true));
    EXPECT_EQ(Str(line), L"Version 2.0 (Build 5.1) [BETA], 64-bit.");
    ASSERT_TRUE(info.FormatVersionText(line, false));
    EXPECT_EQ(Str(line), L"Version 2.0 (Build 5.1) [BETA]");
    ASSERT_TRUE(info.FormatCopyrightText(line));
    EXPECT_EQ(Str(line), L"Copyright (C) 2026 Beta people");

    ASSERT_TRUE(info.LoadFromFile(BinPath(L"ver_multi.dll").c_str()));
    ASSERT_TRUE(info.FormatVersionText(line, false));
    EXPECT_EQ(Str(line), L"Version 10.20 (Build 3000.45)");
    ASSERT_TRUE(info.FormatCopyrightText(line));
    EXPECT_EQ(Str(line), L"Copyright 2026 Multi Digit Makers");

    ASSERT_TRUE(info.LoadFromFile(BinPath(L"ver_notrans.dll").c_str()));
    ASSERT_TRUE(info.FormatCopyrightText(line));
    EXPECT_EQ(Str(line), L"Leading dots");

    // A failed read is handed back, with its error, and leaves the output alone.
    CAppVersionInfo failed;
    failed.loadError = ERROR_RESOURCE_TYPE_NOT_FOUND;
    line = L"untouched";
    SetLastError(0);
    EXPECT_FALSE(failed.IsLoaded());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_FALSE(failed.FormatVersionText(line, true));
    EXPECT_FALSE(failed.FormatCopyrightText(line));
    EXPECT_EQ(Str(line), L"untouched");
}
