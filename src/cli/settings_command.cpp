// servolt-cli get and set: the settings as the pages show and store them,
// named by their settings-file key or by a server variable they write.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/user_folder.h"
#include "core/servercfg/setting_lookup.h"
#include "core/settings/page_fields.h"
#include "core/settings/settings_file.h"

namespace {

using Setting = SettingRef;

// The setting KEY names: its settings-file key (any case), or the one
// server variable that writes only it. False, with the reason, otherwise.
bool FindSetting(const std::string& name, Setting& setting, std::string& why) {
    std::vector<const SettingKey*> candidates;
    switch (FindSettingByName(name, setting, candidates)) {
    case SettingLookup::Found: return true;
    case SettingLookup::Unknown:
        why = "unknown setting '" + ShownName(name) + "' (neither a settings key nor a server variable)";
        return false;
    case SettingLookup::Ambiguous:
        why = "'" + ShownName(name) + "' is written from several settings:";
        for (const SettingKey* key : candidates) why += std::string(" ") + key->key;
        return false;
    case SettingLookup::NoKey: break;
    }
    why = "unknown setting '" + ShownName(name) + "'";
    return false;
}

nlohmann::ordered_json SettingJson(const Setting& setting, const ServerSettings& settings) {
    const PageField& row = *setting.row;
    nlohmann::ordered_json entry;
    entry["page"] = setting.page->name;
    entry["label"] = PageLabelText(row);
    entry["kind"] = KindName(KindOf(row.conversion));
    entry["value"] = ShowPageValue(row, settings);
    nlohmann::ordered_json choices = nullptr;
    if (row.conversion == PageConversion::Choice) {
        choices = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < row.choiceCount; ++i) choices.push_back(LoadUIText(row.choices[i]));
    } else if (row.conversion == PageConversion::Flag) {
        choices = {"0", "1"};
    } else if (row.conversion == PageConversion::AllSkins) {
        choices = {"0", "1", "2"};
    }
    entry["choices"] = choices;
    entry["allowed"] = AllowedValues(row);
    entry["variables"] = VariablesOfField(setting.key->field);
    if (row.hidden) entry["hidden"] = true;
    return entry;
}

struct GetOptions {
    std::vector<std::string> keys;
    bool json = false;
    bool verbose = false;
};

int RunGet(const ServerContext& context, const GetOptions& options) {
    std::vector<Setting> chosen;
    bool refused = false;
    for (const std::string& name : options.keys) {
        Setting setting{};
        std::string why;
        if (!FindSetting(name, setting, why)) {
            Say(why);
            refused = true;
            continue;
        }
        chosen.push_back(setting);
    }
    if (refused) return kExitFailed;
    if (options.keys.empty()) {
        const SettingKey* keys = SettingKeys();
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) chosen.push_back(SettingRefOf(keys[i]));
    }
    const auto settings = LoadSettings(context);
    if (options.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::object();
        for (const Setting& setting : chosen) all[setting.key->key] = SettingJson(setting, *settings);
        std::cout << all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return 0;
    }
    for (const Setting& setting : chosen) {
        // Texts come from a file anyone may have edited: shown safe for a
        // terminal, a line break as \x0D\x0A (--json gives them exactly).
        std::cout << setting.key->key << '=' << ShownName(ShowPageValue(*setting.row, *settings));
        if (options.verbose) {
            std::cout << "    # " << setting.page->name << ": " << PageLabelText(*setting.row) << " ("
                      << KindName(KindOf(setting.row->conversion)) << ")";
        }
        std::cout << '\n';
    }
    return 0;
}

int RunSet(const ServerContext& context, const std::vector<std::string>& assignments, bool userFolder) {
    const auto settings = LoadSettings(context);
    bool refused = false;
    for (const std::string& assignment : assignments) {
        const std::string::size_type equals = assignment.find('=');
        if (equals == std::string::npos) {
            Say("'" + ShownName(assignment) + "' is not KEY=VALUE");
            refused = true;
            continue;
        }
        const std::string name = assignment.substr(0, equals);
        const std::string value = assignment.substr(equals + 1);
        Setting setting{};
        std::string why;
        if (!FindSetting(name, setting, why)) {
            Say(why);
            refused = true;
            continue;
        }
        const char* key = setting.key->key;
        if (setting.row->conversion == PageConversion::MarkedList) {
            // The lists take only names that were found, one by one.
            Say(std::string(key) + " is edited with 'servolt-cli " +
                (setting.key->field.offset == fields::MapRotationList.offset ? "rotation" : "mods") +
                " add|remove|...', not set as a whole");
            refused = true;
            continue;
        }
        if (!SetPageValue(*setting.row, value, *settings, why)) {
            Say(std::string(key) + ": " + why);
            refused = true;
        }
    }
    // All or nothing: one refused value leaves the file as it was.
    if (refused) return kExitFailed;
    if (userFolder) CreateUserFolders(context.places.userFolder);  // as the window does when it starts
    return settings->WriteSettings(context).Written() ? 0 : kExitFailed;
}

}  // namespace

void AddSettingsCommands(CommandSet& commands) {
    const CliPlaces& places = commands.Places();

    const auto getOptions = MakeOptions<GetOptions>();
    CLI::App* get = commands.App().add_subcommand("get", "print settings as the pages show them");
    get->add_option("KEY", getOptions->keys,
                    "settings-file key (ServerName) or server variable (sv_maxclients); default: all")
        ->option_text("KEY...");
    get->add_flag("--json", getOptions->json, "print page, label, kind, value and choices as a JSON object");
    get->add_flag("--verbose", getOptions->verbose, "name each setting's page and label");
    commands.AddPlaceOptions(get, CommandSet::kIni | CommandSet::kPrefix);
    get->footer("Exit codes: 0 printed; 2 an unknown key or a settings file not read.\n"
                "Example: servolt-cli get sv_maxclients GameType");
    commands.Add(get, [getOptions, &places] {
        ServerContext context;
        if (!OpenServer(places, true, context)) return kExitFailed;
        return RunGet(context, *getOptions);
    });

    const auto assignments = std::make_shared<std::vector<std::string>>();
    CLI::App* set = commands.App().add_subcommand(
        "set", "change settings with the pages' rules, all or none, in one write of the settings file");
    set->add_option("KEY=VALUE", *assignments, "a settings-file key or server variable and its new value")
        ->required()
        ->option_text("KEY=VALUE...");
    commands.AddPlaceOptions(set, CommandSet::kIni | CommandSet::kPrefix);
    set->footer("Exit codes: 0 written; 2 a value refused (nothing written) or the file not written.\n"
                "Example: servolt-cli set sv_maxclients=24 GameType=\"Team Deathmatch\"");
    commands.Add(set, [assignments, &places] {
        ServerContext context;
        if (!OpenServer(places, false, context)) return kExitFailed;
        return RunSet(context, *assignments, places.ini.empty());
    });
}
