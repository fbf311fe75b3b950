// A generated game install for the benchmarks: maps in game archives, loose
// maps and mod archives, written with the project's archive writer.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/discovery/map_discovery.h"
#include "rez_builder.h"

namespace benchinstall {

namespace fs = std::filesystem;

constexpr int kMapsPerArchive = 50;

inline std::string InterfacePath(const fs::path& path) {
    std::string text = path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

inline void WriteArchives(const fs::path& folder, const std::string& stem, const std::string& mapFolder, int maps) {
    fs::create_directories(folder);
    for (int first = 0, archive = 0; first < maps; first += kMapsPerArchive, ++archive) {
        std::vector<rezwriter::Entry> entries;
        for (int i = first; i < std::min(maps, first + kMapsPerArchive); ++i) {
            const std::string name = stem + std::to_string(i);
            entries.push_back({mapFolder + name + ".bsp", "bsp " + name, i % 3 ? rezwriter::Method::None : rezwriter::Method::Lzss});
            entries.push_back({"textures/" + name + ".tga", "texture", rezwriter::Method::Rle});
        }
        const fs::path path = folder / (stem + std::to_string(archive) + ".rez");
        if (!rezwriter::WriteArchive(path.string(), entries)) {
            std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
            std::exit(1);
        }
    }
}

inline void WriteLoose(const fs::path& folder, const std::string& stem, int maps) {
    fs::create_directories(folder);
    for (int i = 0; i < maps; ++i) std::ofstream(folder / (stem + std::to_string(i) + ".bsp")) << "bsp";
}

// An install of `maps` maps in `game` and the mods folder `mods`; returns
// where discovery looks. Half of the maps sit in game archives (some entries
// compressed), a quarter loose in the three map folders and a quarter in the
// archives of the two mods ModA and ModB.
inline MapSources MakeInstall(const fs::path& game, const fs::path& mods, int maps) {
    const int archived = maps / 2;
    const int loose = maps / 4;
    const int modded = maps - archived - loose;
    WriteArchives(game / "main", "main", "maps/dm/", archived / 2);
    WriteArchives(game / "mainmp", "mp", "maps/dm/", archived - archived / 2);
    WriteLoose(game / "mainmp" / "maps" / "dm", "dm", loose / 3);
    WriteLoose(game / "main" / "maps" / "TOW", "tow", loose / 3);
    WriteLoose(game / "main" / "maps", "plain", loose - 2 * (loose / 3));
    WriteArchives(mods / "ModA", "moda", "levels/", modded / 2);
    WriteArchives(mods / "ModB", "modb", "maps/", modded - modded / 2);
    return MapSources{InterfacePath(game), InterfacePath(mods)};
}

}  // namespace benchinstall
