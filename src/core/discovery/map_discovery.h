// Map discovery: every map the server can be told to load, as the texts the
// rotation and the start map use. Game archives of main and mainmp first
// (only their maps/dm/ entries), then loose maps of the three map folders,
// then every map inside the archives of the mods in use.
//
// Each operation is told where to look: a server's places, or the two
// folders alone, so that the same walk runs on fixture folders.
#pragma once

#include <string>

#include "core/common/server_places.h"
#include "core/discovery/unique_text_list.h"

// Where discovery looks: the game folder (no trailing backslash) and the
// mods folder ("...\moddir", no trailing backslash).
struct MapSources {
    std::string gameFolder;
    std::string modsFolder;
};

// The game folder and the mods folder of a server's places.
MapSources MapSourcesOf(const ServerPlaces& places);

void FillMapList(const ServerPlaces& places, UniqueTextList& list, int gameType, const char* moduleUseList);
void FillMapList(const MapSources& sources, UniqueTextList& list, int gameType,
                 const char* moduleUseList);

// Empties the list, then adds the maps/dm/ maps of main\*.rez and mainmp\*.rez.
void AddGameArchiveMaps(const std::string& gameFolder, UniqueTextList& list);
// Loose maps, only for game types 0, 1 and 2.
void AddLooseMaps(const std::string& gameFolder, UniqueTextList& list, int gameType);
// `pattern` starts with a backslash and is taken under the game folder;
// each file found is listed as `prefix` + its name without the last four
// characters.
void AddLooseMapFolder(const std::string& gameFolder, const char* pattern, const char* prefix,
                       UniqueTextList& list);
// The mods named in the flagged-list text, in order; their marks play no part.
void AddModMaps(const std::string& modsFolder, UniqueTextList& list, const char* moduleUseList);
void AddModArchiveMaps(const std::string& modsFolder, const char* modName, UniqueTextList& list);
// The *.bsp entries of one archive, in byte-wise order; with `onlyDm` only
// those whose name holds "maps/dm/" (letter case counts). An archive that
// does not open adds nothing.
void AddArchiveMaps(const char* archivePath, UniqueTextList& list, bool onlyDm);
