// Numbers as texts, the one way the settings file and the pages parse and
// print them. Decimal only: C libraries disagree about hexadecimal floats
// and the words "inf" and "nan", and the same text must give the same value
// on every build.
#pragma once

#include <cstdint>
#include <string>

// The blanks that the readers skip before a number: those of isspace in the
// C locale.
inline bool IsBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
inline bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// "%f": six decimals, so 10.0 shows as 10.000000 and 0.33f as 0.330000.
std::string FormatFloatText(float value);

// The number at the start of `text`, read the way atof reads it in the C
// locale: leading blanks skipped, the longest decimal prefix converted, 0.0
// when there is none ("abc" gives 0.0, "2.5x" 2.5, "1,5" 1.0).
double ParseFloatText(const char* text);

// Narrows a parsed number into a float field. A number beyond the float
// range keeps its sign and becomes the largest float: converting it directly
// is undefined, and an infinity would be written as a word that no reader
// takes back as the same number.
float NarrowToFloat(double value);

// GetDlgItemInt's reading of a box: leading blanks skipped, a minus sign
// accepted only when `isSigned`, then decimal digits up to the first other
// character. Text without digits and numbers beyond the range (INT_MIN to
// INT_MAX signed, 0 to UINT_MAX unsigned) give 0 and false. So "abc" gives
// 0, "-5" read unsigned gives 0, and "12abc" gives 12.
//
// Windows and Wine parse differently at the edges (Wine lets strtoul turn
// "-5" into 4294967291), so the pages read the text themselves and store the
// same values everywhere.
std::uint32_t ParseIntegerText(const char* text, bool isSigned, bool* translated = nullptr);

// atoi with a defined result for any text: leading blanks, an optional sign,
// decimal digits; a value beyond the range gives the nearest int32.
std::int32_t ParseClampedInt(const char* text);
