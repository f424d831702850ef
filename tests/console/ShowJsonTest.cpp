// corvanectl show --json read by a strict JSON parser of the test's own, with registrations in
// both views holding every kind of character and value type the registry lets through.
#include <gtest/gtest.h>

#include <string.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {
// Recursive descent over the JSON grammar; each step moves past what it accepted.
struct JsonReader {
    const std::string& s;
    size_t at = 0;
    char Next() { return at < s.size() ? s[at] : '\0'; }
    // Is() where no white space may come first (in numbers and strings), Eat() elsewhere.
    bool Is(char c) { return c && Next() == c && ++at; }
    bool Eat(char c) {
        while (Next() && strchr(" \t\r\n", Next()))
            ++at;
        return Is(c);
    }
    bool Word(const char* word) {
        return s.compare(at, strlen(word), word) == 0 && (at += strlen(word));
    }
    bool Digits() {
        const size_t from = at;
        while (isdigit(static_cast<unsigned char>(Next())))
            ++at;
        return at > from;
    }
    // After the opening quote.
    bool String() {
        for (char c; (c = Next()) && ++at;) {
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c == '\\' && Is('u')) {
                for (int i = 0; i < 4; ++i, ++at)
                    if (!isxdigit(static_cast<unsigned char>(Next())))
                        return false;
            } else if (c == '\\' && !(Next() && strchr("\"\\/bfnrt", s[at++]))) {
                return false;
            }
        }
        return false;
    }
    bool Value() {
        const bool object = Eat('{');
        if (object || Is('[')) {
            const char close = object ? '}' : ']';
            if (Eat(close))
                return true;
            do {
                if ((object && !(Eat('"') && String() && Eat(':'))) || !Value())
                    return false;
            } while (Eat(','));
            return Eat(close);
        }
        if (Is('"'))
            return String();
        if (Word("true") || Word("false") || Word("null"))
            return true;
        Is('-');
        return (Is('0') || (Next() != '0' && Digits())) && (!Is('.') || Digits()) &&
               (!(Is('e') || Is('E')) || ((Is('+') || Is('-') || true) && Digits()));
    }
    // One value and nothing after it but white space.
    bool Document() {
        const bool value = Value();
        Eat('\0');
        return value && at == s.size();
    }
};
} // namespace

TEST(ShowJson, IsValidJsonForEveryValue) {
    RegistryKeySnapshot keep[] = {{HKEY_LOCAL_MACHINE, kAeDebugKey},
                                  {HKEY_LOCAL_MACHINE, kAeDebug32Key}};
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
        CtlResult shown = RunCorvanectl(L"show --json");
        EXPECT_EQ(shown.code, 0u);
        JsonReader reader{shown.out};
        EXPECT_TRUE(reader.Document()) << "at " << reader.at << ": " << shown.out;
        EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, shown.out.data(),
                                      int(shown.out.size()), nullptr, 0),
                  0);
    }
}
