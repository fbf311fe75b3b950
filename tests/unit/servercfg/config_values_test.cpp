// Values read strictly: each reader's edges, where the record would hold a
// value other than the file's, and the reason it gives.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/servercfg/config_values.h"

using namespace servercfg;

namespace {

TEST(ConfigValues, NumbersAreTakenOnlyInTheWritersFormAndRange) {
    struct Case {
        char reader;  // 'w'hole, 'f'lag, 'd'ecimal
        const char* value;
        const char* why;  // "" when read; else a part of the reason
        double expected;
    };
    const Case cases[] = {
        {'w', "0", "", 0},
        {'w', "-2147483648", "", -2147483648.0},
        {'w', "2147483647", "", 2147483647.0},
        {'w', "2147483648", "beyond the range of a 32-bit number", 0},
        {'w', "-2147483649", "beyond the range of a 32-bit number", 0},
        {'w', "+5", "is not a whole number", 0},
        {'w', "0x10", "is not a whole number", 0},
        {'w', "-", "is not a whole number", 0},
        {'w', "", "is not a whole number", 0},
        {'w', "1.0", "is not a whole number", 0},
        {'f', "1", "", 1},
        {'f', "0", "", 0},
        {'f', "2", "is not 0 or 1", 0},
        {'f', "true", "is not a whole number", 0},
        {'d', "1.5", "", 1.5},
        {'d', "-.25", "", -0.25},
        {'d', "+3.", "", 3},
        {'d', "2e3", "", 2000},
        {'d', "3.4028235e38", "", FLT_MAX},
        {'d', "3.5e38", "beyond the range of a float", 0},
        {'d', "1e", "is not a decimal number", 0},
        {'d', ".", "is not a decimal number", 0},
        {'d', "nan", "is not a decimal number", 0},
        {'d', "1,5", "is not a decimal number", 0},
    };
    for (const Case& c : cases) {
        std::string why;
        double got = 0;
        bool read = false;
        if (c.reader == 'w') {
            std::int32_t out = 7;
            read = ReadWhole(c.value, "cvar", out, why);
            got = out;
        } else if (c.reader == 'f') {
            bool out = false;
            read = ReadFlag(c.value, "cvar", out, why);
            got = out ? 1 : 0;
        } else {
            float out = 0;
            read = ReadDecimal(c.value, "cvar", out, why);
            got = out;
        }
        EXPECT_EQ(read, *c.why == '\0') << c.value << ": " << why;
        if (read) {
            const double expected = c.reader == 'd' ? static_cast<float>(c.expected) : c.expected;
            EXPECT_EQ(got, expected) << c.value;
        } else {
            EXPECT_EQ(why.rfind("cvar: ", 0), 0u) << c.value << ": " << why;
            EXPECT_NE(why.find(c.why), std::string::npos) << c.value << ": " << why;
        }
    }
}

TEST(ConfigValues, TextsUpTo4095BytesWithoutANul) {
    char out[kSettingsTextSize];
    std::string why;
    EXPECT_TRUE(ReadText(std::string(kMaxTextLength, 'a'), "t", out, why));
    EXPECT_EQ(std::strlen(out), kMaxTextLength);
    EXPECT_FALSE(ReadText(std::string(kMaxTextLength + 1, 'a'), "t", out, why));
    EXPECT_NE(why.find("longer than 4095"), std::string::npos);
    EXPECT_FALSE(ReadText(std::string("a\0b", 3), "t", out, why));
    EXPECT_NE(why.find("NUL byte"), std::string::npos);
}

TEST(ConfigValues, TheRotationIsTheMapListReadBackwards) {
    struct Case {
        const char* value;
        const char* prefix;
        const char* rotation;  // nullptr: refused, `why` holds `reason`
        const char* reason;
    };
    const Case cases[] = {
        {"1 dm/a;1 dm/b;TeamSwap;", "1", "dm/a 0 dm/b 1 ", nullptr},
        {"dm/a;", nullptr, "dm/a 0 ", nullptr},
        {"1 dm/a", "1", "dm/a 0 ", nullptr},
        {"1 dm/a; 1 dm/b ;teamswap", "1", "dm/a 0 dm/b 1 ", nullptr},
        {"  6 dm/a;;  TEAMSWAP ; 6 dm/c;", "6", "dm/a 1 dm/c 0 ", nullptr},
        {"", "1", nullptr, "names no map"},
        {" ; ;", "1", nullptr, "names no map"},
        {"TeamSwap;", "1", nullptr, "TeamSwap mark without a map"},
        {"1 dm/a;TeamSwap;TeamSwap;", "1", nullptr, "TeamSwap mark without a map"},
        {"2 dm/a;", "1", nullptr, "without the game type's number 1"},
        {"1dm/a;", "1", nullptr, "without the game type's number 1"},
        {"1 dm/a b;", "1", nullptr, "empty or holds a blank"},
        {"1 ;", "1", nullptr, "without the game type's number 1"},
        {"1  dm/a;", "1", nullptr, "empty or holds a blank"},
    };
    for (const Case& c : cases) {
        std::string rotation, why;
        const bool read = ReadRotation(c.value, c.prefix, rotation, why);
        EXPECT_EQ(read, c.rotation != nullptr) << c.value << ": " << why;
        if (read) {
            EXPECT_EQ(rotation, c.rotation) << c.value;
        } else {
            EXPECT_NE(why.find(c.reason), std::string::npos) << c.value << ": " << why;
        }
    }
    std::string rotation, why;
    EXPECT_FALSE(ReadRotation(std::string("1 a\0b;", 6), "1", rotation, why));
    EXPECT_NE(why.find("NUL byte"), std::string::npos);
}

TEST(ConfigValues, TheServerGetsTheSameFromValuesThatDifferOnlyInSpelling) {
    struct Case {
        const char* name;
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"timelimit", "30", "30", true},
        {"dm_mgcoolrate", "2.5", "2.500000", true},
        {"timelimit", "030", "30", true},
        {"dm_mgcoolrate", "0.0000001", "0.000000", false},  // a float the server would get otherwise
        {"dm_mgcoolrate", "1e3", "1000.000000", false},     // the whole part the console keeps differs
        {"g_motd", "Hi", "hi", false},
        {"g_motd", "", "0", false},
        {"sv_maplist", "1 a; 1 b;teamswap", "1 a;1 b;TeamSwap;", true},
        {"SV_MAPLIST", "1 a;1 b;", "1 b;1 a;", false},
        {"sv_maplist", "1 a;TeamSwap;", "1 a;", false},
        {"g_motd", "1 a; 1 b", "1 a;1 b;", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameValueFor(c.name, c.a, c.b), c.same) << c.name << " " << c.a << " " << c.b;
        EXPECT_EQ(SameValueFor(c.name, c.b, c.a), c.same) << c.name << " " << c.b << " " << c.a;
    }
}

TEST(ConfigValues, QuotedIsShortAndPrintable) {
    EXPECT_EQ(Quoted("abc"), "\"abc\"");
    EXPECT_EQ(Quoted("a\tb\x7F"), "\"a?b?\"");
    EXPECT_EQ(Quoted(std::string(41, 'x')), "\"" + std::string(40, 'x') + "...\"");
}

}  // namespace
