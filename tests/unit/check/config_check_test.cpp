// The findings of the check: a clean configuration gives none, and each
// change below gives exactly its own finding.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/check/config_check.h"
#include "core/servercfg/config_writer.h"
#include "core/usedmods/used_mods.h"
#include "discovery_fixture.h"

namespace {

void SetText(char* field, const std::string& text) { std::memcpy(field, text.c_str(), text.size() + 1); }

class ConfigCheck : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.WriteFile("game\\mainmp\\maps\\dm\\alpha.bsp");
        folder_.WriteFile("game\\mainmp\\maps\\dm\\beta.bsp");
        folder_.WriteFile("mods\\modA\\moddesc.xml");
        folder_.WriteFile("game\\vantrel_server.exe");
        folder_.MakeFolder("out");
        settings_.SetDefaults();
        SetText(settings_.MapName, "maps/dm/alpha");
        SetText(settings_.MapRotationList, "dm/alpha 0 maps/dm/BETA.bsp 1 ");  // as the server resolves them
        SetText(settings_.ModuleUseList, "modA 1 ");
        places_.gameFolder = folder_.PathOf("game");
        places_.modsFolder = folder_.PathOf("mods");
        places_.userFolder = folder_.PathOf("out");
        places_.settingsFile = "Servolt.ini";
        WriteServerCfg();
    }
    void WriteServerCfg() {
        folder_.WriteFile("out\\server.cfg", BuildServerConfig(settings_));
        folder_.WriteFile("out\\moddir\\usedmods.cfg", BuildUsedMods(settings_.ModuleUseList));
    }
    std::vector<Finding> Check() const { return CheckConfiguration(settings_, places_); }

    FixtureFolder folder_;
    ServerSettings settings_;
    ServerPlaces places_;
};

TEST_F(ConfigCheck, ACleanConfigurationHasNoFindings) {
    EXPECT_TRUE(Check().empty());
    // Also with no mod in use and no usedmods.cfg, or an empty one, and a
    // carried line that agrees with the setting it repeats.
    SetText(settings_.ModuleUseList, "");
    SetText(settings_.AdditionalOptions, "set sv_maxclients 16; set my_note 0");
    WriteServerCfg();
    EXPECT_TRUE(Check().empty());
    std::filesystem::remove(folder_.HostPathOf("out\\moddir\\usedmods.cfg"));
    EXPECT_TRUE(Check().empty());
}

TEST_F(ConfigCheck, EachProblemGivesItsOwnFinding) {
    struct Case {
        const char* what;
        std::function<void(ServerSettings&, ServerPlaces&, FixtureFolder&)> change;
        bool rewrite;  // server.cfg written again after the change
        FindingSeverity severity;
        std::string setting;  // "" for a file: the finding names the path
        std::string message;  // a part of the message
    };
    const std::string longFolder(300, 'x');
    const Case cases[] = {
        {"start map not installed", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.MapName, "maps/dm/gamma"); },
         true, FindingSeverity::Error, "MapName", "\"maps/dm/gamma\" is not installed"},
        {"rotation map not installed", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.MapRotationList, "dm/alpha 0 dm/gamma 0 "); },
         true, FindingSeverity::Error, "MapRotationList", "\"dm/gamma\" is not installed"},
        {"mod not in the mods folder", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ModuleUseList, "modA 1 modB 0 "); },
         true, FindingSeverity::Error, "ModuleUseList", "\"modB\" is in use but not in the mods folder"},
        {"mod name climbing out", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ModuleUseList, "modA 1 ..\\evil 0 "); },
         true, FindingSeverity::Error, "ModuleUseList", "path separator or \"..\""},
        {"choice outside its table", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { s.HealRate = 4; },
         true, FindingSeverity::Warning, "HealRate", "4 is not one of its 4 choices"},
        {"line break in a quoted value", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.WelcomeMessage, "Hi\r\nthere"); },
         true, FindingSeverity::Warning, "WelcomeMessage", "holds a line break"},
        {"double quote in a quoted value", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ServerName, "The \"Best\""); },
         true, FindingSeverity::Warning, "ServerName", "holds a double quote"},
        {"server.cfg older than the settings", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ServerName, "Renamed"); },
         false, FindingSeverity::Warning, "", "differs from what write would make (edited by hand, or older): run write"},
        {"server.cfg edited by hand", [](ServerSettings&, ServerPlaces&, FixtureFolder& f) { f.WriteFile("out\\server.cfg", "set sv_hostname x\r\n"); },
         false, FindingSeverity::Warning, "", "differs from what write would make (edited by hand, or older): run write"},
        {"server.cfg missing", [](ServerSettings&, ServerPlaces&, FixtureFolder& f) { std::filesystem::remove(f.HostPathOf("out\\server.cfg")); },
         false, FindingSeverity::Warning, "", "not written yet: run write"},
        {"usedmods.cfg missing", [](ServerSettings&, ServerPlaces&, FixtureFolder& f) { std::filesystem::remove(f.HostPathOf("out\\moddir\\usedmods.cfg")); },
         false, FindingSeverity::Warning, "", "not written yet: run write"},
        {"usedmods.cfg of other mods", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ModuleUseList, "modA 0 "); },
         false, FindingSeverity::Warning, "usedmods.cfg", "differs from what write would make"},
        {"usedmods.cfg left after the mods were taken out", [](ServerSettings& s, ServerPlaces&, FixtureFolder& f) {
             SetText(s.ModuleUseList, "");
             f.WriteFile("out\\server.cfg", BuildServerConfig(s)); },
         false, FindingSeverity::Warning, "usedmods.cfg", "differs from what write would make"},
        {"no server in the game folder", [](ServerSettings&, ServerPlaces&, FixtureFolder& f) { std::filesystem::remove(f.HostPathOf("game\\vantrel_server.exe")); },
         false, FindingSeverity::Error, "", "holds no vantrel_server.exe"},
        {"neither start map nor rotation", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.MapName, ""); SetText(s.MapRotationList, "  "); },
         true, FindingSeverity::Warning, "MapName", "neither a start map nor a rotation is set"},
        {"carried line before a setting that overrules it", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.AdditionalOptions, "set my_note \"a;b\"; seta sv_ablegroupname \"A team\" // x"); },
         true, FindingSeverity::Warning, "AdditionalOptions",
         "sets sv_ablegroupname to \"A team\", which the AbleGroupName setting sets to \"Able\" later in server.cfg; the server ends with \"Able\""},
        {"carried line after the setting it overrules", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.AdditionalOptions, "SV_MAXCLIENTS 8\nsetu sv_maxclients 24"); },
         true, FindingSeverity::Warning, "AdditionalOptions",
         "sets sv_maxclients to \"24\", which the MaxPlayers setting sets to \"16\" earlier in server.cfg; the server ends with \"24\""},
        {"carried start map", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.AdditionalOptions, "map dm/beta"); },
         true, FindingSeverity::Warning, "AdditionalOptions", "which the start map (MapName) sets to \"maps/dm/alpha\" later"},
        {"settings file path too long", [&](ServerSettings&, ServerPlaces& p, FixtureFolder&) { p.settingsFile = longFolder; },
         false, FindingSeverity::Error, "", "longer than 259 characters"},
        {"server.cfg path too long", [&](ServerSettings&, ServerPlaces& p, FixtureFolder&) { p.userFolder = longFolder; },
         false, FindingSeverity::Error, "", "longer than 259 characters"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.change(settings_, places_, folder_);
        if (c.rewrite) WriteServerCfg();
        const std::vector<Finding> findings = Check();
        ASSERT_EQ(findings.size(), 1u) << c.what << (findings.empty() ? "" : ": " + findings[0].message);
        EXPECT_EQ(findings[0].severity, c.severity) << c.what;
        if (c.setting.find('.') != std::string::npos) {
            EXPECT_NE(findings[0].setting.find(c.setting), std::string::npos) << c.what;
        } else if (!c.setting.empty()) {
            EXPECT_EQ(findings[0].setting, c.setting) << c.what;
        }
        EXPECT_NE(findings[0].message.find(c.message), std::string::npos) << c.what << ": " << findings[0].message;
    }
}

TEST_F(ConfigCheck, ASemicolonSplitsARotationEntry) {
    folder_.WriteFile("game\\mainmp\\maps\\dm\\a;b.bsp");
    SetText(settings_.MapRotationList, "dm/alpha 0 dm/a;b 0 ");
    WriteServerCfg();
    const std::vector<Finding> findings = Check();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].severity, FindingSeverity::Warning);
    EXPECT_NE(findings[0].message.find("holds a ';'"), std::string::npos);
}

// The server folds A-Z alone in map names, so the findings are the C
// locale's under any locale: one that folds more ('I' to a dotless i in
// Turkish, accented capitals in Latin-1 and Windows-1252) must not make two
// maps one or one map two. Locales the machine lacks are skipped.
TEST_F(ConfigCheck, MapNamesFoldAToZAloneWhateverTheLocale) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    folder_.WriteFile("game\\mainmp\\maps\\dm\\island.bsp");
    folder_.WriteArchive("game\\mainmp\\accents.rez", {"maps/dm/\xE0lpha.bsp"});
    SetText(settings_.MapRotationList, "dm/ISLAND 0 MAPS/DM/Alpha.BSP 0 dm/\xC0lpha 1 ");
    WriteServerCfg();
    std::setlocale(LC_CTYPE, "C");
    const std::vector<Finding> inC = Check();
    ASSERT_EQ(inC.size(), 1u);
    EXPECT_NE(inC[0].message.find("\"dm/\xC0lpha\" is not installed"), std::string::npos) << inC[0].message;
    for (const char* name : {"tr_TR.ISO-8859-9", "tr_TR.UTF-8", "Turkish_Turkey.1254", "de_DE.ISO-8859-1",
                             "French_France.1252"}) {
        if (std::setlocale(LC_CTYPE, name) == nullptr) continue;
        const std::vector<Finding> findings = Check();
        ASSERT_EQ(findings.size(), inC.size()) << name;
        EXPECT_EQ(findings[0].message, inC[0].message) << name;
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

}  // namespace
