// The one settings record of the program and its file operations.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSettingsTextSize = 4096;  // a text holds at most 4095 characters

#define SERVOLT_FIELD_Text(name) char name[kSettingsTextSize]
#define SERVOLT_FIELD_Int(name) std::int32_t name
#define SERVOLT_FIELD_Float(name) float name
#define SERVOLT_FIELD_Bool(name) bool name

// Every value the operator edits, named after its settings-file key. Texts
// are NUL-terminated ANSI (line breaks as CR LF), flags hold 0 or 1.
class ServerSettings {
public:
#define SETTING(section, kind, name, def) SERVOLT_FIELD_##kind(name);
#include "core/settings/settings_fields.h"
#undef SETTING

    // Factory values for every field; touches no file.
    void SetDefaults();
    // Loads every key of Servolt.ini present in the file; keys it lacks keep
    // their values, and a file that cannot be opened restores the defaults.
    void ReadSettings();
    // Stores all 158 keys into Servolt.ini; a failure is shown once per save
    // and does not stop the remaining keys.
    void WriteSettings();
};

// The process's one record: created on first use with the defaults, then
// loaded from the settings file.
ServerSettings* GetServerSettings();
