#include "core/settings/server_settings.h"

#include <cstring>

#include "platform/platform.h"
#include "core/settings/settings_file.h"
#include "core/common/ui_text.h"

namespace {

void CopyText(char* field, const char* text) {
    std::size_t length = std::strlen(text);
    if (length > kSettingsTextSize - 1) length = kSettingsTextSize - 1;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

// A default as the field's own type.
void SetDefault(char (&text)[kSettingsTextSize], const SettingDefault& def) {
    CopyText(text, def.uiText ? LoadUIText(def.uiText) : def.text);
}
void SetDefault(std::int32_t& value, const SettingDefault& def) { value = def.intValue; }
void SetDefault(float& value, const SettingDefault& def) {
    std::memcpy(&value, &def.floatBits, sizeof value);  // by bit pattern
}
void SetDefault(bool& value, const SettingDefault& def) { value = def.intValue != 0; }

// Named in the error report of a failed write, by kind.
const char* const kWriteOperations[] = {"WriteSettingsString", "WriteSettingsInt", "WriteSettingsFloat",
                                        "WriteSettingsBoolean"};

}  // namespace

void ServerSettings::SetDefaults() {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        VisitField(*this, key.field, [&](auto& value) { SetDefault(value, key.def); });
    }
}

void ServerSettings::ReadSettings() {
    SettingsFilePass pass;
    if (!platform::CanOpenForReading(GetSettingsFilePath())) {
        SetDefaults();
        return;
    }
    platform::ProfileSession session(GetSettingsFilePath());  // the file is read once
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        VisitField(*this, key.field, [&](auto& value) { ReadSettingsField(section, key.key, value); });
    }
}

void ServerSettings::WriteSettings() {
    // Every key is attempted; a file that cannot be written is reported once
    // per save, for the first key that failed.
    bool reported = false;
    SettingsFilePass pass;
    platform::ProfileSession session(GetSettingsFilePath());  // and written once, at the end
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        const bool ok = VisitField(static_cast<const ServerSettings&>(*this), key.field,
                                   [&](const auto& value) { return WriteSettingsField(section, key.key, value); });
        if (!ok && !reported) {
            ReportSettingsWriteError(kWriteOperations[static_cast<int>(key.field.kind)]);
            reported = true;
        }
    }
    // Failing only now, the file failed every key: reported as for the first.
    if (!session.Commit() && !reported) ReportSettingsWriteError("WriteSettingsString");
}

ServerSettings* GetServerSettings() {
    // Static storage: creating the record cannot fail, and it lives until the
    // process ends. It is the one record before it is loaded.
    static ServerSettings settings;
    static bool created = false;
    if (!created) {
        created = true;
        settings.SetDefaults();
        settings.ReadSettings();
    }
    return &settings;
}
