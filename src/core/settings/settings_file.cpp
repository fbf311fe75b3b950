// Servolt.ini: the key table and the typed profile reads and writes.
#include "core/settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/platform.h"
#include "core/common/notice.h"
#include "core/common/number_text.h"
#include "core/common/ui_text.h"
#include "core/common/server_places.h"

namespace {

constexpr char kDefaultRotation[] =
    "dm/mp_airfield_inv 0 dm/mp_bataan_inv 0 dm/mp_bridge_inv 0 dm/mp_bougainville_inv 0 "
    "dm/mp_corregidor_inv 0 dm/mp_gavutu_inv 0 dm/mp_gifu_inv 0 dm/mp_matanikau_inv 0 "
    "dm/mp_wakeisland_inv 0";

constexpr SettingDefault Text(const char* text) { return SettingDefault{0, 0, text, 0}; }
constexpr SettingDefault UiText(unsigned id) { return SettingDefault{0, 0, nullptr, id}; }
constexpr SettingDefault Int(std::int32_t value) { return SettingDefault{value, 0, nullptr, 0}; }
constexpr SettingDefault Bool(bool value) { return SettingDefault{value ? 1 : 0, 0, nullptr, 0}; }
constexpr SettingDefault FloatBits(std::uint32_t bits) { return SettingDefault{0, bits, nullptr, 0}; }
SettingDefault Float(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return FloatBits(bits);
}

// Record order first; SettingKeys() regroups it by section, which is the
// order of the file.
const SettingKey kRecordOrder[] = {
#define SETTING(section, kind, name, def) {SettingsSection::section, #name, fields::name, def},
#include "core/settings/settings_fields.h"
#undef SETTING
};
static_assert(sizeof kRecordOrder / sizeof kRecordOrder[0] == kSettingKeyCount,
              "ServerSettings has 158 fields");

std::array<SettingKey, kSettingKeyCount> MakeFileOrder() {
    std::array<SettingKey, kSettingKeyCount> keys;
    std::copy(std::begin(kRecordOrder), std::end(kRecordOrder), keys.begin());
    std::stable_sort(keys.begin(), keys.end(), [](const SettingKey& a, const SettingKey& b) {
        return static_cast<int>(a.section) < static_cast<int>(b.section);
    });
    return keys;
}

const char* const kSectionNames[] = {"Basic",  "Advanced", "Advanced2",  "Team", "Limits",
                                     "Maps",   "Weapons",  "Explosives", "Mods"};

// Encoded texts double their backslashes, so a stored value may be about
// twice as long as the 4095 characters of a text.
constexpr unsigned long kValueBufferSize = 2 * kSettingsTextSize + 16;

bool IsQuote(char c) { return c == '"' || c == '\''; }

}  // namespace

const SettingKey* SettingKeys() {
    static const std::array<SettingKey, kSettingKeyCount> keys = MakeFileOrder();
    return keys.data();
}

const char* SettingsSectionName(int section) {
    if (section < 0 || section >= static_cast<int>(SettingsSection::Count)) return "";
    return kSectionNames[section];
}

// The profile functions work in MAX_PATH buffers. Wine does not refuse a
// longer name: it goes on with whatever its buffer held, and the keys land
// in stray files of the current folder, where nothing reads them back. Such
// a path therefore counts as not fitting.
SettingsProfile::SettingsProfile(const std::string& path)
    : path_(path.size() < kProfilePathSize ? path : std::string()) {}

// Reads a key; false when the key is missing. `value` gets what the profile
// function returns (enclosing quotes already removed).
bool SettingsProfile::ReadValue(int section, const char* key, std::string& value) {
    // An empty name would make the profile functions read win.ini.
    if (path_.empty()) return false;
    if (buffer_.empty()) buffer_.resize(kValueBufferSize);
    char* buffer = buffer_.data();
    unsigned long length = platform::ReadProfileString(SettingsSectionName(section), key, "", buffer,
                                                       kValueBufferSize, path_.c_str());
    if (length > 0) {
        value.assign(buffer, length);
        return true;
    }
    // Nothing came back: either the key is present with an empty value or
    // it is missing. A missing key returns the default, so ask once more
    // with a default that an empty value cannot produce.
    length = platform::ReadProfileString(SettingsSectionName(section), key, "-", buffer, kValueBufferSize,
                                         path_.c_str());
    value.clear();
    return length == 0;
}

bool SettingsProfile::WriteValue(int section, const char* key, const char* value) const {
    if (path_.empty()) {
        platform::SetLastErrorCode(206);  // ERROR_FILENAME_EXCED_RANGE
        return false;
    }
    return platform::WriteProfileString(SettingsSectionName(section), key, value, path_.c_str());
}

std::string EncodeSettingsText(const char* text) {
    std::string value;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\') {
            value += "\\\\";
        } else if (*p == '\r' && p[1] == '\n') {
            value += "\\n";
            ++p;
        } else if (*p == '\r') {
            value += '\\';  // a lone CR or LF keeps its old form
        } else if (*p == '\n') {
            value += 'n';
        } else {
            value += *p;
        }
    }
    // The profile functions drop blanks at both ends of a value and one pair
    // of enclosing quotes when reading; one more pair of quotes keeps them.
    if (!value.empty() && (IsBlankChar(value.front()) || IsBlankChar(value.back()) || IsQuote(value.front()) ||
                           IsQuote(value.back()))) {
        value = '"' + value + '"';
    }
    return value;
}

void DecodeSettingsText(const char* value, char* field) {
    std::size_t length = 0;
    const std::size_t limit = kSettingsTextSize - 1;
    for (const char* p = value; *p && length < limit; ++p) {
        if (p[0] == '\\' && p[1] == 'n') {
            if (length + 2 > limit) break;  // never split a line break
            field[length++] = '\r';
            field[length++] = '\n';
            ++p;
        } else if (p[0] == '\\' && p[1] == '\\') {
            field[length++] = '\\';
            ++p;
        } else {
            field[length++] = *p;
        }
    }
    field[length] = '\0';
}

bool SettingsProfile::WriteString(int section, const char* key, const char* text) const {
    return WriteValue(section, key, EncodeSettingsText(text).c_str());
}

bool SettingsProfile::WriteInt(int section, const char* key, std::int32_t value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteValue(section, key, text);
}

bool SettingsProfile::WriteFloat(int section, const char* key, float value) const {
    return WriteValue(section, key, FormatFloatText(value).c_str());
}

bool SettingsProfile::WriteBoolean(int section, const char* key, bool value) const {
    return WriteValue(section, key, value ? "1" : "0");
}

void SettingsProfile::ReadString(int section, const char* key, char* field) {
    std::string value;
    if (ReadValue(section, key, value)) DecodeSettingsText(value.c_str(), field);
}

void SettingsProfile::ReadInt(int section, const char* key, std::int32_t& field) {
    std::string value;
    if (ReadValue(section, key, value) && !value.empty()) field = ParseClampedInt(value.c_str());
}

void SettingsProfile::ReadFloat(int section, const char* key, float& field) {
    std::string value;
    if (ReadValue(section, key, value) && !value.empty()) field = NarrowToFloat(ParseFloatText(value.c_str()));
}

void SettingsProfile::ReadBoolean(int section, const char* key, bool& field) {
    std::string value;
    if (ReadValue(section, key, value) && !value.empty()) field = ParseClampedInt(value.c_str()) == 1;
}

void ReportSettingsWriteError(const NoticeSink& sink, const std::string& path, const char* operation,
                              const platform::Error& error) {
    const unsigned long code = error.code;
    std::string system = platform::SystemErrorText(code);
    if (system.empty()) system = "Unknown error.";
    const std::string format = LoadUIText(IDS_INI_ERROR_FORMAT);  // "%s failed with error %d: %s"
    // Composed without a length limit: the whole system text is shown.
    std::string message;
    for (std::size_t i = 0, argument = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd')) {
            if (argument == 0) message += operation;
            else if (argument == 1) message += std::to_string(static_cast<int>(code));
            else message += system;
            ++argument;
            ++i;
        } else {
            message += format[i];
        }
    }
    Notice notice;
    notice.file = path;
    notice.text = message;
    notice.caption = LoadUIText(IDS_INI_ERROR_CAPTION);
    notice.owner = platform::BoxOwner::None;  // the one box of the program without owner
    notice.style = 0;                          // MB_OK
    notice.error = error;
    ReportNotice(sink, notice);
}
