// servolt-cli history: the configurations a server had before each save,
// what changed between them, and one of them put back.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ctime>
#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/history/config_diff.h"
#include "core/history/config_history.h"
#include "platform/platform.h"

namespace {

int RunHistoryList(const ServerContext& context, bool json) {
    const std::vector<HistoryEntry> entries = ListHistory(context.places);
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const HistoryEntry& entry : entries) {
            nlohmann::ordered_json files = nlohmann::ordered_json::object();
            for (const HistoryFile& file : entry.files) {
                files[HistoryRoleName(file.role)] =
                    file.stored.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(ShownPath(file.path));
            }
            list.push_back({{"id", entry.id},
                            {"number", entry.number},
                            {"time", entry.time},
                            {"reason", entry.reason},
                            {"files", files}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return 0;
    }
    if (entries.empty()) {
        std::cout << "no history in " << ShownPath(HistoryFolder(context.places)) << '\n';
        return 0;
    }
    for (const HistoryEntry& entry : entries) {
        std::cout << entry.id << "  " << entry.time << "  before " << ShownName(entry.reason) << '\n';
    }
    return 0;
}

// One side of a comparison: an entry's files, or the files as they are.
struct Side {
    std::string name;
    bool present[3] = {false, false, false};
    std::string bytes[3];
    std::string path[3];
};

Side EntrySide(const HistoryEntry& entry) {
    Side side;
    side.name = entry.id;
    for (HistoryRole role : kHistoryRoles) {
        const int index = static_cast<int>(role);
        side.present[index] = entry.Read(role, side.bytes[index]);
        if (const HistoryFile* file = entry.File(role)) side.path[index] = file->path;
    }
    return side;
}

Side CurrentSide(const ServerPlaces& places) {
    Side side;
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

std::string Shown(bool present, const std::string& value) {
    return present ? "\"" + ShownName(value) + "\"" : std::string("(none)");
}

std::string FileName(const Side& a, const Side& b, int index) {
    const std::string& path = b.path[index].empty() ? a.path[index] : b.path[index];
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunDiff(const ServerContext& context, const std::vector<std::string>& ids) {
    const std::vector<HistoryEntry> entries = ListHistory(context.places);
    if (ids.empty() && entries.empty()) {
        Say("no history in " + ShownPath(HistoryFolder(context.places)));
        return kExitFailed;
    }
    Side sides[2];
    for (std::size_t i = 0; i < 2; ++i) {
        if (i < ids.size()) {
            const HistoryEntry* entry = FindHistoryEntry(entries, ids[i]);
            if (entry == nullptr) {
                Say("no history entry " + ids[i] + " (servolt-cli history list shows them)");
                return kExitFailed;
            }
            sides[i] = EntrySide(*entry);
        } else if (i == 0) {
            sides[i] = EntrySide(entries.back());
        } else {
            sides[i] = CurrentSide(context.places);
        }
    }
    const Side& a = sides[0];
    const Side& b = sides[1];
    std::cout << "from " << a.name << " to " << b.name << '\n';
    bool any = false;
    const int settings = static_cast<int>(HistoryRole::Settings);
    const std::vector<SettingChange> changes = DiffSettings(a.bytes[settings], b.bytes[settings]);
    if (a.present[settings] != b.present[settings] || !changes.empty()) {
        any = true;
        std::cout << FileName(a, b, settings) << (b.present[settings] ? "" : " (removed)")
                  << (a.present[settings] ? "" : " (new)") << ":\n";
        for (const SettingChange& change : changes) {
            std::cout << "  " << change.label << ": " << Shown(change.hadBefore, change.before) << " -> "
                      << Shown(change.hasAfter, change.after) << '\n';
        }
    }
    for (HistoryRole role : {HistoryRole::ConsoleScript, HistoryRole::UsedMods}) {
        const int index = static_cast<int>(role);
        const std::vector<LineChange> lines = DiffLines(a.bytes[index], b.bytes[index]);
        if (a.present[index] == b.present[index] && lines.empty()) continue;
        any = true;
        std::cout << FileName(a, b, index) << (b.present[index] ? "" : " (removed)")
                  << (a.present[index] ? "" : " (new)") << ":\n";
        for (const LineChange& line : lines) std::cout << "  " << line.sign << ' ' << ShownName(line.line) << '\n';
    }
    if (!any) std::cout << "no change\n";
    return 0;
}

int RunRestore(const CliPlaces& options, const ServerContext& context, const std::string& id) {
    const std::vector<HistoryEntry> entries = ListHistory(context.places);
    const HistoryEntry* entry = FindHistoryEntry(entries, id);
    if (entry == nullptr) {
        Say("no history entry " + id + " (servolt-cli history list shows them)");
        return kExitFailed;
    }
    if (options.out.empty()) CreateUserFolders(context.places.userFolder);  // as write makes it
    const RestoreResult restored = RestoreHistoryEntry(context, *entry, std::time(nullptr), options.keepHistory);
    if (restored.history.Failed()) {
        Say("the configuration being replaced could not be kept in the history (" +
            ShownPath(restored.history.error.path) + ": " + restored.history.error.text + "); restoring without it");
    }
    if (!restored.restored) {
        // A save's own failures have been told through the notices already.
        for (const platform::Error& failure : restored.failures) {
            if (failure.path != context.places.ServerConfigPath() && failure.path != context.places.UsedModsPath())
                Say(ShownPath(failure.path) + ": " + failure.text);
        }
        return kExitFailed;
    }
    std::cout << "restored " << entry->id;
    if (restored.history.kept) std::cout << "; what it replaced is kept as " << restored.history.id;
    std::cout << '\n';
    return 0;
}

}  // namespace

void AddHistoryCommand(CommandSet& commands) {
    CLI::App* history = commands.App().add_subcommand("history", "list, compare and restore earlier configurations");
    history->require_subcommand(1);
    commands.AddPlaceOptions(history, CommandSet::kIni | CommandSet::kOut | CommandSet::kHistory);
    commands.AddPlaceOptions(history, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();

    const auto json = std::make_shared<bool>(false);
    CLI::App* list = history->add_subcommand("list", "the entries, oldest first");
    list->fallthrough();
    list->add_flag("--json", *json, "print a JSON array");
    commands.Add(list, [json, &places] {
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunHistoryList(context, *json);
    });

    const auto ids = std::make_shared<std::vector<std::string>>();
    CLI::App* diff = history->add_subcommand("diff", "what changed from A (default: the newest entry) to B (default: now)");
    diff->fallthrough();
    diff->add_option("ENTRIES", *ids, "A and B: an entry's number or id")->expected(0, 2);
    commands.Add(diff, [ids, &places] {
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunDiff(context, *ids);
    });

    const auto id = std::make_shared<std::string>();
    CLI::App* restore = history->add_subcommand("restore", "put an entry's configuration back (itself kept in the history)");
    restore->fallthrough();
    restore->add_option("ID", *id, "the entry's number or id")->required();
    commands.Add(restore, [id, &places] {
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunRestore(places, context, *id);
    });
}
