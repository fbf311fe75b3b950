#include "core/history/history_compare.h"

#include "platform/platform.h"

namespace {

std::string FileName(const HistorySide& a, const HistorySide& b, int index) {
    const std::string& path = b.path[index].empty() ? a.path[index] : b.path[index];
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

HistorySide EntrySide(const HistoryEntry& entry) {
    HistorySide side;
    side.name = entry.id;
    for (HistoryRole role : kHistoryRoles) {
        const int index = static_cast<int>(role);
        side.present[index] = entry.Read(role, side.bytes[index]);
        if (const HistoryFile* file = entry.File(role)) side.path[index] = file->path;
    }
    return side;
}

HistorySide CurrentSide(const ServerPlaces& places) {
    HistorySide side;
    side.name = "now";
    side.path[0] = places.settingsFile;
    side.path[1] = places.ServerConfigPath();
    side.path[2] = places.UsedModsPath();
    for (int index = 0; index < 3; ++index) {
        side.present[index] = platform::PathKind(side.path[index].c_str()) != platform::PathType::Missing &&
                              platform::ReadFileContents(side.path[index].c_str(), side.bytes[index]);
    }
    return side;
}

CompareResult CompareHistory(const ServerPlaces& places, const std::vector<std::string>& ids,
                             HistoryComparison& comparison, std::string& missing) {
    const std::vector<HistoryEntry> entries = ListHistory(places);
    if (ids.empty() && entries.empty()) return CompareResult::NoHistory;
    HistorySide sides[2];
    for (std::size_t i = 0; i < 2; ++i) {
        if (i < ids.size()) {
            const HistoryEntry* entry = FindHistoryEntry(entries, ids[i]);
            if (entry == nullptr) {
                missing = ids[i];
                return CompareResult::NoSuchEntry;
            }
            sides[i] = EntrySide(*entry);
        } else if (i == 0) {
            sides[i] = EntrySide(entries.back());
        } else {
            sides[i] = CurrentSide(places);
        }
    }
    const HistorySide& a = sides[0];
    const HistorySide& b = sides[1];
    comparison = HistoryComparison();
    comparison.from = a.name;
    comparison.to = b.name;
    for (HistoryRole role : kHistoryRoles) {
        const int index = static_cast<int>(role);
        FileComparison file;
        file.role = role;
        file.name = FileName(a, b, index);
        file.before = a.present[index];
        file.after = b.present[index];
        if (role == HistoryRole::Settings) {
            file.settings = DiffSettings(a.bytes[index], b.bytes[index]);
        } else {
            file.lines = DiffLines(a.bytes[index], b.bytes[index]);
        }
        if (file.before == file.after && file.settings.empty() && file.lines.empty()) continue;
        comparison.files.push_back(std::move(file));
    }
    return CompareResult::Compared;
}
