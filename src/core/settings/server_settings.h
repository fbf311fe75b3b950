// The one settings record of the program and its file operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/settings/setting_field.h"

// Every value the operator edits, named after its settings-file key. Texts
// are NUL-terminated ANSI (line breaks as CR LF), flags hold 0 or 1.
class ServerSettings {
public:
#define SETTING(section, kind, name, def) SettingValue<SettingKind::kind>::Type name;
#include "core/settings/settings_fields.h"
#undef SETTING

    // Factory values for every field; touches no file.
    void SetDefaults();
    // Loads every key of Servolt.ini present in the file; keys it lacks keep
    // their values, and a file that cannot be opened restores the defaults.
    void ReadSettings();
    // Stores all 158 keys into Servolt.ini; a failure is reported once per save
    // and does not stop the remaining keys.
    void WriteSettings();
};

// One handle per field, named as the field: fields::ServerName is a
// TextField, fields::GameType an IntField.
namespace fields {
#define SETTING(section, kind, name, def) \
    inline constexpr Field<SettingKind::kind> name{offsetof(ServerSettings, name)};
#include "core/settings/settings_fields.h"
#undef SETTING
}  // namespace fields

// The process's one record: created on first use with the defaults, then
// loaded from the settings file.
ServerSettings* GetServerSettings();
