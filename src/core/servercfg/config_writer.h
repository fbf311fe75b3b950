// The section writers of server.cfg. Each appends its entries to `out` with
// "\n" line ends, as the program's text is written; BuildServerConfig turns
// the whole text into the file's bytes (every LF preceded by CR, as Windows
// text mode writes it).
#pragma once

#include <string>

#include "core/settings/server_settings.h"

void WriteBasicSection(std::string& out, const ServerSettings& settings);
void WriteAdvancedSection(std::string& out, const ServerSettings& settings);
void WriteAdvanced2Section(std::string& out, const ServerSettings& settings);
void WriteTeamSection(std::string& out, const ServerSettings& settings);
void WriteLimitsSection(std::string& out, const ServerSettings& settings);
void WriteMapSection(std::string& out, const ServerSettings& settings);
void WriteMapRotation(std::string& out, const ServerSettings& settings);
void WriteWeaponsSection(std::string& out, const ServerSettings& settings);
void WriteExplosivesSection(std::string& out, const ServerSettings& settings);
void WriteDeathmatchFlags(std::string& out, const ServerSettings& settings);

// The sv_maplist value for the rotation: game-type prefix, map, ";" and
// "TeamSwap;" after each map marked 1. As long as the rotation needs.
std::string BuildMapListValue(const ServerSettings& settings);
// The death match flags mask of the settings.
int DeathmatchFlags(const ServerSettings& settings);

// Each LF becomes CR LF, as a file opened with "wt" on Windows receives it.
std::string ToTextModeBytes(const std::string& text);

// The bytes of server.cfg for a record.
std::string BuildServerConfig(const ServerSettings& settings);
