// An existing server.cfg taken into a server's settings, as every front end
// takes it: what the import comes to (the exit code's meaning is shared),
// and the settings file rewritten with the old one kept beside it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/common/server_places.h"
#include "core/servercfg/config_import.h"
#include "core/settings/server_settings.h"
#include "platform/platform.h"

// The outcome codes: everything the file told the server is kept; the file
// assigns nothing or something would end otherwise; nothing can be done.
constexpr int kImportKept = 0;
constexpr int kImportPartly = 1;
constexpr int kImportRefused = 2;

struct ImportRun {
    int exitCode = kImportRefused;
    std::string notText;    // why the bytes are no console script ("" when they may be one)
    ImportReport report;
    // The settings the file gives (nullptr when the bytes are refused); the
    // mods in use are those of the stored settings.
    std::unique_ptr<ServerSettings> settings;
    bool writable = false;  // worth writing: the file assigns something
    // The reason the code is not kImportKept, as a sentence about the file
    // ("assigns no setting; ..."); empty when it is.
    std::string conclusion;
};

// Reads `bytes` onto the factory defaults, or with `merge` onto `stored`
// (the settings as the file holds them now, the defaults where it has none).
ImportRun RunImport(const std::string& bytes, const ServerSettings& stored, bool merge);

enum class ImportWriteFailure {
    None,
    PathTooLong,     // the settings file's path does not fit the profile functions
    BackupFailed,    // the old file could not be kept as .bak: nothing was written
    SettingsFailed,  // told through the context's notices
};

// Keeps the settings file as .bak, calls `keepHistory` (the front end keeps
// the history its own way), then writes `settings`. `error` holds the
// system's reason for a failed backup.
ImportWriteFailure WriteImportedSettings(const ServerSettings& settings, const ServerContext& context,
                                         const std::function<void()>& keepHistory, platform::Error& error);
