// What servolt-cli's help says beyond what each command declares: the
// placeholders of its values, its exit codes and an example, kept in two
// tables so that a new command gets all of it by adding rows; the `help`
// command; and messages for an unknown command and a value out of range.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command.h"

namespace {

struct CommandHelp {
    const char* path;  // the words that choose the command
    const char* exitCodes;
    const char* example;
};

const CommandHelp kCommandHelp[] = {
    {"write",
     "0 written; 2 nothing written (the settings file or a folder is missing, a file could not be written, or "
     "with no settings file a server.cfg that write did not make from the defaults is in the way)",
     "servolt-cli write --ini /srv/vantrel/Servolt.ini --out /srv/vantrel/config"},
    {"import",
     "0 imported, every line's effect kept (with --dry-run: reported); 1 done, but a variable would end otherwise "
     "or a line was dropped (each named), or the file assigns nothing (then nothing is written); 2 nothing written "
     "(the file could not be read or is not a text file, or the settings file could not be written)",
     "servolt-cli import /srv/vantrel/old/server.cfg --dry-run"},
    {"check", "0 nothing found; 1 something found (each finding is one line); 2 not checked (a folder or the "
              "settings file is missing)",
     "servolt-cli check --game /srv/vantrel/game --json"},
    {"maps", "0 listed; 2 not listed (the game folder or the settings file is missing)",
     "servolt-cli maps --game /srv/vantrel/game"},
    {"mods", "0 listed or changed; 2 not done (the settings file is missing, a mod is not found or refused by the "
             "Mods page's rules; the file is then left as it was)",
     "servolt-cli mods use ctf_pack --ini /srv/vantrel/Servolt.ini"},
    {"get", "0 shown; 2 not shown (the settings file is missing, or no setting has that key or variable)",
     "servolt-cli get sv_hostname sv_maxclients"},
    {"set",
     "0 every value set, in one write of the settings file; 2 nothing set (a key unknown, or a value the page "
     "would refuse: the allowed values are named)",
     "servolt-cli set sv_hostname='Friday Night' sv_maxclients=24"},
    {"rotation",
     "0 listed or changed; 2 not done (a map not found, or refused by the Maps page's rules; the file is then left "
     "as it was)",
     "servolt-cli rotation add dm/alpha dm/bravo --game /srv/vantrel/game"},
    {"run",
     "0 stopped by the operator, or ended cleanly with --restart on-failure; the server's own exit code with "
     "--restart never; 1 a crash loop; 2 nothing started",
     "servolt-cli run --game /srv/vantrel/game --log /var/log/vantrel/server.log"},
    {"instance", "0 done; 2 not done (see the subcommand)", "servolt-cli instance list --json"},
    {"instance add",
     "0 added (a warning when another instance of its user folder has other mods in use); 2 not added (a bad "
     "name, a name in use, or a settings file or console script another instance of its user folder has)",
     "servolt-cli instance add match --game /srv/vantrel/game --prefix /srv/vantrel/wine-match"},
    {"instance list", "0 listed; 2 the instances file could not be read", "servolt-cli instance list --json"},
    {"instance remove", "0 removed (no file is touched); 2 no such instance, or the instances file not written",
     "servolt-cli instance remove test"},
    {"paths", "0 shown; 2 no such instance, or the places refused", "servolt-cli paths --instance match --json"},
    {"history", "0 done; 2 not done (see the subcommand)", "servolt-cli history list --instance match"},
    {"history list", "0 listed (none is an empty list); 2 the history could not be read",
     "servolt-cli history list --json"},
    {"history diff", "0 shown; 2 no such entry, or the history could not be read",
     "servolt-cli history diff 0007"},
    {"history restore",
     "0 restored and written; 2 not restored (no such entry, or a file could not be written; what was there is "
     "kept in the history first)",
     "servolt-cli history restore 0007 --instance match"},
    {"status", "0 every instance shown runs; 3 one does not; 2 not known (an error reading its status)",
     "servolt-cli status --json"},
    {"logs", "0 shown (with -f: until stopped); 2 no log to show", "servolt-cli logs default -n 200 -f"},
    {"rez create", "0 written; 2 nothing written (the tree refused, or the archive could not be written)",
     "servolt-cli rez create mymod.rez mymod/ --method best --exclude .git/"},
    {"rez list", "0 listed; 1 listed, but entries point past the end of the file (a download cut short?); 2 the "
                 "archive could not be read",
     "servolt-cli rez list game/mainmp/pak0.rez"},
    {"rez verify", "0 every entry decodes; 1 an entry is damaged (each named); 2 the archive could not be read",
     "servolt-cli rez verify mymod.rez"},
    {"rez cat", "0 written out; 2 the archive could not be read, or no entry has that name",
     "servolt-cli rez cat pak0.rez maps/dm/alpha.bsp > alpha.bsp"},
    {"rez extract",
     "0 all unpacked; 1 some entries refused or skipped, or no entry matched the patterns; 2 nothing unpacked",
     "servolt-cli rez extract pak0.rez 'maps/*' -C unpacked"},
    {"serve",
     "0 stopped by the operator (Ctrl+C, SIGTERM); 2 nothing served (an address refused or in use, a "
     "non-loopback address without --password-file, the instances, password or token file unreadable or "
     "unwritable)",
     "servolt-cli serve --listen 127.0.0.1:8580"},
    {"help", "0 shown; 2 no such command", "servolt-cli help rez extract"},
};

// The placeholder of a value, by the option's name ("" command: any
// command). Plain words instead of the parser's TEXT, FLOAT and INT; the
// unit of a range message comes from it too.
struct Placeholder {
    const char* command;
    const char* option;  // as the parser names it: "--grace", "ARCHIVE"
    const char* text;
};

const Placeholder kPlaceholders[] = {
    {"run", "--within", "SECONDS"},
    {"run", "--grace", "SECONDS"},
    {"run", "--log", "FILE"},
    {"run", "--log-max-size", "MB"},
    {"run", "--max-restarts", "N"},
    {"run", "--launcher", "PROGRAM"},
    {"", "-C", "DIR"},
    {"logs", "--lines", "N"},
    {"rez create", "--exclude", "PATTERN"},
};

std::string PathOf(const CLI::App* command) {
    std::string path;
    for (const CLI::App* app = command; app != nullptr && app->get_parent() != nullptr; app = app->get_parent()) {
        path = app->get_name() + (path.empty() ? "" : " " + path);
    }
    return path;
}

const char* UnitOf(const std::string& placeholder) {
    if (placeholder == "SECONDS") return " seconds";
    if (placeholder == "MB") return " MB";
    return "";
}

// A bound as a person writes it: 86400, 0.5, 100000000; never 1e+08.
std::string PlainNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string plain = text;
    while (!plain.empty() && plain.back() == '0') plain.pop_back();
    if (!plain.empty() && plain.back() == '.') plain.pop_back();
    return plain;
}

// The bounds the parser's range checks put on a value, read from their
// descriptions ("FLOAT in [0 - 86400]", "POSITIVE", "NONNEGATIVE", joined by
// AND). False when a description says something else.
struct Bounds {
    double min = -DBL_MAX;
    double max = DBL_MAX;
    bool aboveZero = false;  // 0 itself refused
};

bool ReadBounds(const std::string& description, Bounds& bounds) {
    bool found = false;
    if (description.find("NONNEGATIVE") != std::string::npos) {
        bounds.min = std::max(bounds.min, 0.0);
        found = true;
    } else if (description.find("POSITIVE") != std::string::npos) {
        bounds.min = std::max(bounds.min, 0.0);
        bounds.aboveZero = true;
        found = true;
    }
    for (std::string::size_type at = description.find('['); at != std::string::npos;
         at = description.find('[', at + 1)) {
        const char* text = description.c_str() + at + 1;
        char* end = nullptr;
        const double low = std::strtod(text, &end);
        if (end == text || std::string(end).compare(0, 3, " - ") != 0) return false;
        text = end + 3;
        const double high = std::strtod(text, &end);
        if (end == text || *end != ']') return false;
        bounds.min = std::max(bounds.min, low);
        bounds.max = std::min(bounds.max, high);
        found = true;
    }
    return found;
}

std::string RangeText(const Bounds& bounds, const char* unit) {
    if (bounds.max >= DBL_MAX) {
        if (bounds.aboveZero) return std::string("more than 0") + (*unit ? unit : "");
        return PlainNumber(bounds.min) + unit + " or more";
    }
    return "within " + PlainNumber(bounds.min) + " to " + PlainNumber(bounds.max) + unit +
           (bounds.aboveZero && bounds.min <= 0 ? ", and more than 0" : "");
}

// The option's range checks, put out of use and replaced by one that says
// the range in plain numbers: "90000 is not within 0 to 86400 seconds".
void PlainRange(CLI::Option* option, const char* unit) {
    Bounds bounds;
    std::vector<CLI::Validator*> ranges;
    for (int i = 0;; ++i) {
        CLI::Validator* validator = nullptr;
        try {
            validator = option->get_validator(i);
        } catch (const CLI::OptionNotFound&) {
            break;
        }
        if (!validator->get_active()) continue;
        if (ReadBounds(validator->get_description(), bounds)) ranges.push_back(validator);
    }
    if (ranges.empty()) return;
    for (CLI::Validator* validator : ranges) validator->active(false);
    const std::string range = RangeText(bounds, unit);
    option->check(CLI::Validator(
        [bounds, range, unit = std::string(unit)](std::string& input) {
            char* end = nullptr;
            const double value = std::strtod(input.c_str(), &end);
            if (end == input.c_str() || *end != '\0' || std::isnan(value)) {
                return input + " is not a number" + (unit.empty() ? "" : " of" + unit);
            }
            const bool within =
                value >= bounds.min && value <= bounds.max && !(bounds.aboveZero && value <= 0);
            return within ? std::string() : input + " is not " + range;
        },
        "", "plain range"));
}

void ApplyPlaceholders(CLI::App* command, const std::string& path) {
    for (CLI::Option* option : command->get_options()) {
        const std::string name = option->get_name();
        // A value given by its place is named by its placeholder already
        // (ARCHIVE, DIR, PATTERN...): no type after it.
        if (!option->nonpositional()) {
            if (option->get_option_text().empty()) option->type_name("");
            continue;
        }
        const char* placeholder = nullptr;
        for (const Placeholder& row : kPlaceholders) {
            if ((row.command[0] == '\0' || path == row.command) && name == row.option) placeholder = row.text;
        }
        if (placeholder != nullptr) {
            if (option->get_option_text().empty()) option->option_text(placeholder);
            PlainRange(option, UnitOf(placeholder));
            continue;
        }
        // A choice shows its choices alone, without the parser's TEXT.
        const std::string type = option->get_type_name();
        const std::string::size_type choices = type.find(":{");
        if (option->get_option_text().empty() && choices != std::string::npos) {
            option->option_text(type.substr(choices + 1));
        }
    }
}

// The commands one level below `app`, in the order they were added.
std::string CommandList(const CLI::App* app) {
    std::string list;
    for (const CLI::App* command : app->get_subcommands([](const CLI::App*) { return true; })) {
        if (command->get_name().empty()) continue;
        list += (list.empty() ? "" : ", ") + command->get_name();
    }
    return list;
}

// The deepest command the words choose; `rest` receives the words that
// choose none.
CLI::App* FindCommand(CLI::App* app, const std::vector<std::string>& words, std::vector<std::string>& rest) {
    CLI::App* command = app;
    std::size_t i = 0;
    for (; i < words.size(); ++i) {
        CLI::App* next = nullptr;
        try {
            next = command->get_subcommand(words[i]);
        } catch (const CLI::OptionNotFound&) {
            break;
        }
        command = next;
    }
    rest.assign(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
    return command;
}

// "servolt-cli rez list", as the usage line names the command.
std::string HelpName(const CLI::App* command) {
    std::string name;
    for (const CLI::App* app = command; app != nullptr; app = app->get_parent()) {
        name = app->get_name() + (name.empty() ? "" : " " + name);
    }
    return name;
}

}  // namespace

void ApplyCommandHelp(CLI::App* command) {
    const std::string path = PathOf(command);
    ApplyPlaceholders(command, path);
    // A subcommand without a row of its own (rotation add, mods use...)
    // says what its group says.
    for (std::string group = path; !group.empty();) {
        for (const CommandHelp& row : kCommandHelp) {
            if (group == row.path) {
                command->footer(std::string("\nExit codes: ") + row.exitCodes + ".\n\nExample:\n  " + row.example);
                return;
            }
        }
        const std::string::size_type cut = group.rfind(' ');
        group = cut == std::string::npos ? std::string() : group.substr(0, cut);
    }
}

std::string CommandLineFailure(const CLI::App* app, const CLI::Error& error, const char* program) {
    const std::string more = "Run with --help for more information.\n";
    // Words that choose no command at the deepest level chosen.
    const CLI::App* chosen = app;
    std::string words;
    for (;;) {
        const std::vector<CLI::App*> selected = chosen->get_subcommands();
        if (selected.empty()) break;
        chosen = selected.front();
        words += (words.empty() ? "" : " ") + chosen->get_name();
    }
    const bool hasCommands = !chosen->get_subcommands([](const CLI::App*) { return true; }).empty();
    const std::vector<std::string> remaining = app->remaining(true);
    if (hasCommands && !remaining.empty() && !remaining.front().empty() && remaining.front()[0] != '-') {
        return std::string(program) + ": unknown command '" + (words.empty() ? "" : words + " ") +
               remaining.front() + "'\nCommands: " + CommandList(chosen) + "\n" + more;
    }
    std::string what = error.what();
    return std::string(program) + ": " + what + "\n" + more;
}

void AddHelpCommand(CommandSet& commands) {
    const auto words = std::make_shared<std::vector<std::string>>();
    CLI::App* help = commands.App().add_subcommand("help", "show the help of servolt-cli or of one command");
    help->add_option("COMMAND", *words, "the command, with its subcommand (rez list)");
    CLI::App& app = commands.App();
    app.footer("\nRun 'servolt-cli help COMMAND' for a command's options, exit codes and an example.\n");
    commands.Add(help, [words, &app] {
        std::vector<std::string> rest;
        CLI::App* command = FindCommand(&app, *words, rest);
        if (!rest.empty()) {
            std::string path;
            for (const std::string& word : *words) path += (path.empty() ? "" : " ") + word;
            Say("unknown command '" + path + "'");
            std::cerr << "Commands: " << CommandList(command) << '\n';
            return kExitFailed;
        }
        // As --help shows it; App::help would show the help command's own,
        // since it is the command chosen.
        std::cout << command->get_formatter()->make_help(command, HelpName(command), CLI::AppFormatMode::Normal);
        return 0;
    });
}
