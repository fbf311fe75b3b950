// The settings routes over the route table, on a throw-away documents
// folder: what the pages show, Save giving the window's bytes, refusals
// that leave every file alone, and the lists, import, check and history.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include "core/check/config_check.h"
#include "core/check/host_findings.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"
#include "core/discovery/marked_list.h"
#include "core/history/config_history.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/page_fields.h"
#include "core/settings/settings_file.h"
#include "test_support.h"
#include "web/settings_routes.h"

namespace {

using json = nlohmann::json;

std::string KeyOf(const PageField& row) {
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey& key = SettingKeys()[i];
        if (key.field.kind == row.field.kind && key.field.offset == row.field.offset) return key.key;
    }
    return "";
}

class SettingsRoutesTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
#if !defined(_WIN32)
        unsetenv("WINEPREFIX");  // the implicit default would live in that prefix
#endif
        site_.gameFolder = root_;
        AddSettingsRoutes(routes_, site_);
        std::string why;
        ASSERT_TRUE(PlacesOfInstance(site_, "default", server_, why)) << why;
        // Two loose maps (one with a blank) and one mod to be found.
        ASSERT_TRUE(platform::CreateFolder((root_ + "\\mainmp").c_str()));
        ASSERT_TRUE(platform::CreateFolder((root_ + "\\mainmp\\maps").c_str()));
        ASSERT_TRUE(platform::CreateFolder((root_ + "\\mainmp\\maps\\dm").c_str()));
        WriteBytes(root_ + "\\mainmp\\maps\\dm\\alpha.bsp", "x");
        WriteBytes(root_ + "\\mainmp\\maps\\dm\\two words.bsp", "x");
        const std::string mods = server_.places.modsFolder;
        ASSERT_TRUE(platform::CreateFolder(mods.c_str()));
        ASSERT_TRUE(platform::CreateFolder((mods + "\\mymod").c_str()));
        WriteBytes(mods + "\\mymod\\moddesc.xml", "<mod/>");
    }

    WebResponse Call(const std::string& method, const std::string& target, const std::string& body = "") {
        WebRequest request;
        request.method = method;
        const std::size_t mark = target.find('?');
        request.path = "/api/i/default" + target.substr(0, mark);
        if (mark != std::string::npos) request.query = target.substr(mark + 1);
        request.body = body;
        return routes_.Dispatch(request);
    }
    static json Body(const WebResponse& response) { return json::parse(response.body); }

    // The three files a save writes, as they are now.
    std::vector<std::string> Files(const ServerPlaces& places) const {
        return {ReadBytes(places.settingsFile), ReadBytes(places.ServerConfigPath()), ReadBytes(places.UsedModsPath())};
    }

    WebSite site_;
    WebRoutes routes_;
    ServerContext server_;
};

TEST_F(SettingsRoutesTest, PagesShowEveryRowOnceInOrderWithItsLabelAndValue) {
    // A stored file that differs from the defaults, and the defaults asked for.
    ServerSettings stored;
    stored.SetDefaults();
    std::string why;
    ASSERT_TRUE(SetPageValue(*FindPageField(fields::ServerName), "Caf\xE9 night", stored, why));
    ASSERT_TRUE(SetPageValue(*FindPageField(fields::GameType), "2", stored, why));
    ASSERT_TRUE(SetPageValue(*FindPageField(fields::AmmoBoxesCountInit), "", stored, why));
    std::strcpy(stored.MapRotationList, "maps/dm/alpha 1 ");
    ASSERT_TRUE(stored.WriteSettings(server_).Written());
    ServerSettings defaults;
    defaults.SetDefaults();

    const struct {
        const char* target;
        const ServerSettings* shown;
    } cases[] = {{"/pages", &stored}, {"/pages?defaults=1", &defaults}};
    for (const auto& c : cases) {
        const WebResponse response = Call("GET", c.target);
        ASSERT_EQ(response.status, 200) << c.target;
        const json answer = Body(response);
        EXPECT_EQ(answer["instance"], "default");
        EXPECT_TRUE(answer["exists"].get<bool>());
        const std::pair<const char*, int> texts[] = {{"save", IDS_SAVE_CONFIG},
                                                     {"modsHint", IDS_MODS_DOWNLOAD_HINT},
                                                     {"maps", IDS_MAPS_FOUND},
                                                     {"modsFound", IDS_MODS_FOUND}};
        for (const auto& [key, id] : texts) EXPECT_EQ(answer["texts"][key], Cp1252ToUtf8(LoadUIText(id))) << key;
        ASSERT_EQ(answer["pages"].size(), std::size(kSettingsPages));
        std::size_t p = 0;
        for (const SettingsPage& page : kSettingsPages) {
            const json& shown = answer["pages"][p++];
            EXPECT_EQ(shown["name"], page.name);
            EXPECT_EQ(shown["title"], Cp1252ToUtf8(LoadUIText(page.title)));
            std::size_t r = 0;
            for (const PageField& row : page) {
                if (row.hidden) continue;
                ASSERT_LT(r, shown["rows"].size()) << page.name;
                const json& item = shown["rows"][r++];
                EXPECT_EQ(item["kind"], KindName(KindOf(row.conversion)));
                EXPECT_EQ(item["label"], Cp1252ToUtf8(LoadUIText(row.label)));
                if (row.conversion == PageConversion::Caption) continue;
                EXPECT_EQ(item["key"], KeyOf(row));
                if (row.conversion == PageConversion::MarkedList) {
                    EXPECT_EQ(MarkedList::FromText(ShowPageValue(row, *c.shown).c_str()).Size(),
                              item["entries"].size());
                } else {
                    EXPECT_EQ(item["value"], Cp1252ToUtf8(ShowPageValue(row, *c.shown))) << KeyOf(row);
                }
            }
            EXPECT_EQ(r, shown["rows"].size()) << page.name;
        }
    }
    const json rotation = Body(Call("GET", "/pages"))["pages"][5]["rows"][0];
    EXPECT_EQ(rotation["mark"], "swap");
    EXPECT_EQ(rotation["entries"], json::parse(R"([{"name":"maps/dm/alpha","marked":true}])"));

    WebRequest unknown;
    unknown.method = "GET";
    unknown.path = "/api/i/nosuch/pages";
    const WebResponse refused = routes_.Dispatch(unknown);
    EXPECT_EQ(refused.status, 404);
    EXPECT_NE(Body(refused)["error"].get<std::string>().find("nosuch"), std::string::npos) << refused.body;
}

// A value for every row the page edits, different from the defaults, drawn
// from `seed`; in UTF-8 for the request and in Windows-1252 for the record.
std::string GeneratedValue(const PageField& row, unsigned seed) {
    const unsigned n = seed * 2654435761u;
    switch (row.conversion) {
    case PageConversion::Text:
    case PageConversion::ServerName:
        return "v" + std::to_string(n % 1000) + (row.multiLine ? "\r\nsecond \xE9" : " \xE9\x80");
    case PageConversion::Unsigned: return std::to_string(n);
    case PageConversion::Signed: return std::to_string(-static_cast<long long>(n % 100000));
    case PageConversion::IntOrBlank: return seed % 3 == 0 ? "" : std::to_string(n % 500);
    case PageConversion::Float: return std::to_string(n % 97) + "." + std::to_string(n % 10) + "25";
    case PageConversion::Flag: return seed % 2 ? "1" : "0";
    case PageConversion::AllSkins: return std::to_string(seed % 3);
    case PageConversion::Choice: return LoadUIText(row.choices[seed % row.choiceCount]);
    default: return "";
    }
}

TEST_F(SettingsRoutesTest, SaveWritesWhatSaveConfigurationWritesAndKeepsHistory) {
    for (unsigned round = 1; round <= 3; ++round) {
        json values = json::object();
        ServerSettings expected;
        expected.SetDefaults();
        expected.ReadSettings(server_.places);
        unsigned seed = round * 1000;
        std::string why;
        for (const SettingsPage& page : kSettingsPages) {
            for (const PageField& row : page) {
                if (row.hidden || row.conversion == PageConversion::Caption ||
                    row.conversion == PageConversion::MarkedList)
                    continue;
                const std::string value = GeneratedValue(row, ++seed);
                values[KeyOf(row)] = Cp1252ToUtf8(value);
                ASSERT_TRUE(SetPageValue(row, value, expected, why)) << KeyOf(row) << ": " << why;
            }
        }
        // Loose maps are found for the first three game types only.
        values["GameType"] = "0";
        expected.GameType = 0;
        std::strcpy(expected.ModuleUseList, "mymod 1 ");
        std::strcpy(expected.MapRotationList, round == 1 ? "maps/dm/alpha 0 " : "maps/dm/alpha 1 ");
        const json body = {{"values", values},
                           {"lists",
                            {{"ModuleUseList", {{{"name", "mymod"}, {"marked", true}}}},
                             {"MapRotationList", {{{"name", "maps/dm/alpha"}, {"marked", round != 1}}}}}}};
        const WebResponse response = Call("POST", "/save", body.dump());
        ASSERT_EQ(response.status, 200) << response.body;
        EXPECT_EQ(Body(response)["saved"], true);
        EXPECT_EQ(Body(response)["failures"], json::array());

        // The same settings saved by the core into a folder of their own.
        ServerContext reference;
        reference.places = PlacesInDocuments(root_ + "\\Reference" + std::to_string(round), root_);
        ASSERT_TRUE(platform::CreateFolder((root_ + "\\Reference" + std::to_string(round)).c_str()));
        CreateUserFolders(reference.places.userFolder);
        platform::CreateFolder(reference.places.modsFolder.c_str());
        ASSERT_TRUE(SaveConfiguration(expected, reference).serverConfigWritten);
        EXPECT_EQ(Files(server_.places), Files(reference.places)) << "round " << round;
    }
    // The first save replaced nothing; each later one kept what it replaced.
    const std::vector<HistoryEntry> entries = ListHistory(server_.places);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.back().reason, "Save Config");
}

// Use Defaults then Save: the defaults' own bytes, lists and hidden fields
// included, whatever the stored file held; a field edited meanwhile still goes.
TEST_F(SettingsRoutesTest, SaveAfterUseDefaultsWritesTheDefaults) {
    const struct {
        const char* body;
        const char* serverName;  // nullptr: the default's
    } cases[] = {{R"({"defaults":true})", nullptr}, {R"({"defaults":true,"values":{"ServerName":"Mine"}})", "Mine"}};
    int round = 0;
    for (const auto& c : cases) {
        ++round;
        const char* edited = R"({"values":{"ServerName":"Edited"},"lists":{"ModuleUseList":[{"name":"mymod"}],)"
                             R"("MapRotationList":[{"name":"maps/dm/alpha","marked":true}]}})";
        ASSERT_EQ(Call("POST", "/save", edited).status, 200);
        ASSERT_EQ(Call("POST", "/save", c.body).status, 200) << c.body;
        ServerSettings expected;
        expected.SetDefaults();
        if (c.serverName != nullptr) std::strcpy(expected.ServerName, c.serverName);
        ServerContext reference;
        const std::string folder = root_ + "\\Defaults" + std::to_string(round);
        ASSERT_TRUE(platform::CreateFolder(folder.c_str()));
        reference.places = PlacesInDocuments(folder, root_);
        CreateUserFolders(reference.places.userFolder);
        platform::CreateFolder(reference.places.modsFolder.c_str());
        ASSERT_TRUE(SaveConfiguration(expected, reference).serverConfigWritten);
        EXPECT_EQ(Files(server_.places), Files(reference.places)) << c.body;
    }
    EXPECT_EQ(Call("POST", "/save", R"({"defaults":"yes"})").status, 400);
}

TEST_F(SettingsRoutesTest, RefusedSavesLeaveEveryFileAsItWas) {
    ASSERT_EQ(Call("POST", "/save", R"({"values":{"ServerName":"Kept"}})").status, 200);
    const std::vector<std::string> before = Files(server_.places);
    const std::size_t history = ListHistory(server_.places).size();
    json tooMany = json::array();
    for (int i = 0; i < 1400; ++i) tooMany.push_back({{"name", "maps/dm/alpha"}, {"marked", false}});
    const struct {
        std::string body;
        int status;
        const char* field;  // the key the refusal names; nullptr for a malformed request
    } cases[] = {
        {"not json", 400, nullptr},
        {R"({"values":[1]})", 400, nullptr},
        {R"({"values":{"MaxPlayers":"12abc"}})", 422, "MaxPlayers"},
        {R"({"values":{"ServerName":"ok","FragLimit":"-1"}})", 422, "FragLimit"},
        {R"({"values":{"NoSuchKey":"1"}})", 422, "NoSuchKey"},
        {R"({"values":{"ServerName":"\ud83d\ude00"}})", 422, "ServerName"},
        {R"({"values":{"ServerPassword":"a\nb"}})", 422, "ServerPassword"},
        {R"({"values":{"GameType":"Capture"}})", 422, "GameType"},
        {R"({"values":{"BleedToDeath":"1"}})", 422, "BleedToDeath"},
        {R"({"values":{"MapRotationList":"maps/dm/alpha 1 "}})", 422, "MapRotationList"},
        {R"({"values":{"MaxPlayers":8}})", 422, "MaxPlayers"},
        {R"({"lists":{"MapRotationList":[{"name":"maps/dm/../../../etc/passwd"}]}})", 422, "MapRotationList"},
        {R"({"lists":{"MapRotationList":[{"name":"maps/dm/alpha"},{"name":"maps/dm/alpha"}]}})", 422, "MapRotationList"},
        {R"({"lists":{"MapRotationList":[{"name":"maps/dm/two words"}]}})", 422, "MapRotationList"},
        {R"({"lists":{"MapRotationList":[{"name":""}]}})", 422, "MapRotationList"},
        {R"({"lists":{"MapRotationList":[{"name":"maps/dm/alpha","marked":"yes"}]}})", 422, "MapRotationList"},
        {R"({"lists":{"ModuleUseList":[{"name":"..\\..\\x"}]}})", 422, "ModuleUseList"},
        {R"({"lists":{"Other":[]}})", 422, "Other"},
        {json({{"lists", {{"MapRotationList", tooMany}}}}).dump(), 422, "MapRotationList"},
    };
    for (const auto& c : cases) {
        const WebResponse response = Call("POST", "/save", c.body);
        EXPECT_EQ(response.status, c.status) << c.body.substr(0, 80);
        if (c.field != nullptr) {
            EXPECT_TRUE(Body(response)["fields"].contains(c.field)) << response.body;
        }
        EXPECT_EQ(Files(server_.places), before) << c.body.substr(0, 80);
    }
    EXPECT_EQ(ListHistory(server_.places).size(), history);
    // The blank's refusal is the page's own.
    const json blank = Body(Call("POST", "/save", R"({"lists":{"MapRotationList":[{"name":"maps/dm/two words"}]}})"));
    EXPECT_EQ(blank["fields"]["MapRotationList"].get<std::string>().rfind(LoadUIText(IDS_ROTATION_REFUSED_CAPTION), 0), 0u);
}

TEST_F(SettingsRoutesTest, ListsImportCheckAndHistory) {
    // The maps of the game type asked for, and the mods found; a mod in use
    // that was not found is never looked into.
    const struct {
        const char* target;
        int status;
        std::vector<std::string> maps;
    } lists[] = {
        {"/lists?gameType=0", 200, {"maps/dm/alpha", "maps/dm/two words"}},
        {"/lists?gameType=3&mods=mymod+1+..%5C..%5Cx+0+", 200, {}},
        {"/lists?gameType=zero", 400, {}},
    };
    for (const auto& c : lists) {
        const WebResponse response = Call("GET", c.target);
        ASSERT_EQ(response.status, c.status) << c.target;
        if (c.status != 200) continue;
        EXPECT_EQ(Body(response)["maps"], json(c.maps)) << c.target;
        EXPECT_EQ(Body(response)["mods"], json::parse(R"(["mymod"])"));
    }

    // Import: the exit codes of servolt-cli import, and apply=1 writing.
    ServerSettings defaults;
    defaults.SetDefaults();
    const std::string full = BuildServerConfig(defaults);
    // More carried lines than the additional options hold: some are dropped.
    std::string overflowing = "set sv_hostname \"Web\"\r\n";
    for (int i = 0; i < 30; ++i) overflowing += "custom_" + std::to_string(i) + " " + std::string(200, 'x') + "\r\n";
    const struct {
        std::string target, body;
        int status, exit;
    } imports[] = {
        {"/import", full, 200, 0},
        {"/import?merge=1", "", 200, 1},
        {"/import", overflowing, 200, 1},
        {"/import", std::string("\x00\x01\x02rez", 6), 200, 2},
        {"/import?apply=2", full, 400, -1},
        {"/import", std::string(1024 * 1024 + 1, 'a'), 413, -1},
    };
    for (const auto& c : imports) {
        const WebResponse response = Call("POST", c.target, c.body);
        ASSERT_EQ(response.status, c.status) << c.target << ' ' << response.body.substr(0, 200);
        if (c.exit >= 0) {
            EXPECT_EQ(Body(response)["exit"], c.exit) << c.body.substr(0, 40);
            EXPECT_EQ(Body(response)["applied"], false);
        }
        EXPECT_FALSE(FileExists(server_.places.settingsFile));
    }
    const std::string imported = "set sv_hostname \"Imported\"\r\n";
    const json applied = Body(Call("POST", "/import?apply=1", imported));
    EXPECT_TRUE(applied["applied"].get<bool>()) << applied.dump();
    ServerSettings read;
    read.SetDefaults();
    read.ReadSettings(server_.places);
    EXPECT_STREQ(read.ServerName, "Imported");

    // Check: the configuration's findings, then the server program's.
    WriteBytes(root_ + "\\vantrel_server.exe", "no program");
    const json check = Body(Call("GET", "/check"));
    std::vector<Finding> findings = CheckConfiguration(read, server_.places);
    AppendProgramFindings(server_.places, findings);
    ASSERT_NE(findings.back().message.find("not a Windows program"), std::string::npos);
    ASSERT_EQ(check["findings"].size(), findings.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(check["findings"][i]["severity"], SeverityName(findings[i].severity));
        EXPECT_EQ(check["findings"][i]["message"], Cp1252ToUtf8(findings[i].message));
        EXPECT_EQ(check["findings"][i]["key"], Cp1252ToUtf8(platform::HostPath(findings[i].setting.c_str())));
    }

    // History: a save keeps the imported settings; diff and restore them.
    ASSERT_EQ(Call("POST", "/save", R"({"values":{"ServerName":"Later"}})").status, 200);
    const std::vector<HistoryEntry> entries = ListHistory(server_.places);
    const json history = Body(Call("GET", "/history"));
    ASSERT_EQ(history["entries"].size(), entries.size());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(history["entries"].back()["id"], entries.back().id);
    EXPECT_EQ(history["entries"].back()["reason"], "Save Config");

    const json diff = Body(Call("GET", "/history/diff"));
    bool named = false;
    for (const json& change : diff["settings"]) {
        if (change["key"] == "ServerName") {
            named = true;
            EXPECT_EQ(change["before"], "Imported");
            EXPECT_EQ(change["after"], "Later");
        }
    }
    EXPECT_TRUE(named) << diff.dump();
    EXPECT_EQ(Call("GET", "/history/diff?a=9999").status, 404);

    std::string keptSettings;
    ASSERT_TRUE(entries.back().Read(HistoryRole::Settings, keptSettings));
    EXPECT_EQ(Call("POST", "/history/restore", R"({"id":"9999"})").status, 404);
    EXPECT_EQ(Call("POST", "/history/restore", R"({"id":7})").status, 400);
    const WebResponse restored = Call("POST", "/history/restore", json({{"id", entries.back().id}}).dump());
    ASSERT_EQ(restored.status, 200) << restored.body;
    EXPECT_EQ(Body(restored)["restored"], true);
    EXPECT_EQ(ReadBytes(server_.places.settingsFile), keptSettings);
}

}  // namespace
