// Mod discovery on fixture mods folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery_fixture.h"
#include "core/discovery/mod_discovery.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace {

using Names = std::vector<std::string>;

Names Found(const std::string& modsFolder) {
    UniqueTextList list;
    AddListItemOnce(list, "stale");
    FillModsFound(modsFolder, list);
    return ListTexts(list);
}

}  // namespace

TEST(ModDiscovery, ListsFoldersHoldingExactlyModdescXml) {
    FixtureFolder user;
    user.WriteFile("moddir\\Alpha\\moddesc.xml", "<mod/>");
    user.WriteFile("moddir\\Alpha\\alpha.rez", "");
    user.WriteFile("moddir\\WrongCase\\ModDesc.xml");
    user.WriteFile("moddir\\Deeper\\inner\\moddesc.xml");
    user.WriteFile("moddir\\Empty\\other.txt");
    user.MakeFolder("moddir\\Bare");
    user.WriteFile("moddir\\moddesc.xml.bak");
    user.WriteFile("moddir\\Omega\\moddesc.xml");
    user.WriteFile("moddir\\Named.moddesc.xml\\readme.txt");
    // A folder named moddesc.xml is not the description file.
    user.WriteFile("moddir\\FolderOnly\\moddesc.xml\\x.txt");

    Names expected;
    for (const std::string& name : user.NamesInFolderOrder("moddir")) {
        if (name == "Alpha" || name == "Omega") expected.push_back(name);
    }
    EXPECT_EQ(Found(user.PathOf("moddir")), expected);
}

TEST(ModDiscovery, DotAndDotDotCountWhereTheDescriptionLies) {
    FixtureFolder user;
    user.WriteFile("moddir\\moddesc.xml");
    user.WriteFile("moddir\\Mod\\moddesc.xml");
    // The single dot is the mods folder itself, so it is listed.
    Names names = Found(user.PathOf("moddir"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{".", "Mod"}));

    // With the file in the user folder, the two dots qualify as well.
    user.WriteFile("moddesc.xml");
    names = Found(user.PathOf("moddir"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{".", "..", "Mod"}));
}

TEST(ModDiscovery, AMissingModsFolderLeavesTheListEmpty) {
    FixtureFolder user;
    EXPECT_TRUE(Found(user.PathOf("moddir")).empty());
    user.WriteFile("moddir", "a file, not a folder");
    EXPECT_TRUE(Found(user.PathOf("moddir")).empty());
}

TEST(ModDiscovery, HasModDescriptionNeedsAFolder) {
    FixtureFolder user;
    user.WriteFile("Mod\\moddesc.xml");
    platform::FoundEntry entry;
    entry.name = "Mod";
    entry.isFolder = true;
    EXPECT_TRUE(HasModDescription(user.PathOf("Mod"), entry));
    entry.isFolder = false;
    EXPECT_FALSE(HasModDescription(user.PathOf("Mod"), entry));
    entry.isFolder = true;
    EXPECT_FALSE(HasModDescription(user.PathOf("Missing"), entry));
}

TEST(ModDiscovery, ModsFolderFollowsTheUserFolderRule) {
    platform::SetDocumentsFolderForTests("C:\\Docs");
    EXPECT_EQ(DefaultServerPlaces().modsFolder, "C:\\Docs\\Brenmoor\\Vantrel(tm)\\moddir");
    platform::SetDocumentsFolderUnknownForTests();
    EXPECT_EQ(DefaultServerPlaces().modsFolder, "\\moddir");
    platform::SetDocumentsFolderForTests(nullptr);

    FixtureFolder docs;
    docs.WriteFile("Brenmoor\\Vantrel(tm)\\moddir\\Found\\moddesc.xml");
    platform::SetDocumentsFolderForTests(docs.Path().c_str());
    UniqueTextList list;
    FillModsFound(DefaultServerPlaces(), list);
    platform::SetDocumentsFolderForTests(nullptr);
    EXPECT_EQ(ListTexts(list), (Names{"Found"}));
}
