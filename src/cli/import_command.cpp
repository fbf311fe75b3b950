// servolt-cli import: an existing server.cfg read into the settings file.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/servercfg/import_apply.h"
#include "core/settings/server_settings.h"
#include "platform/platform.h"

namespace {

struct ImportOptions {
    std::string serverCfg;
    bool dryRun = false;
    bool merge = false;
    bool verbose = false;
};

int RunImportCommand(const ServerContext& context, bool defaultIni, const ImportOptions& options) {
    std::string bytes;
    if (!platform::ReadFileContents(options.serverCfg.c_str(), bytes)) {
        Say(options.serverCfg + ": cannot be read: " + platform::LastError().text);
        return kExitFailed;
    }
    const auto stored = LoadSettings(context, false);  // a missing file is the one import creates
    const ImportRun run = RunImport(bytes, *stored, options.merge);
    if (!run.notText.empty()) {
        Say(options.serverCfg + ": not a text file (" + run.notText + "); nothing was written");
        return kExitFailed;
    }
    for (const std::string& line : DescribeImport(run.report)) std::cout << line << '\n';
    if (options.verbose) {
        for (const std::string& name : run.report.serverDefaults) std::cout << "  not in the file: " << name << '\n';
    }
    if (!run.conclusion.empty()) Say(options.serverCfg + ": " + run.conclusion);
    if (!run.writable || options.dryRun) return run.exitCode;

    if (defaultIni) CreateUserFolders(context.places.userFolder);
    const std::string& ini = context.places.settingsFile;
    platform::Error error;
    switch (WriteImportedSettings(*run.settings, context, [&context] { KeepConfigurationHistory(context, "import"); },
                                  error)) {
    case ImportWriteFailure::None: break;
    case ImportWriteFailure::PathTooLong:
        Say(ShownPath(ini) + ": the settings file's path is longer than 259 characters");
        return kExitFailed;
    case ImportWriteFailure::BackupFailed:
        Say(ShownPath(ini) + ".bak: the old settings file could not be kept (" + error.text + "); nothing was written");
        return kExitFailed;
    case ImportWriteFailure::SettingsFailed:
        // Each failed key has been told through the notices, once per file.
        return kExitFailed;
    }
    std::cout << "settings written to " << ShownPath(ini) << '\n';
    return run.exitCode;
}

}  // namespace

void AddImportCommand(CommandSet& commands) {
    const auto options = MakeOptions<ImportOptions>();
    CLI::App* import =
        commands.App().add_subcommand("import", "read an existing server.cfg into the settings file");
    import->add_option("SERVER_CFG", options->serverCfg, "the server.cfg to read")->required()->option_text("FILE");
    commands.AddPlaceOptions(import, CommandSet::kIni | CommandSet::kHistory);
    import->add_flag("--dry-run", options->dryRun, "print the report and write nothing");
    import->add_flag("--merge", options->merge,
                     "apply the file onto the settings file as it is, not onto the factory defaults");
    import->add_flag("--verbose", options->verbose,
                     "list the settings server.cfg will set that the file never set");
    commands.AddPlaceOptions(import, CommandSet::kPrefix);
    const CliPlaces& places = commands.Places();
    commands.Add(import, [options, &places] {
        // import writes the settings file it names, which may be new.
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunImportCommand(context, places.ini.empty(), *options);
    });
}
