#include "core/settings/server_settings.h"

#include <cstring>

#include "platform/platform.h"
#include "core/settings/settings_file.h"
#include "core/common/ui_text.h"

namespace {

unsigned char* FieldAt(ServerSettings* settings, const SettingKey& key) {
    return reinterpret_cast<unsigned char*>(settings) + key.offset;
}

void CopyText(char* field, const char* text) {
    std::size_t length = std::strlen(text);
    if (length > kSettingsTextSize - 1) length = kSettingsTextSize - 1;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace

void ServerSettings::SetDefaults() {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        unsigned char* field = FieldAt(this, key);
        switch (key.kind) {
            case SettingKind::Text:
                CopyText(reinterpret_cast<char*>(field), key.def.uiText ? LoadUIText(key.def.uiText) : key.def.text);
                break;
            case SettingKind::Int:
                std::memcpy(field, &key.def.intValue, sizeof(std::int32_t));
                break;
            case SettingKind::Float:
                std::memcpy(field, &key.def.floatBits, sizeof(float));  // by bit pattern
                break;
            case SettingKind::Bool:
                *reinterpret_cast<bool*>(field) = key.def.intValue != 0;
                break;
        }
    }
}

void ServerSettings::ReadSettings() {
    if (!platform::CanOpenForReading(GetSettingsFilePath())) {
        SetDefaults();
        return;
    }
    platform::ProfileSession session(GetSettingsFilePath());  // the file is read once
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        unsigned char* field = FieldAt(this, key);
        switch (key.kind) {
            case SettingKind::Text:
                ReadSettingsString(section, key.key, reinterpret_cast<char*>(field));
                break;
            case SettingKind::Int:
                ReadSettingsInt(section, key.key, *reinterpret_cast<std::int32_t*>(field));
                break;
            case SettingKind::Float:
                ReadSettingsFloat(section, key.key, *reinterpret_cast<float*>(field));
                break;
            case SettingKind::Bool:
                ReadSettingsBoolean(section, key.key, *reinterpret_cast<bool*>(field));
                break;
        }
    }
}

void ServerSettings::WriteSettings() {
    // Every key is attempted; a file that cannot be written is reported once
    // per save, for the first key that failed.
    bool reported = false;
    platform::ProfileSession session(GetSettingsFilePath());  // and written once, at the end
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        const unsigned char* field = FieldAt(this, key);
        bool ok = true;
        const char* operation = "";
        switch (key.kind) {
            case SettingKind::Text:
                operation = "WriteSettingsString";
                ok = WriteSettingsString(section, key.key, reinterpret_cast<const char*>(field));
                break;
            case SettingKind::Int:
                operation = "WriteSettingsInt";
                ok = WriteSettingsInt(section, key.key, *reinterpret_cast<const std::int32_t*>(field));
                break;
            case SettingKind::Float:
                operation = "WriteSettingsFloat";
                ok = WriteSettingsFloat(section, key.key, *reinterpret_cast<const float*>(field));
                break;
            case SettingKind::Bool:
                operation = "WriteSettingsBoolean";
                ok = WriteSettingsBoolean(section, key.key, *reinterpret_cast<const bool*>(field));
                break;
        }
        if (!ok && !reported) {
            ReportSettingsWriteError(operation);
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
