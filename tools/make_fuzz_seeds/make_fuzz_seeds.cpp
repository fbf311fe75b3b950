// make_fuzz_seeds FOLDER
//
// Writes the directory-shaped seeds of the archive fuzz target
// (tests/fuzz/corpus/archive/dir-*.rez) into FOLDER: small archives whose
// records share names, name overlapping tails of one text, or carry names at
// and just past the length limit, so that the fuzzer starts next to every
// bound of docs/rez-format.md ("Bounds") and grows such directories from
// there. Each file stays under 2 KB; the fuzzer's mutations (repeating
// records, copying parts) make the large ones.
#include <cstdio>
#include <string>
#include <vector>

#include "rez_builder.h"

namespace {

using rezwriter::Bytes;
using rezwriter::BuildSharedNameArchive;

bool Write(const std::string& folder, const char* name, const Bytes& bytes) {
    const std::string path = folder + "/" + name;
    if (!rezwriter::WriteFile(path, bytes)) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

std::string MapName(std::size_t length) {
    std::string name = "maps/dm/";
    name += std::string(length - name.size() - 4, 'x');
    return name + ".bsp";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;

    // Records naming three stored names, with case variants, in two groups
    // whose entry numbers run backwards: the index's rank sort.
    {
        const std::string text = std::string("maps/dm/a.bsp") + '\0' + "MAPS/DM/A.BSP" + '\0' + "maps/b.bsp" + '\0';
        rezwriter::Layout layout;
        layout.recordsPerGroup = 4;
        Bytes bytes = BuildSharedNameArchive({0, 14, 28, 0, 28, 14, 0, rezwriter::kNoName}, text, layout);
        rezwriter::PutU32(bytes, 24, 4);                // first group: entries 4..7
        rezwriter::PutU32(bytes, 24 + 8 + 4 * 16, 0);  // second group: entries 0..3
        ok = Write(folder, "dir-shared-names.rez", bytes) && ok;
    }
    // Tails of one stored name named as names of their own, within the budget.
    {
        const std::string text = std::string("maps/dm/a.bsp") + '\0' + "textures/c.tga" + '\0';
        ok = Write(folder, "dir-shared-tails.rez", BuildSharedNameArchive({0, 5, 8, 14}, text)) && ok;
    }
    // Every suffix of a 40-character name: over the budget (refused).
    {
        std::vector<std::uint32_t> offsets;
        for (std::uint32_t start = 0; start < 36; ++start) offsets.push_back(start);
        ok = Write(folder, "dir-over-budget.rez", BuildSharedNameArchive(offsets, MapName(40) + '\0')) && ok;
    }
    // A name as long as allowed, and one a character longer (refused).
    ok = Write(folder, "dir-longest-name.rez",
               rezwriter::BuildArchive({{MapName(kNameLengthLimit), "data"}, {"maps/dm/b.bsp", ""}})) &&
         ok;
    ok = Write(folder, "dir-name-too-long.rez", rezwriter::BuildArchive({{MapName(kNameLengthLimit + 1), ""}})) &&
         ok;
    // Many records naming one name as long as allowed.
    {
        rezwriter::Layout layout;
        layout.recordsPerGroup = 16;
        ok = Write(folder, "dir-one-name.rez",
                   BuildSharedNameArchive(std::vector<std::uint32_t>(64, 0), MapName(kNameLengthLimit) + '\0',
                                          layout)) &&
             ok;
    }
    return ok ? 0 : 1;
}
