#include "cli/cli_places.h"

#include "core/common/user_folder.h"
#include "platform/host.h"
#include "platform/platform.h"

std::string InstancesFileOf(const CliPlaces& options) {
    return options.instances.empty() ? DefaultInstancesPath() : options.instances;
}

bool ChooseInstance(CliPlaces& options, std::string& error) {
    const std::string name = options.instance.empty() ? std::string(kDefaultInstanceName) : options.instance;
    if (!IsInstanceName(name)) {
        error = "\"" + name + "\" is not an instance name (letters, digits, - and _)";
        return false;
    }
    const std::string file = InstancesFileOf(options);
    std::vector<Instance> instances;
    if (!file.empty() && !ReadInstances(file, instances, error)) return false;
    const Instance* found = FindInstance(instances, name);
    if (found != nullptr) {
        options.chosen = *found;
    } else if (SameInstanceName(name, kDefaultInstanceName)) {
        options.chosen = Instance{kDefaultInstanceName, "", "", "", "", {}};
    } else {
        error = "no instance " + name + (file.empty() ? std::string() : " in " + file) +
                " (servolt-cli instance list shows them)";
        return false;
    }
    return true;
}

std::string WinePrefixOf(const CliPlaces& options) {
    if (!options.prefix.empty()) return options.prefix;
    return options.chosen.prefix.empty() ? platform::WinePrefixFromEnvironment() : options.chosen.prefix;
}

std::string GameFolderOf(const CliPlaces& options) {
    std::string game = options.game.empty() ? options.chosen.game : options.game;
    if (game.empty()) platform::QueryCurrentFolder(game);
    return game;
}

std::string ConsoleScriptOf(const CliPlaces& options) {
    if (!options.cfg.empty()) return options.cfg;
    return options.chosen.cfg.empty() ? std::string(ServerPlaces::kDefaultConsoleScript) : options.chosen.cfg;
}

bool CheckPlaceOptions(const CliPlaces& options, bool iniIsRead, std::string& error) {
    const std::string prefix = WinePrefixOf(options);
    std::string documents;
    if (!prefix.empty() && !platform::WinePrefixDocumentsFolder(prefix, documents, error)) return false;
    const std::string script = ConsoleScriptOf(options);
    if (!IsConsoleScriptName(script)) {
        error = "\"" + script + "\": a console script is a plain file name ending in .cfg, without spaces";
        return false;
    }
    if (options.ini.empty() && options.chosen.ini.size() >= kProfilePathSize) {
        error = options.chosen.ini + ": the settings file's path is longer than 259 characters";
        return false;
    }
    if (options.ini.empty()) return true;
    if (options.ini.size() >= kProfilePathSize) {
        error = options.ini + ": the settings file's path is longer than 259 characters";
        return false;
    }
    if (iniIsRead && !platform::CanOpenForReading(options.ini.c_str())) {
        error = options.ini + ": no such settings file";
        return false;
    }
    return true;
}

bool BuildPlaces(const CliPlaces& options, bool iniIsRead, ServerPlaces& places, std::string& error) {
    if (!CheckPlaceOptions(options, iniIsRead, error)) return false;
    const std::string prefix = WinePrefixOf(options);
    std::string documents;
    if (!prefix.empty()) {
        if (!platform::WinePrefixDocumentsFolder(prefix, documents, error)) return false;
    } else {
        GetDocumentsFolder(documents);  // unknown: the root of the current drive, as in the window
    }
    places = PlacesInDocuments(documents, GameFolderOf(options));
    places.winePrefix = prefix;
    if (!options.ini.empty()) places.settingsFile = options.ini;
    else if (!options.chosen.ini.empty()) places.settingsFile = options.chosen.ini;
    if (!options.out.empty()) places.userFolder = options.out;
    places.consoleScript = ConsoleScriptOf(options);
    return true;
}

bool SettingsFileExists(const ServerPlaces& places) {
    return places.settingsFile.size() < kProfilePathSize && platform::CanOpenForReading(places.settingsFile.c_str());
}

std::string Absolute(const std::string& path) {
    const bool absolute = (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
                          (path.size() >= 2 && path[1] == ':');
    std::string here;
    if (absolute || path.empty() || !platform::QueryCurrentFolder(here)) return path;
    if (path == ".") return here;
    return here + (here.back() == '\\' || here.back() == '/' ? "" : "\\") + path;
}
