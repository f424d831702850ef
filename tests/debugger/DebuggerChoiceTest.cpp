// The rules of a change through both faces of the program: the same choice made on the Debugger
// page of the real corvane.exe and with the real corvanectl.exe is refused with the same text,
// or leaves the same registration in both views.
#include <gtest/gtest.h>

#include "support/GuiDriver.h"

using namespace testing_support;

namespace {
constexpr int kList = 1000, kPath = 1002, kParameters = 1003, kAuto = 1006;

// Both views' Debugger and Auto, or what stands in their place.
std::wstring Registrations() {
    std::wstring s;
    for (const wchar_t* key : {kAeDebugKey, kAeDebug32Key})
        for (const wchar_t* name : {L"Debugger", L"Auto"})
            s += ReadStringValue(HKEY_LOCAL_MACHINE, key, name).value_or(L"<none>") + L"|";
    return s;
}

void Reset() {
    for (const wchar_t* key : {kAeDebugKey, kAeDebug32Key}) {
        ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, key));
        ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, key, L"Debugger", Text(L"marker.exe -p %ld")));
        ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, key, L"Auto", Text(L"0")));
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvaneKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kCorvane32Key);
}
} // namespace

TEST(DebuggerChoice, BothFacesFollowTheSameRules) {
    RegistrationSnapshot keep;
    const std::wstring dir = MakeTempDir(L"choice x"), recorder = dir + L"\\recorder.exe";
    // 258 characters with a space: the quotes do not fit MAX_PATH, and are still needed.
    const std::wstring longPath = dir + L"\\" + std::wstring(253 - dir.size(), L'x') + L".exe";
    const std::wstring bare = L"choice-stub.exe", system = SystemDir() + L"\\" + bare;
    // A short copy of corvanectl, so that its own command line has room for the longest
    // registration the system takes.
    const std::wstring ctl = L"C:\\ctl.exe";
    for (const std::wstring& copy : {recorder, longPath, system, ctl})
        ASSERT_TRUE(CopyFileW(BinPath(copy == ctl ? L"corvanectl.exe" : L"recorder.exe").c_str(),
                              copy.c_str(), FALSE));
    ASSERT_EQ(longPath.size(), 258u);
    const std::wstring tooLong(32727 - recorder.size() - 3, L'p');

    const struct {
        const char* name;
        std::wstring path, parameters;
        bool autoStart;
        std::wstring message; // the icon, then the text; for success, what is stored
    } cases[] = {
        {"empty path", L"", L"-p %ld", false,
         L"[warning] The path to the debugger cannot be empty."},
        {"missing file", dir + L"\\missing.exe", L"-p %ld", true,
         L"[error] The debugger cannot be configured because the executable file does not "
         L"exist."},
        {"no parameters", recorder, L"", false,
         L"[warning] The debugger parameters cannot be empty."},
        {"longer than the system takes", recorder, tooLong, false,
         L"[warning] The debugger's command line is too long for the system. Choose a shorter "
         L"path or shorter parameters."},
        {"bare name", bare, L"-p %ld", true, system + L" -p %ld|1|"},
        {"long path with a space", longPath, L"-p %ld -e %ld", false,
         L"\"" + longPath + L"\" -p %ld -e %ld|0|"},
        {"just short enough", recorder, tooLong.substr(1), false,
         L"\"" + recorder + L"\" " + tooLong.substr(1) + L"|0|"},
    };

    CorvaneApp app;
    ASSERT_TRUE(app.Start());
    app.Choose(kList, static_cast<int>(app.ComboItems(kList).size()) - 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool success = c.message[0] != L'[';
        Reset();
        app.SetEditText(kPath, c.path);
        app.SetEditText(kParameters, c.parameters);
        if (app.IsChecked(kAuto) != c.autoStart)
            app.ClickNow(kAuto);
        app.PressApply();
        const std::wstring shown = app.TakeMessageBox();
        const std::wstring page = Registrations();
        EXPECT_EQ(shown, success ? L"[information] The default debugger was successfully set."
                                 : c.message);

        Reset();
        CtlResult result = Ctl(L"set \"" + c.path + L"\" \"" + c.parameters + L"\"" +
                                   (c.autoStart ? L" --auto" : L""),
                               nullptr, 0, ctl);
        EXPECT_EQ(result.code, success ? 0u : 2u) << result.err;
        if (!success) {
            EXPECT_EQ(result.err,
                      "corvanectl: " + ToUtf8(c.message.substr(c.message.find(L' ') + 1)) + "\n");
        }
        EXPECT_EQ(Registrations(), page);
        EXPECT_EQ(page,
                  success ? c.message + c.message : L"marker.exe -p %ld|0|marker.exe -p %ld|0|");
    }
    EXPECT_TRUE(app.Cancel());
    for (const std::wstring& copy : {longPath, system, ctl})
        DeleteFileW(copy.c_str());
}
