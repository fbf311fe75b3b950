#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/usedmods/used_mods.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/servercfg/save_configuration.h"
#include "test_support.h"

class UsedMods : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_TRUE(platform::CreateFolder(UserFile("moddir").c_str()));
    }
    std::string UsedModsPath() const { return UserFile("moddir\\usedmods.cfg"); }
    // The record's mods in the test's context; true when written or nothing to write.
    bool WriteUsedMods() { return ::WriteUsedMods(settings_->ModuleUseList, context_, error_); }
    platform::Error error_;
};

TEST_F(UsedMods, OneLinePerModTopFirstWithDescendingPriorities) {
    std::strcpy(settings_->ModuleUseList, "x 0 y 1 ");
    WriteUsedMods();
    EXPECT_EQ(ReadBytes(UsedModsPath()),
              "<use priority=\"4\" downloadable=\"false\">x</use>\r\n"
              "<use priority=\"2\" downloadable=\"true\">y</use>\r\n");

    std::strcpy(settings_->ModuleUseList, "a 1 b 0 c 0 ");
    WriteUsedMods();
    EXPECT_EQ(ReadBytes(UsedModsPath()),
              "<use priority=\"6\" downloadable=\"true\">a</use>\r\n"
              "<use priority=\"4\" downloadable=\"false\">b</use>\r\n"
              "<use priority=\"2\" downloadable=\"false\">c</use>\r\n");
    EXPECT_TRUE(notices_.empty());
}

TEST_F(UsedMods, AnyMarkButZeroIsDownloadableAndAMissingFinalMarkIsZero) {
    EXPECT_EQ(BuildUsedMods("a 2 b"),
              "<use priority=\"4\" downloadable=\"true\">a</use>\r\n"
              "<use priority=\"2\" downloadable=\"false\">b</use>\r\n");
    EXPECT_EQ(BuildUsedMods("   a   0   "), "<use priority=\"2\" downloadable=\"false\">a</use>\r\n");
}

TEST_F(UsedMods, NamesAreEscapedForXml) {
    EXPECT_EQ(BuildUsedMods("R&D<1>\"q\"'s 1 "),
              "<use priority=\"2\" downloadable=\"true\">R&amp;D&lt;1&gt;&quot;q&quot;&apos;s</use>\r\n");
}

// An old file would go on loading the mods the operator took out: with no
// mod in use an existing file is emptied, and none is made where none was.
TEST_F(UsedMods, NoModInUseEmptiesAnExistingFileAndMakesNone) {
    struct Case {
        const char* list;
        bool existed;
    };
    for (const Case& c : {Case{"", true}, Case{"    ", true}, Case{"", false}, Case{"  ", false}}) {
        SCOPED_TRACE(std::string("list \"") + c.list + "\", file " + (c.existed ? "present" : "absent"));
        platform::RemoveFile(UsedModsPath().c_str());
        if (c.existed) WriteBytes(UsedModsPath(), "<use priority=\"2\" downloadable=\"true\">old</use>\r\n");
        std::strcpy(settings_->ModuleUseList, c.list);
        EXPECT_TRUE(WriteUsedMods());
        EXPECT_EQ(FileExists(UsedModsPath()), c.existed);
        if (c.existed) EXPECT_EQ(ReadBytes(UsedModsPath()), "");
        // The whole save does the same.
        if (c.existed) WriteBytes(UsedModsPath(), "old");
        ASSERT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
        EXPECT_EQ(FileExists(UsedModsPath()), c.existed);
        if (c.existed) EXPECT_EQ(ReadBytes(UsedModsPath()), "");
    }
    EXPECT_TRUE(notices_.empty());
}

TEST_F(UsedMods, EmptyingAFileThatCannotBeWrittenIsReported) {
    WriteBytes(UsedModsPath(), "previous");
    settings_->ModuleUseList[0] = '\0';
    // The file is replaced through a temporary beside it, which cannot be
    // made, as in a folder that may not be written.
    platform::FailTemporaryFileForTests(1);
    EXPECT_FALSE(WriteUsedMods());
    platform::FailTemporaryFileForTests(0);
    EXPECT_EQ(ReadBytes(UsedModsPath()), "previous");
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].text, "Could not open file: " + UsedModsPath());
}

TEST_F(UsedMods, AnUnwritableFileIsReportedAndTheSaveStillSucceeds) {
    RemoveTree(UserFile("moddir"));
    std::strcpy(settings_->ModuleUseList, "a 1 ");
    const SaveResult result = SaveConfiguration(*settings_, context_);
    EXPECT_TRUE(result.serverConfigWritten);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].path, UsedModsPath());
    EXPECT_EQ(result.failures[0].code, 3u);  // ERROR_PATH_NOT_FOUND
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].owner, platform::BoxOwner::MainWindow);
    EXPECT_EQ(notices_[0].text, "Could not open file: " + UsedModsPath());
    EXPECT_EQ(notices_[0].caption, "Mod configuration not saved");
    EXPECT_EQ(notices_[0].style, 0x30u);
    EXPECT_EQ(notices_[0].file, UsedModsPath());
    EXPECT_FALSE(ReadBytes(UserFile("server.cfg")).empty());
}

TEST_F(UsedMods, AWriteErrorKeepsThePreviousFile) {
    WriteBytes(UsedModsPath(), "previous");
    std::strcpy(settings_->ModuleUseList, "a 1 ");
    platform::FailFileWriteForTests(1);
    EXPECT_FALSE(WriteUsedMods());
    EXPECT_EQ(error_.code, 112u);  // ERROR_DISK_FULL
    EXPECT_EQ(error_.path, UsedModsPath());
    EXPECT_EQ(ReadBytes(UsedModsPath()), "previous");
    EXPECT_FALSE(FileExists(UsedModsPath() + ".tmp"));
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].text, "Could not open file: " + UsedModsPath());
}

TEST_F(UsedMods, WrittenBySaveOnlyAfterServerCfg) {
    std::strcpy(settings_->ModuleUseList, "m 0 ");
    ASSERT_TRUE(SaveConfiguration(*settings_, context_).serverConfigWritten);
    EXPECT_EQ(ReadBytes(UsedModsPath()), "<use priority=\"2\" downloadable=\"false\">m</use>\r\n");
}
