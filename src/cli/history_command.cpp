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
#include "core/history/history_compare.h"
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

std::string Shown(bool present, const std::string& value) {
    return present ? "\"" + ShownName(value) + "\"" : std::string("(none)");
}

int RunDiff(const ServerContext& context, const std::vector<std::string>& ids) {
    HistoryComparison comparison;
    std::string missing;
    switch (CompareHistory(context.places, ids, comparison, missing)) {
    case CompareResult::Compared: break;
    case CompareResult::NoHistory:
        Say("no history in " + ShownPath(HistoryFolder(context.places)));
        return kExitFailed;
    case CompareResult::NoSuchEntry:
        Say("no history entry " + missing + " (servolt-cli history list shows them)");
        return kExitFailed;
    }
    std::cout << "from " << comparison.from << " to " << comparison.to << '\n';
    for (const FileComparison& file : comparison.files) {
        std::cout << file.name << (file.after ? "" : " (removed)") << (file.before ? "" : " (new)") << ":\n";
        for (const SettingChange& change : file.settings) {
            std::cout << "  " << change.label << ": " << Shown(change.hadBefore, change.before) << " -> "
                      << Shown(change.hasAfter, change.after) << '\n';
        }
        for (const LineChange& line : file.lines) std::cout << "  " << line.sign << ' ' << ShownName(line.line) << '\n';
    }
    if (comparison.files.empty()) std::cout << "no change\n";
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
