#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/common/user_folder.h"
#include "core/settings/settings_file.h"
#include "test_support.h"

namespace {
// The first difference, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    if (i == actual.size() && i == expected.size()) return "";
    std::size_t from = i > 60 ? i - 60 : 0;
    return "at byte " + std::to_string(i) + "\n  actual:   ..." + actual.substr(from, 120) +
           "\n  expected: ..." + expected.substr(from, 120);
}

std::string Section(void (*writer)(std::string&, const ServerSettings&), const ServerSettings& settings) {
    std::string out;
    writer(out, settings);
    return out;
}
}  // namespace

class ServerConfig : public CoreTest {
protected:
    SaveResult result_;
    // Saves the test's record in its context; true when server.cfg was written.
    bool Save() {
        result_ = SaveConfiguration(*settings_, context_);
        return result_.serverConfigWritten;
    }
};

TEST_F(ServerConfig, EveryGoldenCaseIsWrittenByteForByte) {
    std::vector<GoldenCase> cases = ReadGoldenCases();
    ASSERT_GE(cases.size(), 10u);
    for (const GoldenCase& golden : cases) {
        ServerSettings settings;
        settings.SetDefaults();
        for (const auto& change : golden.overrides) {
            ASSERT_TRUE(SetField(settings, change.first, change.second)) << golden.name << ": " << change.first;
        }
        const std::string expected = ExpectedServerConfig(golden.name);
        ASSERT_FALSE(expected.empty()) << golden.name;
        EXPECT_EQ(FirstDifference(BuildServerConfig(settings), expected), "") << golden.name;
    }
}

TEST_F(ServerConfig, SaveWritesSettingsThenServerCfgInTheUserFolder) {
    ASSERT_TRUE(Save());
    EXPECT_EQ(FirstDifference(ReadBytes(UserFile("server.cfg")), ReadGolden("default.cfg")), "");
    EXPECT_EQ(ReadBytes(UserFile("Servolt.ini")), ReadGolden("default_settings.ini"));
    EXPECT_FALSE(FileExists(UserFile("server.cfg.tmp")));
    EXPECT_TRUE(notices_.empty());

    // Saving again with the same settings gives the same bytes.
    const std::string first = ReadBytes(UserFile("server.cfg"));
    ASSERT_TRUE(Save());
    EXPECT_EQ(ReadBytes(UserFile("server.cfg")), first);
}

TEST_F(ServerConfig, FileStartsWithTheServerNameAndEndsWithTheDeathMatchFlags) {
    const std::string file = BuildServerConfig(*settings_);
    const std::string head = "// Server Name\r\n";
    EXPECT_EQ(file.compare(0, head.size(), head), 0);
    const std::string tail = "set dmflags 0\r\n";
    EXPECT_EQ(file.compare(file.size() - tail.size(), tail.size(), tail), 0);
}

TEST_F(ServerConfig, DeathMatchFlagSums) {
    EXPECT_EQ(DeathmatchFlags(*settings_), 0);
    settings_->NoFallingDamage = settings_->WeaponStay = settings_->AllowLean = settings_->NoFootsteps = true;
    EXPECT_EQ(DeathmatchFlags(*settings_), 393228);
    settings_->NoHealth = settings_->NoArmor = settings_->NoPowerups = settings_->InstantItems = true;
    EXPECT_EQ(DeathmatchFlags(*settings_), 395295);
    settings_->SetDefaults();
    settings_->NoArmor = true;
    EXPECT_EQ(DeathmatchFlags(*settings_), 0x800);
}

TEST_F(ServerConfig, HealthDropCvarFollowsGameTypeAndClasses) {
    const struct {
        int gameType;
        bool disableClasses;
        const char* cvar;
    } cases[] = {{0, true, "set g_healthdrop 1\n"},
                 {1, true, "set dm_classesDeathDropHealth 1\n"},
                 {2, true, "set dm_classesDeathDropHealth 1\n"},
                 {5, true, "set dm_classesDeathDropHealth 1\n"},
                 {1, false, "set g_healthdrop 1\n"}};
    for (const auto& c : cases) {
        settings_->GameType = c.gameType;
        settings_->DisableClasses = c.disableClasses;
        EXPECT_NE(Section(WriteBasicSection, *settings_).find(c.cvar), std::string::npos) << c.gameType;
    }
}

TEST_F(ServerConfig, MapLinesForEachCombinationOfStartMapAndRotation) {
    settings_->MapName[0] = '\0';
    settings_->MapRotationList[0] = '\0';
    EXPECT_EQ(Section(WriteMapSection, *settings_), "");

    std::strcpy(settings_->MapName, "maps/dm/x");
    EXPECT_EQ(Section(WriteMapSection, *settings_), "\n// Map\n// Starting map on the rotation.\nmap \"maps/dm/x\"\n");

    settings_->MapName[0] = '\0';
    std::strcpy(settings_->MapRotationList, "maps/dm/a 0 maps/dm/b 1 ");
    settings_->GameType = 0;
    EXPECT_EQ(Section(WriteMapSection, *settings_),
              "\n// Map\n// Starting map on the rotation.\nmap \"maps/dm/a\"\n"
              "\n// Map Rotation List\nsv_maplist \"1 maps/dm/a;1 maps/dm/b;TeamSwap;\"\n");
    // Without the final blank the same.
    std::strcpy(settings_->MapRotationList, "maps/dm/a 0 maps/dm/b 1");
    EXPECT_EQ(BuildMapListValue(*settings_), "1 maps/dm/a;1 maps/dm/b;TeamSwap;");
    settings_->GameType = 5;
    EXPECT_EQ(BuildMapListValue(*settings_), "maps/dm/a;maps/dm/b;TeamSwap;");

    // A rotation of blanks holds no map: nothing is written for it.
    std::strcpy(settings_->MapRotationList, "     ");
    EXPECT_EQ(Section(WriteMapSection, *settings_), "");
}

TEST_F(ServerConfig, ARotationLongerThanItsOldBufferIsWrittenWhole) {
    std::string rotation;
    int pairs = 0;
    while (rotation.size() + 12 < kSettingsTextSize) {
        rotation += "m" + std::to_string(pairs % 10000) + " 1 ";
        ++pairs;
    }
    std::strcpy(settings_->MapRotationList, rotation.c_str());
    settings_->GameType = 2;
    const std::string value = BuildMapListValue(*settings_);
    EXPECT_GT(value.size(), 4095u);
    std::size_t swaps = 0;
    for (std::size_t at = value.find("TeamSwap;"); at != std::string::npos; at = value.find("TeamSwap;", at + 1))
        ++swaps;
    EXPECT_EQ(swaps, static_cast<std::size_t>(pairs));
    EXPECT_EQ(value.compare(value.size() - 9, 9, "TeamSwap;"), 0);
    ASSERT_TRUE(Save());
    EXPECT_NE(ReadBytes(UserFile("server.cfg")).find("sv_maplist \"" + value + "\"\r\n"), std::string::npos);
}

TEST_F(ServerConfig, TextsGoOutVerbatimAndInnerLineBreaksBecomeCrCrLf) {
    std::strcpy(settings_->AdditionalOptions, "exec a.cfg\r\nexec b.cfg");
    const std::string bytes = ToTextModeBytes(Section(WriteAdvancedSection, *settings_));
    EXPECT_NE(bytes.find("custom options.\r\nexec a.cfg\r\r\nexec b.cfg\r\n\r\n// Inactive Spectate"),
              std::string::npos);
    settings_->AdditionalOptions[0] = '\0';
    EXPECT_NE(Section(WriteAdvancedSection, *settings_).find("custom options.\n\n\n// Inactive"),
              std::string::npos);
}

TEST_F(ServerConfig, AFailedWriteKeepsThePreviousFileAndIsReported) {
    WriteBytes(UserFile("server.cfg"), "previous");
    const std::string path = UserFile("server.cfg");
    for (int failingBlock : {1, 2, 4}) {
        notices_.clear();
        platform::FailFileWriteForTests(failingBlock);
        EXPECT_FALSE(Save()) << failingBlock;
        EXPECT_EQ(ReadBytes(path), "previous");
        EXPECT_FALSE(FileExists(path + ".tmp"));
        ASSERT_EQ(notices_.size(), 1u);
        EXPECT_EQ(notices_[0].owner, platform::BoxOwner::MainWindow);
        EXPECT_EQ(notices_[0].text, "Can not write configuration to: " + path);
        EXPECT_EQ(notices_[0].caption, "Launch aborted");
        EXPECT_EQ(notices_[0].style, 0x30u);
        EXPECT_EQ(notices_[0].file, path);
        EXPECT_EQ(notices_[0].error.code, 112u);  // ERROR_DISK_FULL
        ASSERT_EQ(result_.failures.size(), 1u);
        EXPECT_EQ(result_.failures[0].path, path);
        EXPECT_EQ(result_.failures[0].code, 112u);
        EXPECT_TRUE(result_.settings.Written());
    }
    // The settings file was written all the same.
    EXPECT_EQ(ReadBytes(UserFile("Servolt.ini")), ReadGolden("default_settings.ini"));
}

TEST_F(ServerConfig, AMissingUserFolderFailsTheSaveAndWritesNoUsedMods) {
    RemoveTree(UserFolder());
    std::strcpy(settings_->ModuleUseList, "a 1 ");
    EXPECT_FALSE(Save());
    // One box for the settings file, one for server.cfg; none for usedmods.cfg.
    ASSERT_EQ(notices_.size(), 2u);
    EXPECT_EQ(notices_[1].text, "Can not write configuration to: " + UserFile("server.cfg"));
    EXPECT_FALSE(FileExists(UserFolder()));
    // The result names both files, each with the system's reason.
    ASSERT_EQ(result_.failures.size(), 2u);
    EXPECT_EQ(result_.failures[0].path, UserFile("Servolt.ini"));
    EXPECT_EQ(result_.failures[1].path, UserFile("server.cfg"));
    for (const platform::Error& error : result_.failures) {
        EXPECT_EQ(error.code, 3u) << error.path;  // ERROR_PATH_NOT_FOUND
        EXPECT_FALSE(error.text.empty());
    }
    EXPECT_EQ(result_.settings.failures.size(), kSettingKeyCount);
}

TEST_F(ServerConfig, APathBeyondMaxPathIsRefusedWithTheSameMessage) {
    std::string deep = documents_;
    while (deep.size() < 240) deep += "\\deeper-folder";
    std::string made = documents_;
    for (std::size_t at = documents_.size() + 1; at <= deep.size(); ++at) {
        if (at == deep.size() || deep[at] == '\\') platform::CreateFolder(deep.substr(0, at).c_str());
    }
    context_.places = PlacesInDocuments(deep, root_);
    CreateUserFolders(context_.places.userFolder);
    std::string path;
    EXPECT_FALSE(GetServerConfigPath(context_.places, path));
    EXPECT_EQ(path, deep + "\\Brenmoor\\Vantrel(tm)\\server.cfg");
    EXPECT_FALSE(Save());
    ASSERT_FALSE(notices_.empty());
    EXPECT_EQ(notices_.back().text, "Can not write configuration to: " + path);
    EXPECT_FALSE(FileExists(path));
    ASSERT_FALSE(result_.failures.empty());
    EXPECT_EQ(result_.failures.back().path, path);
    EXPECT_EQ(result_.failures.back().code, 206u);  // ERROR_FILENAME_EXCED_RANGE
}

TEST_F(ServerConfig, WithoutDocumentsFolderServerCfgIsNamedInTheDriveRoot) {
    platform::SetDocumentsFolderUnknownForTests();
    std::string path;
    EXPECT_TRUE(GetServerConfigPath(DefaultServerPlaces(), path));
    EXPECT_EQ(path, "\\server.cfg");
}
