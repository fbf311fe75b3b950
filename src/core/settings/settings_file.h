// Servolt.ini: sections, the key table and the typed read/write operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings/server_settings.h"

enum class SettingsSection : int {
    Basic, Advanced, Advanced2, Team, Limits, Maps, Weapons, Explosives, Mods, Count
};

struct SettingDefault {
    std::int32_t intValue = 0;
    std::uint32_t floatBits = 0;
    const char* text = nullptr;  // constant default text
    unsigned uiText = 0;         // or a string-table text, loaded at each reset
};

struct SettingKey {
    SettingsSection section;
    const char* key;  // the field's name
    AnyField field;
    SettingDefault def;
};

constexpr std::size_t kSettingKeyCount = 158;
// All keys in the order they are written and read: section by section, and
// within a section in record order.
const SettingKey* SettingKeys();

// The section name for an index, "" outside 0 to 8.
const char* SettingsSectionName(int section);
// The path of Servolt.ini in one shared buffer, rebuilt at each call; empty
// when it is longer than the profile functions take (MAX_PATH, NUL included).
// While a SettingsFilePass is alive it is the path the pass began with.
const char* GetSettingsFilePath();
// Makes the settings file `path` (a front end's --ini) instead of the user
// folder's Servolt.ini; the empty text returns to the user folder's.
void UseSettingsFile(const std::string& path);

// One read or write of the whole record: its keys all go to the one file,
// and the Documents folder is asked for once rather than for each of the
// 158 keys (under Wine each query costs as much as the profile call itself).
class SettingsFilePass {
public:
    SettingsFilePass();
    ~SettingsFilePass();
    SettingsFilePass(const SettingsFilePass&) = delete;
    SettingsFilePass& operator=(const SettingsFilePass&) = delete;
};

// Each returns false when the profile write failed (LastErrorCode() tells
// why); they show nothing themselves.
bool WriteSettingsString(int section, const char* key, const char* text);
bool WriteSettingsInt(int section, const char* key, std::int32_t value);
bool WriteSettingsFloat(int section, const char* key, float value);
bool WriteSettingsBoolean(int section, const char* key, bool value);

// Each leaves the field unchanged when the key is missing. A text key that
// is present with an empty value empties the text; an empty number or flag
// keeps its value.
void ReadSettingsString(int section, const char* key, char* field /*4096*/);
void ReadSettingsInt(int section, const char* key, std::int32_t& field);
void ReadSettingsFloat(int section, const char* key, float& field);
void ReadSettingsBoolean(int section, const char* key, bool& field);

// The same, chosen by the field's type, for walks over the key table.
inline bool WriteSettingsField(int section, const char* key, const char (&text)[kSettingsTextSize]) {
    return WriteSettingsString(section, key, text);
}
inline bool WriteSettingsField(int section, const char* key, std::int32_t value) {
    return WriteSettingsInt(section, key, value);
}
inline bool WriteSettingsField(int section, const char* key, float value) {
    return WriteSettingsFloat(section, key, value);
}
inline bool WriteSettingsField(int section, const char* key, bool value) {
    return WriteSettingsBoolean(section, key, value);
}
inline void ReadSettingsField(int section, const char* key, char (&text)[kSettingsTextSize]) {
    ReadSettingsString(section, key, text);
}
inline void ReadSettingsField(int section, const char* key, std::int32_t& value) {
    ReadSettingsInt(section, key, value);
}
inline void ReadSettingsField(int section, const char* key, float& value) {
    ReadSettingsFloat(section, key, value);
}
inline void ReadSettingsField(int section, const char* key, bool& value) {
    ReadSettingsBoolean(section, key, value);
}

// Reports a failed write to the front end, with the last error code and its
// system text.
void ReportSettingsWriteError(const char* operation);

// The value text stored for a text field, and its reading back. Backslashes
// are doubled and each CR LF becomes the two characters \n, so every text
// comes back as it was; values that the profile functions would trim or
// unquote are wrapped in one more pair of double quotes. Decoding reads \n as
// CR LF and \\ as one backslash; any other backslash stands for itself, so
// files written before backslashes were doubled read as they did.
std::string EncodeSettingsText(const char* text);
// Decodes a stored value into a text field (cut to 4095 characters).
void DecodeSettingsText(const char* value, char* field /*4096*/);
