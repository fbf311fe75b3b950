// How the settings pages turn numbers into the texts of their edit boxes and
// back. Plain text in, plain values out, so that every rule can be checked
// without a window; the dialog helpers in page_helpers.h only move the text
// in and out of the controls.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pages {

// Room for a number box's text when it is shown or read as a float.
constexpr std::size_t kFloatTextSize = 64;
// Room for any edit box's text: what a text field can hold, plus the zero.
constexpr std::size_t kEditTextSize = 4096;
// The server advertises at most this many characters of its name.
constexpr std::size_t kServerNameLength = 32;

inline bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
inline bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// "%f": six decimals, so 10.0 shows as 10.000000 and 0.33f as 0.330000.
inline void FormatFloatText(float value, char (&text)[kFloatTextSize]) {
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
}

// The number at the start of `text`, read the way atof reads it in the C
// locale: leading blanks skipped, the longest decimal prefix converted,
// 0.0 when there is none ("abc" gives 0.0, "2.5x" 2.5, "1,5" 1.0).
//
// Only decimal notation counts. C libraries disagree about hexadecimal
// floats and the words "inf" and "nan" (one reads "0x10" as 16, another as
// 0), and a settings page must store the same value on every build.
inline double ParseFloatText(const char* text) {
    const char* p = text;
    while (IsBlankChar(*p)) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    std::size_t digits = 0;
    while (IsDigitChar(*p)) { ++p; ++digits; }
    if (*p == '.') {
        ++p;
        while (IsDigitChar(*p)) { ++p; ++digits; }
    }
    if (digits == 0) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigitChar(*q)) {
            while (IsDigitChar(*q)) ++q;
            p = q;
        }
    }
    // Convert only the prefix: strtod would otherwise look past it.
    char number[kFloatTextSize];
    std::size_t length = static_cast<std::size_t>(p - start);
    if (length >= sizeof number) length = sizeof number - 1;
    std::memcpy(number, start, length);
    number[length] = '\0';
    return std::strtod(number, nullptr);
}

// Narrows a parsed number into a float field. A number beyond the float
// range keeps its sign and becomes the largest float: converting it
// directly is undefined, and an infinity would reach Servolt.ini and
// server.cfg as a word that no reader takes back as the same number.
inline float NarrowToFloat(double value) {
    if (std::isnan(value)) return 0.0f;
    if (value > static_cast<double>(FLT_MAX)) return FLT_MAX;
    if (value < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
    return static_cast<float>(value);
}

// GetDlgItemInt's reading of a box: leading blanks skipped, a minus sign
// accepted only when `isSigned`, then decimal digits up to the first other
// character. Text without digits and numbers beyond the range (INT_MIN to
// INT_MAX signed, 0 to UINT_MAX unsigned) give 0 and false. So "abc" gives
// 0, "-5" read unsigned gives 0, and "12abc" gives 12.
//
// Windows and Wine parse differently at the edges (Wine lets strtoul turn
// "-5" into 4294967291), so the pages read the text themselves and store
// the same values everywhere.
inline std::uint32_t ParseIntegerText(const char* text, bool isSigned, bool* translated = nullptr) {
    if (translated) *translated = false;
    const char* p = text;
    while (IsBlankChar(*p)) ++p;
    bool negative = false;
    if (isSigned && *p == '-') {
        negative = true;
        ++p;
    }
    if (!IsDigitChar(*p)) return 0;
    const std::uint64_t limit = isSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : 0xFFFFFFFFull;
    std::uint64_t magnitude = 0;
    while (IsDigitChar(*p)) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(*p - '0');
        if (magnitude > limit) return 0;
        ++p;
    }
    if (translated) *translated = true;
    std::uint64_t value = negative ? (0x100000000ull - magnitude) & 0xFFFFFFFFull : magnitude;
    return static_cast<std::uint32_t>(value);
}

// The 32-bit pattern of an unsigned box stored into a signed field, and
// back: 4294967291 and -5 are the same field value.
inline std::int32_t BitsToInt(std::uint32_t bits) {
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline std::uint32_t IntToBits(std::int32_t value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The integer-or-blank pair: a negative value (not set) shows as an empty
// box, and an empty box reads back as -1. Any other text is read as a
// signed integer, so "abc" gives 0.
inline bool ShowsBlank(std::int32_t value) { return value < 0; }
inline std::int32_t ParseIntOrBlankText(const char* text) {
    if (text[0] == '\0') return -1;
    return BitsToInt(ParseIntegerText(text, true));
}

// The name is kept to its first 32 characters; shorter names stay whole.
inline void CutServerName(char* name) {
    if (std::strlen(name) > kServerNameLength) name[kServerNameLength] = '\0';
}

// AllowAllSkins after a click on its check box: checked means 1 (all
// skins); unchecking a 1 gives 2 (the standard skins), anything else 0.
inline std::int32_t NextAllowAllSkins(bool checked, std::int32_t previous) {
    if (checked) return 1;
    return previous == 1 ? 2 : 0;
}
// Only 1 shows as checked; 0, 2 and any other value show unchecked.
inline bool AllowAllSkinsChecked(std::int32_t value) { return value == 1; }

}  // namespace pages
