#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/common/number_text.h"
#include "core/servercfg/config_import.h"
#include "core/servercfg/config_writer.h"
#include "core/settings/flagged_list.h"
#include "core/settings/settings_backup.h"
#include "core/settings/settings_file.h"
#include "test_support.h"

void PrintTo(ImportReport::Kind kind, std::ostream* out) {
    static const char* const names[] = {"Applied", "Carried", "Superseded", "Dropped", "Comment"};
    *out << names[static_cast<int>(kind)];
}

namespace {

using Kind = ImportReport::Kind;

std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    if (i == actual.size() && i == expected.size()) return "";
    const std::size_t from = i > 60 ? i - 60 : 0;
    return "at byte " + std::to_string(i) + "\n  actual:   ..." + actual.substr(from, 120) +
           "\n  expected: ..." + expected.substr(from, 120);
}

std::string Described(const ImportReport& report) {
    std::string text;
    for (const std::string& line : DescribeImport(report)) text += "\n  " + line;
    return text;
}

// A field by its settings-file key, rendered as the tables below give it.
std::string FieldText(const ServerSettings& settings, const std::string& key) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (key != keys[i].key) continue;
        struct Render {
            std::string operator()(const char (&text)[kSettingsTextSize]) const { return text; }
            std::string operator()(std::int32_t value) const { return std::to_string(value); }
            std::string operator()(float value) const { return FormatFloatText(value); }
            std::string operator()(bool value) const { return value ? "1" : "0"; }
        };
        return VisitField(settings, keys[i].field, Render{});
    }
    ADD_FAILURE() << "no field " << key;
    return std::string();
}

// Lines as the server's console ends them: LF, CR LF, a lone CR; CR CR LF
// is one line end too (a line break inside a value).
int ConsoleLines(const std::string& bytes) {
    int lines = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes.compare(i, 3, "\r\r\n") == 0) i += 3;
        else if (bytes.compare(i, 2, "\r\n") == 0) i += 2;
        else if (bytes[i] == '\n' || bytes[i] == '\r') i += 1;
        else {
            ++i;
            continue;
        }
        ++lines;
        start = i;
    }
    return lines + (start < bytes.size() ? 1 : 0);
}

// Random records for the round trip. They hold what the pages and
// Servolt.ini can put into the record, extremes included, except where
// server.cfg cannot tell two records apart:
// - a CR or LF that is not part of a CR LF pair: the console ends a line at
//   either, and a lone LF is written as the file's own line end;
// - a map name holding ';' (the separator of sv_maplist) or an odd number
//   of double quotes (the next ';' would then end the command), or named TeamSwap
//   while the game type writes no number before the maps (it then reads as
//   the swap mark);
// - a rotation that, once its blanks and marks are put in the pages' form,
//   would not fit 4095 characters;
// - a float that is infinite or not a number, which no page or settings
//   file stores and whose %f words are not numbers;
// - a quoted text in which a ';' follows an odd number of double quotes:
//   the console pairs the quotes and ends the command at that ';'.
class RecordMaker {
public:
    explicit RecordMaker(unsigned seed) : engine_(seed) {}

    void Fill(ServerSettings& settings) {
        settings.SetDefaults();
        const SettingKey* keys = SettingKeys();
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
            VisitField(settings, keys[i].field, [&](auto& value) { Set(value); });
        }
        Copy(settings.MapName, Chance(50) ? std::string() : Text());
        const SettingKey* text = keys;
        for (; text < keys + kSettingKeyCount; ++text) {
            if (text->field.kind != SettingKind::Text || std::string(text->key) == "AdditionalOptions") continue;
            char(&value)[kSettingsTextSize] = text->field.As<SettingKind::Text>().In(settings);
            bool quoted = true;  // the writer's own quote opens the value
            for (char* c = value; *c != '\0'; ++c) {
                if (*c == '"') quoted = !quoted;
                if (*c == ';' && !quoted) *c = ',';
            }
        }
        const bool prefixed = settings.GameType >= 0 && settings.GameType <= 2;
        Copy(settings.MapRotationList, Rotation(prefixed));
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool Chance(int percent) { return Below(100) < percent; }

    static void Copy(char (&field)[kSettingsTextSize], const std::string& text) {
        std::memcpy(field, text.c_str(), text.size() + 1);
    }

    std::string Text() {
        static const char* const pieces[] = {
            "a", "Zz", "map", " ", "  ", "\t", "\\", "\\\\", "\"", "\"\"", ";", "//", "/*", "\r\n", "\r\n\r\n",
            "\x92", "\xE9\xFF", "\x01", "0", "-7", "set g_gametype 4", "sv_maplist \"1 x;\"", "// Map",
            "// Inactive Spectate", "// Additional Settings", "TeamSwap", "6 dm/a;", "\r\n// Heal Rate\r\n"};
        const bool full = Chance(4);
        const int count = full ? 100000 : Below(9);
        std::string text;
        for (int i = 0; i < count && text.size() < kSettingsTextSize - 1; ++i) {
            text += pieces[Below(sizeof pieces / sizeof pieces[0])];
        }
        if (text.size() > kSettingsTextSize - 1) text.resize(kSettingsTextSize - 1);
        if (!text.empty() && text.back() == '\r') text.pop_back();  // no CR without its LF
        return text;
    }

    std::string MapName(bool prefixed) {
        static const char* const pieces[] = {"dm/", "mp_airfield", "_inv", "x", "\"", "\t", "\x92", "//", "\r\n"};
        if (prefixed && Chance(5)) return "TeamSwap";
        std::string name;
        for (int i = 0, n = 1 + Below(3); i < n; ++i) name += pieces[Below(sizeof pieces / sizeof pieces[0])];
        if (std::count(name.begin(), name.end(), '"') % 2 != 0) name += '"';
        return name;
    }

    std::string Rotation(bool prefixed) {
        static const char* const marks[] = {"0", "1", "1", "x", "2"};
        if (Chance(15)) return std::string(static_cast<std::size_t>(Below(3)), ' ');
        const int pairs = Chance(5) ? 1000 : 1 + Below(12);
        std::string text(Chance(20) ? static_cast<std::size_t>(1 + Below(2)) : 0, ' ');
        std::size_t pagesForm = 0;  // "name mark " per map
        for (int p = 0; p < pairs; ++p) {
            const std::string name = MapName(prefixed);
            const std::string mark = marks[Below(5)];
            const std::string pair = name + std::string(1 + Below(2), ' ') + mark + std::string(1 + Below(2), ' ');
            if (pagesForm + name.size() + 3 > kSettingsTextSize - 1 || text.size() + pair.size() > kSettingsTextSize - 1)
                break;
            pagesForm += name.size() + 3;
            text += p > 0 && Chance(5) ? name : pair;  // now and then a map without its mark
            if (text.back() != ' ') break;
        }
        return text;
    }

    void Set(char (&text)[kSettingsTextSize]) { Copy(text, Text()); }
    void Set(std::int32_t& value) {
        static const std::int32_t edges[] = {INT32_MIN, INT32_MAX, -1, 0, 1, 2, 3};
        switch (Below(4)) {
        case 0: value = edges[Below(7)]; break;
        case 1: value = static_cast<std::int32_t>(engine_()); break;
        default: value = Below(14) - 3; break;  // in and just beside every choice table
        }
    }
    void Set(float& value) {
        static const float edges[] = {0.0f,  -0.0f, 1.5f,  10.0f, FLT_MAX, -FLT_MAX, FLT_MIN,
                                      std::numeric_limits<float>::denorm_min(), 3e30f, 0.1f, 1e-7f, -1.0f};
        switch (Below(3)) {
        case 0: value = edges[Below(sizeof edges / sizeof edges[0])]; break;
        case 1:
            do {
                const std::uint32_t bits = static_cast<std::uint32_t>(engine_());
                std::memcpy(&value, &bits, sizeof value);
            } while (!std::isfinite(value));
            break;
        default: value = static_cast<float>(Below(200001) - 100000) / 64.0f; break;
        }
    }
    void Set(bool& value) { value = Chance(50); }

    std::mt19937 engine_;
};

// The defining property: server.cfg read back and written again gives the
// same bytes, and every line of it is applied or a comment.
void ExpectRoundTrip(const ServerSettings& record, const std::string& what) {
    const std::string bytes = BuildServerConfig(record);
    auto imported = std::make_unique<ServerSettings>();
    const ImportReport report = ImportServerConfig(bytes, *imported);
    EXPECT_EQ(FirstDifference(BuildServerConfig(*imported), bytes), "") << what;
    EXPECT_EQ(report.carried + report.superseded + report.dropped, 0) << what << Described(report);
    EXPECT_EQ(report.applied + report.comments, ConsoleLines(bytes)) << what;
}

}  // namespace

TEST(ConfigImport, WrittenFilesReadBackToTheSameBytes) {
    auto record = std::make_unique<ServerSettings>();
    for (const GoldenCase& golden : ReadGoldenCases()) {
        record->SetDefaults();
        for (const auto& change : golden.overrides) SetField(*record, change.first, change.second);
        ExpectRoundTrip(*record, golden.name);
    }
    RecordMaker maker(20261207);
    for (int i = 0; i < 400 && !HasFailure(); ++i) {
        maker.Fill(*record);
        ExpectRoundTrip(*record, "random record " + std::to_string(i));
    }
    // The same file with LF line ends reads the same.
    std::string lf = ReadGolden("default.cfg");
    for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
    const ImportReport report = ImportServerConfig(lf, *record);
    EXPECT_EQ(FirstDifference(BuildServerConfig(*record), ReadGolden("default.cfg")), "");
    EXPECT_EQ(report.carried + report.superseded + report.dropped, 0) << Described(report);
}

TEST(ConfigImport, HandWrittenFilesGiveTheirReports) {
    struct Case {
        const char* name;
        std::string bytes;
        int applied, carried, superseded, dropped, comments;
        std::vector<std::pair<int, Kind>> listed;  // line and kind of every line not applied
        std::size_t notes;
        std::vector<std::pair<const char*, std::string>> fields;  // by settings-file key
    };
    const std::string tenThousand(10000, 'x');
    const Case cases[] = {
        // LF line ends, tabs and blanks, reordered, most sections missing,
        // comments, duplicates, unknown commands and values.
        // "seta" is "set", and a ';' separates two commands.
        {"hand_written", ReadGolden("../import/hand_written.cfg"), 11, 5, 3, 0, 2,
         {{3, Kind::Superseded}, {6, Kind::Superseded}, {7, Kind::Carried}, {8, Kind::Carried},
          {9, Kind::Carried}, {12, Kind::Carried}, {13, Kind::Superseded}, {20, Kind::Carried}},
         0,
         {{"ServerName", "Night Ops // EU"}, {"MaxPlayers", "16"}, {"GameType", "0"}, {"WelcomeMessage", "Welcome"},
          {"TimeLimit", "30"}, {"HealRate", "1"}, {"MGCoolRate", "2.500000"}, {"GrenadeCountMax", "-1"},
          {"MapRotationList", "dm/a 0 dm/b 1 "}, {"MapName", "dm/b"}, {"NoFallingDamage", "1"},
          {"MuteSpectators", "0"}, {"TeamKillKick", "3"}, {"PlayerSpawn", "1"},
          {"AdditionalOptions",
           "exec bans.cfg\r\n/* not a comment to the console */\r\nset sv_maxclients abc\r\nset "
           "dm_grenade_count_max -2\r\nset x 1"}}},
        // CR LF and a byte order mark; the writer's layout, edited: a value
        // line removed, lines added to the additional options, unknown
        // death match bits, a setting appended at the end.
        {"edited_export", ReadGolden("../import/edited_export.cfg"), 9, 1, 1, 0, 31,
         {{21, Kind::Superseded}, {41, Kind::Carried}},
         2,
         {{"ServerName", "Edited"}, {"GameType", "-1"}, {"HealRate", "3"}, {"SpawnDelay", "12.500000"},
          {"RespawnInterval", "7"}, {"PlayerSpawn", "3"}, {"HealthDrop", "0"}, {"NoHealth", "1"},
          {"InactiveSpectate", "120"}, {"MapRotationList", ""},
          {"AdditionalOptions", "set g_gametype 2\r\nexec extra.cfg\r\nset dmflags 257"}}},
        {"empty", "", 0, 0, 0, 0, 0, {}, 2,
         {{"GameType", "2"}, {"MapRotationList", ""}, {"AdditionalOptions", ""}}},
        // Lines of 10,000 characters do not fit the additional options; a
        // later short line still does.
        {"long_lines",
         "set g_motd \"" + tenThousand + "\"\nexec " + tenThousand + "\nset sv_maxclients 5\r\nexec small.cfg", 1, 1, 0,
         2, 0, {{1, Kind::Dropped}, {2, Kind::Dropped}, {4, Kind::Carried}}, 2,
         {{"MaxPlayers", "5"}, {"WelcomeMessage", ""}, {"AdditionalOptions", "exec small.cfg"}}},
        {"nul_bytes", std::string("set sv_maxclients 7\nexec a\0b\n\0\n", 31), 1, 0, 0, 2, 0,
         {{2, Kind::Dropped}, {3, Kind::Dropped}}, 1, {{"MaxPlayers", "7"}, {"AdditionalOptions", ""}}},
        // A lone CR ends a line for the console, and CR CR LF outside a
        // quoted value is a line end like any other.
        {"cr_line_ends", "set sv_maxclients 9\rset timelimit 4\r\r\nset fraglimit 3", 3, 0, 0, 0, 0, {}, 1,
         {{"MaxPlayers", "9"}, {"TimeLimit", "4"}, {"FragLimit", "3"}}},
    };
    auto settings = std::make_unique<ServerSettings>();
    for (const Case& c : cases) {
        const ImportReport report = ImportServerConfig(c.bytes, *settings);
        EXPECT_EQ(report.applied, c.applied) << c.name << Described(report);
        EXPECT_EQ(report.carried, c.carried) << c.name;
        EXPECT_EQ(report.superseded, c.superseded) << c.name;
        EXPECT_EQ(report.dropped, c.dropped) << c.name;
        EXPECT_EQ(report.comments, c.comments) << c.name;
        EXPECT_EQ(report.notes.size(), c.notes) << c.name << Described(report);
        EXPECT_EQ(report.additionalOptionsOverflow, std::string(c.name) == "long_lines") << c.name;
        std::vector<std::pair<int, Kind>> listed;
        for (const ImportReport::Line& line : report.lines) listed.emplace_back(line.number, line.kind);
        EXPECT_EQ(listed, c.listed) << c.name << Described(report);
        for (const auto& field : c.fields) {
            EXPECT_EQ(FieldText(*settings, field.first), field.second) << c.name << ": " << field.first;
        }
    }
}

TEST(ConfigImport, ReportReadsAsPlainLines) {
    auto settings = std::make_unique<ServerSettings>();
    const std::vector<std::string> lines =
        DescribeImport(ImportServerConfig(ReadGolden("../import/hand_written.cfg"), *settings));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "line 3: superseded: sv_maxclients is set again on line 9");
    EXPECT_EQ(lines[2], "line 7: carried into additional options: unknown command \"exec\"");
    EXPECT_EQ(lines[4], "line 9: carried into additional options: sv_maxclients: \"abc\" is not a whole number");
    EXPECT_EQ(lines[5], "line 12: carried into additional options: dm_grenade_count_max: server.cfg writes no line "
                        "for a negative value");
    EXPECT_EQ(lines[7], "line 20: carried into additional options: unknown setting \"x\"");
    EXPECT_EQ(lines[8], "server.cfg will set 119 settings that the file never set (the server used its own defaults "
                        "for those)");
    EXPECT_EQ(lines[9], "applied 11, carried 5, superseded 3, dropped 0, comments and blank lines 2");

    // A carried line that server.cfg overrules later says so.
    const std::vector<std::string> edited =
        DescribeImport(ImportServerConfig(ReadGolden("../import/edited_export.cfg"), *settings));
    ASSERT_GE(edited.size(), 2u);
    EXPECT_EQ(edited[1], "line 41: carried into additional options: dmflags: bits 0x100 have no setting here; "
                         "server.cfg sets dmflags again after the additional options, so the server will not keep "
                         "this value");
    // ... and names what the server gets instead.
    ASSERT_GE(edited.size(), 3u);
    const std::string instead = "line 41: dmflags: the file gives \"257\", server.cfg will give \"1\": dmflags: bits";
    EXPECT_EQ(edited[2].substr(0, instead.size()), instead);
}

// Bytes of any kind: every line is accounted for once, in order, and what
// the import makes of them is stable: written and read again it is the same.
TEST(ConfigImport, AnyBytesGiveAStableRecord) {
    static const char* const pieces[] = {"\r", "\n", "\r\n", "\r\r\n", "\"", "//", ";", " ", "\t", "\x00", "\xFF",
                                         "set ", "sv_maplist ", "\"6 a;TeamSwap;", "g_motd ", "map ", "dmflags 9",
                                         "// Additional Settings", "// Game Type", "g_respawn_time ", "1", "-", "x"};
    std::mt19937 engine(7);
    auto first = std::make_unique<ServerSettings>();
    auto second = std::make_unique<ServerSettings>();
    for (int round = 0; round < 150 && !HasFailure(); ++round) {
        std::string bytes;
        const int count = std::uniform_int_distribution<int>(0, 3000)(engine);
        for (int i = 0; i < count; ++i) {
            const std::size_t piece = engine() % (sizeof pieces / sizeof pieces[0]);
            bytes.append(pieces[piece], piece == 9 ? 1 : std::strlen(pieces[piece]));
        }
        const ImportReport report = ImportServerConfig(bytes, *first);
        EXPECT_EQ(report.applied + report.carried + report.superseded + report.dropped + report.comments,
                  ConsoleLines(bytes))
            << round;
        for (std::size_t i = 1; i < report.lines.size(); ++i) {
            EXPECT_LT(std::make_pair(report.lines[i - 1].number, report.lines[i - 1].command),
                      std::make_pair(report.lines[i].number, report.lines[i].command))
                << round;
        }
        const std::string written = BuildServerConfig(*first);
        const ImportReport again = ImportServerConfig(written, *second);
        EXPECT_EQ(FirstDifference(BuildServerConfig(*second), written), "") << round;
        EXPECT_EQ(again.carried + again.superseded + again.dropped, 0) << round << Described(again);
    }
}

using SettingsBackup = CoreTest;

TEST_F(SettingsBackup, CopiesTheFileBesideItOrFindsNothingToCopy) {
    const std::string ini = UserFile("Servolt.ini");
    EXPECT_TRUE(BackUpSettingsFile(ini));
    EXPECT_FALSE(FileExists(ini + ".bak"));
    WriteBytes(ini, "[Basic]\r\nServerName=one\r\n");
    EXPECT_TRUE(BackUpSettingsFile(ini));
    WriteBytes(ini, "[Basic]\r\nServerName=two\r\n");
    EXPECT_TRUE(BackUpSettingsFile(ini));
    EXPECT_EQ(ReadBytes(ini + ".bak"), "[Basic]\r\nServerName=two\r\n");
    EXPECT_FALSE(BackUpSettingsFile(UserFolder()));  // a folder cannot be read as a file
}
