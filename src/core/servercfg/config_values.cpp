// Strict means: the value's text is the very form the writer gives such a
// value, and the field holds it without rounding it to another value, so
// that server.cfg written again tells the server the same.
#include "core/servercfg/config_values.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "core/common/number_text.h"
#include "core/servercfg/config_index.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/console_script.h"
#include "core/settings/flagged_list.h"
#include "platform/ascii.h"

namespace servercfg {

namespace {

bool IsWholeNumberText(const std::string& text) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (!IsDigitChar(text[i])) return false;
    }
    return true;
}

bool IsDecimalText(const std::string& text) {
    std::size_t i = 0, digits = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < n && IsDigitChar(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigitChar(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < n && IsDigitChar(text[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == n;
}

}  // namespace

std::string Quoted(std::string_view text) {
    std::string out(text.substr(0, 40));
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return "\"" + out + (text.size() > 40 ? "...\"" : "\"");
}

bool ReadWhole(const std::string& value, const std::string& name, std::int32_t& out, std::string& why) {
    if (!IsWholeNumberText(value)) {
        why = name + ": " + Quoted(value) + " is not a whole number";
        return false;
    }
    bool inRange = false;
    const std::uint32_t bits = ParseIntegerText(value.c_str(), true, &inRange);
    if (!inRange) {
        why = name + ": " + Quoted(value) + " is beyond the range of a 32-bit number";
        return false;
    }
    out = static_cast<std::int32_t>(bits);
    return true;
}

bool ReadFlag(const std::string& value, const std::string& name, bool& out, std::string& why) {
    std::int32_t number = 0;
    if (!ReadWhole(value, name, number, why)) return false;
    if (number != 0 && number != 1) {
        why = name + ": " + Quoted(value) + " is not 0 or 1";
        return false;
    }
    out = number == 1;
    return true;
}

bool ReadDecimal(const std::string& value, const std::string& name, float& out, std::string& why) {
    if (!IsDecimalText(value)) {
        why = name + ": " + Quoted(value) + " is not a decimal number";
        return false;
    }
    // Up to half a step beyond the largest float a float still rounds to it.
    static const double limit = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
    const double number = ParseFloatText(value.c_str());
    if (!(std::fabs(number) < limit)) {
        why = name + ": " + Quoted(value) + " is beyond the range of a float";
        return false;
    }
    out = NarrowToFloat(number);
    return true;
}

bool ReadText(const std::string& value, const std::string& name, char (&out)[kSettingsTextSize], std::string& why) {
    if (value.size() > kMaxTextLength) {
        why = name + ": the text is longer than 4095 characters";
        return false;
    }
    if (value.find('\0') != std::string::npos) {
        why = name + ": the text holds a NUL byte";
        return false;
    }
    std::memcpy(out, value.c_str(), value.size() + 1);
    return true;
}

bool ReadRotation(const std::string& value, const char* prefix, std::string& rotation, std::string& why) {
    if (value.find('\0') != std::string::npos) {
        why = "the list holds a NUL byte";
        return false;
    }
    // Hand-written lists put a blank after ';', leave out the last ';' or
    // spell the swap mark in small letters; the server reads them all alike.
    std::vector<std::pair<std::string_view, bool>> maps;
    for (std::string_view element : MapListElements(value)) {
        if (ascii::EqualNoCase(element, kTeamSwapMark)) {
            if (maps.empty() || maps.back().second) {
                why = "a TeamSwap mark without a map before it";
                return false;
            }
            maps.back().second = true;
            continue;
        }
        if (prefix != nullptr) {
            const std::size_t length = std::strlen(prefix);
            if (element.size() <= length || element.compare(0, length, prefix) != 0 || element[length] != ' ') {
                why = "a map without the game type's number " + std::string(prefix) + " before it";
                return false;
            }
            element.remove_prefix(length + 1);
        }
        if (element.empty() || element.find(' ') != std::string_view::npos) {
            why = "a map name that is empty or holds a blank";
            return false;
        }
        maps.emplace_back(element, false);
    }
    if (maps.empty()) {
        why = "the list names no map";
        return false;
    }
    rotation.clear();
    for (const auto& [map, swap] : maps) AppendFlaggedItem(rotation, std::string(map), swap);
    if (rotation.size() > kMaxTextLength) {
        why = "the rotation would be longer than 4095 characters";
        return false;
    }
    return true;
}

std::vector<std::string_view> MapListElements(std::string_view value) {
    std::vector<std::string_view> elements;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos) end = value.size();
        std::string_view element = value.substr(start, end - start);
        while (!element.empty() && element.front() == ' ') element.remove_prefix(1);
        while (!element.empty() && element.back() == ' ') element.remove_suffix(1);
        if (!element.empty()) elements.push_back(element);
        start = end + 1;
    }
    return elements;
}

bool SameValueFor(std::string_view name, std::string_view a, std::string_view b) {
    if (SameConsoleValue(a, b)) return true;
    if (!ascii::EqualNoCase(name, FormatName(kRotationLine))) return false;
    const std::vector<std::string_view> x = MapListElements(a), y = MapListElements(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const bool swap = ascii::EqualNoCase(x[i], kTeamSwapMark);
        if (swap != ascii::EqualNoCase(y[i], kTeamSwapMark) || (!swap && x[i] != y[i])) return false;
    }
    return true;
}

}  // namespace servercfg
