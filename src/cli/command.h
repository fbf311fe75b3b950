// The commands of servolt-cli. Each command lives in a file of its own: it
// adds its subcommand and options to the set and registers what runs when
// the command line chooses it. main() only adds them all, parses and runs.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_places.h"
#include "core/common/notice.h"
#include "core/common/server_places.h"

namespace CLI {
class App;
class Error;
}
class ServerSettings;
struct Finding;

class CommandSet {
public:
    explicit CommandSet(CLI::App& app) : app_(app) {}

    CLI::App& App() { return app_; }

    // The options that name one server's files, shared by every command
    // that works on them; each command adds those it takes. With kPrefix
    // come --instance, --instances and --cfg; kHistory (--keep-history) is
    // for the commands that replace a configuration.
    enum PlaceOption : unsigned { kIni = 1, kPrefix = 2, kGame = 4, kOut = 8, kHistory = 16 };
    CliPlaces& Places() { return places_; }
    void AddPlaceOptions(CLI::App* command, unsigned options);

    // `run` gives the command's exit code once the command line chose
    // `command`. The command's options are all added by then: its help
    // gets its placeholders, exit codes and example here (ApplyCommandHelp).
    void Add(CLI::App* command, std::function<int()> run);

    // The chosen command's exit code; kExitFailed when none was chosen.
    int RunChosen();

private:
    CLI::App& app_;
    CliPlaces places_;
    std::vector<CLI::App*> placeCommands_;  // those that take --instance
    std::vector<std::pair<CLI::App*, std::function<int()>>> commands_;
};

// Options of one command, owned by the function that runs it: CLI11 binds
// to them by reference, and the run function keeps them alive.
template <class Options>
std::shared_ptr<Options> MakeOptions() {
    return std::make_shared<Options>();
}

// A notice of the core as one line on standard error.
int PrintNotice(const Notice& notice);

// The command's server: its places from the options, its notices printed.
// False, having said why, when the options are refused (`iniIsRead`: the
// settings file must exist when named).
bool OpenServer(const CliPlaces& options, bool iniIsRead, ServerContext& context);

// Whether the context's game folder is a folder; says why not. Listing a
// folder that is not there would only ever give an empty answer.
bool GameFolderExists(const ServerContext& context);
// Keeps the files a save of the context's server is about to replace in its
// history (as many entries as --keep-history says), saying so when that
// fails; the save goes on either way.
void KeepConfigurationHistory(const ServerContext& context, const std::string& reason);

// The record as the window would load it: defaults, then the settings file,
// saying so when there is no settings file.
std::unique_ptr<ServerSettings> LoadSettings(const ServerContext& context, bool sayWhenMissing = true);

// Names, one per line escaped for a terminal, or as a JSON array.
void PrintList(const std::vector<std::string>& items, bool json);

// The command's value placeholders (FILE, DIR, SECONDS...), range checks
// that say their range in plain numbers, and the end of its help: exit
// codes and an example, from the table in command_help.cpp.
void ApplyCommandHelp(CLI::App* command);

// The message of a command line that cannot be parsed: an unknown command
// is named, with the commands there are.
std::string CommandLineFailure(const CLI::App* app, const CLI::Error& error, const char* program);

// The commands, each in its own file.
void AddWriteCommand(CommandSet& commands);
void AddImportCommand(CommandSet& commands);
void AddCheckCommand(CommandSet& commands);
void AddListCommands(CommandSet& commands);  // maps, mods
void AddRunCommand(CommandSet& commands);
void AddStatusCommand(CommandSet& commands);
void AddLogsCommand(CommandSet& commands);
void AddRezCommand(CommandSet& commands);
void AddSettingsCommands(CommandSet& commands);  // get, set
void AddRotationCommand(CommandSet& commands);

// The editing subcommands of `mods` (list, use, unuse, move, download), added
// to the `mods` command; the listing of bare `mods` stays its own. Run gives
// the exit code when one of them was chosen, and false from Chosen otherwise.
class ModsEditing {
public:
    virtual ~ModsEditing() = default;
    virtual bool Chosen() const = 0;
    virtual int Run(const ServerContext& context) const = 0;
};
std::shared_ptr<const ModsEditing> AddModsEditing(CommandSet& commands, CLI::App* mods);

void AddInstanceCommand(CommandSet& commands);
void AddPathsCommand(CommandSet& commands);
void AddHistoryCommand(CommandSet& commands);
void AddServeCommand(CommandSet& commands);
void AddHelpCommand(CommandSet& commands);  // help [COMMAND]; added last

// What `write` does, for `run` too: server.cfg and usedmods.cfg from the
// settings file into the user folder (`userFolder`: made first, as the window
// makes it) or, with `toStdout`, server.cfg on standard output. With no
// settings file, files that the defaults would replace and that are not the
// defaults' own are left alone and the exit code is 2, unless `force`. The
// files it replaces are kept in the history first.
int WriteConfiguration(const ServerContext& context, bool userFolder, bool toStdout, bool force = false);

// What `check` finds beyond the configuration itself: another instance of
// the same user folder whose mods in use differ (usedmods.cfg has one place
// per folder). The server program's findings are the core's
// (core/check/host_findings.h).
void AppendInstanceFindings(const CliPlaces& options, const ServerSettings& settings, std::vector<Finding>& findings);
