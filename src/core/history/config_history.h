// Earlier configurations of one server: before a save replaces its settings
// file, its console script or usedmods.cfg, the files as they were are kept
// as one numbered, dated entry of a history folder beside the settings file,
// so that a bad edit, an import or a tool that rewrote them can be undone.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "platform/platform.h"

constexpr unsigned kDefaultHistoryKeep = 50;

// The files of a configuration, in the order entries list them.
enum class HistoryRole { Settings, ConsoleScript, UsedMods };
constexpr HistoryRole kHistoryRoles[] = {HistoryRole::Settings, HistoryRole::ConsoleScript, HistoryRole::UsedMods};
const char* HistoryRoleName(HistoryRole role);  // "settings", "script", "usedmods"

struct HistoryFile {
    HistoryRole role = HistoryRole::Settings;
    std::string path;    // where it was
    std::string stored;  // its name in the entry's folder; empty: it was not there
};

struct HistoryEntry {
    unsigned number = 0;
    std::string id;      // the folder's name: "0007-20261207-223015"
    std::string folder;  // its path
    std::string time;    // "2026-12-07 22:30:15", local time
    std::string reason;  // what was about to replace the files: "write", "import", "restore 0006", ...
    std::vector<HistoryFile> files;

    const HistoryFile* File(HistoryRole role) const;
    // The bytes the entry keeps of a file; false when it was not there or
    // the copy cannot be read.
    bool Read(HistoryRole role, std::string& bytes) const;
};

// The history folder of a server: "history" beside Servolt.ini, and for any
// other settings file "history-" and its name without extension, so that
// servers sharing a folder keep separate histories.
std::string HistoryFolder(const ServerPlaces& places);

struct HistoryResult {
    bool kept = false;     // a new entry was written
    std::string id;        // its id
    platform::Error error; // why none could be, when one was due
    bool Failed() const { return error.Failed(); }
};

// Keeps the places' files as they are now as a new entry, unless none of
// them exists or they are the newest entry's byte for byte; then removes all
// but the newest `keep` entries. The entry is written in a folder of its own
// and renamed into place complete, so that a failure (a full disk, a folder
// that cannot be written) leaves no entry and nothing half-written; it is
// reported in the result and never stops the save that follows.
HistoryResult KeepHistory(const ServerPlaces& places, const std::string& reason, std::time_t now,
                          unsigned keep = kDefaultHistoryKeep);

// The complete entries, oldest first.
std::vector<HistoryEntry> ListHistory(const ServerPlaces& places);

// The entry `id` names: its number ("7", "0007") or its folder's name.
const HistoryEntry* FindHistoryEntry(const std::vector<HistoryEntry>& entries, const std::string& id);

struct RestoreResult {
    HistoryResult history;                // the entry kept of the files the restore replaced
    bool restored = false;                // every file of the entry put back
    std::vector<platform::Error> failures;
};

// Puts the entry's configuration back: its settings file as it was (none,
// if it had none), then the console script and usedmods.cfg written from it
// as a save writes them, and where the entry kept other bytes of them (an
// edit by hand, a script older than its settings) those bytes. The files it
// replaces are first kept as an entry of their own, so a restore can be
// undone. Failures are reported to the context's sink as a save reports them.
RestoreResult RestoreHistoryEntry(const ServerContext& context, const HistoryEntry& entry, std::time_t now,
                                  unsigned keep = kDefaultHistoryKeep);
