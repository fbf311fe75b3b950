#include "core/common/number_text.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FormatFloatText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

double ParseFloatText(const char* text) {
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
    const std::string number(start, p);
    return std::strtod(number.c_str(), nullptr);
}

float NarrowToFloat(double value) {
    if (std::isnan(value)) return 0.0f;
    if (value > static_cast<double>(FLT_MAX)) return FLT_MAX;
    if (value < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
    return static_cast<float>(value);
}

std::uint32_t ParseIntegerText(const char* text, bool isSigned, bool* translated) {
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
    const std::uint64_t value = negative ? (0x100000000ull - magnitude) & 0xFFFFFFFFull : magnitude;
    return static_cast<std::uint32_t>(value);
}

std::int32_t ParseClampedInt(const char* text) {
    while (IsBlankChar(*text)) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    std::int64_t value = 0;
    for (; IsDigitChar(*text); ++text) {
        if (value <= INT64_C(0x100000000)) value = value * 10 + (*text - '0');
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}
