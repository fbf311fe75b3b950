// Two servers served side by side by one process, as a service does: each
// context keeps to its own files and its own notices, whatever the other
// does between its steps.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/common/user_folder.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/servercfg/save_configuration.h"
#include "discovery_fixture.h"
#include "platform/platform.h"

namespace {

void SetText(char* field, const std::string& text) { std::memcpy(field, text.c_str(), text.size() + 1); }

std::string Read(const std::string& path) {
    std::string bytes;
    return platform::ReadFileContents(path.c_str(), bytes) ? bytes : "(missing)";
}

// One server: its folders, its context, what it was told and what it left.
struct Server {
    FixtureFolder folder;
    ServerContext context;
    std::vector<std::string> notices;
    std::vector<std::string> seen;  // files, lists and loaded values, in step order

    // `name` tells the servers' settings and installed maps apart; a folder
    // in the place of usedmods.cfg makes its writing fail.
    Server(const std::string& name, bool usedModsWritable) {
        folder.WriteArchive("game\\mainmp\\" + name + ".rez", {"maps/dm/" + name + "_packed.bsp"});
        folder.WriteFile("game\\mainmp\\maps\\dm\\" + name + "_loose.bsp");
        folder.WriteArchive("Documents\\Brenmoor\\Vantrel(tm)\\moddir\\Mod" + name + "\\m.rez",
                            {"maps/" + name + "_mod.bsp"});
        folder.WriteFile("Documents\\Brenmoor\\Vantrel(tm)\\moddir\\Mod" + name + "\\moddesc.xml");
        context.places = PlacesInDocuments(folder.PathOf("Documents"), folder.PathOf("game"));
        CreateUserFolders(context.places.userFolder);
        if (!usedModsWritable) folder.MakeFolder("Documents\\Brenmoor\\Vantrel(tm)\\moddir\\usedmods.cfg");
        context.notices = [this](const Notice& notice) {
            notices.push_back(notice.text);
            return 1;
        };
        settings.SetDefaults();
        SetText(settings.ServerName, "Server " + name);
        SetText(settings.ModuleUseList, "Mod" + name + " 1 ");
        settings.GameType = name == "alpha" ? 0 : 2;
    }

    void Save() {
        const SaveResult result = SaveConfiguration(settings, context);
        seen.push_back("written " + std::to_string(result.serverConfigWritten) + " failures " +
                       std::to_string(result.failures.size()));
        for (const char* file : {"Servolt.ini", "server.cfg", "moddir\\usedmods.cfg"}) {
            seen.push_back(Read(context.places.userFolder + "\\" + file));
        }
    }
    void Load() {
        ServerSettings loaded;
        loaded.SetDefaults();
        loaded.ReadSettings(context.places);
        seen.push_back(std::string(loaded.ServerName) + "|" + loaded.ModuleUseList + "|" +
                       std::to_string(loaded.GameType));
    }
    void Discover() {
        UniqueTextList maps, mods;
        FillMapList(context.places, maps, settings.GameType, settings.ModuleUseList);
        FillModsFound(context.places, mods);
        std::string text;
        for (const std::string& item : maps.Items()) text += item + ";";
        text += " mods:";
        for (const std::string& item : mods.Items()) text += item + ";";
        seen.push_back(text);
    }
    void Edit() { SetText(settings.AdditionalOptions, std::string("set edited ") + settings.ServerName); }

    ServerSettings settings;
};

using Step = void (Server::*)();
const Step kSteps[] = {&Server::Load, &Server::Discover, &Server::Save, &Server::Edit, &Server::Save,
                       &Server::Load, &Server::Discover};

}  // namespace

TEST(TwoServers, InterleavedStepsGiveEachServerWhatItGetsAlone) {
    // Each server alone, from start to end.
    Server alphaAlone("alpha", true);
    for (Step step : kSteps) (alphaAlone.*step)();
    Server bravoAlone("bravo", false);
    for (Step step : kSteps) (bravoAlone.*step)();
    ASSERT_EQ(alphaAlone.notices.size(), 0u);
    ASSERT_EQ(bravoAlone.notices.size(), 2u);  // usedmods.cfg, at each save
    // Each found its own maps and mods, and loaded back what it saved.
    EXPECT_EQ(alphaAlone.seen[1], "maps/dm/alpha_packed.bsp;maps/dm/alpha_loose;maps/alpha_mod.bsp; mods:Modalpha;");
    EXPECT_EQ(bravoAlone.seen[1], "maps/dm/bravo_packed.bsp;maps/dm/bravo_loose;maps/bravo_mod.bsp; mods:Modbravo;");
    EXPECT_EQ(alphaAlone.seen.back(), alphaAlone.seen[1]);
    EXPECT_EQ(alphaAlone.seen[alphaAlone.seen.size() - 2], "Server alpha|Modalpha 1 |0");
    EXPECT_EQ(bravoAlone.seen[bravoAlone.seen.size() - 2], "Server bravo|Modbravo 1 |2");

    // The same steps taken in turns, in both orders.
    for (bool alphaFirst : {true, false}) {
        SCOPED_TRACE(alphaFirst ? "alpha first" : "bravo first");
        Server alpha("alpha", true);
        Server bravo("bravo", false);
        for (Step step : kSteps) {
            ((alphaFirst ? alpha : bravo).*step)();
            ((alphaFirst ? bravo : alpha).*step)();
        }
        EXPECT_EQ(alpha.seen, alphaAlone.seen);
        EXPECT_EQ(bravo.seen, bravoAlone.seen);
        EXPECT_EQ(alpha.notices.size(), 0u);
        ASSERT_EQ(bravo.notices.size(), bravoAlone.notices.size());
        for (std::size_t i = 0; i < bravo.notices.size(); ++i) {
            // The same message, for its own file.
            EXPECT_EQ(bravo.notices[i].substr(0, 21), "Could not open file: ");
            EXPECT_NE(bravo.notices[i].find(bravo.folder.Path()), std::string::npos) << bravo.notices[i];
        }
    }
}

TEST(TwoServers, AStepTakenInsideTheOtherServersNoticeKeepsToItsOwnFiles) {
    // A front end that answers one server's box by saving the other, as a
    // service handling two requests at once might.
    Server alpha("alpha", true);
    Server bravo("bravo", false);
    Server alphaAlone("alpha", true);
    alphaAlone.Save();
    bravo.context.notices = [&](const Notice& notice) {
        bravo.notices.push_back(notice.text);
        alpha.Save();
        return 1;
    };
    bravo.Save();
    ASSERT_EQ(bravo.notices.size(), 1u);
    EXPECT_EQ(alpha.seen, alphaAlone.seen);
    EXPECT_EQ(Read(bravo.context.places.ServerConfigPath()).find("Server alpha"), std::string::npos);
    EXPECT_NE(Read(bravo.context.places.ServerConfigPath()).find("Server bravo"), std::string::npos);
}
