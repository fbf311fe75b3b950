#include "core/history/config_history.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/history/config_diff.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/server_settings.h"

namespace {

constexpr const char* kManifest = "manifest.ini";
constexpr const char* kPartialPrefix = ".new-";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathOf(const ServerPlaces& places, HistoryRole role) {
    switch (role) {
        case HistoryRole::Settings: return places.settingsFile;
        case HistoryRole::ConsoleScript: return places.ServerConfigPath();
        case HistoryRole::UsedMods: break;
    }
    return places.UsedModsPath();
}

// One file of the configuration as it is now.
struct Current {
    bool present = false;
    std::string bytes;
};

// False when the file is there but cannot be read: keeping an entry without
// it would claim it was missing.
bool ReadCurrent(const std::string& path, Current& file, platform::Error& error) {
    file = Current();
    const platform::PathType kind = platform::PathKind(path.c_str());
    if (kind == platform::PathType::Missing) return true;
    if (!platform::ReadFileContents(path.c_str(), file.bytes)) {
        if (kind == platform::PathType::Link && !platform::PathExists(path.c_str())) return true;  // leads nowhere
        error = platform::LastError(path);
        return false;
    }
    file.present = true;
    return true;
}

// Removes a folder of files (an entry, or what a failed one left).
void RemoveEntryFolder(const std::string& folder) {
    std::vector<std::string> names;
    platform::FindEntries((folder + "\\*").c_str(), [&names](const platform::FoundEntry& entry) {
        if (!entry.isFolder || entry.isLink) names.push_back(entry.name);
    });
    for (const std::string& name : names) platform::RemoveFile((folder + "\\" + name).c_str());
    platform::RemoveFolder(folder.c_str());
}

bool ParseManifest(const std::string& bytes, HistoryEntry& entry) {
    std::string section;
    HistoryFile* file = nullptr;
    bool numbered = false;
    for (const std::string& line : TextLines(bytes)) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            file = nullptr;
            for (HistoryRole role : kHistoryRoles) {
                if (section == HistoryRoleName(role)) {
                    entry.files.push_back(HistoryFile{role, "", ""});
                    file = &entry.files.back();
                }
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (section == "Entry") {
            if (key == "Number") {
                char* stop = nullptr;
                const unsigned long number = std::strtoul(value.c_str(), &stop, 10);
                numbered = stop != value.c_str() && *stop == '\0' && number > 0 && number < 100000000ul;
                entry.number = static_cast<unsigned>(number);
            } else if (key == "Time") {
                entry.time = value;
            } else if (key == "Reason") {
                entry.reason = value;
            }
        } else if (file != nullptr) {
            if (key == "Path") file->path = value;
            // A stored name is a plain name in the entry's folder, never a way out of it.
            else if (key == "File" && value.find_first_of("\\/:") == std::string::npos && value != "." &&
                     value != "..")
                file->stored = value;
        }
    }
    return numbered;
}

std::string FormatManifest(const HistoryEntry& entry) {
    std::string text = "[Entry]\r\nNumber=" + std::to_string(entry.number) + "\r\nTime=" + entry.time +
                       "\r\nReason=" + entry.reason + "\r\n";
    for (const HistoryFile& file : entry.files) {
        text += std::string("[") + HistoryRoleName(file.role) + "]\r\nPath=" + file.path + "\r\nFile=" + file.stored +
                "\r\n";
    }
    return text;
}

std::string FormatTime(std::time_t when, const char* format) {
    char text[32] = "";
    const std::tm* local = std::localtime(&when);
    if (local == nullptr || std::strftime(text, sizeof text, format, local) == 0) return "00000000-000000";
    return text;
}

// Text of a manifest line: no line break may split it.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

const char* HistoryRoleName(HistoryRole role) {
    switch (role) {
        case HistoryRole::Settings: return "settings";
        case HistoryRole::ConsoleScript: return "script";
        case HistoryRole::UsedMods: break;
    }
    return "usedmods";
}

const HistoryFile* HistoryEntry::File(HistoryRole role) const {
    for (const HistoryFile& file : files) {
        if (file.role == role) return &file;
    }
    return nullptr;
}

bool HistoryEntry::Read(HistoryRole role, std::string& bytes) const {
    bytes.clear();
    const HistoryFile* file = File(role);
    if (file == nullptr || file->stored.empty()) return false;
    return platform::ReadFileContents((folder + "\\" + file->stored).c_str(), bytes);
}

std::string HistoryFolder(const ServerPlaces& places) {
    const std::string& settings = places.settingsFile;
    const std::size_t slash = settings.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : settings.substr(0, slash);
    const std::string name = BaseName(settings);
    if (Lower(name) == "servolt.ini") return folder + "\\history";
    const std::size_t dot = name.find_last_of('.');
    return folder + "\\history-" + (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
}

std::vector<HistoryEntry> ListHistory(const ServerPlaces& places) {
    const std::string folder = HistoryFolder(places);
    std::vector<HistoryEntry> entries;
    std::vector<std::string> names;
    platform::FindEntries((folder + "\\*").c_str(), [&names](const platform::FoundEntry& found) {
        if (found.isFolder && !found.isLink && !found.name.empty() && found.name[0] != '.') names.push_back(found.name);
    });
    for (const std::string& name : names) {
        HistoryEntry entry;
        entry.id = name;
        entry.folder = folder + "\\" + name;
        std::string manifest;
        if (!platform::ReadFileContents((entry.folder + "\\" + kManifest).c_str(), manifest)) continue;
        if (ParseManifest(manifest, entry)) entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return a.number < b.number; });
    return entries;
}

const HistoryEntry* FindHistoryEntry(const std::vector<HistoryEntry>& entries, const std::string& id) {
    char* stop = nullptr;
    const unsigned long number = std::strtoul(id.c_str(), &stop, 10);
    const bool isNumber = !id.empty() && std::isdigit(static_cast<unsigned char>(id[0])) && *stop == '\0';
    for (const HistoryEntry& entry : entries) {
        if (entry.id == id || (isNumber && entry.number == number)) return &entry;
    }
    return nullptr;
}

HistoryResult KeepHistory(const ServerPlaces& places, const std::string& reason, std::time_t now, unsigned keep) {
    HistoryResult result;
    Current files[3];
    bool any = false;
    for (HistoryRole role : kHistoryRoles) {
        Current& file = files[static_cast<int>(role)];
        if (!ReadCurrent(PathOf(places, role), file, result.error)) return result;
        any = any || file.present;
    }
    if (!any) return result;  // nothing to replace

    std::vector<HistoryEntry> entries = ListHistory(places);
    if (!entries.empty()) {
        const HistoryEntry& newest = entries.back();
        bool same = true;
        for (HistoryRole role : kHistoryRoles) {
            std::string kept;
            const bool was = newest.Read(role, kept);
            const Current& file = files[static_cast<int>(role)];
            same = same && was == file.present && kept == file.bytes;
        }
        if (same) return result;
    }

    const std::string folder = HistoryFolder(places);
    if (platform::PathKind(folder.c_str()) != platform::PathType::Folder && !platform::CreateFolder(folder.c_str())) {
        result.error = platform::LastError(folder);
        return result;
    }
    HistoryEntry entry;
    entry.number = entries.empty() ? 1 : entries.back().number + 1;
    char number[16];
    std::snprintf(number, sizeof number, "%04u", entry.number);
    entry.id = std::string(number) + "-" + FormatTime(now, "%Y%m%d-%H%M%S");
    entry.time = FormatTime(now, "%Y-%m-%d %H:%M:%S");
    entry.reason = OneLine(reason);
    entry.folder = folder + "\\" + entry.id;

    // Written aside and renamed into place whole: a reader never sees half
    // an entry, and a failure leaves none.
    const std::string partial = folder + "\\" + kPartialPrefix + entry.id;
    if (platform::PathKind(partial.c_str()) != platform::PathType::Missing) RemoveEntryFolder(partial);
    bool written = platform::CreateFolder(partial.c_str());
    std::vector<std::string> storedNames{Lower(kManifest)};
    for (HistoryRole role : kHistoryRoles) {
        const Current& file = files[static_cast<int>(role)];
        HistoryFile kept{role, PathOf(places, role), ""};
        if (file.present && written) {
            kept.stored = BaseName(kept.path);
            if (std::find(storedNames.begin(), storedNames.end(), Lower(kept.stored)) != storedNames.end())
                kept.stored = std::string(HistoryRoleName(role)) + "-" + kept.stored;
            storedNames.push_back(Lower(kept.stored));
            const std::string path = partial + "\\" + kept.stored;
            written = platform::ReplaceFileContents(path.c_str(), file.bytes.data(), file.bytes.size());
        }
        entry.files.push_back(kept);
    }
    if (written) {
        const std::string manifest = FormatManifest(entry);
        const std::string path = partial + "\\" + kManifest;
        written = platform::ReplaceFileContents(path.c_str(), manifest.data(), manifest.size()) &&
                  platform::RenameFolder(partial.c_str(), entry.folder.c_str());
    }
    if (!written) {
        result.error = platform::LastError();
        RemoveEntryFolder(partial);
        return result;
    }
    result.kept = true;
    result.id = entry.id;

    entries.push_back(entry);
    if (keep == 0) keep = 1;
    for (std::size_t i = 0; i + keep < entries.size(); ++i) RemoveEntryFolder(entries[i].folder);
    return result;
}

RestoreResult RestoreHistoryEntry(const ServerContext& context, const HistoryEntry& entry, std::time_t now,
                                  unsigned keep) {
    RestoreResult result;
    std::string bytes;
    // Every copy is read before anything is replaced: an entry that cannot
    // be read changes nothing.
    std::string kept[3];
    bool present[3] = {false, false, false};
    for (HistoryRole role : kHistoryRoles) {
        const int index = static_cast<int>(role);
        const HistoryFile* file = entry.File(role);
        if (file == nullptr || file->stored.empty()) continue;
        if (!entry.Read(role, kept[index])) {
            result.failures.push_back(platform::LastError(entry.folder + "\\" + file->stored));
            return result;
        }
        present[index] = true;
    }
    result.history = KeepHistory(context.places, "restore " + entry.id, now, keep);

    const std::string& settingsPath = context.places.settingsFile;
    const int settings = static_cast<int>(HistoryRole::Settings);
    if (present[settings]) {
        if (!platform::ReplaceFileContents(settingsPath.c_str(), kept[settings].data(), kept[settings].size())) {
            result.failures.push_back(platform::LastError(settingsPath));
            return result;
        }
    } else if (platform::PathKind(settingsPath.c_str()) != platform::PathType::Missing &&
               !platform::RemoveFile(settingsPath.c_str())) {
        result.failures.push_back(platform::LastError(settingsPath));
        return result;
    }

    ServerSettings record;
    record.SetDefaults();
    record.ReadSettings(context.places);
    const SaveResult saved = WriteServerFiles(record, context);
    result.failures.insert(result.failures.end(), saved.failures.begin(), saved.failures.end());
    if (!saved.serverConfigWritten) return result;
    for (HistoryRole role : {HistoryRole::ConsoleScript, HistoryRole::UsedMods}) {
        const int index = static_cast<int>(role);
        if (!present[index]) continue;
        const std::string path = PathOf(context.places, role);
        std::string now;
        if (platform::ReadFileContents(path.c_str(), now) && now == kept[index]) continue;
        if (!platform::ReplaceFileContents(path.c_str(), kept[index].data(), kept[index].size()))
            result.failures.push_back(platform::LastError(path));
    }
    result.restored = result.failures.empty();
    return result;
}
