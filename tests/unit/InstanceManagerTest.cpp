// The single-instance guard's own pieces: the identifier of a file name, the mutex name, and the
// mutex as the kernel holds it (name, access list, a second holder).
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "app/InstanceManager.h"

TEST(InstanceId, HashOfTheUpperCasedFileName) {
    EXPECT_EQ(ComputeInstanceId(L"A"), 0x00000041u);
    EXPECT_EQ(ComputeInstanceId(L"ABC"), 0x02101083u);
    EXPECT_EQ(ComputeInstanceId(L"ABC.EXE"), 0x5FC841A6u);
    // Letter case does not count; every unit does, the extension too.
    EXPECT_EQ(ComputeInstanceId(L"abc.exe"), 0x5FC841A6u);
    EXPECT_EQ(ComputeInstanceId(L"aBc.ExE"), 0x5FC841A6u);
    EXPECT_NE(ComputeInstanceId(L"abc.ex"), 0x5FC841A6u);
    EXPECT_EQ(ComputeInstanceId(L""), 0u);
    // Rotation before addition, in 32 bits: "AB" is rotr(0x41, 13) + 0x42.
    EXPECT_EQ(ComputeInstanceId(L"AB"), 0x02080042u);

    CString name;
    ASSERT_TRUE(FormatInstanceMutexName(false, ComputeInstanceId(L"abc.exe"), name));
    EXPECT_STREQ(name.GetString(), L"Local\\ZKWInstance.5FC841A6");
    ASSERT_TRUE(FormatInstanceMutexName(true, 0x41, name));
    EXPECT_STREQ(name.GetString(), L"Global\\ZKWInstance.00000041");
}

TEST(InstanceMutex, FirstCreatesSecondFindsItEveryoneMayOpenIt) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file = path;
    file = file.substr(file.find_last_of(L"\\/") + 1);

    CString name;
    {
        CInstanceManager first(FALSE);
        ASSERT_EQ(first.GetInstanceId(), ComputeInstanceId(file.c_str()));
        ASSERT_TRUE(FormatInstanceMutexName(false, first.GetInstanceId(), name));
        ASSERT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name), nullptr) << "left over from elsewhere";

        EXPECT_EQ(first.CreateInstanceMutex(), 0);
        HANDLE opened = OpenMutexW(READ_CONTROL | SYNCHRONIZE, FALSE, name);
        ASSERT_NE(opened, nullptr);

        // The access list: Local System, Everyone, Anonymous Logon, each with full access.
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_EQ(GetSecurityInfo(opened, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &descriptor),
                  static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_NE(dacl, nullptr);
        ASSERT_EQ(dacl->AceCount, 3);
        const wchar_t* expected[] = {L"S-1-5-18", L"S-1-1-0", L"S-1-5-7"};
        for (int i = 0; i < 3; ++i) {
            void* ace = nullptr;
            ASSERT_TRUE(GetAce(dacl, i, &ace));
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(allowed->Header.AceFlags, 0);
            EXPECT_EQ(allowed->Mask, static_cast<DWORD>(MUTEX_ALL_ACCESS));
            wchar_t* sid = nullptr;
            ASSERT_TRUE(ConvertSidToStringSidW(&allowed->SidStart, &sid));
            EXPECT_STREQ(sid, expected[i]);
            LocalFree(sid);
        }
        LocalFree(descriptor);
        CloseHandle(opened);

        // A second guard of the same program finds the name taken and may not run.
        {
            CInstanceManager second(FALSE);
            EXPECT_EQ(second.GetInstanceId(), first.GetInstanceId());
            EXPECT_EQ(second.CreateInstanceMutex(), 1);
        }
        {
            CInstanceManager third(FALSE);
            EXPECT_FALSE(third.Acquire(false));
        }
        EXPECT_TRUE(first.IsSameInstance(first.GetInstanceId()));
        EXPECT_TRUE(first.IsSameInstance(0xFFFFFFFF));
        EXPECT_FALSE(first.IsSameInstance(first.GetInstanceId() ^ 1));
    }
    // The last holder is gone: the name is free again, and the next guard runs.
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name), nullptr);
    CInstanceManager again(FALSE);
    EXPECT_TRUE(again.Acquire(false));
}
