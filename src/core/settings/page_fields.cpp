#include "core/settings/page_fields.h"

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/common/number_text.h"

namespace {

void CopyIntoText(char* field, const char* text, std::size_t limit) {
    std::size_t length = std::strlen(text);
    if (length > limit) length = limit;
    std::memmove(field, text, length);
    field[length] = '\0';
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The whole text as one decimal integer: an optional minus sign, digits and
// nothing else, within [low, high].
bool ReadWholeInteger(const std::string& text, long long low, long long high, long long& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i == text.size()) return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigitChar(text[i])) return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 0x100000000LL) return false;  // past any 32-bit range
    }
    value = negative ? -magnitude : magnitude;
    return value >= low && value <= high;
}

// The whole text as one decimal number that atof reads to its end: the
// page's reading, without the parts it would silently drop.
bool ReadWholeFloat(const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigitChar(text[i])) { ++i; ++digits; }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigitChar(text[i])) { ++i; ++digits; }
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (i == text.size() || !IsDigitChar(text[i])) return false;
        while (i < text.size() && IsDigitChar(text[i])) ++i;
    }
    return i == text.size() && text.size() <= kFloatTextLimit;
}

bool ReadSwitch(const std::string& text, bool& on) {
    const std::string word = LowerAscii(text);
    if (word == "1" || word == "on" || word == "true") {
        on = true;
        return true;
    }
    if (word == "0" || word == "off" || word == "false") {
        on = false;
        return true;
    }
    return false;
}

// A multi-line box stores each line break as CR LF, whichever way it came.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

}  // namespace

PageControlKind KindOf(PageConversion conversion) {
    switch (conversion) {
    case PageConversion::Text:
    case PageConversion::ServerName: return PageControlKind::TextBox;
    case PageConversion::Unsigned:
    case PageConversion::Signed:
    case PageConversion::IntOrBlank:
    case PageConversion::Float: return PageControlKind::NumberBox;
    case PageConversion::Flag: return PageControlKind::CheckBox;
    case PageConversion::AllSkins: return PageControlKind::ThreeValuedCheckBox;
    case PageConversion::Choice: return PageControlKind::ListChoice;
    case PageConversion::Caption: return PageControlKind::GroupCaption;
    case PageConversion::MarkedList: break;
    }
    return PageControlKind::MarkedList;
}

const char* KindName(PageControlKind kind) {
    switch (kind) {
    case PageControlKind::TextBox: return "text box";
    case PageControlKind::NumberBox: return "number box";
    case PageControlKind::CheckBox: return "check box";
    case PageControlKind::ThreeValuedCheckBox: return "three-valued check box";
    case PageControlKind::ListChoice: return "list choice";
    case PageControlKind::GroupCaption: return "group caption";
    case PageControlKind::MarkedList: break;
    }
    return "marked list";
}

const PageField* FindPageField(AnyField field, const SettingsPage** page) {
    for (const SettingsPage& candidate : kSettingsPages) {
        for (const PageField& row : candidate) {
            if (row.conversion == PageConversion::Caption) continue;
            if (row.field.kind != field.kind || row.field.offset != field.offset) continue;
            if (page) *page = &candidate;
            return &row;
        }
    }
    return nullptr;
}

std::int32_t BitsToInt(std::uint32_t bits) {
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint32_t IntToBits(std::int32_t value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::int32_t ParseIntOrBlankText(const char* text) {
    if (text[0] == '\0') return -1;
    return BitsToInt(ParseIntegerText(text, true));
}

void CutServerName(char* name) {
    if (std::strlen(name) > kServerNameLength) name[kServerNameLength] = '\0';
}

std::string ShowPageValue(const PageField& row, const ServerSettings& settings) {
    char number[16];
    switch (row.conversion) {
    case PageConversion::Text:
    case PageConversion::ServerName:
    case PageConversion::MarkedList:
        // A longer name from the settings file is shown whole; it is only
        // cut once the operator has been in the box.
        return row.field.As<SettingKind::Text>().In(settings);
    case PageConversion::Unsigned:
        std::snprintf(number, sizeof number, "%u",
                      static_cast<unsigned>(IntToBits(row.field.As<SettingKind::Int>().In(settings))));
        return number;
    case PageConversion::Signed:
    case PageConversion::AllSkins:
        std::snprintf(number, sizeof number, "%d", static_cast<int>(row.field.As<SettingKind::Int>().In(settings)));
        return number;
    case PageConversion::IntOrBlank: {
        const std::int32_t value = row.field.As<SettingKind::Int>().In(settings);
        if (ShowsBlank(value)) return std::string();
        std::snprintf(number, sizeof number, "%d", static_cast<int>(value));
        return number;
    }
    case PageConversion::Float:
        return FormatFloatText(row.field.As<SettingKind::Float>().In(settings));
    case PageConversion::Flag:
        return row.field.As<SettingKind::Bool>().In(settings) ? "1" : "0";
    case PageConversion::Choice: {
        const std::int32_t index = row.field.As<SettingKind::Int>().In(settings);
        if (index < 0 || static_cast<std::size_t>(index) >= row.choiceCount) return std::string();
        return LoadUIText(row.choices[index]);
    }
    case PageConversion::Caption:
        break;
    }
    return std::string();
}

void StorePageText(const PageField& row, const char* text, ServerSettings& settings) {
    switch (row.conversion) {
    case PageConversion::Text:
        CopyIntoText(row.field.As<SettingKind::Text>().In(settings), text, kPageTextLimit);
        break;
    case PageConversion::ServerName: {
        char* name = row.field.As<SettingKind::Text>().In(settings);
        CopyIntoText(name, text, kPageTextLimit);
        CutServerName(name);
        break;
    }
    case PageConversion::Unsigned:
        row.field.As<SettingKind::Int>().In(settings) = BitsToInt(ParseIntegerText(text, false));
        break;
    case PageConversion::Signed:
        row.field.As<SettingKind::Int>().In(settings) = BitsToInt(ParseIntegerText(text, true));
        break;
    case PageConversion::IntOrBlank:
        row.field.As<SettingKind::Int>().In(settings) = ParseIntOrBlankText(text);
        break;
    case PageConversion::Float: {
        char head[kFloatTextLimit + 1];
        CopyIntoText(head, text, kFloatTextLimit);
        row.field.As<SettingKind::Float>().In(settings) = NarrowToFloat(ParseFloatText(head));
        break;
    }
    default:
        break;
    }
}

std::string AllowedValues(const PageField& row) {
    switch (row.conversion) {
    case PageConversion::Text:
        return row.multiLine ? "a text of at most 4095 characters"
                             : "a text of at most 4095 characters on one line";
    case PageConversion::ServerName:
        return "a text on one line (the first 32 characters are kept)";
    case PageConversion::Unsigned: return "a whole number from 0 to 4294967295";
    case PageConversion::Signed: return "a whole number from -2147483648 to 2147483647";
    case PageConversion::IntOrBlank:
        return "a whole number from -2147483648 to 2147483647, or nothing (not set)";
    case PageConversion::Float: return "a decimal number such as 2.5";
    case PageConversion::Flag: return "1 or 0 (on or off)";
    case PageConversion::AllSkins: return "0 (no skin settings), 1 (all skins) or 2 (the standard skins)";
    case PageConversion::Choice: {
        std::string allowed;
        for (std::size_t i = 0; i < row.choiceCount; ++i) {
            if (i) allowed += ", ";
            allowed += std::to_string(i) + " \"" + LoadUIText(row.choices[i]) + "\"";
        }
        return allowed;
    }
    case PageConversion::Caption:
    case PageConversion::MarkedList: break;
    }
    return std::string();
}

bool SetPageValue(const PageField& row, const std::string& text, ServerSettings& settings, std::string& why) {
    const auto refuse = [&](const std::string& reason) {
        why = reason + "; allowed: " + AllowedValues(row);
        return false;
    };
    if (text.find('\0') != std::string::npos) return refuse("a value cannot hold a NUL character");
    long long number = 0;
    switch (row.conversion) {
    case PageConversion::Text:
    case PageConversion::ServerName: {
        const std::string stored = row.multiLine ? WithCrLf(text) : text;
        if (!row.multiLine && stored.find_first_of("\r\n") != std::string::npos) {
            return refuse("\"" + text + "\" holds a line break");
        }
        if (stored.size() > kPageTextLimit) {
            return refuse("the text has " + std::to_string(stored.size()) + " characters");
        }
        StorePageText(row, stored.c_str(), settings);
        return true;
    }
    case PageConversion::Unsigned:
        if (!ReadWholeInteger(text, 0, 0xFFFFFFFFLL, number)) return refuse("\"" + text + "\" is not allowed");
        StorePageText(row, text.c_str(), settings);
        return true;
    case PageConversion::Signed:
        if (!ReadWholeInteger(text, INT32_MIN, INT32_MAX, number)) return refuse("\"" + text + "\" is not allowed");
        StorePageText(row, text.c_str(), settings);
        return true;
    case PageConversion::IntOrBlank:
        if (!text.empty() && !ReadWholeInteger(text, INT32_MIN, INT32_MAX, number)) {
            return refuse("\"" + text + "\" is not allowed");
        }
        StorePageText(row, text.c_str(), settings);
        return true;
    case PageConversion::Float:
        if (!ReadWholeFloat(text)) return refuse("\"" + text + "\" is not allowed");
        StorePageText(row, text.c_str(), settings);
        return true;
    case PageConversion::Flag: {
        bool on = false;
        if (!ReadSwitch(text, on)) return refuse("\"" + text + "\" is not allowed");
        row.field.As<SettingKind::Bool>().In(settings) = on;
        return true;
    }
    case PageConversion::AllSkins:
        if (!ReadWholeInteger(text, 0, 2, number)) return refuse("\"" + text + "\" is not allowed");
        row.field.As<SettingKind::Int>().In(settings) = static_cast<std::int32_t>(number);
        return true;
    case PageConversion::Choice: {
        const std::string wanted = LowerAscii(text);
        for (std::size_t i = 0; i < row.choiceCount; ++i) {
            if (LowerAscii(LoadUIText(row.choices[i])) == wanted) {
                row.field.As<SettingKind::Int>().In(settings) = static_cast<std::int32_t>(i);
                return true;
            }
        }
        if (ReadWholeInteger(text, 0, static_cast<long long>(row.choiceCount) - 1, number)) {
            row.field.As<SettingKind::Int>().In(settings) = static_cast<std::int32_t>(number);
            return true;
        }
        return refuse("\"" + text + "\" is not in the list");
    }
    case PageConversion::Caption:
    case PageConversion::MarkedList: break;
    }
    why = "this setting is not set by a value";
    return false;
}
