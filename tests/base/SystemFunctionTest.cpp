// Binding functions of system DLLs on first use: from the system directory only, with the last
// error saying why when the DLL or the function is missing.
#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

#include "base/PathUtils.h"
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

    // Once the process's search is limited, a plain load of that DLL fails too.
    HMODULE beside = LoadLibraryW(L"fakedbghelp.dll");
    EXPECT_NE(beside, nullptr);
    FreeLibrary(beside);
    ASSERT_TRUE(LimitDllSearchToSystemDirectory());
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(L"fakedbghelp.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    CSystemFunction<decltype(GetFileVersionInfoSizeW)> missing;
    SetLastError(0);
    EXPECT_EQ(missing.Get(L"version.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

namespace {
bool InSingleThreadedApartment() {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    return CoGetApartmentType(&type, &qualifier) == S_OK &&
           (type == APTTYPE_MAINSTA || type == APTTYPE_STA);
}
} // namespace

TEST(SystemFunction, TheShellIsAskedFromASingleThreadedApartment) {
    // On a thread without windows: one with windows may be in an apartment already (Wine's input
    // methods put it there).
    bool before = true, after = false;
    std::thread([&] {
        before = InSingleThreadedApartment();
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpFile = L"C:\\no such program.exe";
        ShellExecuteSystem(info);
        after = InSingleThreadedApartment();
    }).join();
    EXPECT_FALSE(before);
    EXPECT_TRUE(after);
}
