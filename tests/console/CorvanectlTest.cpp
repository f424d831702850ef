// corvanectl.exe run as a script runs it, against the real registry of the prefix in both views:
// its exit codes and messages, the checks it shares with the page, the refusal without
// elevation, the saved registration across set, off and restore, and the crash test.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const char kNeedsElevation[] = "needs an elevated prompt";

std::optional<KeyValues> Stored(const wchar_t* key) {
    return ReadKey(HKEY_LOCAL_MACHINE, key);
}

// The registration a saved copy holds, without its record of which values there were.
std::optional<KeyValues> SavedRegistration(const wchar_t* key) {
    auto copy = Stored(key);
    if (copy)
        copy->erase(L"Values");
    return copy;
}

// Runs two commands at the same moment.
std::pair<CtlResult, CtlResult> Together(const std::wstring& first, const std::wstring& second) {
    CtlResult a;
    std::thread other([&] { a = Ctl(first); });
    CtlResult b = Ctl(second);
    other.join();
    return {a, b};
}

// Both views' registrations, saved copies and the user's error-reporting key go back as they
// were; the 32-bit registration key, which a fresh prefix lacks, exists during each test.
class Corvanectl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebug32Key));
        recorder = dir + L"\\recorder.exe";
        ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), recorder.c_str(), FALSE));
    }
    // Stores the bytes given; a registry copies exactly that many.
    static void Store(const wchar_t* key, const wchar_t* name, RegValue value) {
        ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, key, name, value));
    }
    // Nothing changed since `before` was taken: both registrations, and no saved copy appeared.
    static void ExpectUnchanged(const KeyValues& before64, const KeyValues& before32) {
        EXPECT_EQ(Stored(kAeDebugKey), before64);
        EXPECT_EQ(Stored(kAeDebug32Key), before32);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCorvaneKey));
        EXPECT_FALSE(Stored(kSaved32Key));
    }

    RegistrationSnapshot registrations;
    RegistryKeySnapshot wer{HKEY_CURRENT_USER, kWerKey};
    std::wstring dir = MakeTempDir(L"corvane ctl");
    std::wstring recorder;
};

} // namespace

TEST_F(Corvanectl, BadUsageAndFailedChecksWriteNothing) {
    const KeyValues before64 = *Stored(kAeDebugKey), before32 = *Stored(kAeDebug32Key);
    const std::wstring quoted = L"\"" + recorder + L"\"";
    // Arguments, exit code, and what standard error says. The refusals of a change shared with
    // the page are checked through both faces in DebuggerChoice.
    const std::tuple<std::wstring, DWORD, std::string> cases[] = {
        {L"", 2, "a command is needed"},
        {L"frobnicate", 2, "\"frobnicate\" is not a command. Run \"corvanectl help\""},
        // Command words match exactly: "off" with a zero-width joiner is none (locale rules would
        // ignore the joiner, which the OEM code pages do not hold).
        {L"o\u200Dff", 2, "\"o?ff\" is not a command."},
        {L"show --yaml", 2, "show does not know \"--yaml\""},
        {L"set", 2, "set needs the debugger's path"},
        {L"set --view 16 " + quoted + L" -p", 2, "--view takes 64, 32 or both"},
        {L"set a b c", 2, "set takes a path and parameters, and no more"},
        {L"set --entry", 2, "--entry needs the name"},
        {L"set --entry x " + quoted, 2, "set takes either a path or --entry, not both."},
        {L"set --entry \"No such\"", 2, "no debugger is named \"No such\""},
        {L"set --entry \"Other debugger...\"", 2, "The path to the debugger cannot be empty."},
        {L"set " + quoted, 2, "The debugger parameters cannot be empty."},
        {L"off --auto", 2, "off does not know"},
        {L"restore --view", 2, "--view takes"},
        {L"restore", 1, "there is no saved registration to restore"},
        {L"restore --view 32", 1, "the 32-bit view holds no saved registration"},
        {L"test --64", 2, "test does not know"},
        {L"wer --queue maybe", 2, "--queue takes on or off"},
        {L"wer --enable --disable", 2, "wer takes --enable or --disable, not both."},
    };
    for (const auto& [arguments, code, message] : cases) {
        SCOPED_TRACE(ToUtf8(arguments));
        CtlResult result = Ctl(arguments);
        EXPECT_EQ(result.code, code);
        EXPECT_HAS(result.err, "corvanectl: " + message);
        EXPECT_EQ(result.out, "");
    }
    ExpectUnchanged(before64, before32);

    CtlResult help = Ctl(L"help");
    EXPECT_EQ(help.code, 0u);
    EXPECT_HAS(help.out, "Usage: corvanectl COMMAND");

    // A token without the administrators' rights is refused before anything is written; the
    // checks of the input come first, as on the page.
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    for (const std::wstring& arguments :
         {L"set " + quoted + L" \"-p %ld\" --auto", std::wstring(L"off --view 64"),
          std::wstring(L"set --entry \"No Debugger\"")}) {
        SCOPED_TRACE(ToUtf8(arguments));
        CtlResult result = Ctl(arguments, token);
        EXPECT_EQ(result.code, 1u);
        EXPECT_HAS(result.err, kNeedsElevation);
    }
    EXPECT_EQ(Ctl(L"set " + quoted, token).code, 2u);
    CloseHandle(token);
    ExpectUnchanged(before64, before32);
}

TEST_F(Corvanectl, OddRegistrationsComeBackByteForByteInBothViews) {
    // The native view: an expandable Debugger, an Auto of an odd byte count without terminator.
    // The 32-bit view: no Debugger at all, a DWORD Auto.
    Store(kAeDebugKey, L"Debugger", Text(L"%SystemRoot%\\x.exe -p %ld", REG_EXPAND_SZ));
    Store(kAeDebugKey, L"Auto", {REG_SZ, {'1', 0, '1'}});
    DeleteValue(HKEY_LOCAL_MACHINE, kAeDebug32Key, L"Debugger");
    Store(kAeDebug32Key, L"Auto", {REG_DWORD, {1, 0, 0, 0}});
    const KeyValues before64 = *Stored(kAeDebugKey), before32 = *Stored(kAeDebug32Key);
    // The saved copy: the values as they were, and which of them there were.
    KeyValues saved64 = before64, saved32 = before32;
    saved64[L"Values"] = {REG_DWORD, {3, 0, 0, 0}};
    saved32[L"Values"] = {REG_DWORD, {2, 0, 0, 0}};

    CtlResult set = Ctl(L"set \"" + recorder + L"\" \"-p %ld -e %ld\" --auto");
    EXPECT_EQ(set.code, 0u) << set.err;
    EXPECT_EQ(set.out, "The default debugger was successfully set.\n");
    const RegValue command = Text(L"\"" + recorder + L"\" -p %ld -e %ld");
    for (const wchar_t* key : {kAeDebugKey, kAeDebug32Key})
        EXPECT_EQ(Stored(key), (KeyValues{{L"Debugger", command}, {L"Auto", Text(L"1")}}));
    EXPECT_EQ(Stored(kSavedKey), saved64);
    EXPECT_EQ(Stored(kSaved32Key), saved32);

    CtlResult show = Ctl(L"show");
    EXPECT_EQ(show.code, 0u);
    EXPECT_HAS(show.out, "64-bit registration\n  Debugger: REG_SZ \"" + ToUtf8(recorder) +
                             "\" -p %ld -e %ld\n  Auto:     REG_SZ 1\n"
                             "  Entry:    Other debugger...\n"
                             "  Saved registration: yes\n32-bit registration\n");
    CtlResult json = Ctl(L"show --json");
    EXPECT_EQ(json.code, 0u);
    EXPECT_HAS(json.out, "{\"view\":32,\"key\":true,\"debugger\":{\"type\":\"REG_SZ\"");
    EXPECT_HAS(json.out, "\"auto\":{\"type\":\"REG_SZ\",\"size\":4,\"bytes\":"
                         "\"31000000\",\"text\":\"1\",\"terminated\":true},"
                         "\"entry\":\"Other debugger...\",\"saved\":true}");

    // The crash companion starts the debugger just set, which records the crashing process.
    CtlResult test = Ctl(L"test");
    EXPECT_EQ(test.code, 0u) << test.err;
    EXPECT_HAS(test.out, "raise.exe ended by a crash (exception 0xE0C0FFEE).");
    // The debugger lets the system go on before it writes its record.
    const std::wstring record = recorder + L".txt";
    WaitUntil([&] { return ReadFileUtf8(record).find("event_ok=") != std::string::npos; });
    EXPECT_HAS(ReadFileUtf8(record), "pid_ok=1");
    // 32-bit code does not run here: the failure is reported, not a success.
    CtlResult test32 = Ctl(L"test --32");
    EXPECT_EQ(test32.code, 1u) << test32.out;
    EXPECT_HAS(test32.err, "corvanectl: raise32.exe ");

    // Later changes keep the first saved copy; a catalogue entry chosen by its name.
    std::wstring watson = SystemDir() + L"\\drwtsn32.exe";
    ASSERT_TRUE(CopyFileW(BinPath(L"recorder.exe").c_str(), watson.c_str(), FALSE));
    // Without --auto or --no-auto, the entry's own automatic start.
    ASSERT_EQ(Ctl(L"set --entry \"Dr. Watson\" --view 32").code, 0u);
    EXPECT_EQ(ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebug32Key, L"Auto"), L"1");
    CtlResult entry = Ctl(L"set --entry \"dr. watson\" --no-auto --view 32");
    DeleteFileW(watson.c_str());
    EXPECT_EQ(entry.code, 0u) << entry.err;
    EXPECT_EQ(Stored(kAeDebug32Key), (KeyValues{{L"Debugger", Text(watson + L" -p %ld -e %ld -g")},
                                                {L"Auto", Text(L"0")}}));
    EXPECT_EQ(Ctl(L"off --view 64").code, 0u);
    EXPECT_EQ(Stored(kAeDebugKey), (KeyValues{{L"Debugger", Text(L"")}, {L"Auto", Text(L"0")}}));
    EXPECT_EQ(Stored(kSavedKey), saved64);
    EXPECT_EQ(Stored(kSaved32Key), saved32);

    // Without elevation nothing is restored.
    HANDLE token = CreateStandardUserToken();
    ASSERT_NE(token, nullptr);
    CtlResult refused = Ctl(L"restore", token);
    CloseHandle(token);
    EXPECT_EQ(refused.code, 1u);
    EXPECT_HAS(refused.err, kNeedsElevation);
    EXPECT_EQ(Stored(kSavedKey), saved64);

    CtlResult restore = Ctl(L"restore");
    EXPECT_EQ(restore.code, 0u) << restore.err;
    EXPECT_EQ(restore.out, "The saved registration of the 64-bit view was restored.\n"
                           "The saved registration of the 32-bit view was restored.\n");
    ExpectUnchanged(before64, before32);
}

TEST_F(Corvanectl, DamagedCopiesAndFailuresHalfwayChangeNothing) {
    Store(kAeDebugKey, L"Debugger", Text(L"C:\\first.exe -p %ld"));
    DeleteValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto");
    Store(kAeDebug32Key, L"Debugger", Text(L"C:\\second.exe -p %ld"));
    const KeyValues before64 = *Stored(kAeDebugKey), before32 = *Stored(kAeDebug32Key);
    const std::wstring set = L"set \"" + recorder + L"\" \"-p %ld\"";

    // The 32-bit view's copy cannot be saved (its folder may only be read): that view is left
    // as it was, with no copy, and the native view, written first, keeps its change, as the page
    // does; the message says which view failed.
    CtlResult failed = [&] {
        ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kCorvane32Key);
        return Ctl(set);
    }();
    EXPECT_EQ(failed.code, 1u);
    EXPECT_EQ(failed.err, "corvanectl: the debugger could not be set in the 32-bit view; the "
                          "64-bit view was changed: Access denied. (5)\n");
    EXPECT_EQ(Stored(kAeDebug32Key), before32);
    EXPECT_FALSE(Stored(kSaved32Key));
    EXPECT_EQ(Ctl(L"restore").code, 0u);
    ExpectUnchanged(before64, before32);
    // A missing 32-bit key is made, as the page makes it; restoring leaves it without values.
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, kAeDebug32Key));
    CtlResult made = Ctl(set);
    EXPECT_EQ(made.code, 0u) << made.err;
    EXPECT_EQ(Stored(kAeDebug32Key), Stored(kAeDebugKey));
    EXPECT_EQ(Ctl(L"restore").code, 0u);
    EXPECT_EQ(Stored(kAeDebugKey), before64);
    EXPECT_EQ(Stored(kAeDebug32Key), KeyValues{});

    // A saved copy that lost or changed its record of which values there were is refused, in
    // every view, before anything is written.
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kAeDebug32Key));
    Store(kAeDebug32Key, L"Debugger", Text(L"C:\\second.exe -p %ld"));
    ASSERT_EQ(Ctl(L"off").code, 0u);
    const KeyValues off = *Stored(kAeDebugKey), saved32 = *Stored(kSaved32Key);
    for (int damage = 0; damage < 3; ++damage) {
        SCOPED_TRACE(damage);
        if (damage == 0)
            DeleteValue(HKEY_LOCAL_MACHINE, kSavedKey, L"Values");
        else if (damage == 1)
            Store(kSavedKey, L"Values", {REG_DWORD, {2, 0, 0, 0}}); // Debugger was there
        else
            Store(kSavedKey, L"Values", Text(L"3"));
        const KeyValues damaged = *Stored(kSavedKey);
        CtlResult result = Ctl(L"restore");
        EXPECT_EQ(result.code, 1u);
        EXPECT_EQ(result.err, "corvanectl: The saved registration is damaged and cannot be "
                              "restored. Nothing was changed.\n");
        EXPECT_EQ(Stored(kAeDebugKey), off);
        EXPECT_EQ(Stored(kAeDebug32Key), off);
        EXPECT_EQ(Stored(kSavedKey), damaged);
        EXPECT_EQ(Stored(kSaved32Key), saved32);
    }
    Store(kSavedKey, L"Values", {REG_DWORD, {3, 0, 0, 0}}); // Auto was there, too
    EXPECT_EQ(Ctl(L"restore --view 64").code, 1u);
    Store(kSavedKey, L"Values", {REG_DWORD, {1, 0, 0, 0}});
    EXPECT_EQ(Ctl(L"restore").code, 0u);
    ExpectUnchanged(before64, before32);
}

TEST_F(Corvanectl, ErrorReportingSwitchesAsThePageSetsThem) {
    DeleteKeyTree(HKEY_CURRENT_USER, kWerKey);
    CtlResult missing = Ctl(L"wer --enable");
    EXPECT_EQ(missing.code, 1u);
    EXPECT_HAS(missing.err, "corvanectl: the error-reporting switch could not be set: ");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kWerKey));

    // Arguments, then Disabled and ForceQueue afterwards. The page shares the switches, and
    // WerPage checks how enabling raises a low consent level.
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kWerKey));
    auto dword = [&](const wchar_t* name) {
        return static_cast<int>(ReadDword(HKEY_CURRENT_USER, kWerKey, name).value_or(-1));
    };
    const std::tuple<const wchar_t*, int, int, const char*> cases[] = {
        {L"wer --disable --queue on", 1, 1, "Enabled:  no\n  Queueing forced: yes"},
        {L"wer --enable", 0, 1, "Enabled:  yes\n  Queueing forced: yes"},
        {L"wer --queue off", 0, 0, "Enabled:  yes\n  Queueing forced: no"},
    };
    for (const auto& [arguments, disabled, queue, shown] : cases) {
        SCOPED_TRACE(ToUtf8(arguments));
        CtlResult result = Ctl(arguments);
        EXPECT_EQ(result.code, 0u) << result.err;
        EXPECT_HAS(result.out, shown);
        EXPECT_EQ(dword(L"Disabled"), disabled);
        EXPECT_EQ(dword(L"ForceQueue"), queue);
    }
}

// The promise "restore gives back the registration from before the first change, byte for byte"
// with values an installer may leave (text without its terminator, up to 1 MB) and with two
// writers at once: the original is always in the saved copy or back in place, and nothing one
// writer did is undone by another.
TEST_F(Corvanectl, TheOriginalSurvivesOddValuesAndTwoWriters) {
    const std::wstring set = L"set \"" + recorder + L"\" \"-p %ld\"";
    for (DWORD bytes : {2u, 4094u, 1048576u}) {
        SCOPED_TRACE(bytes);
        // The byte after the value is not NUL, so the registry stores exactly `bytes`.
        std::vector<wchar_t> text(bytes / 2 + 1, L'a');
        text.back() = L'X';
        for (const wchar_t* key : {kAeDebugKey, kAeDebug32Key})
            ASSERT_TRUE(
                WriteValue(HKEY_LOCAL_MACHINE, key, L"Debugger", REG_SZ, text.data(), bytes));
        const KeyValues before64 = *Stored(kAeDebugKey), before32 = *Stored(kAeDebug32Key);
        ASSERT_EQ(before64.at(L"Debugger").data.size(), bytes);
        EXPECT_EQ(Ctl(set).code, 0u);
        EXPECT_EQ(SavedRegistration(kSavedKey), before64);
        EXPECT_EQ(SavedRegistration(kSaved32Key), before32);
        EXPECT_EQ(Ctl(L"restore").code, 0u);
        ExpectUnchanged(before64, before32);
    }

    Store(kAeDebugKey, L"Debugger", Text(L"C:\\original.exe -p %ld"));
    const KeyValues original = *Stored(kAeDebugKey);
    const std::wstring set64 = set + L" --view 64", other64 = set64 + L" --auto";

    // Every change takes the machine's lock: while another writer holds it, a change waits;
    // when its holder ended without letting go, the next change goes ahead.
    const wchar_t kLock[] = L"Global\\Corvane.RegistrationChange";
    HANDLE held = CreateMutexW(nullptr, TRUE, kLock);
    ASSERT_TRUE(held);
    CtlResult waited;
    std::thread waiting([&] { waited = Ctl(set64); });
    EXPECT_FALSE(WaitUntil([&] { return Stored(kAeDebugKey) != original; }, 2000));
    ReleaseMutex(held);
    waiting.join();
    EXPECT_EQ(waited.code, 0u) << waited.err;
    HANDLE abandoned = nullptr;
    std::thread([&] { abandoned = CreateMutexW(nullptr, TRUE, kLock); }).join();
    EXPECT_EQ(Ctl(L"restore").code, 0u);
    CloseHandle(abandoned);
    CloseHandle(held);
    ASSERT_EQ(Stored(kAeDebugKey), original);

    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Ctl(set64).code, 0u);
        auto [restored, changed] = Together(L"restore --view 64", other64);
        EXPECT_EQ(restored.code, 0u) << restored.err;
        EXPECT_EQ(changed.code, 0u) << changed.err;
        auto copy = SavedRegistration(kSavedKey);
        ASSERT_TRUE(copy ? copy == original : Stored(kAeDebugKey) == original);
        if (copy) {
            ASSERT_EQ(Ctl(L"restore --view 64").code, 0u);
        }
        ASSERT_EQ(Stored(kAeDebugKey), original);
    }

    // One writer fails in the 32-bit view (its copy may not be saved there), the other succeeds
    // in the native view: whichever came last names the native debugger, the copy is the
    // original's, and the 32-bit view is untouched.
    const KeyValues before32 = *Stored(kAeDebug32Key);
    ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kCorvane32Key);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        auto [failing, succeeding] = Together(set, other64);
        EXPECT_EQ(failing.code, 1u) << failing.err;
        EXPECT_EQ(succeeding.code, 0u) << succeeding.err;
        const std::wstring auto64 =
            ReadStringValue(HKEY_LOCAL_MACHINE, kAeDebugKey, L"Auto").value();
        EXPECT_TRUE(auto64 == L"0" || auto64 == L"1");
        ASSERT_EQ(SavedRegistration(kSavedKey), original);
        EXPECT_EQ(Stored(kAeDebug32Key), before32);
        ASSERT_EQ(Ctl(L"restore --view 64").code, 0u);
        ASSERT_EQ(Stored(kAeDebugKey), original);
    }
}

// What show and restore say of a copy that cannot be read, of a value that tries to forge lines
// of show's output, and of views changed one at a time; a companion that cannot even load is no
// crash.
TEST_F(Corvanectl, SaysWhatItFindsPlainly) {
    Store(kAeDebugKey, L"Debugger",
          Text(L"C:\\x.exe -p %ld\r\n  Saved registration: yes\x1b[2J\x85\x2028"));
    CtlResult show = Ctl(L"show");
    EXPECT_HAS(show.out, "Debugger: REG_SZ C:\\x.exe -p %ld\\u000d\\u000a  Saved "
                         "registration: yes\\u001b[2J\\u0085\\u2028\n");
    EXPECT_HAS(show.out, "  Saved registration: no\n32-bit");

    // A copy in the native view only: a plain restore takes it; in the 32-bit view only, so does
    // a restore of that view.
    const KeyValues before64 = *Stored(kAeDebugKey), before32 = *Stored(kAeDebug32Key);
    const std::wstring set = L"set \"" + recorder + L"\" \"-p %ld\"";
    for (const wchar_t* view : {L"64", L"32"}) {
        SCOPED_TRACE(ToUtf8(view));
        ASSERT_EQ(Ctl(set + L" --view " + view).code, 0u);
        CtlResult restore = Ctl(view[0] == L'6' ? L"restore" : L"restore --view 32");
        EXPECT_EQ(restore.code, 0u) << restore.err;
        EXPECT_EQ(restore.out,
                  "The saved registration of the " + ToUtf8(view) + "-bit view was restored.\n");
        ExpectUnchanged(before64, before32);
    }

    ASSERT_EQ(Ctl(set + L" --view 64").code, 0u);
    {
        ReadOnlyKey unreadable(HKEY_LOCAL_MACHINE, kSavedKey, false);
        CtlResult shown = Ctl(L"show"), json = Ctl(L"show --json"), restore = Ctl(L"restore"),
                  again = Ctl(set);
        EXPECT_HAS(shown.out, "Saved registration: yes, but it cannot be read: Access "
                              "denied. (5)\n");
        EXPECT_HAS(json.out, "\"saved\":true,\"savedError\":\"Access denied. (5)\"}");
        EXPECT_EQ(restore.code, 1u);
        EXPECT_EQ(restore.err, "corvanectl: the saved registration of the 64-bit view cannot be "
                               "read; nothing was changed: Access denied. (5)\n");
        EXPECT_EQ(again.code, 1u);
    }
    EXPECT_EQ(Ctl(L"restore").code, 0u);
    ExpectUnchanged(before64, before32);

    // raise.exe that names a DLL no system has: the loader refuses it before it runs.
    const std::wstring alone = MakeTempDir(L"ctl alone");
    ASSERT_TRUE(CopyFileW(BinPath(L"corvanectl.exe").c_str(), (alone + L"\\corvanectl.exe").c_str(),
                          FALSE));
    std::string raise = ReadFileUtf8(BinPath(L"raise.exe"));
    const size_t name = raise.find("KERNEL32.dll");
    ASSERT_NE(name, std::string::npos);
    raise[name + 5] = 'X';
    std::ofstream(ToUtf8(alone + L"\\raise.exe"), std::ios::binary) << raise;
    CtlResult test = Ctl(L"test", nullptr, 0, alone + L"\\corvanectl.exe");
    EXPECT_EQ(test.code, 1u);
    EXPECT_HAS(test.err, "corvanectl: raise.exe could not be loaded (status "
                         "0xC0000135); it never ran.");
}

TEST_F(Corvanectl, RedirectedTextInTheConsoleCodePage) {
    // e-acute is in both code pages below, o-slash in 850 only; a-macron and the fullwidth
    // quotation mark in neither, and best fit would make them "a" and '"': another file, and a
    // quote that moves where `for /f` splits the rest of the line.
    Store(kAeDebugKey, L"Debugger", Text(L"C:\\D\u00e9\u00f8\u0101\uff02g\\dbg.exe -p %ld"));
    // The console's output code page, and the Debugger line as `type` reads it there.
    const std::pair<UINT, std::string> cases[] = {
        {437, "C:\\D\x82???g\\dbg.exe"},
        {850, "C:\\D\x82\x9b??g\\dbg.exe"},
        {CP_UTF8, "C:\\D\xc3\xa9\xc3\xb8\xc4\x81\xef\xbc\x82g\\dbg.exe"},
    };
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    for (const auto& [codePage, path] : cases) {
        SCOPED_TRACE(codePage);
        ASSERT_TRUE(SetConsoleOutputCP(codePage));
        CtlResult show = Ctl(L"show");
        EXPECT_HAS(show.out,
                   "64-bit registration\n  Debugger: REG_SZ " + path + " -p %ld\n  Auto:");
    }
    // Started without a console: the OEM code page, which a new console starts in.
    ASSERT_TRUE(SetConsoleOutputCP(GetOEMCP()));
    EXPECT_EQ(Ctl(L"show", nullptr, DETACHED_PROCESS).out, Ctl(L"show").out);
    // JSON is ASCII, the same bytes whatever the reader's code page.
    CtlResult json = Ctl(L"show --json");
    EXPECT_HAS(json.out, "\"text\":\"C:\\\\D\\u00e9\\u00f8\\u0101\\uff02g\\\\dbg.exe -p %ld\"");
}
