// Search over the entry names and the result set it fills.
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
    void SetUp() override { ArchiveSearchResults.clear(); }
    void TearDown() override { ArchiveSearchResults.clear(); }
};

TEST_F(SearchFixture, MapDiscoveryCallFindsEveryBspNameInByteOrder) {
    archive.Search("", "bsp", "*.bsp", true);
    const std::vector<std::string> found(ArchiveSearchResults.begin(), ArchiveSearchResults.end());
    EXPECT_EQ(found, (std::vector<std::string>{"maps/DM/B.BSP", "maps/dm/a.bsp", "sound/x.bsp.old"}));
}

TEST_F(SearchFixture, SearchesAccumulateAndHoldEachNameOnce) {
    archive.Search("", "bsp", "*.bsp", true);
    archive.Search("", "tga", "*.tga", true);
    archive.Search("", "bsp", "*.bsp", true);
    EXPECT_EQ(ArchiveSearchResults,
              (Names{"maps/DM/B.BSP", "maps/dm/a.bsp", "sound/x.bsp.old", "textures/c.tga"}));
}

TEST_F(SearchFixture, TrailingSeparatorAddsAnEmptyTokenPass) {
    archive.Search("", "bsp;", "*.bsp", true);
    const Names twoPasses = ArchiveSearchResults;
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", "*.bsp", true);
    EXPECT_EQ(twoPasses, ArchiveSearchResults);
    // Without a pattern the empty token ends every name: all are taken.
    ArchiveSearchResults.clear();
    archive.Search("", "bsp;", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults.size(), 4u);
}

TEST_F(SearchFixture, MissingFolderAddsNothing) {
    archive.Search(nullptr, "bsp", "*.bsp", true);
    EXPECT_TRUE(ArchiveSearchResults.empty());
}

TEST_F(SearchFixture, FolderIsComparedWithoutCase) {
    archive.Search("MAPS/dm/", "bsp", "*.bsp", true);
    EXPECT_EQ(ArchiveSearchResults, (Names{"maps/DM/B.BSP", "maps/dm/a.bsp"}));
    ArchiveSearchResults.clear();
    // Without a pattern the part after the folder is what is added.
    archive.Search("maps/", "bsp", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults, (Names{"DM/B.BSP", "dm/a.bsp"}));
}

TEST(ArchiveSearch, WithoutPatternTokenMustEndTheName) {
    TempFile file(rezwriter::BuildArchive({{"maps/a.BSP", ""}, {"bsp", ""}, {"sp", ""}, {"x.bspx", ""}}));
    ResourceArchive archive(file.path(), "");
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults, (Names{"bsp", "maps/a.BSP"}));
    ArchiveSearchResults.clear();
    archive.Search("", nullptr, nullptr, true);  // one empty token: every name
    EXPECT_EQ(ArchiveSearchResults.size(), 4u);
    ArchiveSearchResults.clear();
}

TEST(ArchiveSearch, NameAsLongAsTheFolderIsSkippedWithoutPattern) {
    TempFile file(rezwriter::BuildArchive({{"maps/", ""}, {"maps/x.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ArchiveSearchResults.clear();
    archive.Search("maps/", "", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults, (Names{"x.bsp"}));
    ArchiveSearchResults.clear();
}

TEST(ArchiveSearch, SlashTokenListsSubFoldersWithoutTheirClosingSlash) {
    TempFile file(rezwriter::BuildArchive(
        {{"maps/", ""}, {"maps/dm/", ""}, {"maps/tow/", ""}, {"maps/dm/x.bsp", ""}, {"maps/dm/deep/", ""}}));
    ResourceArchive archive(file.path(), "");
    ArchiveSearchResults.clear();
    archive.Search("maps/", "/", nullptr, false);
    EXPECT_EQ(ArchiveSearchResults, (Names{"dm", "tow"}));
    ArchiveSearchResults.clear();
    archive.Search("maps/", "/", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults, (Names{"dm", "dm/deep", "tow"}));
    ArchiveSearchResults.clear();
}

TEST(ArchiveSearch, WithoutSubfoldersOnlyDirectNamesCount) {
    TempFile file(rezwriter::BuildArchive({{"maps/a.bsp", ""}, {"maps/dm/b.bsp", ""}, {"c.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ArchiveSearchResults.clear();
    archive.Search("maps/", "bsp", "*.bsp", false);
    EXPECT_EQ(ArchiveSearchResults, (Names{"maps/a.bsp"}));
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", "*.bsp", false);
    EXPECT_EQ(ArchiveSearchResults, (Names{"c.bsp"}));
    ArchiveSearchResults.clear();
}

TEST(ArchiveSearch, ArchiveThatIsNotOpenAddsNothing) {
    ResourceArchive archive((TempFile::NewPath() + ".missing").c_str(), "");
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", "*.bsp", true);
    archive.Search("", "", nullptr, true);
    EXPECT_TRUE(ArchiveSearchResults.empty());
}

TEST(ArchiveSearch, NamesAsLongAsAllowedAndLongTokensAreNotOverrun) {
    // Names longer than this make the archive malformed (bounded_directory_test);
    // the 4095-character cut of the matching routines is in archive_text_test.
    const std::string longName = "maps/" + std::string(kNameLengthLimit - 9, 'n') + ".bsp";
    ASSERT_EQ(longName.size(), kNameLengthLimit);
    TempFile file(rezwriter::BuildArchive({{longName, ""}, {"short.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", "*.bsp", true);
    EXPECT_EQ(ArchiveSearchResults, (Names{longName, "short.bsp"}));
    ArchiveSearchResults.clear();
    archive.Search("", "", "maps/*", true);
    EXPECT_EQ(ArchiveSearchResults, (Names{longName}));
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", nullptr, true);
    EXPECT_EQ(ArchiveSearchResults, (Names{longName, "short.bsp"}));
    ArchiveSearchResults.clear();
    const std::string longToken(6000, 'n');
    archive.Search("", longToken.c_str(), nullptr, true);
    EXPECT_TRUE(ArchiveSearchResults.empty());
    ArchiveSearchResults.clear();
}

}  // namespace
