// The two list models: the discovery list (unique texts) and the marked list
// behind the Rotation and Mods In Use lists.
#include <gtest/gtest.h>

#include <string>

#include "discovery_fixture.h"
#include "core/discovery/marked_list.h"
#include "core/discovery/unique_text_list.h"

namespace {

std::string Describe(const MarkedList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.Size(); ++i) {
        out += list.At(i).text + (list.At(i).marked ? "*" : "") + ",";
    }
    return out;
}

}  // namespace

TEST(UniqueTextList, KeepsFirstFindingOrderAndExactCaseSensitiveDuplicates) {
    UniqueTextList list;
    AddListItemOnce(list, "maps/dm/b.bsp");
    AddListItemOnce(list, "maps/dm/a");
    AddListItemOnce(list, "maps/dm/b.bsp");
    AddListItemOnce(list, "maps/dm/B.bsp");
    AddListItemOnce(list, "maps/dm/b.bsp ");
    AddListItemOnce(list, nullptr);
    EXPECT_EQ(ListTexts(list), (std::vector<std::string>{"maps/dm/b.bsp", "maps/dm/a", "maps/dm/B.bsp",
                                                         "maps/dm/b.bsp "}));
    EXPECT_TRUE(ListContainsText(list, "maps/dm/a"));
    EXPECT_FALSE(ListContainsText(list, "maps/dm/A"));
    EXPECT_FALSE(ListContainsText(list, "maps/dm/"));
    EXPECT_FALSE(ListContainsText(list, nullptr));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(ListContainsText(list, "maps/dm/a"));
}

TEST(UniqueTextList, ComparesLongTextsWholeUpTo255Characters) {
    // Texts that agree in their first 254 characters are still different.
    const std::string stem(254, 'm');
    UniqueTextList list;
    AddListItemOnce(list, (stem + "a").c_str());
    AddListItemOnce(list, (stem + "b").c_str());
    AddListItemOnce(list, (stem + "a").c_str());
    // One character more than a list text may hold: not listed.
    AddListItemOnce(list, (stem + "ab").c_str());
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.At(1), stem + "b");
    EXPECT_FALSE(ListContainsText(list, (stem + "ab").c_str()));
}

TEST(MarkedList, ReadsAndWritesTheFlaggedForm) {
    MarkedList list = MarkedList::FromText("maps/dm/a 0 maps/dm/b 1 maps/dm/c 2 ");
    EXPECT_EQ(Describe(list), "maps/dm/a,maps/dm/b*,maps/dm/c*,");
    // Marks other than 0 are set and come back as 1.
    EXPECT_EQ(list.ToText(), "maps/dm/a 0 maps/dm/b 1 maps/dm/c 1 ");
    EXPECT_EQ(list.TextLength(), list.ToText().size());

    // The default rotation has no blank after its last mark.
    EXPECT_EQ(MarkedList::FromText("dm/x 0 dm/y 1").ToText(), "dm/x 0 dm/y 1 ");
    EXPECT_EQ(MarkedList::FromText("").ToText(), "");
    EXPECT_EQ(MarkedList::FromText(nullptr).Size(), 0u);
}

TEST(MarkedList, UpAndDownKeepEveryMark) {
    MarkedList list = MarkedList::FromText("a 0 b 1 c 0 ");
    ASSERT_TRUE(list.MoveUp(1));
    EXPECT_EQ(Describe(list), "b*,a,c,");
    ASSERT_TRUE(list.MoveDown(0));
    EXPECT_EQ(Describe(list), "a,b*,c,");

    // The neighbour that makes room keeps its mark too.
    list = MarkedList::FromText("a 1 b 0 ");
    ASSERT_TRUE(list.MoveUp(1));
    EXPECT_EQ(list.ToText(), "b 0 a 1 ");
    list = MarkedList::FromText("a 1 b 1 c 0 ");
    ASSERT_TRUE(list.MoveUp(1));
    EXPECT_EQ(list.ToText(), "b 1 a 1 c 0 ");
    ASSERT_TRUE(list.MoveDown(0));
    EXPECT_EQ(list.ToText(), "a 1 b 1 c 0 ");

    // Up on the first entry, Down on the last and indices past the end
    // change nothing.
    EXPECT_FALSE(list.MoveUp(0));
    EXPECT_FALSE(list.MoveDown(2));
    EXPECT_FALSE(list.MoveUp(3));
    EXPECT_FALSE(list.MoveDown(7));
    EXPECT_EQ(list.ToText(), "a 1 b 1 c 0 ");
}

TEST(MarkedList, AddsOnceUnmarkedAndToggles) {
    MarkedList list;
    EXPECT_EQ(list.AddOnce("maps/dm/a"), AddResult::Added);
    EXPECT_EQ(list.AddOnce("maps/dm/a"), AddResult::AlreadyPresent);
    EXPECT_EQ(list.AddOnce("maps/dm/A"), AddResult::Added);
    EXPECT_EQ(list.ToText(), "maps/dm/a 0 maps/dm/A 0 ");
    EXPECT_TRUE(list.ToggleMark(0));
    EXPECT_EQ(list.ToText(), "maps/dm/a 1 maps/dm/A 0 ");
    EXPECT_TRUE(list.ToggleMark(0));
    EXPECT_EQ(list.ToText(), "maps/dm/a 0 maps/dm/A 0 ");
    EXPECT_FALSE(list.ToggleMark(2));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_FALSE(list.Remove(1));
    EXPECT_EQ(list.ToText(), "maps/dm/A 0 ");
    EXPECT_EQ(list.AddOnce("maps/dm/a"), AddResult::Added);
}

TEST(MarkedList, RefusesNamesWithABlank) {
    MarkedList list = MarkedList::FromText("a 0 ");
    EXPECT_EQ(list.AddOnce("maps/my map"), AddResult::HasBlank);
    EXPECT_EQ(list.AddOnce(" lead"), AddResult::HasBlank);
    EXPECT_EQ(list.AddOnce(""), AddResult::HasBlank);
    EXPECT_EQ(list.ToText(), "a 0 ");
}

TEST(MarkedList, RefusesAnAdditionThatWouldNotFitWhole) {
    // 4088 characters of pairs, then room for exactly 7 more: a name of 4
    // characters fits to the last byte, one of 5 does not.
    const std::string big(4085, 'x');
    MarkedList list;
    ASSERT_EQ(list.AddOnce(big), AddResult::Added);
    ASSERT_EQ(list.TextLength(), 4088u);
    EXPECT_EQ(list.AddOnce("abcde"), AddResult::TooLong);
    EXPECT_EQ(list.TextLength(), 4088u);
    EXPECT_EQ(list.AddOnce("abcd"), AddResult::Added);
    EXPECT_EQ(list.TextLength(), 4095u);
    EXPECT_EQ(list.ToText(), big + " 0 abcd 0 ");
    EXPECT_EQ(list.AddOnce("z"), AddResult::TooLong);
    // A name longer than the whole field is refused even in an empty list.
    EXPECT_EQ(MarkedList().AddOnce(std::string(4093, 'y')), AddResult::TooLong);
    EXPECT_EQ(MarkedList().AddOnce(std::string(4092, 'y')), AddResult::Added);
}

TEST(MarkedList, StoredTextThatWouldGrowPastTheFieldKeepsWholePairsOnly) {
    // 4095 characters without the final blank and with a long mark: written
    // back in the page's form the last pair would need more room than there
    // is, so it is left out rather than cut.
    std::string text = std::string(2000, 'a') + " 0 " + std::string(2086, 'b') + " 1";
    text += " c";
    ASSERT_EQ(text.size(), 4093u);
    const MarkedList list = MarkedList::FromText(text.c_str());
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.ToText(), std::string(2000, 'a') + " 0 " + std::string(2086, 'b') + " 1 ");
    EXPECT_LE(list.ToText().size(), MarkedList::kTextLimit);
}

TEST(MarkedList, DuplicatesFromAStoredTextAreCountedApart) {
    MarkedList list = MarkedList::FromText("a 0 a 1 b 0 ");
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.AddOnce("a"), AddResult::AlreadyPresent);
    ASSERT_TRUE(list.Remove(0));
    EXPECT_TRUE(list.Contains("a"));
    ASSERT_TRUE(list.Remove(0));
    EXPECT_FALSE(list.Contains("a"));
    EXPECT_EQ(list.AddOnce("a"), AddResult::Added);
    EXPECT_EQ(list.ToText(), "b 0 a 0 ");
}
