// Binding functions of system DLLs on first use: from the system directory only, with the last
// error saying why when the DLL or the function is missing.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/SystemFunction.h"
#include "support/TestSupport.h"

using namespace testing_support;

TEST(SystemFunction, BindsFromTheSystemDirectoryOnly) {
    CSystemFunction<decltype(GetFileVersionInfoSizeW)> getSize(L"version.dll",
                                                               "GetFileVersionInfoSizeW");
    auto* bound = getSize.Get();
    ASSERT_NE(bound, nullptr);
    wchar_t path[MAX_PATH] = L"";
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(bound), &module));
    GetModuleFileNameW(module, path, MAX_PATH);
    CharLowerW(path);
    EXPECT_EQ(path, SystemModule(L"version.dll"));
    EXPECT_EQ(getSize.Get(), bound);

    // A DLL that lies in this program's own folder, the first place an ordinary load looks.
    ASSERT_TRUE(FileExists(BinPath(L"fakedbghelp.dll")));
    CSystemFunction<decltype(GetFileVersionInfoSizeW)> planted(L"fakedbghelp.dll",
                                                               "MiniDumpWriteDump");
    SetLastError(0);
    EXPECT_EQ(planted.Get(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    CSystemFunction<decltype(GetFileVersionInfoSizeW)> missing(L"version.dll", "NoSuchFunction");
    SetLastError(0);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}
