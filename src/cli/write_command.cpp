// servolt-cli write: server.cfg and moddir/usedmods.cfg from the settings, as
// Save Config writes them.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <string>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/server_settings.h"
#include "core/usedmods/used_mods.h"
#include "platform/platform.h"

namespace {

std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// With no settings file the defaults are written, and a file in their way
// may hold an operator's own configuration. The output carries no mark of
// its maker, and a mark could be copied into a file edited by hand; the one
// sure sign that replacing a file loses nothing is that it already holds
// what the defaults give (whatever its line ends), or nothing at all. Any
// other file is left alone: a hand-written server.cfg, and equally one this
// program wrote from settings that are gone.
bool LeavesOperatorFilesAlone(const ServerSettings& defaults, const ServerContext& context) {
    struct File {
        std::string path;
        std::string defaults;
        bool importable;  // import reads server.cfg, not usedmods.cfg
    };
    const File files[] = {
        {context.places.ServerConfigPath(), BuildServerConfig(defaults), true},
        {context.places.UsedModsPath(), BuildUsedMods(defaults.ModuleUseList), false},
    };
    for (const File& file : files) {
        // One that is there but cannot be read is not known to be safe.
        std::string bytes;
        if (!platform::PathExists(file.path.c_str())) continue;
        if (platform::ReadFileContents(file.path.c_str(), bytes) &&
            (bytes.empty() || WithoutCarriageReturns(bytes) == WithoutCarriageReturns(file.defaults))) {
            continue;
        }
        const std::string shown = ShownPath(file.path);
        Say(shown + " is not what write makes from the defaults (it was written by hand, or from settings that "
                    "are gone) and is left as it is: " +
            (file.importable ? "run 'servolt-cli import " + shown + "' to keep its settings, or " : "") +
            "give --force to replace it with the defaults");
        return false;
    }
    return true;
}

}  // namespace

int WriteConfiguration(const ServerContext& context, bool userFolder, bool toStdout, bool force) {
    const auto settings = LoadSettings(context);
    if (toStdout) {
        const std::string config = BuildServerConfig(*settings);
        WriteBinaryToStdout(config.data(), config.size());
        return 0;
    }
    if (!force && !SettingsFileExists(context.places) && !LeavesOperatorFilesAlone(*settings, context)) {
        return kExitFailed;
    }
    if (userFolder) CreateUserFolders(context.places.userFolder);  // as the window does when it starts
    KeepConfigurationHistory(context, "write");
    return WriteServerFiles(*settings, context).serverConfigWritten ? 0 : kExitFailed;
}

void AddWriteCommand(CommandSet& commands) {
    struct Options {
        bool toStdout = false;
        bool force = false;
    };
    const auto options = MakeOptions<Options>();
    CLI::App* write =
        commands.App().add_subcommand("write", "write server.cfg and moddir/usedmods.cfg from the settings");
    commands.AddPlaceOptions(write, CommandSet::kIni | CommandSet::kOut | CommandSet::kHistory);
    write->add_flag("--stdout", options->toStdout, "print server.cfg instead of writing anything");
    write->add_flag("--force", options->force,
                    "with no settings file, replace a server.cfg or usedmods.cfg that write did not make from the defaults");
    commands.AddPlaceOptions(write, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();
    commands.Add(write, [options, &places] {
        ServerContext context;
        if (!OpenServer(places, true, context)) return kExitFailed;
        return WriteConfiguration(context, places.out.empty(), options->toStdout, options->force);
    });
}
