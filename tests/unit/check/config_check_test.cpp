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
#include "discovery_fixture.h"

namespace {

void SetText(char* field, const std::string& text) { std::memcpy(field, text.c_str(), text.size() + 1); }

class ConfigCheck : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.WriteFile("game\\mainmp\\maps\\dm\\alpha.bsp");
        folder_.WriteFile("game\\mainmp\\maps\\dm\\beta.bsp");
        folder_.WriteFile("mods\\modA\\moddesc.xml");
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
    void WriteServerCfg() { folder_.WriteFile("out\\server.cfg", BuildServerConfig(settings_)); }
    std::vector<Finding> Check() const { return CheckConfiguration(settings_, places_); }

    FixtureFolder folder_;
    ServerSettings settings_;
    ServerPlaces places_;
};

TEST_F(ConfigCheck, ACleanConfigurationHasNoFindings) { EXPECT_TRUE(Check().empty()); }

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
        {"server.cfg stale", [](ServerSettings& s, ServerPlaces&, FixtureFolder&) { SetText(s.ServerName, "Renamed"); },
         false, FindingSeverity::Warning, "", "stale: run write"},
        {"server.cfg missing", [](ServerSettings&, ServerPlaces&, FixtureFolder& f) { std::filesystem::remove(f.HostPathOf("out\\server.cfg")); },
         false, FindingSeverity::Warning, "", "missing: run write"},
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
        if (!c.setting.empty()) {
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
