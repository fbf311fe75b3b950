// Two configurations of one server side by side: two entries of its
// history, or an entry and the files as they are now, and what changed
// between them, file by file.
#pragma once

#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/history/config_diff.h"
#include "core/history/config_history.h"

// One side: an entry's files, or the files as they are.
struct HistorySide {
    std::string name;  // the entry's id, or "now"
    bool present[3] = {false, false, false};  // by HistoryRole
    std::string bytes[3];
    std::string path[3];
};

HistorySide EntrySide(const HistoryEntry& entry);
HistorySide CurrentSide(const ServerPlaces& places);

// What changed in one file of the configuration.
struct FileComparison {
    HistoryRole role = HistoryRole::Settings;
    std::string name;       // the file's name, without its folder
    bool before = false;    // present on the first side
    bool after = false;     // present on the second side
    std::vector<SettingChange> settings;  // the settings file's
    std::vector<LineChange> lines;        // the other files'
};

struct HistoryComparison {
    std::string from, to;  // the sides' names
    // Only the files that differ, in the order entries list them.
    std::vector<FileComparison> files;
};

enum class CompareResult {
    Compared,
    NoHistory,   // no entry was named and there are none
    NoSuchEntry, // `missing` names the id that was not found
};

// Compares A with B: `ids` holds at most two entries' numbers or ids; A
// defaults to the newest entry, B to the files as they are now.
CompareResult CompareHistory(const ServerPlaces& places, const std::vector<std::string>& ids,
                             HistoryComparison& comparison, std::string& missing);
