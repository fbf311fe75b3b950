// Map discovery on fixture game folders: what is listed, under which text,
// in which order, and what is skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "discovery_fixture.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "unit/support/bounded_call.h"
#endif

namespace {

using Names = std::vector<std::string>;

MapSources SourcesIn(const FixtureFolder& game, const FixtureFolder& user) {
    return MapSources{game.Path(), user.PathOf("moddir")};
}

Names Discover(const MapSources& sources, int gameType, const char* mods) {
    UniqueTextList list;
    FillMapList(sources, list, gameType, mods);
    return ListTexts(list);
}

// One archive or file per folder, so that the expected order does not hang
// on the file system's.
class MapDiscovery : public ::testing::Test {
protected:
    void SetUp() override {
        game.WriteArchive("main\\game.rez", {"maps/dm/alpha.bsp", "maps/DM/Upper.bsp",
                                             "textures/wall.tga", "maps/dm/beta.BSP",
                                             "maps/tow/tower.bsp", "sound/x.bsp.old"});
        game.WriteArchive("mainmp\\mp.rez", {"maps/dm/alpha.bsp", "maps/dm/gamma.bsp"});
        game.WriteFile("mainmp\\maps\\dm\\alpha.bsp");
        game.WriteFile("main\\maps\\TOW\\Tower2.bsp");
        game.WriteFile("main\\maps\\Test.BSP");
        user.WriteArchive("moddir\\ModOne\\one.rez",
                          {"maps/DM/Upper.bsp", "levels/own.bsp", "readme.txt"});
        user.WriteArchive("moddir\\ModTwo\\two.rez", {"maps/dm/gamma.bsp", "x/two.bsp"});
    }

    FixtureFolder game;
    FixtureFolder user;
};

}  // namespace

TEST_F(MapDiscovery, ListsGameArchivesThenLooseMapsThenModArchives) {
    const Names expected = {
        // main\game.rez, byte-wise order, maps/dm/ only (maps/DM/ and the
        // tow map are not), ".bsp" in any case and anywhere in the name.
        "maps/dm/alpha.bsp",
        "maps/dm/beta.BSP",
        // mainmp\mp.rez: alpha is already listed.
        "maps/dm/gamma.bsp",
        // Loose maps: the same map as a loose file is a different text.
        "maps/dm/alpha",
        "maps/tow/Tower2",
        "maps/Test",
        // Mod archives: every *.bsp entry whatever its folder.
        "levels/own.bsp",
        "maps/DM/Upper.bsp",
        "x/two.bsp",
    };
    EXPECT_EQ(Discover(SourcesIn(game, user), 0, "ModOne 1 ModTwo 0 "), expected);
}

TEST_F(MapDiscovery, LooseMapsOnlyForTheThreeKnownGameTypes) {
    for (int gameType : {0, 1, 2}) {
        const Names names = Discover(SourcesIn(game, user), gameType, "");
        EXPECT_EQ(names, (Names{"maps/dm/alpha.bsp", "maps/dm/beta.BSP", "maps/dm/gamma.bsp",
                                "maps/dm/alpha", "maps/tow/Tower2", "maps/Test"}))
            << "game type " << gameType;
    }
    for (int gameType : {3, -1, 5}) {
        const Names names = Discover(SourcesIn(game, user), gameType, "ModTwo 0 ");
        EXPECT_EQ(names, (Names{"maps/dm/alpha.bsp", "maps/dm/beta.BSP", "maps/dm/gamma.bsp",
                                "x/two.bsp"}))
            << "game type " << gameType;
    }
}

TEST_F(MapDiscovery, ModListIsReadAsPairsAndMissingModsAddNothing) {
    const MapSources sources = SourcesIn(game, user);
    const Names gameOnly = Discover(sources, 3, "");
    EXPECT_EQ(Discover(sources, 3, nullptr), gameOnly);
    EXPECT_EQ(Discover(sources, 3, "Gone 1 AlsoGone 0 "), gameOnly);
    // The marks are not mod names; a final name without its mark still counts.
    Names withTwo = gameOnly;
    withTwo.push_back("x/two.bsp");
    EXPECT_EQ(Discover(sources, 3, "Gone 1 ModTwo"), withTwo);
    EXPECT_EQ(Discover(sources, 3, "  ModTwo   0  "), withTwo);
    EXPECT_EQ(Discover(MapSources{sources.gameFolder, user.PathOf("nomods")}, 3, "ModTwo 0 "), gameOnly);
}

TEST_F(MapDiscovery, RebuildsTheListFromScratch) {
    UniqueTextList list;
    AddListItemOnce(list, "stale");
    AddGameArchiveMaps(game.Path(), list);
    EXPECT_FALSE(ListContainsText(list, "stale"));
    EXPECT_EQ(list.Size(), 3u);
    FillMapList(SourcesIn(game, user), list, 0, "");
    EXPECT_EQ(list.Size(), 6u);
}

TEST(MapDiscoveryEdges, ArchivesThatFailToOpenAreSkipped) {
    FixtureFolder game;
    FixtureFolder user;
    game.WriteFile("main\\empty.rez", "");
    game.WriteFile("main\\garbage.rez", "this is no archive at all, just text");
    rezwriter::Bytes truncated = rezwriter::BuildArchive({{"maps/dm/cut.bsp", "data", rezwriter::Method::None}});
    truncated.resize(truncated.size() / 2);
    ASSERT_TRUE(rezwriter::WriteFile(game.HostPathOf("main\\cut.rez").string(), truncated));
    game.MakeFolder("main\\folder.rez");
    game.WriteArchive("mainmp\\good.rez", {"maps/dm/good.bsp"});
    user.WriteFile("moddir\\Broken\\broken.rez", "VNTR");
    user.WriteArchive("moddir\\Broken\\fine.rez", {"fine.bsp"});
    EXPECT_EQ(Discover(SourcesIn(game, user), 0, "Broken 0 "), (Names{"maps/dm/good.bsp", "fine.bsp"}));
}

TEST(MapDiscoveryEdges, MissingGameFoldersListNothing) {
    FixtureFolder game;
    FixtureFolder user;
    EXPECT_TRUE(Discover(SourcesIn(game, user), 0, "Any 0 ").empty());
    EXPECT_TRUE(Discover(MapSources{game.PathOf("absent"), user.PathOf("absent")}, 1, "").empty());
}

TEST(MapDiscoveryEdges, LooseNamesKeepTheirCaseAndComeInFileSystemOrder) {
    FixtureFolder game;
    FixtureFolder user;
    const Names files = {"Zulu.bsp", "alpha.bsp", "Mixed.Case.BSP", "m07.bsp", "b.bsp",
                         "Q.bsp", "long_name_of_a_map_1234567890.bsp", "c2.bsp"};
    for (const std::string& file : files) game.WriteFile("mainmp\\maps\\dm\\" + file);
    game.WriteFile("mainmp\\maps\\dm\\notes.txt");
    // A folder is no map file, whatever its name.
    game.MakeFolder("mainmp\\maps\\dm\\folder.bsp");

    Names expected;
    for (const std::string& name : game.NamesInFolderOrder("mainmp\\maps\\dm")) {
        if (name == "notes.txt" || name == "folder.bsp") continue;
        expected.push_back("maps/dm/" + name.substr(0, name.size() - 4));
    }
    ASSERT_EQ(expected.size(), files.size());
    EXPECT_EQ(Discover(SourcesIn(game, user), 1, ""), expected);
}

TEST(MapDiscoveryEdges, ArchivesOfAFolderComeInFileSystemOrder) {
    FixtureFolder game;
    FixtureFolder user;
    for (const std::string name : {"k", "b", "x", "a", "m"}) {
        game.WriteArchive("main\\" + name + ".rez", {"maps/dm/" + name + "2.bsp", "maps/dm/" + name + "1.bsp"});
    }
    Names expected;
    for (const std::string& file : game.NamesInFolderOrder("main")) {
        const std::string name = file.substr(0, 1);
        expected.push_back("maps/dm/" + name + "1.bsp");
        expected.push_back("maps/dm/" + name + "2.bsp");
    }
    EXPECT_EQ(Discover(SourcesIn(game, user), 3, ""), expected);
}

TEST(MapDiscoveryEdges, SingleArchiveFilter) {
    FixtureFolder folder;
    const std::string longest = "maps/dm/" + std::string(243, 'L') + ".bsp";  // 255 characters
    folder.WriteArchive("a.rez", {"maps/dm/x.bsp", "Maps/dm/y.bsp", "data/maps/dm/z.bsp", "maps/dmz.bsp",
                                  longest, "maps/dm/" + std::string(244, 'T') + ".bsp"});
    UniqueTextList list;
    AddArchiveMaps(folder.PathOf("a.rez").c_str(), list, true);
    // Letter case counts: Maps/dm/ is no maps/dm/.
    // Names longer than 255 characters are not listed.
    EXPECT_EQ(ListTexts(list), (Names{"data/maps/dm/z.bsp", longest, "maps/dm/x.bsp"}));
    list.Clear();
    AddArchiveMaps(folder.PathOf("a.rez").c_str(), list, false);
    EXPECT_EQ(list.Size(), 5u);
    AddArchiveMaps(folder.PathOf("missing.rez").c_str(), list, false);
    EXPECT_EQ(list.Size(), 5u);
}

TEST(MapDiscoveryEdges, CurrentFolderAndDocumentsFolderAreTheDefaults) {
    FixtureFolder game;
    FixtureFolder docs;
    game.WriteFile("main\\maps\\here.bsp");
    docs.WriteArchive("Brenmoor\\Vantrel(tm)\\moddir\\M\\m.rez", {"m/own.bsp"});
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(game.HostPathOf(""));
    platform::SetDocumentsFolderForTests(docs.Path().c_str());
    UniqueTextList list;
    FillMapList(DefaultServerPlaces(), list, 2, "M 1 ");
    platform::SetDocumentsFolderForTests(nullptr);
    std::filesystem::current_path(before);
    EXPECT_EQ(ListTexts(list), (Names{"maps/here", "m/own.bsp"}));
}

#if !defined(_WIN32)
// A FIFO named like an archive, links that lead nowhere or in a circle named
// like maps or description files: discovery neither waits on them nor lists
// them.
TEST(MapDiscoveryEdges, EntriesThatAreNoFilesAreNoMapsAndMakeNoMods) {
    FixtureFolder game;
    FixtureFolder user;
    game.WriteArchive("main\\game.rez", {"maps/dm/alpha.bsp"});
    game.MakeFolder("mainmp\\maps\\dm");
    game.WriteFile("mainmp\\maps\\dm\\real.bsp");
    const std::string pipe = game.HostPathOf("main\\pipe.rez").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    ASSERT_EQ(symlink("nowhere.bsp", game.HostPathOf("mainmp\\maps\\dm\\gone.bsp").c_str()), 0);
    ASSERT_EQ(symlink("loop.bsp", game.HostPathOf("mainmp\\maps\\dm\\loop.bsp").c_str()), 0);
    user.WriteFile("moddir\\Real\\moddesc.xml");
    user.MakeFolder("moddir\\Gone");
    ASSERT_EQ(symlink("nowhere.xml", user.HostPathOf("moddir\\Gone\\moddesc.xml").c_str()), 0);
    user.MakeFolder("moddir\\Pipe");
    ASSERT_EQ(mkfifo(user.HostPathOf("moddir\\Pipe\\moddesc.xml").c_str(), 0666), 0);
    ASSERT_EQ(symlink("NoSuchFolder", user.HostPathOf("moddir\\Link").c_str()), 0);

    const auto release = [&] {
        const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    };
    EXPECT_EQ(WithinTenSeconds<Names>([&] { return Discover(SourcesIn(game, user), 0, ""); }, release),
              (Names{"maps/dm/alpha.bsp", "maps/dm/real"}));
    UniqueTextList mods;
    FillModsFound(user.PathOf("moddir"), mods);
    EXPECT_EQ(ListTexts(mods), (Names{"Real"}));
}
#endif
