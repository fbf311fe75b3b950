#include "core/common/server_places.h"

#include <cctype>
#include <cstring>

#include "core/common/user_folder.h"
#include "platform/platform.h"

std::string ServerPlaces::ServerConfigPath() const { return userFolder + "\\" + consoleScript; }

std::string ServerPlaces::UsedModsPath() const { return userFolder + "\\moddir\\usedmods.cfg"; }

ServerPlaces PlacesInDocuments(const std::string& documentsFolder, const std::string& gameFolder) {
    ServerPlaces places;
    places.userFolder = UserFolderIn(documentsFolder);
    places.settingsFile = places.userFolder + "\\Servolt.ini";
    places.modsFolder = places.userFolder + "\\moddir";
    places.gameFolder = gameFolder;
    return places;
}

ServerPlaces DefaultServerPlaces() {
    std::string documents;
    GetDocumentsFolder(documents);  // unknown: the root of the current drive
    std::string current;
    platform::QueryCurrentFolder(current);
    return PlacesInDocuments(documents, current);
}

bool IsConsoleScriptName(const std::string& name) {
    // A name the server's +exec finds in the user folder: no folder part, no
    // character Windows refuses in a name, and the .cfg the console expects.
    static const char kSuffix[] = ".cfg";
    const std::size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= suffix || name.size() > 64) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>| ", c) != nullptr) return false;
    }
    if (name[0] == '.') return false;
    std::string tail = name.substr(name.size() - suffix);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == kSuffix;
}
