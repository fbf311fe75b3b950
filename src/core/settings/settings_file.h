// Servolt.ini: sections, the key table and the typed read/write operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/notice.h"
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

// The typed profile reads and writes of one settings file. A path that does
// not fit the profile functions (MAX_PATH, NUL included) counts as empty:
// nothing is read from it, and each write fails with
// ERROR_FILENAME_EXCED_RANGE, so no key lands in a stray file. One object
// serves one load or one save.
class SettingsProfile {
public:
    explicit SettingsProfile(const std::string& path);
    SettingsProfile(const SettingsProfile&) = delete;
    SettingsProfile& operator=(const SettingsProfile&) = delete;

    // The path the profile functions get; empty when it does not fit.
    const char* ProfilePath() const { return path_.c_str(); }

    // Each returns false when the profile write failed (LastErrorCode()
    // tells why); they show nothing themselves.
    bool WriteString(int section, const char* key, const char* text) const;
    bool WriteInt(int section, const char* key, std::int32_t value) const;
    bool WriteFloat(int section, const char* key, float value) const;
    bool WriteBoolean(int section, const char* key, bool value) const;

    // Each leaves the field unchanged when the key is missing. A text key
    // that is present with an empty value empties the text; an empty number
    // or flag keeps its value.
    void ReadString(int section, const char* key, char* field /*4096*/);
    void ReadInt(int section, const char* key, std::int32_t& field);
    void ReadFloat(int section, const char* key, float& field);
    void ReadBoolean(int section, const char* key, bool& field);

    // The same, chosen by the field's type, for walks over the key table.
    bool WriteField(int section, const char* key, const char (&text)[kSettingsTextSize]) const {
        return WriteString(section, key, text);
    }
    bool WriteField(int section, const char* key, std::int32_t value) const { return WriteInt(section, key, value); }
    bool WriteField(int section, const char* key, float value) const { return WriteFloat(section, key, value); }
    bool WriteField(int section, const char* key, bool value) const { return WriteBoolean(section, key, value); }
    void ReadField(int section, const char* key, char (&text)[kSettingsTextSize]) { ReadString(section, key, text); }
    void ReadField(int section, const char* key, std::int32_t& value) { ReadInt(section, key, value); }
    void ReadField(int section, const char* key, float& value) { ReadFloat(section, key, value); }
    void ReadField(int section, const char* key, bool& value) { ReadBoolean(section, key, value); }

private:
    bool ReadValue(int section, const char* key, std::string& value);
    bool WriteValue(int section, const char* key, const char* value) const;

    std::string path_;
    std::vector<char> buffer_;  // what a read returns, for every read of the object
};

// Reports a failed write of `path` to `sink` as the window's box without
// owner: "`operation` failed with error <code>: <system text>", with the
// system's text for error.code.
void ReportSettingsWriteError(const NoticeSink& sink, const std::string& path, const char* operation,
                              const platform::Error& error);

// The value text stored for a text field, and its reading back. Backslashes
// are doubled and each CR LF becomes the two characters \n, so every text
// comes back as it was; values that the profile functions would trim or
// unquote are wrapped in one more pair of double quotes. Decoding reads \n as
// CR LF and \\ as one backslash; any other backslash stands for itself, so
// files written before backslashes were doubled read as they did.
std::string EncodeSettingsText(const char* text);
// Decodes a stored value into a text field (cut to 4095 characters).
void DecodeSettingsText(const char* value, char* field /*4096*/);
