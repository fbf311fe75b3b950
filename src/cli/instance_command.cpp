// servolt-cli instance: the servers of this host by name, in instances.ini.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstring>
#include <iostream>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/check/config_check.h"
#include "core/instances/instances.h"
#include "core/settings/server_settings.h"
#include "core/usedmods/used_mods.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

struct AddOptions {
    std::string name;
    std::string game;
    std::string prefix;
    std::string ini;
    std::string cfg;
};


bool ReadFile(const std::string& file, std::vector<Instance>& instances) {
    std::string error;
    if (file.empty()) {
        Say("no configuration folder: the environment names no home (name the file with --instances)");
        return false;
    }
    if (ReadInstances(file, instances, error)) return true;
    Say(error);
    return false;
}

// What the instance's saves leave in the user folder's usedmods.cfg: its
// mods in use ("" when none: a save then leaves the file as it is, and the
// server runs with whatever another wrote there). False when it has no
// settings file: not set up yet, it writes nothing.
bool UsedModsOf(const Instance& instance, std::string& mods) {
    CliPlaces options;
    options.chosen = instance;
    ServerPlaces places;
    std::string error;
    if (!BuildPlaces(options, false, places, error) || !SettingsFileExists(places)) return false;
    ServerSettings settings;
    settings.SetDefaults();
    settings.ReadSettings(places);
    mods = settings.ModuleUseList;
    return true;
}

bool SameModsInUse(const std::string& a, const std::string& b) {
    return BuildUsedMods(a.c_str()) == BuildUsedMods(b.c_str());
}

int RunAdd(const std::string& file, const AddOptions& options) {
    if (!IsInstanceName(options.name)) {
        Say("\"" + options.name + "\" is not an instance name (letters, digits, - and _)");
        return kExitFailed;
    }
    if (!options.cfg.empty() && !IsConsoleScriptName(options.cfg)) {
        Say("\"" + options.cfg + "\": a console script is a plain file name ending in .cfg, without spaces");
        return kExitFailed;
    }
    if (!options.prefix.empty() && *platform::WindowsProgramLauncher() == '\0') {
        Say("--prefix: Windows runs the server itself, without a Wine prefix");
        return kExitFailed;
    }
    if (SameInstanceName(options.name, kDefaultInstanceName) && (!options.ini.empty() || !options.cfg.empty())) {
        Say("the default instance keeps Servolt.ini and server.cfg: give it no --ini or --cfg");
        return kExitFailed;
    }
    Instance instance{options.name, Absolute(options.game), Absolute(options.prefix), Absolute(options.ini),
                      options.cfg, {}};
    if (instance.ini.size() >= kProfilePathSize) {
        Say(instance.ini + ": the settings file's path is longer than 259 characters");
        return kExitFailed;
    }
    for (const std::string* value : {&instance.game, &instance.prefix, &instance.ini}) {
        if (value->find_first_of("\r\n") != std::string::npos) {
            Say("a path of an instance holds no line break");
            return kExitFailed;
        }
    }
    std::vector<Instance> instances;
    if (!ReadFile(file, instances)) return kExitFailed;
    if (FindInstance(instances, instance.name) != nullptr) {
        Say("the instance " + instance.name + " is already in " + ShownPath(file) +
            " (servolt-cli instance remove it first)");
        return kExitFailed;
    }
    const std::vector<std::string> clashes = IsolationClashes(InstancesInUse(instances), instance);
    if (!clashes.empty()) {
        for (const std::string& clash : clashes) Say(instance.name + ": " + ShownPath(clash));
        return kExitFailed;
    }
    if (platform::PathKind(instance.game.c_str()) != platform::PathType::Folder) {
        Say("warning: " + ShownPath(instance.game) + ": no such folder (yet)");
    }
    // usedmods.cfg has one place per user folder: whichever server writes
    // it last decides the mods of every server of that folder.
    std::string mods;
    std::string otherMods;
    const bool configured = UsedModsOf(instance, mods);
    for (const Instance& other : InstancesInUse(instances)) {
        if (!configured || !ShareUserFolder(other, instance) || !UsedModsOf(other, otherMods) ||
            SameModsInUse(mods, otherMods))
            continue;
        Say("warning: " + instance.name + " and " + other.name +
            " share one moddir\\usedmods.cfg but use different mods; the one that writes last decides for both");
    }
    instances.push_back(instance);
    std::string error;
    if (!WriteInstances(file, instances, error)) {
        Say(error);
        return kExitFailed;
    }
    std::cout << "instance " << instance.name << " added to " << ShownPath(file) << '\n';
    return 0;
}

nlohmann::ordered_json OrNull(const std::string& text, bool path) {
    if (text.empty()) return nullptr;
    return path ? ShownPath(text) : text;
}

int RunInstanceList(const std::string& file, bool json) {
    std::vector<Instance> instances;
    if (!ReadFile(file, instances)) return kExitFailed;
    const bool implicitDefault = FindInstance(instances, kDefaultInstanceName) == nullptr;
    const std::vector<Instance> all = InstancesInUse(instances);
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const Instance& instance : all) {
            list.push_back({{"name", instance.name},
                            {"implicit", implicitDefault && SameInstanceName(instance.name, kDefaultInstanceName)},
                            {"game", OrNull(instance.game, true)},
                            {"prefix", OrNull(instance.prefix, true)},
                            {"ini", OrNull(instance.ini, true)},
                            {"cfg", OrNull(instance.cfg, false)}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return 0;
    }
    for (const Instance& instance : all) {
        if (implicitDefault && SameInstanceName(instance.name, kDefaultInstanceName)) {
            std::cout << instance.name << "  (the window's places; not in the file)\n";
            continue;
        }
        std::cout << instance.name;
        if (!instance.game.empty()) std::cout << "  game " << ShownName(ShownPath(instance.game));
        if (!instance.prefix.empty()) std::cout << "  prefix " << ShownName(ShownPath(instance.prefix));
        if (!instance.ini.empty()) std::cout << "  ini " << ShownName(ShownPath(instance.ini));
        if (!instance.cfg.empty()) std::cout << "  cfg " << instance.cfg;
        std::cout << '\n';
    }
    return 0;
}

int RunRemove(const std::string& file, const std::string& name) {
    std::vector<Instance> instances;
    if (!ReadFile(file, instances)) return kExitFailed;
    for (auto at = instances.begin(); at != instances.end(); ++at) {
        if (!SameInstanceName(at->name, name)) continue;
        instances.erase(at);
        std::string error;
        if (!WriteInstances(file, instances, error)) {
            Say(error);
            return kExitFailed;
        }
        // Its files stay where they are: they are the operator's.
        std::cout << "instance " << name << " removed from " << ShownPath(file) << "; its files are left as they are\n";
        return 0;
    }
    Say("no instance " + name + " in " + ShownPath(file));
    return kExitFailed;
}

}  // namespace

void AddInstanceCommand(CommandSet& commands) {
    CliPlaces& places = commands.Places();
    CLI::App* instance = commands.App().add_subcommand("instance", "add, list or remove the servers of this host");
    instance->require_subcommand(1);
    instance->add_option("--instances", places.instances,
                         "the instances file (default: instances.ini of the utility's configuration folder)")
        ->option_text("FILE");

    const auto add = MakeOptions<AddOptions>();
    CLI::App* addCommand = instance->add_subcommand("add", "name a server: its game folder and where its files go");
    addCommand->fallthrough();
    addCommand->add_option("NAME", add->name, "letters, digits, - and _")->required();
    addCommand->add_option("--game", add->game, "its game folder")->required()->option_text("DIR");
    addCommand->add_option("--prefix", add->prefix, "its Wine prefix (default: $WINEPREFIX, or none)")
        ->option_text("DIR");
    addCommand->add_option("--ini", add->ini, "its settings file (default: Servolt.ini of the user folder)")
        ->option_text("FILE");
    addCommand->add_option("--cfg", add->cfg, "its console script (default: server.cfg)")->option_text("NAME.cfg");
    commands.Add(addCommand, [add, &places] { return RunAdd(InstancesFileOf(places), *add); });

    const auto json = std::make_shared<bool>(false);
    CLI::App* list = instance->add_subcommand("list", "list the servers, the implicit default included");
    list->fallthrough();
    list->add_flag("--json", *json, "print a JSON array");
    commands.Add(list, [json, &places] { return RunInstanceList(InstancesFileOf(places), *json); });

    const auto name = std::make_shared<std::string>();
    CLI::App* remove = instance->add_subcommand("remove", "forget a server (its files stay)");
    remove->fallthrough();
    remove->add_option("NAME", *name, "the instance")->required();
    commands.Add(remove, [name, &places] { return RunRemove(InstancesFileOf(places), *name); });
}

void AppendInstanceFindings(const CliPlaces& options, const ServerSettings& settings, std::vector<Finding>& findings) {
    std::vector<Instance> instances;
    std::string error;
    const std::string file = InstancesFileOf(options);
    if (file.empty() || !ReadInstances(file, instances, error)) return;  // the command has said so already
    Instance self = options.chosen;
    if (!options.prefix.empty()) self.prefix = options.prefix;
    for (const Instance& other : InstancesInUse(instances)) {
        if (SameInstanceName(other.name, self.name) || !ShareUserFolder(other, self)) continue;
        std::string mods;
        if (!UsedModsOf(other, mods) || SameModsInUse(mods, settings.ModuleUseList)) continue;
        findings.push_back(Finding{FindingSeverity::Warning, "moddir\\usedmods.cfg",
                                   "the instance " + other.name +
                                       " shares this user folder's usedmods.cfg but uses other mods (" +
                                       (mods.empty() ? std::string("none") : mods) + "); the one that writes last decides for both"});
    }
}
