// corvanectl show --json read by a strict JSON parser of the test's own, with registrations in
// both views holding every kind of character and value type the registry lets through.
#include <gtest/gtest.h>

#include <string.h>

#include <regex>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {
// The text with each string made "s", each number or literal "0" and white space dropped; "!"
// where none of these fits.
std::string Tokens(const std::string& s) {
    static const std::regex scalar(
        "-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?|true|false|null"),
        escape("\\\\([\"\\\\/bfnrt]|u[0-9a-fA-F]{4})");
    const auto here = std::regex_constants::match_continuous;
    std::string out;
    std::smatch m;
    for (auto at = s.begin(); at != s.end();) {
        if (*at && strchr(" \t\r\n", *at)) {
            ++at;
        } else if (*at && strchr("{}[]:,", *at)) {
            out += *at++;
        } else if (*at == '"') {
            while (++at != s.end() && *at != '"') {
                if (static_cast<unsigned char>(*at) < 0x20 ||
                    (*at == '\\' && !std::regex_search(at, s.end(), m, escape, here)))
                    return "!";
                at += *at == '\\' ? m.length() - 1 : 0;
            }
            if (at++ == s.end())
                return "!";
            out += 's';
        } else if (std::regex_search(at, s.end(), m, scalar, here)) {
            at += m.length();
            out += '0';
        } else {
            return "!";
        }
    }
    return out;
}

// One value and nothing after it: arrays and objects of values fold to a value until none is
// left.
bool IsJson(const std::string& text) {
    static const std::regex array("\\[([s0](,[s0])*)?\\]"), object("\\{(s:[s0](,s:[s0])*)?\\}");
    std::string tokens = Tokens(text), before;
    while (before != tokens) {
        before = tokens;
        tokens = std::regex_replace(std::regex_replace(tokens, array, "0"), object, "0");
    }
    return tokens == "0" || tokens == "s";
}
} // namespace

TEST(ShowJson, IsValidJsonForEveryValue) {
    RegistrationSnapshot keep;
    // Debugger and Auto, each with the bytes to leave unstored (a text without its terminator).
    struct Stored {
        RegValue value;
        DWORD cut = 0;
    };
    const std::pair<Stored, Stored> rounds[] = {
        {{Text(L"C:\\dir \"q\"\\d.exe\r\n\x1b[2J\t\xD800 \xE9\x20AC \xD83D\xDE00 -p %ld")},
         {Text(L"1X"), 4}},
        {{RegValue{REG_BINARY, {'"', '\\', 0, 0x1b, 0xff}}}, {Dword(1)}},
        // Over 2048 bytes is not shown; exactly 2048 is, every character escaped.
        {{Text(std::wstring(1100, L'\\'), REG_EXPAND_SZ)}, {Text(std::wstring(1023, L'"'))}},
        {{Text(L"\xDC00\\\x7f\x2028")}, {Text(L"\xD83D")}},
    };
    const size_t count = std::size(rounds);
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        // This round's values in the native view, the next round's in the 32-bit one.
        for (auto [key, round] : {std::pair<const wchar_t*, size_t>{kAeDebugKey, i},
                                  {kAeDebug32Key, (i + 1) % count}}) {
            for (auto [name, stored] :
                 {std::pair{L"Debugger", rounds[round].first}, {L"Auto", rounds[round].second}}) {
                ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, key, name, stored.value.type,
                                       stored.value.data.data(),
                                       DWORD(stored.value.data.size() - stored.cut)));
            }
        }
        CtlResult shown = Ctl(L"show --json");
        EXPECT_EQ(shown.code, 0u);
        EXPECT_TRUE(IsJson(shown.out)) << shown.out;
        EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, shown.out.data(),
                                      int(shown.out.size()), nullptr, 0),
                  0);
    }
}
