#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "core/common/ui_text.h"

TEST(UIText, EveryIdOfTheTableHasItsTextAndNoOtherIdHasOne) {
    for (unsigned id = 1; id <= 227; ++id) EXPECT_NE(LoadUIText(id), "") << "id " << id;
    EXPECT_NE(LoadUIText(1185), "");
    for (unsigned id : {0u, 228u, 229u, 1184u, 1186u, 65535u}) EXPECT_EQ(LoadUIText(id), "") << "id " << id;
}

TEST(UIText, TextsAreExactIncludingLineBreaksTabsAndTrailingBlanks) {
    EXPECT_EQ(LoadUIText(1), "Vantrel(tm) Server Launch Utility");
    EXPECT_EQ(LoadUIText(2),
                 "A map has not been selected in the use maps or the rotation list. If you continue by selecting "
                 "OK, you will need to specify the map after the server starts.\r\n\r\nConsole map commands:\r\n"
                 "\tmap <mapname>\r\n\tsv_maplist <maps>");
    EXPECT_EQ(LoadUIText(4), "Failed to locate: ");
    EXPECT_EQ(LoadUIText(6), "Can not write configuration to: ");
    EXPECT_EQ(LoadUIText(7), "Launch aborted");
    EXPECT_EQ(LoadUIText(8), "%s failed with error %d: %s");
    EXPECT_EQ(LoadUIText(9), "Error while reading or writing INI");
    EXPECT_EQ(LoadUIText(10), "Nameless Battle");
    EXPECT_EQ(LoadUIText(11), "MP:DefaultTeamKillWarnMessage");
    EXPECT_EQ(LoadUIText(21), "No page name!");
    EXPECT_EQ(LoadUIText(138), ">>");
    EXPECT_EQ(LoadUIText(171), "Could not open file: ");
    EXPECT_EQ(LoadUIText(194), "Mod configuration not saved");
    EXPECT_EQ(LoadUIText(202),
                 "Check boxes enable the auto-download. Some mods require a download to the client before correct "
                 "operation.");
    EXPECT_EQ(LoadUIText(212), "Kick Mutliplier:");
    EXPECT_EQ(LoadUIText(218), "Vantrel(tm) Multiplayer Demo Server Launch Utility");
    EXPECT_EQ(LoadUIText(221), "Allow All Skins");
    EXPECT_EQ(LoadUIText(1185), "Team Kill Warning:");
    // Quotes inside a text survive the resource compiler.
    EXPECT_EQ(LoadUIText(IDS_MODS_REFUSED_BLANK),
                 "The mod name \"%s\" contains a blank. The list of mods in use separates its entries with blanks, "
                 "so this mod cannot be put in use. Rename its folder to a name without blanks.");
}

TEST(UIText, EachCallReturnsItsOwnTextThatTheNextCallLeavesAlone) {
    const std::string first = LoadUIText(2);
    const std::string second = LoadUIText(3);
    EXPECT_EQ(second, "Server can not be started");
    EXPECT_EQ(first.substr(0, 16), "A map has not be");
    EXPECT_EQ(first, LoadUIText(2));
}

TEST(UIText, ResourceLoadCutsToTheBufferAndReportsTheLength) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(platform::LoadStringResource(1, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "Vantrel");
    EXPECT_EQ(platform::LoadStringResource(9999, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}
