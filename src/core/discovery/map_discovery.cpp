#include "core/discovery/map_discovery.h"

#include "core/archive/resource_archive.h"
#include "platform/platform.h"
#include "core/settings/flagged_list.h"

namespace {

// A loose map's file name ends in ".bsp" (the pattern says so); the text
// drops those four characters whatever their letter case.
std::string WithoutExtension(const std::string& fileName) {
    return fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

// The *.rez files of one folder, in file-system order, as full paths.
template <typename Visit>
void ForEachArchive(const std::string& folder, Visit visit) {
    const std::string pattern = folder + "\\*.rez";
    platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& entry) {
        if (!entry.isFile) return;
        visit(folder + "\\" + entry.name);
    });
}

}  // namespace

MapSources MapSourcesOf(const ServerPlaces& places) { return MapSources{places.gameFolder, places.modsFolder}; }

void FillMapList(const ServerPlaces& places, UniqueTextList& list, int gameType, const char* moduleUseList) {
    FillMapList(MapSourcesOf(places), list, gameType, moduleUseList);
}

void FillMapList(const MapSources& sources, UniqueTextList& list, int gameType,
                 const char* moduleUseList) {
    AddGameArchiveMaps(sources.gameFolder, list);
    AddLooseMaps(sources.gameFolder, list, gameType);
    AddModMaps(sources.modsFolder, list, moduleUseList);
}

void AddGameArchiveMaps(const std::string& gameFolder, UniqueTextList& list) {
    list.Clear();
    for (const char* folder : {"main", "mainmp"}) {
        ForEachArchive(gameFolder + "\\" + folder, [&](const std::string& path) {
            AddArchiveMaps(path.c_str(), list, true);
        });
    }
}

void AddLooseMaps(const std::string& gameFolder, UniqueTextList& list, int gameType) {
    if (gameType < 0 || gameType > 2) return;
    static const struct {
        const char* pattern;
        const char* prefix;
    } kFolders[] = {
        {"\\mainmp\\maps\\dm\\*.bsp", "maps/dm/"},
        {"\\main\\maps\\TOW\\*.bsp", "maps/tow/"},
        {"\\main\\maps\\*.bsp", "maps/"},
    };
    for (const auto& folder : kFolders) AddLooseMapFolder(gameFolder, folder.pattern, folder.prefix, list);
}

void AddLooseMapFolder(const std::string& gameFolder, const char* pattern, const char* prefix,
                       UniqueTextList& list) {
    const std::string path = gameFolder + pattern;
    platform::FindEntries(path.c_str(), [&](const platform::FoundEntry& entry) {
        if (!entry.isFile) return;
        list.AppendOnce(prefix + WithoutExtension(entry.name));
    });
}

void AddModMaps(const std::string& modsFolder, UniqueTextList& list, const char* moduleUseList) {
    if (moduleUseList == nullptr || moduleUseList[0] == '\0') return;
    for (const FlaggedItem& mod : ParseFlaggedList(moduleUseList)) {
        AddModArchiveMaps(modsFolder, mod.item.c_str(), list);
    }
}

void AddModArchiveMaps(const std::string& modsFolder, const char* modName, UniqueTextList& list) {
    ForEachArchive(modsFolder + "\\" + modName, [&](const std::string& path) {
        AddArchiveMaps(path.c_str(), list, false);
    });
}

void AddArchiveMaps(const char* archivePath, UniqueTextList& list, bool onlyDm) {
    ResourceArchive archive(archivePath, "");
    if (!archive.IsOpen()) return;
    for (const std::string& name : archive.Search("", "bsp", "*.bsp", true)) {
        if (!onlyDm || name.find("maps/dm/") != std::string::npos) list.AppendOnce(name);
    }
}
