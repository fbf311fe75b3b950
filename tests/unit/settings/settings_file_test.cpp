#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/settings/settings_file.h"
#include "core/common/server_places.h"
#include "core/common/user_folder.h"
#include "test_support.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#endif

namespace {

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A field's value as bytes: a text up to its NUL, a number or flag as its
// bit pattern.
std::string ValueBytes(const char (&text)[kSettingsTextSize]) { return text; }
template <class T>
std::string ValueBytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// Field-by-field equality with a readable difference; texts compared up to
// their NUL, floats by bit pattern.
std::string Difference(const ServerSettings& a, const ServerSettings& b) {
    const SettingKey* keys = SettingKeys();
    const auto bytes = [](const auto& value) { return ValueBytes(value); };
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (VisitField(a, keys[i].field, bytes) != VisitField(b, keys[i].field, bytes)) return keys[i].key;
    }
    return std::string();
}

// Sections and keys of a settings file, as "[Section]" and key names.
std::vector<std::string> Layout(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find("\r\n", start);
        if (end == std::string::npos) end = file.size();
        std::string line = file.substr(start, end - start);
        lines.push_back(line[0] == '[' ? line : line.substr(0, line.find('=')));
        start = end + 2;
    }
    return lines;
}

std::string RandomText(std::mt19937& random) {
    static const char* const pieces[] = {"\r\n", "\\", "n", "\\n", "\"", "'", " ", "  ", "\t", "a", "Z",
                                         "=", ";", "[x]", "%s", "%d", "\x92", "\xE9", "C:\\new", "q"};
    std::string text;
    std::size_t count = random() % 40;
    for (std::size_t i = 0; i < count; ++i) text += pieces[random() % (sizeof pieces / sizeof *pieces)];
    return text;
}

void RandomValue(char (&field)[kSettingsTextSize], std::mt19937& random) {
    std::string text = RandomText(random);
    std::memcpy(field, text.c_str(), text.size() + 1);
}
void RandomValue(std::int32_t& field, std::mt19937& random) {
    std::int32_t choices[] = {0, -1, 1, INT32_MIN, INT32_MAX, static_cast<std::int32_t>(random())};
    field = choices[random() % 6];
}
void RandomValue(float& field, std::mt19937& random) {
    // Multiples of 1/64 survive the six decimals exactly.
    field = static_cast<float>(static_cast<std::int32_t>(random() % 2000001) - 1000000) / 64.0f;
}
void RandomValue(bool& field, std::mt19937& random) { field = random() % 2 == 1; }

void Randomize(ServerSettings& settings, std::mt19937& random) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        VisitField(settings, keys[i].field, [&](auto& field) { RandomValue(field, random); });
    }
}

}  // namespace

// ---- The profile functions (real ones under Wine, the stand-in natively) ----

using ProfileFunctions = CoreTest;

TEST_F(ProfileFunctions, TrimOnWriteUnquoteOnReadCutToSizeAndDefaultWhenMissing) {
    const std::string path = UserFile("p.ini");
    char buffer[64];
    EXPECT_EQ(platform::ReadProfileString("S", "k", "def", buffer, sizeof buffer, path.c_str()), 3u);
    EXPECT_STREQ(buffer, "def");

    ASSERT_TRUE(platform::WriteProfileString("S", "k", "  a  ", path.c_str()));
    EXPECT_EQ(platform::ReadProfileString("S", "k", "", buffer, sizeof buffer, path.c_str()), 1u);
    EXPECT_STREQ(buffer, "a");
    ASSERT_TRUE(platform::WriteProfileString("S", "k", "\"q\"", path.c_str()));
    platform::ReadProfileString("S", "k", "", buffer, sizeof buffer, path.c_str());
    EXPECT_STREQ(buffer, "q");
    ASSERT_TRUE(platform::WriteProfileString("S", "k", "'q'", path.c_str()));
    platform::ReadProfileString("S", "k", "", buffer, sizeof buffer, path.c_str());
    EXPECT_STREQ(buffer, "q");
    ASSERT_TRUE(platform::WriteProfileString("S", "k", "x=y;z\tw", path.c_str()));
    platform::ReadProfileString("S", "k", "", buffer, sizeof buffer, path.c_str());
    EXPECT_STREQ(buffer, "x=y;z\tw");

    ASSERT_TRUE(platform::WriteProfileString("S", "long", "0123456789", path.c_str()));
    EXPECT_EQ(platform::ReadProfileString("S", "long", "", buffer, 5, path.c_str()), 4u);
    EXPECT_STREQ(buffer, "0123");

    ASSERT_TRUE(platform::WriteProfileString("S", "empty", "", path.c_str()));
    EXPECT_EQ(platform::ReadProfileString("S", "empty", "-", buffer, sizeof buffer, path.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(platform::ReadProfileString("S", "missing", "-", buffer, sizeof buffer, path.c_str()), 1u);
    EXPECT_EQ(platform::ReadProfileString("T", "k", "-", buffer, sizeof buffer, path.c_str()), 1u);
}

TEST_F(ProfileFunctions, NewFileHasSectionsInOrderWithCrLfAndExistingLinesStay) {
    const std::string path = UserFile("p.ini");
    ASSERT_TRUE(platform::WriteProfileString("A", "one", "1", path.c_str()));
    ASSERT_TRUE(platform::WriteProfileString("B", "two", "2", path.c_str()));
    ASSERT_TRUE(platform::WriteProfileString("A", "three", "3", path.c_str()));
    ASSERT_TRUE(platform::WriteProfileString("B", "two", "22", path.c_str()));
    EXPECT_EQ(ReadBytes(path), "[A]\r\none=1\r\nthree=3\r\n[B]\r\ntwo=22\r\n");
    char buffer[16];
    platform::ReadProfileString("a", "ONE", "", buffer, sizeof buffer, path.c_str());
    EXPECT_STREQ(buffer, "1");
}

TEST_F(ProfileFunctions, WritingIntoAMissingFolderFailsWithPathNotFound) {
    const std::string path = documents_ + "\\missing\\p.ini";
    EXPECT_FALSE(platform::WriteProfileString("S", "k", "v", path.c_str()));
    EXPECT_EQ(platform::LastErrorCode(), 3u);
    EXPECT_FALSE(platform::SystemErrorText(3).empty());
    EXPECT_FALSE(FileExists(path));
}

// ---- Servolt.ini ---------------------------------------------------------------

using SettingsFile = CoreTest;

TEST_F(SettingsFile, KeyTableHas158KeysInNineSectionsWithTheirKinds) {
    const SettingKey* keys = SettingKeys();
    int perSection[9] = {};
    int perKind[4] = {};
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        ++perSection[static_cast<int>(keys[i].section)];
        ++perKind[static_cast<int>(keys[i].field.kind)];
        if (i > 0) {
            EXPECT_LE(static_cast<int>(keys[i - 1].section), static_cast<int>(keys[i].section));
        }
    }
    const int sections[9] = {20, 21, 15, 25, 21, 2, 24, 25, 5};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(perSection[i], sections[i]) << SettingsSectionName(i);
    EXPECT_EQ(perKind[0], 10);
    EXPECT_EQ(perKind[1], 83);
    EXPECT_EQ(perKind[2], 29);
    EXPECT_EQ(perKind[3], 36);
    EXPECT_STREQ(SettingsSectionName(2), "Advanced2");
    EXPECT_STREQ(SettingsSectionName(8), "Mods");
    EXPECT_STREQ(SettingsSectionName(9), "");
    EXPECT_STREQ(SettingsSectionName(-1), "");
}

TEST_F(SettingsFile, DefaultsMatchTheFactoryValues) {
    EXPECT_STREQ(settings_->ServerName, "Nameless Battle");
    EXPECT_STREQ(settings_->TeamKillWarning, "MP:DefaultTeamKillWarnMessage");
    EXPECT_EQ(std::strlen(settings_->MapRotationList), 187u);
    EXPECT_STREQ(settings_->AbleGroupName, "Able");
    EXPECT_STREQ(settings_->ModuleUseList, "");
    EXPECT_EQ(Bits(settings_->LandmineSpotMultStand), 0x3EA8F5C3u);
    EXPECT_EQ(Bits(settings_->LandmineSpottingNarrowness), 0x3F59999Au);
    EXPECT_EQ(settings_->FFAAlliedPistol, -1);
    EXPECT_EQ(settings_->InactiveKick, 900);
    EXPECT_TRUE(settings_->PeaceWarmup);
    EXPECT_FALSE(settings_->InvertObjectiveNumbers);
    EXPECT_EQ(settings_->LandmineDefuseTime, -1.0f);

    ServerSettings twice = *settings_;
    std::strcpy(twice.ServerName, "changed");
    twice.GameType = 7;
    twice.SetDefaults();
    twice.SetDefaults();
    EXPECT_EQ(Difference(twice, *settings_), "");
}

TEST_F(SettingsFile, FreshFileIsTheExpectedFileWithNineSectionsAnd158KeysInOrder) {
    EXPECT_FALSE(FileExists(UserFile("Servolt.ini")));
    settings_->WriteSettings(context_);
    const std::string written = ReadBytes(UserFile("Servolt.ini"));
    EXPECT_EQ(written, ReadGolden("default_settings.ini"));

    std::vector<std::string> layout = Layout(written);
    ASSERT_EQ(layout.size(), 158u + 9u);
    const SettingKey* keys = SettingKeys();
    std::size_t line = 0;
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (i == 0 || keys[i].section != keys[i - 1].section) {
            EXPECT_EQ(layout[line++], "[" + std::string(SettingsSectionName(static_cast<int>(keys[i].section))) + "]");
        }
        EXPECT_EQ(layout[line++], keys[i].key);
    }
    EXPECT_TRUE(notices_.empty());
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndCreatesNothing) {
    std::strcpy(settings_->ServerName, "edited");
    settings_->ReadSettings(context_.places);
    EXPECT_STREQ(settings_->ServerName, "Nameless Battle");
    EXPECT_FALSE(FileExists(UserFile("Servolt.ini")));
}

TEST_F(SettingsFile, ReadRulesForNumbersAndFlags) {
    WriteBytes(UserFile("Servolt.ini"),
               "[Basic]\r\nGameType=12abc\r\nHealRate=abc\r\nMaxPlayers=\r\nTimeLimit=  -42\r\n"
               "FragLimit=99999999999\r\nHealthDrop=2\r\nBackpackDrop=true\r\nWeaponDrop=yes\r\n"
               "RealisticMode=1\r\nFastRunSpeed= 1\r\nFriendlyFire=01\r\nInfiniteAmmo=\r\n"
               "[Advanced]\r\nSpawnDelay=2.5xyz\r\nDMSpeedMultiplier=abc\r\nRetreatTime=1e3\r\n"
               "RetreatDelay=\r\n[Weapons]\r\nMGCoolRate=1e39\r\n[Explosives]\r\nLandmineSpotMultStand=0.330000\r\n"
               "ExplosivesArmTime=-1e300\r\n");
    settings_->ReadSettings(context_.places);
    EXPECT_EQ(settings_->GameType, 12);
    EXPECT_EQ(settings_->HealRate, 0);
    EXPECT_EQ(settings_->MaxPlayers, 16);  // empty keeps the value
    EXPECT_EQ(settings_->TimeLimit, -42);
    EXPECT_EQ(settings_->FragLimit, INT32_MAX);
    EXPECT_FALSE(settings_->HealthDrop);
    EXPECT_FALSE(settings_->BackpackDrop);
    EXPECT_FALSE(settings_->WeaponDrop);
    EXPECT_TRUE(settings_->RealisticMode);
    EXPECT_TRUE(settings_->FastRunSpeed);
    EXPECT_TRUE(settings_->FriendlyFire);
    EXPECT_TRUE(settings_->InfiniteAmmo);
    EXPECT_EQ(settings_->SpawnDelay, 2.5f);
    EXPECT_EQ(settings_->DMSpeedMultiplier, 0.0f);
    EXPECT_EQ(settings_->RetreatTime, 1000.0f);
    EXPECT_EQ(settings_->RetreatDelay, 0.0f);
    EXPECT_EQ(Bits(settings_->LandmineSpotMultStand), 0x3EA8F5C3u);
    // Beyond the float range: held at the largest float, never infinity,
    // whose "inf" would not read back.
    EXPECT_EQ(settings_->MGCoolRate, FLT_MAX);
    EXPECT_EQ(settings_->ExplosivesArmTime, -FLT_MAX);
    // Keys the file does not hold keep their defaults.
    EXPECT_STREQ(settings_->ServerName, "Nameless Battle");
    EXPECT_EQ(settings_->InactiveKick, 900);
}

TEST_F(SettingsFile, FloatsAreStoredWithSixDecimals) {
    settings_->SpawnDelay = 0.0000001f;
    settings_->RetreatTime = 10.0f;
    settings_->LandmineDefuseTime = -1.0f;
    settings_->WriteSettings(context_);
    std::string file = ReadBytes(UserFile("Servolt.ini"));
    EXPECT_NE(file.find("\r\nSpawnDelay=0.000000\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nRetreatTime=10.000000\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nLandmineDefuseTime=-1.000000\r\n"), std::string::npos);
    ServerSettings loaded;
    loaded.SetDefaults();
    loaded.ReadSettings(context_.places);
    EXPECT_EQ(loaded.SpawnDelay, 0.0f);
    EXPECT_EQ(Bits(loaded.LandmineSpottingNarrowness), 0x3F59999Au);
}

TEST_F(SettingsFile, TextsComeBackExactlyAsSaved) {
    const char* const texts[] = {
        "exec cfg\\night.cfg",  "C:\\new",  "\\n", "a\\\\nb",       "line one\r\nline two\r\n", "\\",
        "  both ends  ",        "\"q\"",    "'q'", "\"half",        "end\"",                   " ",
        "x=y;z",                "\t tab\t", "",    "ends in \\",    "\r\n",                    "\\\\server\\share",
    };
    for (const char* text : texts) {
        std::strcpy(settings_->AdditionalOptions, text);
        std::strcpy(settings_->ServerName, text);
        settings_->WriteSettings(context_);
        ServerSettings loaded;
        loaded.SetDefaults();
        loaded.ReadSettings(context_.places);
        EXPECT_STREQ(loaded.AdditionalOptions, text);
        EXPECT_STREQ(loaded.ServerName, text);
    }
    EXPECT_TRUE(notices_.empty());
}

TEST_F(SettingsFile, LineBreaksAreStoredAsBackslashNOnOneLine) {
    std::strcpy(settings_->AdditionalOptions, "set a 1\r\nset b 2");
    std::strcpy(settings_->WelcomeMessage, "C:\\new");
    settings_->WriteSettings(context_);
    std::string file = ReadBytes(UserFile("Servolt.ini"));
    EXPECT_NE(file.find("\r\nAdditionalOptions=set a 1\\nset b 2\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nWelcomeMessage=C:\\\\new\r\n"), std::string::npos);
}

TEST_F(SettingsFile, FilesOfEarlierVersionsReadAsBefore) {
    // Single backslashes not followed by n stand for themselves; \n is a line
    // break.
    WriteBytes(UserFile("Servolt.ini"),
               "[Basic]\r\nServerName=C:\\temp\\x\r\nWelcomeMessage=one\\ntwo\\n\r\n"
               "[Advanced]\r\nAdditionalOptions=\"quoted\"\r\n");
    settings_->ReadSettings(context_.places);
    EXPECT_STREQ(settings_->ServerName, "C:\\temp\\x");
    EXPECT_STREQ(settings_->WelcomeMessage, "one\r\ntwo\r\n");
    EXPECT_STREQ(settings_->AdditionalOptions, "quoted");
}

TEST_F(SettingsFile, AClearedTextStaysClearedOnlyAMissingKeyKeepsTheDefault) {
    settings_->ServerName[0] = '\0';
    settings_->MapRotationList[0] = '\0';
    settings_->AbleGroupName[0] = '\0';
    settings_->WriteSettings(context_);
    ServerSettings loaded;
    loaded.SetDefaults();
    loaded.ReadSettings(context_.places);
    EXPECT_STREQ(loaded.ServerName, "");
    EXPECT_STREQ(loaded.MapRotationList, "");
    EXPECT_STREQ(loaded.AbleGroupName, "");
    EXPECT_STREQ(loaded.BakerGroupName, "Baker");

    WriteBytes(UserFile("Servolt.ini"), "[Basic]\r\nServerPassword=x\r\n[Maps]\r\nMapName=\r\n");
    loaded.SetDefaults();
    loaded.ReadSettings(context_.places);
    EXPECT_STREQ(loaded.ServerName, "Nameless Battle");
    EXPECT_STREQ(loaded.ServerPassword, "x");
    EXPECT_STREQ(loaded.MapName, "");
    EXPECT_EQ(std::strlen(loaded.MapRotationList), 187u);
}

TEST_F(SettingsFile, LongestTextsSurviveEvenWhenTheirStoredFormIsLonger) {
    std::string backslashes(4095, '\\');
    std::strcpy(settings_->AdditionalOptions, backslashes.c_str());
    std::string breaks;
    while (breaks.size() + 2 <= 4095) breaks += "\r\n";
    std::strcpy(settings_->WelcomeMessage, breaks.c_str());
    settings_->WriteSettings(context_);
    ServerSettings loaded;
    loaded.SetDefaults();
    loaded.ReadSettings(context_.places);
    EXPECT_EQ(std::string(loaded.AdditionalOptions), backslashes);
    EXPECT_EQ(std::string(loaded.WelcomeMessage), breaks);
}

TEST_F(SettingsFile, AnOverlongValueWrittenByHandIsCutAtTheFieldNotBeyondIt) {
    std::string value(6000, 'v');
    WriteBytes(UserFile("Servolt.ini"), "[Basic]\r\nServerName=" + value + "\r\n");
    settings_->ReadSettings(context_.places);
    EXPECT_EQ(std::string(settings_->ServerName), value.substr(0, 4095));
}

TEST_F(SettingsFile, SaveThenFreshLoadGivesTheSameRecord) {
    std::mt19937 random(20261207);
#if defined(_WIN32)
    const int rounds = 40;  // the real profile functions under Wine take about 0.1 s per save and load
#else
    const int rounds = 150;
#endif
    for (int round = 0; round < rounds; ++round) {
        Randomize(*settings_, random);
        settings_->WriteSettings(context_);
        ServerSettings loaded;
        loaded.SetDefaults();
        loaded.ReadSettings(context_.places);
        ASSERT_EQ(Difference(loaded, *settings_), "") << "round " << round;
    }
    EXPECT_TRUE(notices_.empty());
}

TEST_F(SettingsFile, AnUnwritableFileIsReportedOnceAndEveryKeyIsStillTried) {
    RemoveTree(UserFolder());
    settings_->WriteSettings(context_);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].owner, platform::BoxOwner::None);
    EXPECT_EQ(notices_[0].caption, "Error while reading or writing INI");
    EXPECT_EQ(notices_[0].style, 0u);
    const std::string expected = "WriteSettingsString failed with error 3: " + platform::SystemErrorText(3);
    EXPECT_EQ(notices_[0].text, expected);
    EXPECT_EQ(notices_[0].file, context_.places.settingsFile);

    // A second save reports again, once.
    settings_->WriteSettings(context_);
    EXPECT_EQ(notices_.size(), 2u);
}

// The result names every key that did not reach the file, with the system's
// reason, and the one notice carries the first.
TEST_F(SettingsFile, AFailedSaveNamesEachKeyWithTheReason) {
    const struct {
        const char* name;
        void (*spoil)(const std::string& settingsFile);
        unsigned long code;
    } cases[] = {
        {"missing folder", [](const std::string& file) { RemoveTree(file.substr(0, file.rfind('\\'))); }, 3},
        {"folder in its place", [](const std::string& file) { platform::CreateFolder(file.c_str()); }, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.spoil(context_.places.settingsFile);
        const SettingsWriteResult result = settings_->WriteSettings(context_);
        EXPECT_FALSE(result.Written());
        ASSERT_EQ(result.failures.size(), kSettingKeyCount);
        const SettingKey* keys = SettingKeys();
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
            const SettingsKeyFailure& failure = result.failures[i];
            EXPECT_STREQ(failure.key, keys[i].key);
            EXPECT_STREQ(failure.section, SettingsSectionName(static_cast<int>(keys[i].section)));
            EXPECT_EQ(failure.error.code, c.code) << failure.key;
            EXPECT_EQ(failure.error.path, context_.places.settingsFile);
            EXPECT_FALSE(failure.error.text.empty());
        }
        ASSERT_EQ(notices_.size(), 1u);
        EXPECT_EQ(notices_[0].error.code, c.code);
        EXPECT_EQ(notices_[0].error.Describe(), result.failures[0].error.Describe());
    }
    notices_.clear();
    TearDown();
    SetUp();
    EXPECT_TRUE(settings_->WriteSettings(context_).Written());
}

TEST_F(SettingsFile, APathBeyondMaxPathIsRefusedAndNoKeyLandsElsewhere) {
    const std::string tail = "\\Brenmoor\\Vantrel(tm)\\Servolt.ini";
    const std::string fits = documents_ + "\\" + std::string(259 - tail.size() - documents_.size() - 1, 'f');
    context_.places = PlacesInDocuments(fits, root_);
    EXPECT_EQ(context_.places.settingsFile, fits + tail);
    EXPECT_EQ(std::string(SettingsProfile(context_.places.settingsFile).ProfilePath()), fits + tail);
    EXPECT_EQ(std::strlen(SettingsProfile(context_.places.settingsFile).ProfilePath()), 259u);

    const std::string over = fits + "g";
    ASSERT_TRUE(platform::CreateFolder(over.c_str()));
    context_.places = PlacesInDocuments(over, root_);
    CreateUserFolders(context_.places.userFolder);
    EXPECT_STREQ(SettingsProfile(context_.places.settingsFile).ProfilePath(), "");

    std::vector<std::string> before;
    platform::FindEntries(".\\*", [&](const platform::FoundEntry& entry) { before.push_back(entry.name); });
    settings_->WriteSettings(context_);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].text, "WriteSettingsString failed with error 206: " + platform::SystemErrorText(206));
    std::vector<std::string> after;
    platform::FindEntries(".\\*", [&](const platform::FoundEntry& entry) { after.push_back(entry.name); });
    EXPECT_EQ(after, before);

    std::strcpy(settings_->ServerName, "edited");
    settings_->ReadSettings(context_.places);
    EXPECT_STREQ(settings_->ServerName, "Nameless Battle");
}

TEST_F(SettingsFile, WithoutDocumentsFolderTheFileLivesInTheRootOfTheCurrentDrive) {
    platform::SetDocumentsFolderUnknownForTests();
    context_.places = DefaultServerPlaces();
    EXPECT_EQ(context_.places.settingsFile, "\\Servolt.ini");
#if !defined(_WIN32)
    platform::posix::SetDriveRootForTests(root_.c_str());
    settings_->GameType = 0;
    settings_->WriteSettings(context_);
    EXPECT_TRUE(FileExists(root_ + "\\Servolt.ini"));
    ServerSettings loaded;
    loaded.SetDefaults();
    loaded.ReadSettings(context_.places);
    EXPECT_EQ(loaded.GameType, 0);
    platform::posix::SetDriveRootForTests(nullptr);
#endif
}

TEST_F(SettingsFile, ASaveKeepsToTheFileOfItsContextAndANewContextAsksAgain) {
    // Servolt.ini is a folder, so every key fails and the error is reported
    // part-way through the save; while its box is up, Documents moves.
    ASSERT_TRUE(platform::CreateFolder(UserFile("Servolt.ini").c_str()));
    const std::string moved = root_ + "\\Moved";
    const std::string movedFile = moved + "\\Brenmoor\\Vantrel(tm)\\Servolt.ini";
    ASSERT_TRUE(platform::CreateFolder(moved.c_str()));
    int boxes = 0;
    context_.places = DefaultServerPlaces();
    context_.notices = [moved, &boxes](const Notice&) {
        ++boxes;
        platform::SetDocumentsFolderForTests(moved.c_str());
        CreateUserFolders(DefaultServerPlaces().userFolder);
        return 1;
    };
    settings_->WriteSettings(context_);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(FileExists(movedFile));

    context_.places = DefaultServerPlaces();
    settings_->GameType = 0;
    settings_->WriteSettings(context_);
    EXPECT_EQ(boxes, 1);
    settings_->SetDefaults();
    settings_->ReadSettings(context_.places);
    EXPECT_EQ(settings_->GameType, 0);
    EXPECT_EQ(Layout(ReadBytes(movedFile)).size(), kSettingKeyCount + 9);
}

TEST(SettingsText, EncodingOfStoredValues) {
    EXPECT_EQ(EncodeSettingsText("plain"), "plain");
    EXPECT_EQ(EncodeSettingsText("a\r\nb"), "a\\nb");
    EXPECT_EQ(EncodeSettingsText("C:\\new"), "C:\\\\new");
    EXPECT_EQ(EncodeSettingsText(" x"), "\" x\"");
    EXPECT_EQ(EncodeSettingsText("\"q\""), "\"\"q\"\"");
    EXPECT_EQ(EncodeSettingsText(""), "");
    char field[kSettingsTextSize];
    DecodeSettingsText("a\\nb\\\\nc\\x", field);
    EXPECT_STREQ(field, "a\r\nb\\nc\\x");
}

TEST(SettingsText, DecodingAnyValueStaysInsideTheField) {
    std::mt19937 random(11);
    const char alphabet[] = {'\\', '\\', 'n', 'x', '\r', '\n', '"'};
    char field[kSettingsTextSize + 16];
    for (int round = 0; round < 300; ++round) {
        std::string value;
        std::size_t length = random() % 9000;
        for (std::size_t i = 0; i < length; ++i) value += alphabet[random() % sizeof alphabet];
        std::memset(field, 0x55, sizeof field);
        DecodeSettingsText(value.c_str(), field);
        const std::size_t decoded = std::strlen(field);
        ASSERT_LE(decoded, kSettingsTextSize - 1);
        for (std::size_t i = kSettingsTextSize; i < sizeof field; ++i) ASSERT_EQ(field[i], 0x55);
        // Texts that fit come back from their encoding exactly.
        if (value.size() < kSettingsTextSize && value.find('\r') == std::string::npos &&
            value.find('\n') == std::string::npos) {
            std::string stored = EncodeSettingsText(value.c_str());
            if (stored.size() > 1 && stored.front() == '"' && stored != value) stored = stored.substr(1, stored.size() - 2);
            DecodeSettingsText(stored.c_str(), field);
            ASSERT_EQ(std::string(field), value);
        }
    }
}

#if !defined(_WIN32)
// The POSIX platform writes a save once, at its end, through a new file
// beside the old one; when that cannot be made, the save is reported once
// and the old file stays whole. (Windows writes in place.)
TEST_F(SettingsFile, ASaveThatCannotReplaceTheFileIsReportedOnceAndKeepsIt) {
    const std::string old = "[Basic]\r\nGameType=0\r\n";
    WriteBytes(UserFile("Servolt.ini"), old);
    // The new file cannot be made, as in a folder that may not be written.
    platform::FailTemporaryFileForTests(1);
    settings_->WriteSettings(context_);
    platform::FailTemporaryFileForTests(0);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].text.rfind("WriteSettingsString failed with error ", 0), 0u) << notices_[0].text;
    EXPECT_EQ(ReadBytes(UserFile("Servolt.ini")), old);

    notices_.clear();
    settings_->WriteSettings(context_);
    EXPECT_TRUE(notices_.empty());
    EXPECT_EQ(ReadBytes(UserFile("Servolt.ini")).substr(0, 41), "[Basic]\r\nGameType=2\r\nServerName=Nameless ");
}

// A file read before is read again when it changed, even with its size and
// time put back as they were.
TEST_F(SettingsFile, AFileChangedBehindTheReadersBackIsReadAgain) {
    const std::string path = UserFile("Servolt.ini");
    const std::string host = platform::HostPath(path.c_str());
    const timespec anHourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    char value[8];
    for (const char* digit : {"1", "2", "3"}) {
        WriteBytes(path, std::string("[Basic]\r\nGameType=") + digit + "\r\n");
        ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), anHourAgo, 0), 0);
        platform::ReadProfileString("Basic", "GameType", "", value, sizeof value, path.c_str());
        EXPECT_STREQ(value, digit);
        settings_->ReadSettings(context_.places);
        EXPECT_EQ(settings_->GameType, std::atoi(digit));
    }
}
#endif
