// Binding functions of system DLLs on first use: from the system directory only, with the last
// error saying why when the DLL or the function is missing.
#include <gtest/gtest.h>

#include "base/SystemFunction.h"
#include "support/TestSupport.h"

using namespace testing_support;

TEST(SystemFunction, BindsFromTheSystemDirectoryOnly) {
    CSystemFunction<decltype(GetFileVersionInfoSizeW)> getSize;
    auto* bound = getSize.Get(L"version.dll", "GetFileVersionInfoSizeW");
    ASSERT_NE(bound, nullptr);
    wchar_t path[MAX_PATH] = L"";
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(bound), &module));
    GetModuleFileNameW(module, path, MAX_PATH);
    CharLowerW(path);
    EXPECT_EQ(path, SystemModule(L"version.dll"));
    EXPECT_EQ(getSize.Get(L"version.dll", "GetFileVersionInfoSizeW"), bound);

    // A DLL that lies in this program's own folder, the first place an ordinary load looks.
    ASSERT_TRUE(FileExists(BinPath(L"fakedbghelp.dll")));
    CSystemFunction<decltype(GetFileVersionInfoSizeW)> planted;
    SetLastError(0);
    EXPECT_EQ(planted.Get(L"fakedbghelp.dll", "MiniDumpWriteDump"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    CSystemFunction<decltype(GetFileVersionInfoSizeW)> missing;
    SetLastError(0);
    EXPECT_EQ(missing.Get(L"version.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}
