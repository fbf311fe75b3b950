// How the settings pages turn numbers into the texts of their edit boxes and
// back. Plain text in, plain values out, so that every rule can be checked
// without a window; the dialog helpers in page_helpers.h only move the text
// in and out of the controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/common/number_text.h"

namespace pages {

// Room for a number box's text when it is shown or read as a float.
constexpr std::size_t kFloatTextSize = 64;
// Room for any edit box's text: what a text field can hold, plus the zero.
constexpr std::size_t kEditTextSize = 4096;
// The server advertises at most this many characters of its name.
constexpr std::size_t kServerNameLength = 32;

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
