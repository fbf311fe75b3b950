// The settings record of one server and its settings-file operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/common/server_places.h"
#include "core/settings/setting_field.h"

// A key of the settings file that a save could not write, and why.
struct SettingsKeyFailure {
    const char* section;
    const char* key;
    platform::Error error;
};

// What a save of the settings file left unwritten.
struct SettingsWriteResult {
    // Each key that failed, in file order. When the file itself could not
    // be written at the end of the save, no key reached it: every key is
    // listed, with that error.
    std::vector<SettingsKeyFailure> failures;
    bool Written() const { return failures.empty(); }
};

// Every value the operator edits, named after its settings-file key. Texts
// are NUL-terminated ANSI (line breaks as CR LF), flags hold 0 or 1.
class ServerSettings {
public:
#define SETTING(section, kind, name, def) SettingValue<SettingKind::kind>::Type name;
#include "core/settings/settings_fields.h"
#undef SETTING

    // Factory values for every field; touches no file.
    void SetDefaults();
    // Loads every key present in the places' settings file; keys it lacks
    // keep their values, and a file that cannot be opened restores the
    // defaults.
    void ReadSettings(const ServerPlaces& places);
    // Stores all 158 keys into the context's settings file. A failure is
    // reported to the context's sink once per save, for the first key that
    // failed, and does not stop the remaining keys.
    SettingsWriteResult WriteSettings(const ServerContext& context) const;
};

// One handle per field, named as the field: fields::ServerName is a
// TextField, fields::GameType an IntField.
namespace fields {
#define SETTING(section, kind, name, def) \
    inline constexpr Field<SettingKind::kind> name{offsetof(ServerSettings, name)};
#include "core/settings/settings_fields.h"
#undef SETTING
}  // namespace fields
