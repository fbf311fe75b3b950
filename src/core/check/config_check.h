// What would make the server start otherwise than the operator meant: a
// game folder without the server, no map to start with, maps and mods that
// are not installed, choices the writer cannot translate, lines carried in
// the additional options that a setting contradicts, server.cfg and
// usedmods.cfg other than write would make them, paths too long to write,
// and texts the server's console reads otherwise than they were typed.
#pragma once

#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/settings/server_settings.h"

enum class FindingSeverity { Warning, Error };

struct Finding {
    FindingSeverity severity;
    std::string setting;  // the settings-file key, or the file concerned
    std::string message;
};

// Every finding for `settings`, in the order of the settings file's keys.
// The places it looks at: the game folder (for the server and, as discovery
// takes it, the maps) and the mods folder, the folder that holds server.cfg and moddir\usedmods.cfg, and
// the settings file (for the length of its path).
std::vector<Finding> CheckConfiguration(const ServerSettings& settings, const ServerPlaces& places);

const char* SeverityName(FindingSeverity severity);  // "warning" or "error"
