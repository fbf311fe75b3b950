// How the pages show and read the values that are theirs alone: the
// blank box of an optional number, the server name, the skins switch.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/pages/page_conversions.h"

namespace {

using namespace pages;

// An unsigned box stores the bit pattern of what was typed.
TEST(PageIntegers, UnsignedValuesKeepTheirBitPattern) {
    EXPECT_EQ(IntToBits(-5), 4294967291u);
    EXPECT_EQ(IntToBits(16), 16u);
    EXPECT_EQ(BitsToInt(4294967291u), -5);
    EXPECT_EQ(ParseIntOrBlankText(std::string(4095, '7').c_str()), 0);  // 5,000 digits pasted
}

TEST(PageIntOrBlank, BlankMeansNotSet) {
    EXPECT_TRUE(ShowsBlank(-1));
    EXPECT_TRUE(ShowsBlank(-7));
    EXPECT_TRUE(ShowsBlank(INT32_MIN));
    EXPECT_FALSE(ShowsBlank(0));
    EXPECT_FALSE(ShowsBlank(30));
    EXPECT_EQ(ParseIntOrBlankText(""), -1);
    EXPECT_EQ(ParseIntOrBlankText("30"), 30);
    EXPECT_EQ(ParseIntOrBlankText("0"), 0);
    EXPECT_EQ(ParseIntOrBlankText("-7"), -7);  // stored as typed, blank on the next visit
    EXPECT_EQ(ParseIntOrBlankText("abc"), 0);
    EXPECT_EQ(ParseIntOrBlankText(" "), 0);    // not empty, so read as a number
}

TEST(PageServerName, CutAfterThirtyTwoCharacters) {
    char name[kEditTextSize];
    std::string forty = "0123456789012345678901234567890123456789";
    std::strcpy(name, forty.c_str());
    CutServerName(name);
    EXPECT_EQ(std::string(name), forty.substr(0, 32));

    std::string exactly(32, 'N');
    std::strcpy(name, exactly.c_str());
    CutServerName(name);
    EXPECT_EQ(std::string(name), exactly);

    std::strcpy(name, "Nameless Battle");
    CutServerName(name);
    EXPECT_EQ(std::string(name), "Nameless Battle");

    std::string full(4095, 'z');
    std::strcpy(name, full.c_str());
    CutServerName(name);
    EXPECT_EQ(std::strlen(name), 32u);
}

TEST(PageAllowAllSkins, CheckingAndUncheckingWalkTheThreeValues) {
    // From the default 0: check 1, uncheck 2, check 1, uncheck 2.
    std::int32_t value = 0;
    EXPECT_FALSE(AllowAllSkinsChecked(value));
    value = NextAllowAllSkins(true, value);
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(AllowAllSkinsChecked(value));
    value = NextAllowAllSkins(false, value);
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(AllowAllSkinsChecked(value));
    value = NextAllowAllSkins(true, value);
    EXPECT_EQ(value, 1);
    value = NextAllowAllSkins(false, value);
    EXPECT_EQ(value, 2);
    // Any other value shows unchecked and behaves like 0.
    EXPECT_FALSE(AllowAllSkinsChecked(7));
    EXPECT_FALSE(AllowAllSkinsChecked(-1));
    EXPECT_EQ(NextAllowAllSkins(false, 7), 0);
    EXPECT_EQ(NextAllowAllSkins(true, 7), 1);
    EXPECT_EQ(NextAllowAllSkins(false, 2), 0);
}

}  // namespace
