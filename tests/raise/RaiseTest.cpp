// raise.exe, the crash companion: under the real post-mortem launch, the system starts the
// debugger that AeDebug names with the failing process's id and an event handle.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

TEST(Raise, StartsTheConfiguredPostMortemDebugger) {
    RegistryKeySnapshot aeDebug(HKEY_LOCAL_MACHINE, kAeDebugKey);
    // A folder whose path holds a space, so the stored command line needs its quotes.
    std::wstring dir = MakeTempDir(L"corvane debugger");
    ASSERT_FALSE(dir.empty());
    std::wstring recorder = dir + L"\\recorder.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Debugger",
                            L"\"" + recorder + L"\" -p %ld -e %ld"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto", L"1"));

    Process raise;
    ASSERT_TRUE(raise.Start(BinPath(L"raise.exe")));
    std::wstring log = recorder + L".txt";
    ASSERT_TRUE(WaitUntil([&] { return FileExists(log) && !ReadFileUtf8(log).empty(); }, 20000));
    std::string text = ReadFileUtf8(log);
    EXPECT_NE(text.find("pid=" + std::to_string(raise.Id())), std::string::npos) << text;
    EXPECT_NE(text.find("pid_ok=1"), std::string::npos) << text;
    EXPECT_NE(text.find("event_ok=1"), std::string::npos) << text;
    // The crash ends raise.exe once the debugger has signalled the event.
    EXPECT_TRUE(raise.WaitExit(20000));
}

TEST(Raise, LoadsNoUser32) {
    // Nothing of raise.exe's own may come before the system's handling: with user32 loaded,
    // Wine would first ask the user whether to debug.
    HMODULE module =
        LoadLibraryExW(BinPath(L"raise.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    FreeLibrary(module);
    std::string image = ReadFileUtf8(BinPath(L"raise.exe"));
    for (char& c : image)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(image.find("user32.dll"), std::string::npos);
    EXPECT_NE(image.find("kernel32.dll"), std::string::npos);
}
