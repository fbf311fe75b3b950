// servolt-cli write: server.cfg and moddir/usedmods.cfg from the settings, as
// Save Config writes them.
#include <CLI/CLI.hpp>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/server_settings.h"

int WriteConfiguration(const ServerContext& context, bool userFolder, bool toStdout) {
    const auto settings = LoadSettings(context);
    if (toStdout) {
        const std::string config = BuildServerConfig(*settings);
        WriteBinaryToStdout(config.data(), config.size());
        return 0;
    }
    if (userFolder) CreateUserFolders(context.places.userFolder);  // as the window does when it starts
    KeepConfigurationHistory(context, "write");
    return WriteServerFiles(*settings, context).serverConfigWritten ? 0 : kExitFailed;
}

void AddWriteCommand(CommandSet& commands) {
    struct Options {
        bool toStdout = false;
    };
    const auto options = MakeOptions<Options>();
    CLI::App* write =
        commands.App().add_subcommand("write", "write server.cfg and moddir/usedmods.cfg from the settings");
    commands.AddPlaceOptions(write, CommandSet::kIni | CommandSet::kOut | CommandSet::kHistory);
    write->add_flag("--stdout", options->toStdout, "print server.cfg instead of writing anything");
    commands.AddPlaceOptions(write, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();
    commands.Add(write, [options, &places] {
        ServerContext context;
        if (!OpenServer(places, true, context)) return kExitFailed;
        return WriteConfiguration(context, places.out.empty(), options->toStdout);
    });
}
