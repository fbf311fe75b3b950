// The history of configurations: entries hold the files a save replaced,
// byte for byte, and a restore gives them back; a history that cannot be
// written never stops the save.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "core/history/config_diff.h"
#include "core/history/config_history.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "test_support.h"

namespace {

// The three files as they are: absent files have no key.
using Files = std::map<HistoryRole, std::string>;

class HistoryTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        // The game makes the mods folder; usedmods.cfg goes into it.
        platform::CreateFolder((UserFolder() + "\\moddir").c_str());
    }

    // After a restore: every file the entry holds as it held it, no settings
    // file where it had none, and a console script it did not hold written
    // from the settings, as write writes it.
    void ExpectRestored(const Files& kept, const std::string& what) {
        const Files now = Now();
        for (HistoryRole role : kHistoryRoles) {
            const auto found = kept.find(role);
            const std::string is = now.count(role) != 0 ? now.at(role) : "<missing>";
            if (found != kept.end()) {
                EXPECT_EQ(is, found->second) << what << " " << HistoryRoleName(role);
            } else if (role == HistoryRole::Settings) {
                EXPECT_EQ(now.count(role), 0u) << what;
            } else if (role == HistoryRole::ConsoleScript) {
                ServerSettings record;
                record.SetDefaults();
                record.ReadSettings(context_.places);
                EXPECT_EQ(is, BuildServerConfig(record)) << what;
            }
        }
    }

    Files Now() const {
        Files files;
        const std::string paths[] = {context_.places.settingsFile, context_.places.ServerConfigPath(),
                                     context_.places.UsedModsPath()};
        for (HistoryRole role : kHistoryRoles) {
            const std::string& path = paths[static_cast<int>(role)];
            if (FileExists(path)) files[role] = ReadBytes(path);
        }
        return files;
    }

    static Files Kept(const HistoryEntry& entry) {
        Files files;
        for (HistoryRole role : kHistoryRoles) {
            std::string bytes;
            if (entry.Read(role, bytes)) files[role] = bytes;
        }
        return files;
    }

    void RandomSettings(std::mt19937& random) {
        static const char* const kMods[] = {"", "alpha 1 ", "alpha 1 beta 0 ", "gamma 1 "};
        settings_->SetDefaults();
        SetField(*settings_, "ServerName", "server " + std::to_string(random() % 7));
        SetField(*settings_, "MaxPlayers", std::to_string(2 + random() % 30));
        SetField(*settings_, "ModuleUseList", kMods[random() % 4]);
    }
};

// Any sequence of saves, writes, imports, edits by hand and restores: every
// entry holds the files as they were just before the step that made it, and
// restoring any entry, then or later, gives those files back byte for byte.
TEST_F(HistoryTest, RestoreGivesBackAnEntrysFilesAfterAnySequence) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        std::map<std::string, Files> expected;  // by entry id
        std::time_t now = 1796000000 + seed * 100000;
        for (int step = 0; step < 24; ++step, now += 61) {
            const Files before = Now();
            const unsigned kind = random() % 5;
            HistoryResult kept;
            if (kind == 0) {  // the window's Save Config
                kept = KeepHistory(context_.places, "save", now, 1000);
                RandomSettings(random);
                ASSERT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
            } else if (kind == 1) {  // write: the console script from the settings file
                kept = KeepHistory(context_.places, "write", now, 1000);
                ServerSettings record;
                record.SetDefaults();
                record.ReadSettings(context_.places);
                ASSERT_TRUE(WriteServerFiles(record, context_).serverConfigWritten);
            } else if (kind == 2) {  // import: the settings file only
                kept = KeepHistory(context_.places, "import", now, 1000);
                RandomSettings(random);
                ASSERT_TRUE(settings_->WriteSettings(context_).Written());
            } else if (kind == 3 && FileExists(context_.places.ServerConfigPath())) {  // an edit by hand
                WriteBytes(context_.places.ServerConfigPath(), ReadBytes(context_.places.ServerConfigPath()) +
                                                                    "set extra " + std::to_string(step) + "\r\n");
            } else {
                const std::vector<HistoryEntry> entries = ListHistory(context_.places);
                if (entries.empty()) continue;
                const HistoryEntry& entry = entries[random() % entries.size()];
                const RestoreResult restored = RestoreHistoryEntry(context_, entry, now, 1000);
                ASSERT_TRUE(restored.restored) << "seed " << seed << " step " << step << ": "
                                               << (restored.failures.empty() ? "" : restored.failures[0].Describe());
                kept = restored.history;
                ExpectRestored(expected[entry.id], "seed " + std::to_string(seed) + " step " + std::to_string(step));
            }
            ASSERT_FALSE(kept.Failed()) << kept.error.Describe();
            if (kept.kept) expected[kept.id] = before;
        }
        const std::vector<HistoryEntry> entries = ListHistory(context_.places);
        ASSERT_EQ(entries.size(), expected.size());
        for (const HistoryEntry& entry : entries) EXPECT_EQ(Kept(entry), expected[entry.id]) << entry.id;
        const HistoryEntry& chosen = entries[std::mt19937(seed)() % entries.size()];
        ASSERT_TRUE(RestoreHistoryEntry(context_, chosen, now, 1000).restored);
        ExpectRestored(expected[chosen.id], "seed " + std::to_string(seed));
        RemoveTree(HistoryFolder(context_.places));
    }
}

TEST_F(HistoryTest, SameFilesTwiceMakeOneEntryAndTheNewestAreKept) {
    EXPECT_FALSE(KeepHistory(context_.places, "save", 1796000000).kept) << "nothing to keep yet";
    for (int i = 0; i < 6; ++i) {
        SetField(*settings_, "MaxPlayers", std::to_string(10 + i));
        ASSERT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
        EXPECT_TRUE(KeepHistory(context_.places, "save", 1796000000 + i, 3).kept);
        EXPECT_FALSE(KeepHistory(context_.places, "save", 1796000100 + i, 3).kept) << "the same files again";
    }
    const std::vector<HistoryEntry> entries = ListHistory(context_.places);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.front().number, 4u);
    EXPECT_EQ(entries.back().number, 6u);
    EXPECT_EQ(entries.back().reason, "save");
    EXPECT_EQ(entries.back().id.substr(0, 5), "0006-");
    EXPECT_EQ(FindHistoryEntry(entries, "6"), &entries.back());
    EXPECT_EQ(FindHistoryEntry(entries, entries[1].id), &entries[1]);
    EXPECT_EQ(FindHistoryEntry(entries, "2"), nullptr);
    // The manifest is CR LF text like every file the program writes.
    const std::string manifest = ReadBytes(entries.back().folder + "\\manifest.ini");
    EXPECT_EQ(manifest.substr(0, 21), "[Entry]\r\nNumber=6\r\nTi");
}

TEST_F(HistoryTest, AFailedHistoryLeavesNoEntryAndTheFilesAsTheyWere) {
    SetField(*settings_, "MaxPlayers", "12");
    ASSERT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
    const Files before = Now();
    const std::string folder = HistoryFolder(context_.places);
    struct Case {
        const char* name;
        int failingWrite;     // the block write that fails as a full disk; 0: none
        bool folderIsAFile;   // nothing can be made where the history goes
    };
    for (const Case& c : {Case{"disk full at the first file", 1, false}, Case{"disk full later", 3, false},
                          Case{"history is a file", 0, true}}) {
        if (c.folderIsAFile) {
            platform::RemoveFolder(folder.c_str());  // what the full disks left: empty
            WriteBytes(folder, "not a folder");
        }
        platform::FailFileWriteForTests(c.failingWrite);
        const HistoryResult kept = KeepHistory(context_.places, "save", 1796000000);
        platform::FailFileWriteForTests(0);
        EXPECT_TRUE(kept.Failed()) << c.name;
        EXPECT_FALSE(kept.kept) << c.name;
        EXPECT_TRUE(ListHistory(context_.places).empty()) << c.name;
        EXPECT_EQ(Now(), before) << c.name;
        if (c.folderIsAFile) {
            platform::RemoveFile(folder.c_str());
        } else {
            bool leftOver = false;
            platform::FindEntries((folder + "\\*").c_str(), [&leftOver](const platform::FoundEntry& entry) {
                leftOver = leftOver || (entry.name != "." && entry.name != "..");
            });
            EXPECT_FALSE(leftOver) << c.name << ": a partial entry is left";
        }
    }
    // The history is not needed for the save, nor for the next entry.
    SetField(*settings_, "MaxPlayers", "13");
    EXPECT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
    EXPECT_TRUE(KeepHistory(context_.places, "save", 1796000001).kept);
}

TEST(HistoryPlaces, EachSettingsFileHasItsOwnHistory) {
    ServerPlaces places;
    for (const auto& c : std::vector<std::pair<std::string, std::string>>{
             {"C:\\u\\Servolt.ini", "C:\\u\\history"},
             {"C:\\u\\servolt.INI", "C:\\u\\history"},
             {"C:\\u\\match.ini", "C:\\u\\history-match"},
             {"/srv/a/test", "/srv/a\\history-test"}}) {
        places.settingsFile = c.first;
        EXPECT_EQ(HistoryFolder(places), c.second) << c.first;
    }
}

TEST(ConfigDiff, SettingsByTheirPageLabelAndScriptLines) {
    const std::string before = "[Basic]\r\nServerName=A\r\nMaxPlayers=16\r\n[Advanced]\r\nInvicibitlity=3\r\n";
    const std::string after = "[Basic]\r\nServerName=B\r\nMaxPlayers=16\r\n[Advanced]\r\nInvicibitlity=4\r\n"
                              "[Team]\r\nNewKey=1\r\n";
    const std::vector<SettingChange> changes = DiffSettings(before, after);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].label, "Basic: Server Name");
    EXPECT_EQ(changes[0].before + ">" + changes[0].after, "A>B");
    EXPECT_EQ(changes[1].label, "Advanced: Invicibitlity") << "no label: the key";
    EXPECT_EQ(changes[2].label, "Team: NewKey");
    EXPECT_FALSE(changes[2].hadBefore);
    EXPECT_EQ(SettingLabel("Advanced", "DMSpeedMultiplier"), "Advanced: DM Speed Multiplier");
    EXPECT_TRUE(DiffSettings(before, before).empty());

    const std::vector<LineChange> lines = DiffLines("a\r\nb\r\nc\r\n", "a\r\nx\r\nc\r\nd\r\n");
    std::string shown;
    for (const LineChange& line : lines) shown += std::string(1, line.sign) + line.line + " ";
    EXPECT_EQ(shown, "-b +x +d ");
}

}  // namespace
