// The identifier of a file name, and the mutex name made from it.
#include <gtest/gtest.h>

#include "app/InstanceManager.h"

TEST(InstanceId, HashOfTheUpperCasedFileNameNamesTheMutex) {
    EXPECT_EQ(ComputeInstanceId(L"A"), 0x00000041u);
    EXPECT_EQ(ComputeInstanceId(L"ABC"), 0x02101083u);
    EXPECT_EQ(ComputeInstanceId(L"ABC.EXE"), 0x5FC841A6u);
    CString name;
    ASSERT_TRUE(FormatInstanceMutexName(false, ComputeInstanceId(L"abc.exe"), name));
    EXPECT_STREQ(name.GetString(), L"Local\\ZKWInstance.5FC841A6");
}
