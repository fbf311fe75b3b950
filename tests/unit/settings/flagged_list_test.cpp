#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/usedmods/used_mods.h"
#include "core/settings/flagged_list.h"

namespace {
std::string Describe(const std::vector<FlaggedItem>& items) {
    std::string out;
    for (const FlaggedItem& item : items) out += "[" + item.item + "|" + item.mark + "]";
    return out;
}
}  // namespace

TEST(FlaggedList, ReadsPairsWithAndWithoutTheFinalBlank) {
    EXPECT_EQ(Describe(ParseFlaggedList("maps/dm/a 0 maps/dm/b 1 ")), "[maps/dm/a|0][maps/dm/b|1]");
    EXPECT_EQ(Describe(ParseFlaggedList("maps/dm/a 0 maps/dm/b 1")), "[maps/dm/a|0][maps/dm/b|1]");
    EXPECT_EQ(Describe(ParseFlaggedList("a 2 b x c 10 ")), "[a|2][b|x][c|10]");
}

TEST(FlaggedList, MalformedTextsSkipEmptyTokensAndNeverInventItems) {
    EXPECT_TRUE(ParseFlaggedList("").empty());
    EXPECT_TRUE(ParseFlaggedList(nullptr).empty());
    EXPECT_TRUE(ParseFlaggedList(" ").empty());
    EXPECT_TRUE(ParseFlaggedList("      ").empty());
    EXPECT_EQ(Describe(ParseFlaggedList("   a    1   b  0   ")), "[a|1][b|0]");
    // A final name without its mark counts as unmarked.
    EXPECT_EQ(Describe(ParseFlaggedList("a 1 b")), "[a|1][b|0]");
    EXPECT_EQ(Describe(ParseFlaggedList("a")), "[a|0]");
    EXPECT_EQ(Describe(ParseFlaggedList("a 1 b   ")), "[a|1][b|0]");
}

TEST(FlaggedList, MarksAreReadAsEachReaderNeeds) {
    EXPECT_TRUE(IsMarkSet("1"));
    EXPECT_TRUE(IsMarkSet("2"));
    EXPECT_FALSE(IsMarkSet("0"));
    EXPECT_TRUE(IsMarkOne("1"));
    EXPECT_FALSE(IsMarkOne("2"));
    EXPECT_FALSE(IsMarkOne("10"));
}

TEST(FlaggedList, BuildsTheFormAndReadsItBack) {
    std::string text;
    EXPECT_EQ(text, "");
    AppendFlaggedItem(text, "maps/dm/a", false);
    AppendFlaggedItem(text, "maps/dm/b", true);
    EXPECT_EQ(text, "maps/dm/a 0 maps/dm/b 1 ");
    EXPECT_EQ(Describe(ParseFlaggedList(text.c_str())), "[maps/dm/a|0][maps/dm/b|1]");
}

TEST(FlaggedList, CountsPairsTheWayTheyAreRead) {
    EXPECT_EQ(CountFlaggedPairs(""), 0);
    EXPECT_EQ(CountFlaggedPairs("   "), 0);
    EXPECT_EQ(CountFlaggedPairs("a 1 "), 1);
    EXPECT_EQ(CountFlaggedPairs("a 1 b 0 c 1"), 3);
    EXPECT_EQ(CountFlaggedPairs("a 1 b"), 2);
    EXPECT_EQ(CountFlaggedPairs("  a   1  b  0  "), 2);
}

TEST(FlaggedList, AnyTextGivesWholeItemsWithoutBlanks) {
    std::mt19937 random(7);
    const char alphabet[] = {' ', ' ', ' ', 'a', 'b', '0', '1', '/'};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        std::size_t length = random() % 60;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % sizeof alphabet];
        std::size_t tokens = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ')) ++tokens;
        }
        const std::vector<FlaggedItem> items = ParseFlaggedList(text.c_str());
        ASSERT_EQ(items.size(), (tokens + 1) / 2) << "'" << text << "'";
        std::string rebuilt;
        for (const FlaggedItem& item : items) {
            ASSERT_FALSE(item.item.empty());
            ASSERT_FALSE(item.mark.empty());
            ASSERT_EQ(item.item.find(' '), std::string::npos);
            ASSERT_EQ(item.mark.find(' '), std::string::npos);
            rebuilt += item.item + " " + item.mark + " ";
        }
        // Reading the rebuilt text gives the same pairs.
        EXPECT_EQ(Describe(ParseFlaggedList(rebuilt.c_str())), Describe(items));
    }
}
