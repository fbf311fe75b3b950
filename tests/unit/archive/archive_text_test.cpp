// The text routines of the entry-name search.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/archive/archive_text.h"

namespace {

TEST(CompareNoCaseN, FoldsOnlyWhereTheCharactersDiffer) {
    EXPECT_EQ(CompareNoCaseN("abc", "ABD", 2), 0);
    EXPECT_EQ(CompareNoCaseN("abc", "ABD", 3), -1);
    EXPECT_EQ(CompareNoCaseN("ABD", "abc", 3), 1);
    EXPECT_EQ(CompareNoCaseN("abc", "xyz", 0), 0);
    EXPECT_EQ(CompareNoCaseN("abc", "ABC", 100), 0);  // stops at the terminator
    EXPECT_EQ(CompareNoCaseN("ab", "abc", 3), -1);
    EXPECT_EQ(CompareNoCaseN("abc", "ab", 3), 1);
}

TEST(CompareNoCaseN, UnderscoreAndHighBytesCompareAsSignedAfterUpperCase) {
    // "_" (0x5F) lies between "Z" and "a": against a folded letter it is
    // greater, unlike the index order, which folds to lower case.
    EXPECT_EQ(CompareNoCaseN("_", "a", 1), 1);
    EXPECT_EQ(CompareNoCaseN("_", "A", 1), 1);
    // Bytes from 0x80 on are negative as signed characters.
    EXPECT_EQ(CompareNoCaseN("\xE9", "a", 1), -1);
    EXPECT_EQ(CompareNoCaseN("\xE9", "\xC9", 1), 1);  // no folding outside a..z
}

TEST(CompareNoCase, MissingTextIsSmaller) {
    EXPECT_EQ(CompareNoCase(nullptr, "a"), -1);
    EXPECT_EQ(CompareNoCase("a", nullptr), -1);
    EXPECT_EQ(CompareNoCase(nullptr, nullptr), -1);
    EXPECT_EQ(CompareNoCase("Maps/X.BSP", "maps/x.bsp"), 0);
    EXPECT_EQ(CompareNoCase("", ""), 0);
}

TEST(FindSubstring, FirstOccurrenceOrNone) {
    const char* text = "abc";
    EXPECT_EQ(FindSubstring(text, "", true), text);
    EXPECT_EQ(FindSubstring("ab", "abc", true), nullptr);
    const char* maps = "maps/dm/x.BSP.bsp";
    EXPECT_EQ(FindSubstring(maps, ".bsp", true), maps + 13);
    EXPECT_EQ(FindSubstring(maps, ".bsp", false), maps + 9);
    EXPECT_EQ(FindSubstring(maps, "maps/dm/x.BSP.bsp", true), maps);
    EXPECT_NE(FindSubstring("", "", true), nullptr);
    EXPECT_EQ(FindSubstring("", "a", false), nullptr);
}

TEST(WildcardMatch, StarTakesOnlyTheFirstOccurrence) {
    EXPECT_FALSE(WildcardMatch("*a?c", "xaxaqc", false));
    EXPECT_TRUE(WildcardMatch("*a?c", "xabc", false));
}

TEST(WildcardMatch, ExactDecidesLetterCase) {
    EXPECT_TRUE(WildcardMatch("*.BSP", "maps/x.bsp", false));
    EXPECT_FALSE(WildcardMatch("*.BSP", "maps/x.bsp", true));
    EXPECT_TRUE(WildcardMatch("MAPS/*", "maps/x", false));
    EXPECT_FALSE(WildcardMatch("MAPS/*", "maps/x", true));
}

TEST(WildcardMatch, OnlyAToZFoldWhateverTheLocale) {
    // A Latin-1 locale's toupper would take 0xE9 to 0xC9; the game's names
    // fold A-Z only, so the result must not depend on the locale in force.
    const char* const locales[] = {"C", "de_DE.ISO-8859-1", "fr_FR.ISO-8859-1", "en_US.ISO-8859-1", "German_Germany.1252"};
    for (const char* locale : locales) {
        if (!std::setlocale(LC_CTYPE, locale)) continue;
        EXPECT_TRUE(WildcardMatch("*CAF\xC9*", "maps/caf\xC9", false)) << locale;
        EXPECT_FALSE(WildcardMatch("*CAF\xC9*", "maps/caf\xE9", false)) << locale;
        EXPECT_EQ(FindSubstring("x\xE9", "\xC9", false), nullptr) << locale;
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(WildcardMatch, PatternUsedUpMatchesWhateverRemains) {
    EXPECT_TRUE(WildcardMatch("*.bsp", "sound/x.bsp.old", false));
    EXPECT_TRUE(WildcardMatch("", "anything", true));
    EXPECT_TRUE(WildcardMatch("", "", true));
    EXPECT_TRUE(WildcardMatch("*", "", true));
    EXPECT_TRUE(WildcardMatch("**", "abc", true));
    EXPECT_TRUE(WildcardMatch("ab", "abc", true));
    EXPECT_FALSE(WildcardMatch("abcd", "abc", true));
    EXPECT_FALSE(WildcardMatch("*.bsp", "maps/x.bs", false));
}

TEST(WildcardMatch, QuestionMarkNeverMovesPastTheEnd) {
    EXPECT_TRUE(WildcardMatch("a?", "ab", true));
    EXPECT_FALSE(WildcardMatch("a?", "a", true));
    EXPECT_FALSE(WildcardMatch("???", "ab", true));
    EXPECT_FALSE(WildcardMatch("?", "", true));
    // A "?" at the end must not step over the terminator into what follows.
    const char buffer[] = {'a', '\0', 'b', 'c'};
    EXPECT_FALSE(WildcardMatch("a?bc", buffer, true));
    EXPECT_FALSE(WildcardMatch("a??", buffer, true));
}

TEST(WildcardMatch, LiteralRunsLongerThanTheirBufferStillMatch) {
    // 3000 literal characters after "*": the first 2047 are found by the
    // search, the rest are matched one by one.
    std::string run(3000, 'r');
    run[2500] = 's';
    const std::string text = "xx" + run + "yy";
    EXPECT_TRUE(WildcardMatch(("*" + run).c_str(), text.c_str(), true));
    std::string wrong = run;
    wrong[2600] = 't';
    EXPECT_FALSE(WildcardMatch(("*" + wrong).c_str(), text.c_str(), true));
}

TEST(PathWildcardMatch, BackslashesAndColonsBecomeSlashes) {
    EXPECT_TRUE(PathWildcardMatch("MAPS\\DM\\X.BSP", "maps/dm/x.bsp", false));
    EXPECT_TRUE(PathWildcardMatch("c:maps/*", "c/maps\\x", false));
    EXPECT_FALSE(PathWildcardMatch("MAPS\\DM\\X.BSP", "maps/dm/x.bsp", true));
    std::string pattern = "a\\b";
    std::string text = "a/b";
    PathWildcardMatch(pattern.c_str(), text.c_str(), true);
    EXPECT_EQ(pattern, "a\\b");  // the caller's texts stay as they were
}

TEST(PathWildcardMatch, TextsAreCutAt4095Characters) {
    std::string text(4095, 'a');
    std::string longer = text + "b";
    // The "b" at position 4095 is cut off both sides.
    EXPECT_TRUE(PathWildcardMatch(longer.c_str(), text.c_str(), true));
    EXPECT_TRUE(PathWildcardMatch(("*" + std::string(4094, 'a') + "b").c_str(),
                                  (std::string(4094, 'a') + "c").c_str(), true));
    EXPECT_FALSE(PathWildcardMatch(("*" + std::string(100, 'a') + "b").c_str(),
                                   std::string(5000, 'a').c_str(), true));
    EXPECT_TRUE(PathWildcardMatch(std::string(9000, '?').c_str(), std::string(9000, 'q').c_str(), true));
}

TEST(TextRoutines, MissingTextsReadAsEmpty) {
    EXPECT_TRUE(WildcardMatch(nullptr, "abc", true));
    EXPECT_FALSE(WildcardMatch("a", nullptr, true));
    EXPECT_TRUE(PathWildcardMatch(nullptr, nullptr, false));
    EXPECT_EQ(FindSubstring(nullptr, "a", true), nullptr);
    EXPECT_EQ(CompareNoCaseN(nullptr, "a", 4), -1);
}

}  // namespace
