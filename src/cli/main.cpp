// servolt-cli: the utility's command-line companion for headless hosts. It
// runs the same core as the window; what the window shows in boxes it prints
// on standard error.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/cli_places.h"
#include "cli/rez_create.h"
#include "cli/rez_command.h"
#include "cli/run_command.h"
#include "core/check/config_check.h"
#include "core/common/notice.h"
#include "core/common/user_folder.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/servercfg/config_import.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/server_settings.h"
#include "core/settings/settings_backup.h"
#include "platform/platform.h"


namespace {

constexpr int kExitFindings = kExitSome;

const char kProgram[] = "servolt-cli";

// A notice of the core as one line: its message (with the caption when the
// message does not name the file), line breaks folded, the file named as
// this system spells it, and the system's reason where a call failed.
int PrintNotice(const Notice& notice) {
    std::string text = notice.text;
    const std::string::size_type at = notice.file.empty() ? std::string::npos : text.find(notice.file);
    if (at != std::string::npos) {
        text.replace(at, notice.file.size(), ShownPath(notice.file));
        if (notice.error.Failed()) text += ": " + notice.error.text;
    } else if (notice.error.Failed() && !notice.file.empty()) {
        // The message tells why but not where.
        text = notice.caption + ": " + ShownPath(notice.file) + ": " + text;
    } else {
        text = notice.caption + ": " + text;  // the caption tells which file
    }
    for (std::string::size_type at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    Say(text);
    return 1;  // IDOK
}

// The system's reason for the last failed call, for a message about a file.
std::string Reason() { return platform::LastError().text; }

void PrintList(const std::vector<std::string>& items, bool json) {
    if (json) {
        // Names are the system's bytes: what is not UTF-8 shows as U+FFFD
        // rather than ending the program.
        std::cout << nlohmann::json(items).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    // Map names come from archives anyone may have made, and a name that
    // holds an escape sequence or a line break would be obeyed or forge a
    // line.
    for (const std::string& item : items) std::cout << ShownName(item) << '\n';
}

// The record as the window would load it: defaults, then the settings file.
std::unique_ptr<ServerSettings> LoadSettings(const ServerContext& context, bool sayWhenMissing = true) {
    auto settings = std::make_unique<ServerSettings>();
    settings->SetDefaults();
    if (sayWhenMissing && !SettingsFileExists(context.places)) {
        Say("no settings file at " + ShownPath(context.places.settingsFile) + "; using the defaults");
    }
    settings->ReadSettings(context.places);
    return settings;
}

int RunWrite(const ServerContext& context, bool userFolder, bool toStdout) {
    const auto settings = LoadSettings(context);
    if (toStdout) {
        const std::string config = BuildServerConfig(*settings);
        WriteBinaryToStdout(config.data(), config.size());
        return 0;
    }
    if (userFolder) CreateUserFolders(context.places.userFolder);  // as the window does when it starts
    return WriteServerFiles(*settings, context).serverConfigWritten ? 0 : kExitFailed;
}

int RunImport(const ServerContext& context, bool defaultIni, const std::string& serverCfg, bool dryRun) {
    std::string bytes;
    if (!platform::ReadFileContents(serverCfg.c_str(), bytes)) {
        Say(serverCfg + ": cannot be read: " + Reason());
        return kExitFailed;
    }
    // server.cfg does not hold the mods in use: they stay as the settings
    // file has them.
    const auto previous = LoadSettings(context, false);  // a missing file is the one import creates
    auto settings = std::make_unique<ServerSettings>();
    const ImportReport report = ImportServerConfig(bytes, *settings);
    std::memcpy(settings->ModuleUseList, previous->ModuleUseList, sizeof settings->ModuleUseList);
    for (const std::string& line : DescribeImport(report)) std::cout << line << '\n';
    if (dryRun) return 0;

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
    // Each failed key has been told through the notices, once per file.
    if (!settings->WriteSettings(context).Written()) return kExitFailed;
    std::cout << "settings written to " << ShownPath(ini) << '\n';
    return 0;
}

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

int RunCheck(const ServerContext& context, bool json) {
    const auto settings = LoadSettings(context);
    const std::vector<Finding> findings = CheckConfiguration(*settings, context.places);
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const Finding& finding : findings) {
            list.push_back({{"severity", SeverityName(finding.severity)},
                            {"setting", ShownPath(finding.setting)},
                            {"message", finding.message}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        for (const Finding& finding : findings) {
            std::cout << SeverityName(finding.severity) << ": " << ShownPath(finding.setting) << ": "
                      << finding.message << '\n';
        }
    }
    return findings.empty() ? 0 : kExitFindings;
}

int Run(int argc, char** argv) {
    CLI::App app{"Vantrel(tm) Server Launch Utility, command line: writes, imports and checks the "
                 "dedicated server's configuration, and runs the server, without a window.",
                 kProgram};
    app.set_version_flag("--version", std::string(kProgram) + " " SERVOLT_VERSION);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string(kProgram) + ": " + e.what() + "\nRun with --help for more information.\n";
    });

    CliPlaces places;
    bool toStdout = false;
    bool json = false;
    const auto addPrefix = [&](CLI::App* command) {
        command->add_option("--prefix", places.prefix,
                            "Wine prefix whose user folder the server reads (default: $WINEPREFIX)");
    };
    const auto addIni = [&](CLI::App* command) {
        command->add_option("--ini", places.ini, "settings file (default: Servolt.ini of the user folder)");
    };

    CLI::App* write = app.add_subcommand("write", "write server.cfg and moddir/usedmods.cfg from the settings");
    addIni(write);
    write->add_option("--out", places.out, "folder to write into (default: the user folder)");
    write->add_flag("--stdout", toStdout, "print server.cfg instead of writing anything");
    addPrefix(write);

    std::string serverCfg;
    bool dryRun = false;
    CLI::App* import = app.add_subcommand("import", "read an existing server.cfg into the settings file");
    import->add_option("SERVER_CFG", serverCfg, "the server.cfg to read")->required();
    addIni(import);
    import->add_flag("--dry-run", dryRun, "print the report and write nothing");
    addPrefix(import);

    CLI::App* check = app.add_subcommand("check", "report what would make the server start wrongly");
    addIni(check);
    check->add_option("--game", places.game, "game folder (default: the current folder)");
    check->add_flag("--json", json, "print the findings as a JSON array");
    addPrefix(check);

    CLI::App* maps = app.add_subcommand("maps", "list the maps the Maps page would show");
    addIni(maps);
    maps->add_option("--game", places.game, "game folder (default: the current folder)");
    maps->add_flag("--json", json, "print a JSON array");
    addPrefix(maps);

    CLI::App* mods = app.add_subcommand("mods", "list the mods the Mods page would show");
    addIni(mods);
    mods->add_flag("--json", json, "print a JSON array");
    addPrefix(mods);

    RunOptions runOptions;
    CLI::App* run = AddRunCommand(app, runOptions);
    addIni(run);
    run->add_option("--game", places.game, "game folder, where vantrel_server.exe is (default: the current folder)");
    addPrefix(run);

    CLI::App* rez = app.add_subcommand("rez", "read and write .rez archives");
    rez->require_subcommand(1);
    RezCreateOptions rezCreateOptions;
    CLI::App* rezCreate = AddRezCreateCommand(*rez, rezCreateOptions);
    RezOptions rezOptions;
    const RezCommands rezCommands = AddRezCommands(*rez, rezOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kExitFailed;
    }

    if (*rezCreate) return RunRezCreate(rezCreateOptions);
    if (rezCommands.Chosen()) return RunRez(rezCommands, rezOptions);

    // import writes the settings file it names, which may be new.
    const bool iniIsRead = !*import;
    std::string error;
    if (!CheckPlaceOptions(places, iniIsRead, error)) {
        Say(error);
        return kExitFailed;
    }
    PreparedRun prepared;
    if (*run && !PrepareRun(GameFolderOf(places), WinePrefixOf(places), runOptions, PrintNotice, prepared)) {
        return kExitFailed;
    }
    ServerContext context;
    context.notices = PrintNotice;
    if (!BuildPlaces(places, iniIsRead, context.places, error)) {
        Say(error);
        return kExitFailed;
    }
    if (*write) return RunWrite(context, places.out.empty(), toStdout);
    if (*import) return RunImport(context, places.ini.empty(), serverCfg, dryRun);
    if (*check) return RunCheck(context, json);
    if (*maps) return RunMaps(context, json);
    if (*run) return RunServer(prepared, context, runOptions, [&context] { return RunWrite(context, true, false); });
    return RunMods(context, json);
}

}  // namespace

int main(int argc, char** argv) {
    BufferStandardStreams();
    // Whatever escapes a command (memory above all, which an archive of a
    // stranger can ask for) ends it with a message and the exit code of a
    // command that could not be done, never with an abort. The message is
    // written without a string made for it: there may be no memory for one.
    const char* what = "internal error: an unknown exception";
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        what = "out of memory";
    } catch (const std::exception& e) {
        std::cout.flush();
        std::fprintf(stderr, "%s: internal error: %s\n", kProgram, e.what());
        std::fflush(stderr);
        return kExitFailed;
    } catch (...) {
    }
    std::cout.flush();
    std::fprintf(stderr, "%s: %s\n", kProgram, what);
    std::fflush(stderr);
    return kExitFailed;
}
