// The Save sequence: the settings file, server.cfg and usedmods.cfg.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/settings/server_settings.h"

// What a save wrote and what it could not.
struct SaveResult {
    // Whether server.cfg was written; usedmods.cfg is attempted only then.
    bool serverConfigWritten = false;
    // Each file that could not be written, in the order of the save, with
    // the system's reason (Error::path names the file): the settings file
    // once, server.cfg, usedmods.cfg.
    std::vector<platform::Error> failures;
    // The keys of the settings file that failed (SaveConfiguration only).
    SettingsWriteResult settings;
};

// Writes every setting to the context's settings file, then server.cfg into
// its user folder, then usedmods.cfg. Each failure is reported to the
// context's sink as it happens; a server.cfg that is not written leaves the
// previous one untouched.
SaveResult SaveConfiguration(const ServerSettings& settings, const ServerContext& context);

// server.cfg and usedmods.cfg of `settings` into the context's user folder
// (usedmods.cfg into its moddir), exactly as the Save sequence writes them,
// with the same notices.
SaveResult WriteServerFiles(const ServerSettings& settings, const ServerContext& context);

constexpr std::size_t kServerConfigPathSize = 260;  // MAX_PATH
// The path of the places' server.cfg. False when it does not fit MAX_PATH;
// `path` still receives the full name then (for the message).
bool GetServerConfigPath(const ServerPlaces& places, std::string& path);
