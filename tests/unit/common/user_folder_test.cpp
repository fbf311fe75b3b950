#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/settings/settings_file.h"
#include "core/common/user_folder.h"
#include "test_support.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using UserFolders = CoreTest;

TEST_F(UserFolders, DocumentsFolderComesFromTheLookupAndIsEmptiedOnFailure) {
    char path[kUserPathSize] = "stale";
    ASSERT_TRUE(GetDocumentsFolder(path));
    EXPECT_EQ(documents_, path);

    platform::SetDocumentsFolderUnknownForTests();
    std::string stale = "stale";
    std::copy(stale.begin(), stale.end() + 1, path);
    EXPECT_FALSE(GetDocumentsFolder(path));
    EXPECT_STREQ(path, "");
}

TEST_F(UserFolders, TheSystemLookupFindsAnExistingFolder) {
    platform::SetDocumentsFolderForTests(nullptr);
#if !defined(_WIN32)
    // The stand-in uses $HOME/Documents: point it at the test's folder.
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", root_.c_str(), 1);
#endif
    char path[kUserPathSize];
    bool found = GetDocumentsFolder(path);
#if !defined(_WIN32)
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
#endif
    ASSERT_TRUE(found);
    EXPECT_TRUE(platform::PathExists(path)) << path;
    EXPECT_NE(std::string(path).back(), '\\');
}

TEST_F(UserFolders, FilesOfTheUserFolderAreNamedByOneRule) {
    EXPECT_EQ(UserFilePath("Servolt.ini"), documents_ + "\\Brenmoor\\Vantrel(tm)\\Servolt.ini");
    EXPECT_EQ(UserFilePath("moddir\\usedmods.cfg"), documents_ + "\\Brenmoor\\Vantrel(tm)\\moddir\\usedmods.cfg");
    EXPECT_EQ(std::string(GetSettingsFilePath()), documents_ + "\\Brenmoor\\Vantrel(tm)\\Servolt.ini");

    platform::SetDocumentsFolderUnknownForTests();
    EXPECT_EQ(UserFilePath("Servolt.ini"), "\\Servolt.ini");
    EXPECT_STREQ(GetSettingsFilePath(), "\\Servolt.ini");
    EXPECT_EQ(UserFilePath("server.cfg"), "\\server.cfg");
}

TEST_F(UserFolders, PathsThatDoNotFitAreRefusedNotCut) {
    char small[16] = "x";
    EXPECT_FALSE(BuildUserFilePath("Servolt.ini", small, sizeof small));
    EXPECT_STREQ(small, "");
    char large[kUserPathSize];
    EXPECT_TRUE(BuildUserFilePath("Servolt.ini", large, sizeof large));
    EXPECT_EQ(UserFile("Servolt.ini"), large);
}

TEST_F(UserFolders, CreatesParentThenChildOnlyWhenMissing) {
    RemoveTree(documents_ + "\\Brenmoor");
    EXPECT_FALSE(FileExists(documents_ + "\\Brenmoor"));
    CreateUserFolders();
    EXPECT_TRUE(FileExists(documents_ + "\\Brenmoor"));
    EXPECT_TRUE(FileExists(UserFolder()));

    // Present folders are left alone, with their contents.
    WriteBytes(UserFile("keep.txt"), "keep");
    CreateUserFolders();
    EXPECT_EQ(ReadBytes(UserFile("keep.txt")), "keep");
}

TEST_F(UserFolders, AFileInPlaceOfTheParentCountsAsPresentAndNothingIsReported) {
    RemoveTree(documents_ + "\\Brenmoor");
    WriteBytes(documents_ + "\\Brenmoor", "not a folder");
    CreateUserFolders();
    EXPECT_EQ(ReadBytes(documents_ + "\\Brenmoor"), "not a folder");
    EXPECT_FALSE(FileExists(UserFolder()));
    EXPECT_TRUE(notices_.empty());
}

TEST_F(UserFolders, WithoutDocumentsFolderTheFoldersGoToTheRootOfTheCurrentDrive) {
    platform::SetDocumentsFolderUnknownForTests();
#if defined(_WIN32)
    // The root of the current drive of this throw-away Wine prefix.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    const std::string driveRoot = root_.substr(0, 2);
#else
    platform::posix::SetDriveRootForTests(root_.c_str());
    const std::string driveRoot = root_;
#endif
    CreateUserFolders();
    EXPECT_TRUE(FileExists("\\Brenmoor\\Vantrel(tm)"));
    EXPECT_TRUE(FileExists(driveRoot + "\\Brenmoor\\Vantrel(tm)"));
    RemoveTree(driveRoot + "\\Brenmoor");
#if defined(_WIN32)
    SetCurrentDirectoryA(previous);
#else
    platform::posix::SetDriveRootForTests(nullptr);
#endif
}
