#include "cli/cli_places.h"

#include "core/common/user_folder.h"
#include "platform/host.h"
#include "platform/platform.h"

std::string WinePrefixOf(const CliPlaces& options) {
    return options.prefix.empty() ? platform::WinePrefixFromEnvironment() : options.prefix;
}

std::string GameFolderOf(const CliPlaces& options) {
    std::string game = options.game;
    if (game.empty()) platform::QueryCurrentFolder(game);
    return game;
}

bool CheckPlaceOptions(const CliPlaces& options, bool iniIsRead, std::string& error) {
    const std::string prefix = WinePrefixOf(options);
    std::string documents;
    if (!prefix.empty() && !platform::WinePrefixDocumentsFolder(prefix, documents, error)) return false;
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
    if (!options.out.empty()) places.userFolder = options.out;
    return true;
}

bool SettingsFileExists(const ServerPlaces& places) {
    return places.settingsFile.size() < kProfilePathSize && platform::CanOpenForReading(places.settingsFile.c_str());
}
