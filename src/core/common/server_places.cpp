#include "core/common/server_places.h"

#include "core/common/user_folder.h"
#include "platform/platform.h"

std::string ServerPlaces::ServerConfigPath() const { return userFolder + "\\server.cfg"; }

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
