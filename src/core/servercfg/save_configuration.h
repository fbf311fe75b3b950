// The Save sequence: the settings file, server.cfg and usedmods.cfg.
#pragma once

#include <cstddef>
#include <string>

#include "core/settings/server_settings.h"

// Writes every setting to Servolt.ini, then server.cfg in the user folder,
// then usedmods.cfg. False when server.cfg could not be written (a notice has
// told the operator why); the previous server.cfg is then left untouched.
bool SaveConfiguration();

// server.cfg and usedmods.cfg of `settings` into `folder` (no trailing
// backslash; usedmods.cfg goes to its moddir), exactly as the Save sequence
// writes them into the user folder, with the same notices. False when
// server.cfg could not be written.
bool WriteServerFiles(const ServerSettings& settings, const std::string& folder);

constexpr std::size_t kServerConfigPathSize = 260;  // MAX_PATH
// The path of server.cfg. False when it does not fit MAX_PATH; `path` still
// receives the full name then (for the message).
bool GetServerConfigPath(std::string& path);
