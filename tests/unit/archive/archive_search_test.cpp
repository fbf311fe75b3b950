// Search over the entry names and the set of matches it returns.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "archive_test_support.h"

namespace {

using archive_test::TempFile;
using Names = std::set<std::string>;

struct SearchFixture : ::testing::Test {
    TempFile file{rezwriter::BuildArchive({{"maps/dm/a.bsp", ""},
                                           {"maps/DM/B.BSP", ""},
                                           {"textures/c.tga", ""},
                                           {"sound/x.bsp.old", ""}})};
    ResourceArchive archive{file.path(), ""};
};

TEST_F(SearchFixture, MapDiscoveryCallFindsEveryBspNameInByteOrder) {
    const Names found = archive.Search("", "bsp", "*.bsp", true);
    EXPECT_EQ(std::vector<std::string>(found.begin(), found.end()),
              (std::vector<std::string>{"maps/DM/B.BSP", "maps/dm/a.bsp", "sound/x.bsp.old"}));
}

TEST_F(SearchFixture, EachSearchStandsAloneAndHoldsEachNameOnce) {
    const Names maps = archive.Search("", "bsp", "*.bsp", true);
    EXPECT_EQ(archive.Search("", "tga", "*.tga", true), (Names{"textures/c.tga"}));
    // Nothing of an earlier search is carried into the next.
    EXPECT_EQ(archive.Search("", "bsp", "*.bsp", true), maps);
    // Two tokens that take the same names give them once.
    EXPECT_EQ(archive.Search("", "bsp;BSP", "*.bsp", true), maps);
}

TEST_F(SearchFixture, TrailingSeparatorAddsAnEmptyTokenPass) {
    EXPECT_EQ(archive.Search("", "bsp;", "*.bsp", true), archive.Search("", "bsp", "*.bsp", true));
    // Without a pattern the empty token ends every name: all are taken.
    EXPECT_EQ(archive.Search("", "bsp;", nullptr, true).size(), 4u);
}

TEST_F(SearchFixture, MissingFolderFindsNothing) {
    EXPECT_TRUE(archive.Search(nullptr, "bsp", "*.bsp", true).empty());
}

TEST_F(SearchFixture, FolderIsComparedWithoutCase) {
    EXPECT_EQ(archive.Search("MAPS/dm/", "bsp", "*.bsp", true), (Names{"maps/DM/B.BSP", "maps/dm/a.bsp"}));
    // Without a pattern the part after the folder is what is given.
    EXPECT_EQ(archive.Search("maps/", "bsp", nullptr, true), (Names{"DM/B.BSP", "dm/a.bsp"}));
}

TEST(ArchiveSearch, WithoutPatternTokenMustEndTheName) {
    TempFile file(rezwriter::BuildArchive({{"maps/a.BSP", ""}, {"bsp", ""}, {"sp", ""}, {"x.bspx", ""}}));
    ResourceArchive archive(file.path(), "");
    EXPECT_EQ(archive.Search("", "bsp", nullptr, true), (Names{"bsp", "maps/a.BSP"}));
    EXPECT_EQ(archive.Search("", nullptr, nullptr, true).size(), 4u);  // one empty token: every name
}

TEST(ArchiveSearch, NameAsLongAsTheFolderIsSkippedWithoutPattern) {
    TempFile file(rezwriter::BuildArchive({{"maps/", ""}, {"maps/x.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    EXPECT_EQ(archive.Search("maps/", "", nullptr, true), (Names{"x.bsp"}));
}

TEST(ArchiveSearch, SlashTokenListsSubFoldersWithoutTheirClosingSlash) {
    TempFile file(rezwriter::BuildArchive(
        {{"maps/", ""}, {"maps/dm/", ""}, {"maps/tow/", ""}, {"maps/dm/x.bsp", ""}, {"maps/dm/deep/", ""}}));
    ResourceArchive archive(file.path(), "");
    EXPECT_EQ(archive.Search("maps/", "/", nullptr, false), (Names{"dm", "tow"}));
    EXPECT_EQ(archive.Search("maps/", "/", nullptr, true), (Names{"dm", "dm/deep", "tow"}));
}

TEST(ArchiveSearch, WithoutSubfoldersOnlyDirectNamesCount) {
    TempFile file(rezwriter::BuildArchive({{"maps/a.bsp", ""}, {"maps/dm/b.bsp", ""}, {"c.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    EXPECT_EQ(archive.Search("maps/", "bsp", "*.bsp", false), (Names{"maps/a.bsp"}));
    EXPECT_EQ(archive.Search("", "bsp", "*.bsp", false), (Names{"c.bsp"}));
}

TEST(ArchiveSearch, ArchiveThatIsNotOpenFindsNothing) {
    ResourceArchive archive((TempFile::NewPath() + ".missing").c_str(), "");
    EXPECT_TRUE(archive.Search("", "bsp", "*.bsp", true).empty());
    EXPECT_TRUE(archive.Search("", "", nullptr, true).empty());
}

TEST(ArchiveSearch, NamesAsLongAsAllowedAndLongTokensAreNotOverrun) {
    // Names longer than this make the archive malformed (bounded_directory_test);
    // the 4095-character cut of the matching routines is in archive_text_test.
    const std::string longName = "maps/" + std::string(kNameLengthLimit - 9, 'n') + ".bsp";
    ASSERT_EQ(longName.size(), kNameLengthLimit);
    TempFile file(rezwriter::BuildArchive({{longName, ""}, {"short.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.Search("", "bsp", "*.bsp", true), (Names{longName, "short.bsp"}));
    EXPECT_EQ(archive.Search("", "", "maps/*", true), (Names{longName}));
    EXPECT_EQ(archive.Search("", "bsp", nullptr, true), (Names{longName, "short.bsp"}));
    const std::string longToken(6000, 'n');
    EXPECT_TRUE(archive.Search("", longToken.c_str(), nullptr, true).empty());
}

}  // namespace
