// Resolution of executable names against the current, system and program directories, with the
// real shell path functions and the real environment of the test process.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "debugger/PathUtils.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

std::wstring Str(const CString& text) {
    return std::wstring(text.GetString(), text.GetLength());
}

// Runs a test inside a fresh folder as the current directory and goes back afterwards.
class PathResolution : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryW(MAX_PATH, previous);
        dir = MakeTempDir(L"corvane paths");
        ASSERT_TRUE(CreateDirectoryW((dir + L"\\work").c_str(), nullptr));
        work = dir + L"\\work";
        ASSERT_TRUE(SetCurrentDirectoryW(work.c_str()));
    }
    void TearDown() override { SetCurrentDirectoryW(previous); }

    std::wstring Expand(const wchar_t* source) {
        wchar_t out[MAX_PATH] = L"untouched";
        EXPECT_TRUE(ExpandFullPath(source, out, MAX_PATH)) << ToUtf8(source);
        return out;
    }

    wchar_t previous[MAX_PATH] = {};
    std::wstring dir, work;
};

} // namespace

TEST_F(PathResolution, ExpandFullPathJoinsRelativeTextsToTheCurrentDirectory) {
    EXPECT_EQ(Expand(L"tools\\x.exe"), work + L"\\tools\\x.exe");
    EXPECT_EQ(Expand(L"..\\x.exe"), dir + L"\\x.exe");
    EXPECT_EQ(Expand(L".\\a\\.\\b\\..\\x.exe"), work + L"\\a\\x.exe");
    // A leading backslash does not lead to the root of the current drive.
    EXPECT_EQ(Expand(L"\\tools\\x.exe"), work + L"\\tools\\x.exe");

    // Drives and UNC paths stay as they are, a drive-relative text included.
    EXPECT_EQ(Expand(L"\\\\server\\share\\x.exe"), L"\\\\server\\share\\x.exe");
    EXPECT_EQ(Expand(L"D:x.exe"), L"D:x.exe");
    EXPECT_EQ(Expand(L"C:\\Tools\\x.exe"), L"C:\\Tools\\x.exe");

    // Variables are expanded before anything else; the current directory plays no part then.
    ASSERT_TRUE(SetEnvironmentVariableW(L"CORVANE_TOOLS", L"Q:\\my tools"));
    EXPECT_EQ(Expand(L"%CORVANE_TOOLS%\\x.exe"), L"Q:\\my tools\\x.exe");
    wchar_t root[MAX_PATH];
    ASSERT_NE(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(Expand(L"%SystemRoot%\\system32\\x.exe"), std::wstring(root) + L"\\system32\\x.exe");
    ASSERT_TRUE(SetEnvironmentVariableW(L"CORVANE_SUB", L"sub dir"));
    EXPECT_EQ(Expand(L"%CORVANE_SUB%\\x.exe"), work + L"\\sub dir\\x.exe");

    // The growable form gives the same text.
    CString path;
    ASSERT_TRUE(ExpandFullPath(L"..\\x.exe", path));
    EXPECT_EQ(Str(path), dir + L"\\x.exe");
}

TEST_F(PathResolution, ResultsThatDoNotFitFailWithoutAPartialPath) {
    // An expansion longer than MAX_PATH.
    ASSERT_TRUE(
        SetEnvironmentVariableW(L"CORVANE_LONG", (L"C:\\" + std::wstring(300, L'l')).c_str()));
    wchar_t out[MAX_PATH] = L"untouched";
    EXPECT_FALSE(ExpandFullPath(L"%CORVANE_LONG%\\x.exe", out, MAX_PATH));
    CString path(L"previous");
    EXPECT_FALSE(ExpandFullPath(L"%CORVANE_LONG%\\x.exe", path));
    EXPECT_EQ(Str(path), L"previous");
    SetEnvironmentVariableW(L"CORVANE_LONG", nullptr);

    // A current directory longer than the caller's buffer.
    wchar_t small[8];
    EXPECT_FALSE(ExpandFullPath(L"x.exe", small, 8));
    // A join that would pass MAX_PATH.
    EXPECT_FALSE(ExpandFullPath((std::wstring(230, L'n') + L".exe").c_str(), path));
    EXPECT_EQ(Str(path), L"previous");
}

TEST_F(PathResolution, SystemAndModulePathsTakeRelativeNamesOnly) {
    // A file of that name in the current directory changes nothing.
    HANDLE file =
        CreateFileW((work + L"\\x.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    wchar_t out[MAX_PATH] = L"untouched";
    ASSERT_TRUE(GetSystemPath(L"x.exe", out, MAX_PATH));
    EXPECT_EQ(std::wstring(out), SystemDir() + L"\\x.exe");
    CString path;
    ASSERT_TRUE(GetSystemPath(L"x.exe", path));
    EXPECT_EQ(Str(path), SystemDir() + L"\\x.exe");

    ASSERT_TRUE(GetModuleRelativePath(L"raise.exe", out, MAX_PATH));
    EXPECT_EQ(std::wstring(out), BinPath(L"raise.exe"));
    ASSERT_TRUE(GetModuleRelativePath(L"sub\\..\\raise.exe", out, MAX_PATH));
    EXPECT_EQ(std::wstring(out), BinPath(L"raise.exe"));

    for (const wchar_t* name :
         {L"C:\\x.exe", L"\\x.exe", L"D:x.exe", L"\\\\server\\share\\x.exe"}) {
        SCOPED_TRACE(ToUtf8(name));
        wchar_t untouched[MAX_PATH] = L"untouched";
        SetLastError(0);
        EXPECT_FALSE(GetSystemPath(name, untouched, MAX_PATH));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(std::wstring(untouched), L"untouched");
        SetLastError(0);
        EXPECT_FALSE(GetModuleRelativePath(name, untouched, MAX_PATH));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(std::wstring(untouched), L"untouched");
        CString kept(L"kept");
        EXPECT_FALSE(GetSystemPath(name, kept));
        EXPECT_EQ(Str(kept), L"kept");
    }
}

TEST_F(PathResolution, LibrariesComeFromTheSystemOrTheResolvedPath) {
    HMODULE system = LoadSystemLibrary(L"version.dll");
    ASSERT_NE(system, nullptr);
    wchar_t loaded[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(system, loaded, MAX_PATH), 0u);
    EXPECT_EQ(CompareStringOrdinal(loaded, -1, (SystemDir() + L"\\version.dll").c_str(), -1, TRUE),
              CSTR_EQUAL);
    FreeLibrary(system);

    // A bare name that is not in the current directory does not load from elsewhere.
    SetLastError(0);
    EXPECT_EQ(LoadLibraryFullPath(L"version.dll"), nullptr);
    EXPECT_NE(GetLastError(), 0u);
}
