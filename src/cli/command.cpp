#include "cli/command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <ctime>
#include <iostream>

#include "cli/cli_output.h"
#include "core/history/config_history.h"
#include "core/settings/server_settings.h"
#include "platform/platform.h"

void CommandSet::AddPlaceOptions(CLI::App* command, unsigned options) {
    if (options & kIni) {
        command->add_option("--ini", places_.ini, "settings file (default: Servolt.ini of the user folder)")
            ->option_text("FILE");
    }
    if (options & kOut) {
        command->add_option("--out", places_.out, "folder to write into (default: the user folder)")
            ->option_text("DIR");
    }
    if (options & kGame) {
        command->add_option("--game", places_.game, "game folder, where vantrel_server.exe is (default: the current folder)")
            ->option_text("DIR");
    }
    if (options & kPrefix) {
        command->add_option("--prefix", places_.prefix,
                            "Wine prefix whose user folder the server reads (default: $WINEPREFIX)")
            ->option_text("DIR");
        command->add_option("--cfg", places_.cfg, "console script the server is started with (default: server.cfg)")
            ->option_text("NAME.cfg");
        command->add_option("--instance", places_.instance, "the server of instances.ini to work on (default: default)")
            ->envname("SERVOLT_INSTANCE")
            ->option_text("NAME");
        command->add_option("--instances", places_.instances,
                            "the instances file (default: instances.ini of the utility's configuration folder)")
            ->option_text("FILE");
        placeCommands_.push_back(command);
    }
    if (options & kHistory) {
        command->add_option("--keep-history", places_.keepHistory,
                            "entries of the configuration history to keep (default: 50)")
            ->check(CLI::Range(1u, 100000u))
            ->option_text("N");
    }
}

void CommandSet::Add(CLI::App* command, std::function<int()> run) {
    // A group of subcommands (rez, rotation, instance...) is never run
    // itself, but its help ends as every command's does.
    for (CLI::App* group = command->get_parent(); group != nullptr && group->get_parent() != nullptr;
         group = group->get_parent()) {
        ApplyCommandHelp(group);
    }
    // ...and so do the subcommands a command runs itself (rotation add,
    // mods use...).
    std::vector<CLI::App*> pending{command};
    while (!pending.empty()) {
        CLI::App* next = pending.back();
        pending.pop_back();
        ApplyCommandHelp(next);
        for (CLI::App* sub : next->get_subcommands([](const CLI::App*) { return true; })) pending.push_back(sub);
    }
    commands_.emplace_back(command, std::move(run));
}

int CommandSet::RunChosen() {
    for (const auto& command : commands_) {
        if (!command.first->parsed()) continue;
        // The instance is looked up once, for whichever command names it.
        for (CLI::App* place = command.first; place != nullptr; place = place->get_parent()) {
            if (std::find(placeCommands_.begin(), placeCommands_.end(), place) == placeCommands_.end()) continue;
            std::string error;
            if (!ChooseInstance(places_, error)) {
                Say(error);
                return kExitFailed;
            }
            break;
        }
        return command.second();
    }
    return kExitFailed;
}

int PrintNotice(const Notice& notice) {
    // Its message (with the caption when the message does not name the
    // file), line breaks folded, the file named as this system spells it,
    // and the system's reason where a call failed.
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

namespace {
unsigned g_keepHistory = 50;  // one command runs per process
}

void KeepConfigurationHistory(const ServerContext& context, const std::string& reason) {
    const HistoryResult kept = KeepHistory(context.places, reason, std::time(nullptr), g_keepHistory);
    if (kept.Failed()) {
        Say("the configuration being replaced could not be kept in the history (" +
            (kept.error.path.empty() ? std::string() : ShownPath(kept.error.path) + ": ") + kept.error.text +
            "); saving without it");
    }
}

bool OpenServer(const CliPlaces& options, bool iniIsRead, ServerContext& context) {
    g_keepHistory = options.keepHistory;
    context.notices = PrintNotice;
    std::string error;
    if (!BuildPlaces(options, iniIsRead, context.places, error)) {
        Say(error);
        return false;
    }
    return true;
}

bool GameFolderExists(const ServerContext& context) {
    const std::string& game = context.places.gameFolder;
    const platform::PathType kind = platform::PathKind(game.c_str());
    if (kind == platform::PathType::Missing) {
        Say(ShownPath(game) + ": no such game folder");
        return false;
    }
    if (kind == platform::PathType::File) {
        Say(ShownPath(game) + ": not a folder; give the game folder, where vantrel_server.exe is");
        return false;
    }
    return true;
}

std::unique_ptr<ServerSettings> LoadSettings(const ServerContext& context, bool sayWhenMissing) {
    auto settings = std::make_unique<ServerSettings>();
    settings->SetDefaults();
    if (sayWhenMissing && !SettingsFileExists(context.places)) {
        Say("no settings file at " + ShownPath(context.places.settingsFile) + "; using the defaults");
    }
    settings->ReadSettings(context.places);
    return settings;
}

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
