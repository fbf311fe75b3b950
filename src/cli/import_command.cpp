// servolt-cli import: an existing server.cfg read into the settings file.
#include <CLI/CLI.hpp>

#include <cstring>
#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/servercfg/config_import.h"
#include "core/settings/server_settings.h"
#include "core/settings/settings_backup.h"
#include "platform/platform.h"

namespace {

struct ImportOptions {
    std::string serverCfg;
    bool dryRun = false;
    bool merge = false;
    bool verbose = false;
};

// The system's reason for the last failed call, for a message about a file.
std::string Reason() { return platform::LastError().text; }

int RunImport(const ServerContext& context, bool defaultIni, const ImportOptions& options) {
    std::string bytes;
    if (!platform::ReadFileContents(options.serverCfg.c_str(), bytes)) {
        Say(options.serverCfg + ": cannot be read: " + Reason());
        return kExitFailed;
    }
    // An archive or a picture read as a script would replace every setting
    // with the defaults and carry its bytes as options.
    const std::string notText = WhyNotText(bytes);
    if (!notText.empty()) {
        Say(options.serverCfg + ": not a text file (" + notText + "); nothing was written");
        return kExitFailed;
    }
    // server.cfg does not hold the mods in use: they stay as the settings
    // file has them.
    const auto previous = LoadSettings(context, false);  // a missing file is the one import creates
    auto settings = std::make_unique<ServerSettings>(*previous);
    const ImportReport report =
        ImportServerConfig(bytes, *settings, options.merge ? ImportBase::Current : ImportBase::Defaults);
    std::memcpy(settings->ModuleUseList, previous->ModuleUseList, sizeof settings->ModuleUseList);
    for (const std::string& line : DescribeImport(report)) std::cout << line << '\n';
    if (options.verbose) {
        for (const std::string& name : report.serverDefaults) std::cout << "  not in the file: " << name << '\n';
    }
    // A file that tells the server nothing would only reset the settings.
    if (report.assignments == 0) {
        Say(options.serverCfg + ": assigns no setting; the settings file was left as it is");
        return kExitSome;
    }
    const int code = ImportKeptEverything(report) ? 0 : kExitSome;
    if (code != 0) {
        Say(options.serverCfg + ": server.cfg written from these settings would not tell the server all that this "
                                "file did (see the lines above)");
    }
    if (options.dryRun) return code;

    if (defaultIni) CreateUserFolders(context.places.userFolder);
    const std::string& ini = context.places.settingsFile;
    if (ini.size() >= kProfilePathSize) {
        Say(ShownPath(ini) + ": the settings file's path is longer than 259 characters");
        return kExitFailed;
    }
    if (!BackUpSettingsFile(ini)) {
        Say(ShownPath(ini) + ".bak: the old settings file could not be kept (" + Reason() + "); nothing was written");
        return kExitFailed;
    }
    KeepConfigurationHistory(context, "import");
    // Each failed key has been told through the notices, once per file.
    if (!settings->WriteSettings(context).Written()) return kExitFailed;
    std::cout << "settings written to " << ShownPath(ini) << '\n';
    return code;
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
        return RunImport(context, places.ini.empty(), *options);
    });
}
