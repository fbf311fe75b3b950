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
    CopyText(text, def.uiText ? LoadUIText(def.uiText).c_str() : def.text);
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

void ServerSettings::ReadSettings(const ServerPlaces& places) {
    SettingsProfile file(places.settingsFile);
    if (!platform::CanOpenForReading(file.ProfilePath())) {
        SetDefaults();
        return;
    }
    platform::ProfileSession session(file.ProfilePath());  // the file is read once
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        VisitField(*this, key.field, [&](auto& value) { file.ReadField(section, key.key, value); });
    }
}

SettingsWriteResult ServerSettings::WriteSettings(const ServerContext& context) const {
    // Every key is attempted; a file that cannot be written is reported once
    // per save, for the first key that failed.
    SettingsWriteResult result;
    const std::string& path = context.places.settingsFile;
    const SettingsProfile file(path);
    platform::ProfileSession session(file.ProfilePath());  // and written once, at the end
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = keys[i];
        const int section = static_cast<int>(key.section);
        const bool ok =
            VisitField(*this, key.field, [&](const auto& value) { return file.WriteField(section, key.key, value); });
        if (ok) continue;
        result.failures.push_back(SettingsKeyFailure{SettingsSectionName(section), key.key, platform::LastError(path)});
        if (result.failures.size() == 1) {
            ReportSettingsWriteError(context.notices, path, kWriteOperations[static_cast<int>(key.field.kind)],
                                     result.failures.front().error);
        }
    }
    if (!session.Commit()) {
        // Failing only now, the file failed every key: reported as for the
        // first, unless a key has been reported already.
        const platform::Error error = platform::LastError(path);
        if (result.failures.empty()) ReportSettingsWriteError(context.notices, path, "WriteSettingsString", error);
        result.failures.clear();
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
            result.failures.push_back(
                SettingsKeyFailure{SettingsSectionName(static_cast<int>(keys[i].section)), keys[i].key, error});
        }
    }
    return result;
}
