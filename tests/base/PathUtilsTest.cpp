// Resolution of executable names against the current and system directories, with the real
// shell path functions and the real environment of the test process.
#include <gtest/gtest.h>

#include "base/PathUtils.h"
#include "support/TestSupport.h"

using namespace testing_support;

// Runs in a fresh folder "<dir>\work" as the current directory (each suite has its own process).
TEST(PathResolution, RelativeNamesResolveAgainstTheRightDirectory) {
    const std::wstring dir = MakeTempDir(L"corvane paths"), work = dir + L"\\work";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr) && SetCurrentDirectoryW(work.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(L"CORVANE_TOOLS", L"Q:\\my tools"));
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"tools\\x.exe", work + L"\\tools\\x.exe"},
        {L"..\\x.exe", dir + L"\\x.exe"},
        // A leading backslash does not lead to the root of the current drive.
        {L"\\tools\\x.exe", work + L"\\tools\\x.exe"},
        {L"\\\\server\\share\\x.exe", L"\\\\server\\share\\x.exe"},
        {L"D:x.exe", L"D:x.exe"},
        {L"%CORVANE_TOOLS%\\x.exe", L"Q:\\my tools\\x.exe"},
    };
    for (const auto& [source, expected] : cases) {
        wchar_t out[MAX_PATH] = L"";
        EXPECT_TRUE(ExpandFullPath(source, out, MAX_PATH));
        EXPECT_EQ(out, expected) << ToUtf8(source);
    }
    // A result longer than MAX_PATH fails and leaves no partial path.
    CString path(L"kept");
    EXPECT_FALSE(ExpandFullPath((std::wstring(260, L'n') + L".exe").c_str(), path));
    EXPECT_TRUE(path == L"kept");

    // The system directory's file, though the current directory has one of that name.
    CloseHandle(CreateFileW(L"x.exe", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    EXPECT_TRUE(IsExistingFile(L"x.exe"));
    EXPECT_FALSE(IsExistingFile(work.c_str()) || IsExistingFile(L"y.exe"));
    wchar_t out[MAX_PATH] = L"";
    ASSERT_TRUE(GetSystemPath(L"x.exe", out, MAX_PATH));
    EXPECT_EQ(out, SystemDir() + L"\\x.exe");
    for (const wchar_t* name : {L"C:\\x.exe", L"\\x.exe", L"D:x.exe", L"\\\\srv\\share\\x.exe"}) {
        wcscpy(out, L"untouched");
        SetLastError(0);
        EXPECT_FALSE(GetSystemPath(name, out, MAX_PATH)) << ToUtf8(name);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(std::wstring(out), L"untouched");
    }
}
