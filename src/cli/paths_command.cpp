// servolt-cli paths: where each file of a server is, as every other command
// resolves it, so that nobody has to guess where a file went.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/history/config_history.h"
#include "core/supervise/instance_files.h"

namespace {

int RunPaths(const CliPlaces& options, const ServerContext& context, bool json) {
    const ServerPlaces& places = context.places;
    const InstanceFiles supervisor = FilesOfInstance(options.chosen.name);
    const std::pair<const char*, std::string> rows[] = {
        {"settings file", places.settingsFile},
        {"console script", places.ServerConfigPath()},
        {"usedmods.cfg", places.UsedModsPath()},
        {"user folder", places.userFolder},
        {"game folder", places.gameFolder},
        {"mods folder", places.modsFolder},
        {"history", HistoryFolder(places)},
        {"log", supervisor.log},
        {"status file", supervisor.status},
        {"lock file", supervisor.lock},
        {"prefix", places.winePrefix},
    };
    if (json) {
        nlohmann::ordered_json object = {{"instance", options.chosen.name}};
        for (const auto& row : rows) {
            std::string key = row.first;
            for (char& c : key) c = c == ' ' ? '_' : c == '.' ? '_' : c;
            if (row.second.empty()) object[key] = nullptr;
            else object[key] = ShownPath(row.second);
        }
        std::cout << object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return 0;
    }
    std::cout << "instance: " << options.chosen.name << '\n';
    for (const auto& row : rows) {
        std::cout << row.first << ": " << (row.second.empty() ? "(none)" : ShownName(ShownPath(row.second))) << '\n';
    }
    return 0;
}

}  // namespace

void AddPathsCommand(CommandSet& commands) {
    const auto json = std::make_shared<bool>(false);
    CLI::App* paths = commands.App().add_subcommand("paths", "show where each file of the server is");
    commands.AddPlaceOptions(paths, CommandSet::kIni | CommandSet::kGame | CommandSet::kOut);
    paths->add_flag("--json", *json, "print a JSON object");
    commands.AddPlaceOptions(paths, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();
    commands.Add(paths, [json, &places] {
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunPaths(places, context, *json);
    });
}
