// Binding functions of system DLLs on first use, the process's DLL search limited to the system
// directory, and the shell asked from a single-threaded apartment.
#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

#include "base/PathUtils.h"
#include "base/SystemFunction.h"
#include "support/TestSupport.h"

using namespace testing_support;

// Where a bound function comes from is seen in the programs: the About page's version library and
// the crash handler's dump library, with a DLL of that name planted beside the crashing program.
TEST(SystemFunction, LimitsTheSearchAndSaysWhatIsMissing) {
    // A DLL beside this program loads until the process's search is limited.
    ASSERT_TRUE(FileExists(BinPath(L"fakedbghelp.dll")));
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
