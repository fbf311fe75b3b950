// Numbers as texts: how the pages and the settings file show numbers and
// read back what was typed or stored.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/common/number_text.h"

namespace {

std::string Shown(float value) { return FormatFloatText(value); }

float FloatFromBits(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

float Stored(const char* typed) { return NarrowToFloat(ParseFloatText(typed)); }

std::int32_t AsInt(std::uint32_t bits) {
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
std::int32_t StoredSigned(const char* typed) { return AsInt(ParseIntegerText(typed, true)); }
std::int32_t StoredUnsigned(const char* typed) { return AsInt(ParseIntegerText(typed, false)); }

}  // namespace

TEST(NumberTextFloats, ShowSixDecimals) {
    EXPECT_EQ(Shown(10.0f), "10.000000");
    EXPECT_EQ(Shown(2.25f), "2.250000");
    EXPECT_EQ(Shown(1.5f), "1.500000");
    EXPECT_EQ(Shown(0.0f), "0.000000");
    EXPECT_EQ(Shown(-1.0f), "-1.000000");
    // The single-precision defaults round to their six-decimal forms.
    EXPECT_EQ(Shown(FloatFromBits(0x3EA8F5C3)), "0.330000");
    EXPECT_EQ(Shown(FloatFromBits(0x3F59999A)), "0.850000");
    // The widest float still fits the box's 64-byte buffer.
    EXPECT_EQ(Shown(-FLT_MAX), "-340282346638528859811704183484516925440.000000");
}

TEST(NumberTextFloats, ReadTheLeadingDecimalNumberLikeAtof) {
    EXPECT_EQ(Stored("7.5"), 7.5f);
    EXPECT_EQ(Stored("2.5x"), 2.5f);
    EXPECT_EQ(Stored("abc"), 0.0f);
    EXPECT_EQ(Stored("1,5"), 1.0f);
    EXPECT_EQ(Stored(""), 0.0f);
    EXPECT_EQ(Stored("  \t-3.25"), -3.25f);
    EXPECT_EQ(Stored("+4"), 4.0f);
    EXPECT_EQ(Stored("-.5"), -0.5f);
    EXPECT_EQ(Stored("5."), 5.0f);
    EXPECT_EQ(Stored("."), 0.0f);
    EXPECT_EQ(Stored("-"), 0.0f);
    EXPECT_EQ(Stored("1e3"), 1000.0f);
    EXPECT_EQ(Stored("2E-1"), 0.2f);
    EXPECT_EQ(Stored("3e"), 3.0f);     // an exponent without digits is not part of the number
    EXPECT_EQ(Stored("3e+x"), 3.0f);
    EXPECT_EQ(Stored("0.33"), FloatFromBits(0x3EA8F5C3));
}

// The same value on every C library: only decimal notation is a number.
TEST(NumberTextFloats, HexadecimalAndWordsAreNotNumbers) {
    EXPECT_EQ(Stored("0x10"), 0.0f);
    EXPECT_EQ(Stored("inf"), 0.0f);
    EXPECT_EQ(Stored("-infinity"), 0.0f);
    EXPECT_EQ(Stored("nan"), 0.0f);
}

TEST(NumberTextFloats, NumbersBeyondTheFloatRangeKeepTheLargestFloat) {
    EXPECT_EQ(Stored("1e39"), FLT_MAX);
    EXPECT_EQ(Stored("-1e39"), -FLT_MAX);
    EXPECT_EQ(Stored("1e999"), FLT_MAX);  // beyond double too
    EXPECT_EQ(Stored("1e-50"), 0.0f);      // underflow is simply zero
    EXPECT_EQ(NarrowToFloat(FLT_MAX), FLT_MAX);
    EXPECT_EQ(NarrowToFloat(std::nan("")), 0.0f);
    // 63 nines, all the box gives: a number near 1e63, held as the largest float.
    std::string nines(63, '9');
    EXPECT_EQ(Stored(nines.c_str()), FLT_MAX);
}

TEST(NumberTextFloats, ShownValuesReadBackUnchanged) {
    const float values[] = {10.0f, 2.25f, 1.75f, 0.5f, -1.0f, 30.0f, 1234.5f, 0.000001f};
    for (float v : values) EXPECT_EQ(Stored(Shown(v).c_str()), v) << Shown(v);
    EXPECT_EQ(Stored(Shown(-FLT_MAX).c_str()), -FLT_MAX);
}

TEST(NumberTextIntegers, SignedBoxesTakeAMinusSign) {
    EXPECT_EQ(StoredSigned("64"), 64);
    EXPECT_EQ(StoredSigned("-7"), -7);
    EXPECT_EQ(StoredSigned("-1"), -1);
    EXPECT_EQ(StoredSigned("0"), 0);
    EXPECT_EQ(StoredSigned("  30"), 30);
    EXPECT_EQ(StoredSigned("12abc"), 12);
    EXPECT_EQ(StoredSigned("2.5"), 2);
    EXPECT_EQ(StoredSigned("007"), 7);
}

TEST(NumberTextIntegers, TextThatIsNotANumberGivesZero) {
    const char* inputs[] = {"abc", "", " ", "-", "--5", "+5", "x12", "\t"};
    for (const char* typed : inputs) {
        bool translated = true;
        EXPECT_EQ(ParseIntegerText(typed, true, &translated), 0u) << '"' << typed << '"';
        EXPECT_FALSE(translated) << '"' << typed << '"';
    }
    bool translated = false;
    EXPECT_EQ(ParseIntegerText("42", true, &translated), 42u);
    EXPECT_TRUE(translated);
}

TEST(NumberTextIntegers, SignedRangeEndsAtInt32) {
    EXPECT_EQ(StoredSigned("2147483647"), 2147483647);
    EXPECT_EQ(StoredSigned("-2147483648"), INT32_MIN);
    EXPECT_EQ(StoredSigned("2147483648"), 0);
    EXPECT_EQ(StoredSigned("-2147483649"), 0);
    EXPECT_EQ(StoredSigned("99999999999999999999999"), 0);
}

// Basic's number boxes: a sign is not a digit, and the full unsigned range
// fits, shown back as its unsigned form.
TEST(NumberTextIntegers, UnsignedBoxesRejectTheSign) {
    EXPECT_EQ(StoredUnsigned("-5"), 0);
    EXPECT_EQ(StoredUnsigned("64"), 64);
    EXPECT_EQ(StoredUnsigned("4294967295"), -1);
    EXPECT_EQ(StoredUnsigned("4294967291"), -5);
    EXPECT_EQ(StoredUnsigned("4294967296"), 0);
}

TEST(NumberTextIntegers, FiveThousandPastedDigitsGiveZero) {
    std::string digits(4095, '7');  // what the box hands over of 5,000 characters
    EXPECT_EQ(StoredSigned(digits.c_str()), 0);
    EXPECT_EQ(StoredUnsigned(digits.c_str()), 0);
    std::string letters(4095, 'x');
    EXPECT_EQ(StoredSigned(letters.c_str()), 0);
}

TEST(NumberTextIntegers, StoredIntegersReadLikeAtoiAndHoldAtTheRange) {
    EXPECT_EQ(ParseClampedInt("  +42x"), 42);
    EXPECT_EQ(ParseClampedInt("-7"), -7);
    EXPECT_EQ(ParseClampedInt("abc"), 0);
    EXPECT_EQ(ParseClampedInt("2147483648"), INT32_MAX);
    EXPECT_EQ(ParseClampedInt("-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseClampedInt(std::string(5000, '9').c_str()), INT32_MAX);
}
