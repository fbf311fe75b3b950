// servolt-cli maps and mods: the lists the Maps and Mods pages would show.
#include <CLI/CLI.hpp>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/settings/server_settings.h"

namespace {

int RunMaps(const ServerContext& context, bool json) {
    const auto settings = LoadSettings(context);
    UniqueTextList maps;
    FillMapList(context.places, maps, settings->GameType, settings->ModuleUseList);
    PrintList(std::vector<std::string>(maps.Items().begin(), maps.Items().end()), json);
    return 0;
}

int RunMods(const ServerContext& context, bool json) {
    LoadSettings(context);  // says so when the settings file is missing, as every command does
    UniqueTextList mods;
    FillModsFound(context.places, mods);
    PrintList(std::vector<std::string>(mods.Items().begin(), mods.Items().end()), json);
    return 0;
}

}  // namespace

void AddListCommands(CommandSet& commands) {
    const CliPlaces& places = commands.Places();

    const auto mapsJson = std::make_shared<bool>(false);
    CLI::App* maps = commands.App().add_subcommand("maps", "list the maps the Maps page would show");
    commands.AddPlaceOptions(maps, CommandSet::kIni | CommandSet::kGame);
    maps->add_flag("--json", *mapsJson, "print a JSON array");
    commands.AddPlaceOptions(maps, CommandSet::kPrefix);
    commands.Add(maps, [mapsJson, &places] {
        ServerContext context;
        if (!OpenServer(places, true, context) || !GameFolderExists(context)) return kExitFailed;
        return RunMaps(context, *mapsJson);
    });

    const auto modsJson = std::make_shared<bool>(false);
    CLI::App* mods = commands.App().add_subcommand("mods", "list the mods the Mods page would show");
    commands.AddPlaceOptions(mods, CommandSet::kIni);
    mods->add_flag("--json", *modsJson, "print a JSON array");
    commands.AddPlaceOptions(mods, CommandSet::kPrefix);
    const auto editing = AddModsEditing(commands, mods);
    commands.Add(mods, [modsJson, editing, &places] {
        ServerContext context;
        // Bare `mods` lists what was found; its subcommands edit the mods in use.
        if (editing->Chosen()) return OpenServer(places, false, context) ? editing->Run(context) : kExitFailed;
        if (!OpenServer(places, true, context)) return kExitFailed;
        return RunMods(context, *modsJson);
    });
}
