// What the server is told: a hand-written server.cfg and the server.cfg
// written from its import, read by the console model, give every variable
// the file assigns the same final value, or the report names the variable.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "console_model.h"
#include "core/servercfg/config_import.h"
#include "core/servercfg/config_writer.h"
#include "test_support.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Variables and values as operators write them: values the settings hold,
// values they cannot hold, variables this utility does not know.
struct Variable {
    const char* name;
    std::vector<const char*> values;
};
const Variable kVariables[] = {
    {"sv_hostname", {"Night Ops", "EU", "Night Ops // EU", ""}},
    {"sv_maxclients", {"16", "24", "32", "abc", "0"}},
    {"timelimit", {"20", "030", "-1"}},
    {"fraglimit", {"0", "50"}},
    {"g_motd", {"Welcome", "Have fun; play fair", "2.5"}},
    {"g_gametype", {"1", "2", "6", "3"}},
    {"g_healrate", {"0", "5", "7", "20"}},
    {"g_healthdrop", {"0", "1", "2"}},
    {"dm_classesDeathDropHealth", {"0", "1"}},
    {"dm_combatclassesenabled", {"0", "1"}},
    {"sv_pure", {"0", "1", "2"}},
    {"g_allowvote", {"0", "1"}},
    {"g_spectate_allow_full_chat", {"0", "1"}},
    {"dm_mgCoolRate", {"2.5", "0.1", "1e-7", "3"}},
    {"dm_grenade_count_max", {"-2", "3", "0"}},
    {"dm_playerspawn_method", {"random", "team", "bogus"}},
    {"g_teamautobalance", {"0", "1", "2"}},
    {"g_respawn_time", {"5", "2.5"}},
    {"sv_allowed_allied_skins", {"all", "none"}},
    {"dmflags", {"0", "8", "257", "2048"}},
    {"sv_maplist",
     {"1 dm/a;1 dm/b;TeamSwap;", "1 dm/a; 1 dm/b", "6 inv/x;teamswap;", "2 dm/c;", "dm/a;dm/b;", "1 dm/a;"}},
    {"map", {"dm/b", "inv/x"}},
    {"x_custom", {"1", "two"}},
    {"G_FOO", {"bar"}},
};

class HandFileMaker {
public:
    explicit HandFileMaker(unsigned seed) : engine_(seed) {}

    std::string Make() {
        const bool crlf = Chance(50);
        std::string file;
        const int lines = Below(30);
        for (int i = 0; i < lines; ++i) {
            switch (Below(10)) {
            case 0: file += Pick({"// a comment", "# a comment", "  // set sv_pure 1", "# set g_allowvote 1", ""}); break;
            case 1: file += Pick({"exec bans.cfg", "kick all", "/* not a comment */"}); break;
            default: {
                const int commands = Chance(25) ? 2 + Below(2) : 1;
                for (int c = 0; c < commands; ++c) {
                    if (c > 0) file += Pick({";", "; ", " ; "});
                    file += Command();
                }
                if (Chance(10)) file += Pick({";", " // note", "; // note"});
            }
            }
            file += crlf ? "\r\n" : "\n";
        }
        return file;
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool Chance(int percent) { return Below(100) < percent; }
    const char* Pick(std::initializer_list<const char*> list) { return list.begin()[Below(static_cast<int>(list.size()))]; }

    std::string Command() {
        const Variable& v = kVariables[Below(sizeof kVariables / sizeof kVariables[0])];
        const std::string value = v.values[Below(static_cast<int>(v.values.size()))];
        std::string name = v.name;
        if (Chance(10)) name = Lower(name);
        const bool needsQuotes = value.empty() || value.find_first_of(" ;/") != std::string::npos;
        const std::string shown = needsQuotes || Chance(40) ? "\"" + value + "\"" : value;
        if (name == "map") return Pick({"", "  ", "\t"}) + std::string("map ") + shown;
        return std::string(Chance(20) ? "\t" : "") + Pick({"set ", "seta ", "sets ", "setu ", "SET ", "Seta  ", ""}) +
               name + Pick({" ", "\t", "  "}) + shown;
    }

    std::mt19937 engine_;
};

std::string Described(const ImportReport& report) {
    std::string text;
    for (const std::string& line : DescribeImport(report)) text += "\n  " + line;
    return text;
}

// The property, for one file imported onto `base`. Whether every variable
// ends the same.
bool ExpectToldTheSame(const std::string& file, const ServerSettings& base, ImportBase from, const std::string& what) {
    auto record = std::make_unique<ServerSettings>(base);
    const ImportReport report = ImportServerConfig(file, *record, from);
    const std::map<std::string, std::string> told = console_model::FinalValues(file);
    const std::map<std::string, std::string> written = console_model::FinalValues(BuildServerConfig(*record));
    std::set<std::string> reported;
    for (const ImportReport::Difference& d : report.differences) reported.insert(Lower(d.name));
    std::set<std::string> differing;
    for (const auto& [name, value] : told) {
        const auto w = written.find(name);
        if (w == written.end() || !console_model::SameForServer(name, value, w->second)) differing.insert(name);
    }
    EXPECT_EQ(reported, differing) << what << "\n" << file << Described(report);
    EXPECT_EQ(ImportKeptEverything(report), differing.empty() && report.dropped == 0 && !told.empty()) << what;
    // Whatever the file left unset and server.cfg sets is counted.
    std::size_t unset = 0;
    for (const auto& entry : written) unset += told.count(entry.first) ? 0 : 1;
    EXPECT_EQ(report.serverDefaults.size(), unset) << what;
    return differing.empty();
}

}  // namespace

TEST(ImportConsole, HandWrittenFilesTellTheServerTheSameOrSaySo) {
    HandFileMaker maker(20261207);
    auto defaults = std::make_unique<ServerSettings>();
    defaults->SetDefaults();
    auto current = std::make_unique<ServerSettings>(*defaults);
    SetField(*current, "MapRotationList", "dm/r 0 dm/s 1 ");
    SetField(*current, "AdditionalOptions", "set x_custom 9");
    SetField(*current, "Pure", "1");
    int same = 0;
    const int files = 600;
    for (int i = 0; i < files && !HasFailure(); ++i) {
        const std::string file = maker.Make();
        const bool onto = i % 3 == 0;
        same += ExpectToldTheSame(file, onto ? *current : *defaults, onto ? ImportBase::Current : ImportBase::Defaults,
                                  "file " + std::to_string(i));
    }
    // Both outcomes are common, so that the property is put to the test.
    EXPECT_GT(same, files / 10);
    EXPECT_LT(same, files - files / 10);
}

TEST(ImportConsole, TheIssuesOfHandWrittenFilesAreKept) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> differing;  // the variables the report names
    };
    const Case cases[] = {
        {"two commands on one line", "set g_allowvote 0; set sv_pure 1\n", {}},
        {"seta is set", "seta dmflags 8\n", {}},
        {"the last assignment wins", "seta sv_maxclients 24\nset sv_maxclients 32\n", {}},
        {"a game type the list does not offer", "set g_gametype 3\nset sv_maplist \"3 dm/a;\"\n", {}},
        {"an assignment the record cannot hold, overruled later", "set sv_pure 2\n", {"sv_pure"}},
        {"bits no setting holds", "set dmflags 257\n", {"dmflags"}},
        {"a float the settings round", "set dm_mgCoolRate 0.0000001\n", {"dm_mgCoolRate"}},
        {"rotation spellings", "sv_maplist \"1 dm/a; 1 dm/b;teamswap\"\nset g_gametype 1\n", {}},
        {"an option overruled in the file, not in server.cfg",
         "// Additional Settings\nset sv_maxclients 24\n\n// Inactive Spectate\nset sv_maxclients 32\n", {"sv_maxclients"}},
        {"an option a later row overrules, taken by the row",
         "// Additional Settings\nset sv_pure 1\nset dm_grenade_count_max 4\n\n// Inactive Spectate\n", {}},
    };
    auto defaults = std::make_unique<ServerSettings>();
    defaults->SetDefaults();
    for (const Case& c : cases) {
        auto record = std::make_unique<ServerSettings>();
        const ImportReport report = ImportServerConfig(c.file, *record);
        std::vector<std::string> named;
        for (const ImportReport::Difference& d : report.differences) named.push_back(d.name);
        EXPECT_EQ(named, c.differing) << c.what << Described(report);
        ExpectToldTheSame(c.file, *defaults, ImportBase::Defaults, c.what);
    }
}
