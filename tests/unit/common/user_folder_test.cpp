#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "core/common/server_places.h"
#include "core/common/user_folder.h"
#include "test_support.h"

#if defined(_WIN32)
#include <windows.h>
#endif

using UserFolders = CoreTest;

TEST_F(UserFolders, DocumentsFolderComesFromTheLookupAndIsEmptiedOnFailure) {
    std::string path = "stale";
    ASSERT_TRUE(GetDocumentsFolder(path));
    EXPECT_EQ(documents_, path);

    platform::SetDocumentsFolderUnknownForTests();
    path = "stale";
    EXPECT_FALSE(GetDocumentsFolder(path));
    EXPECT_EQ(path, "");
}

TEST_F(UserFolders, TheSystemLookupFindsAnExistingFolder) {
    platform::SetDocumentsFolderForTests(nullptr);
#if !defined(_WIN32)
    // The stand-in uses $HOME/Documents: point it at the test's folder.
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", root_.c_str(), 1);
#endif
    std::string path;
    bool found = GetDocumentsFolder(path);
#if !defined(_WIN32)
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
#endif
    ASSERT_TRUE(found);
    EXPECT_TRUE(platform::PathExists(path.c_str())) << path;
    EXPECT_NE(path.back(), '\\');
}

TEST_F(UserFolders, FilesOfTheUserFolderAreNamedByOneRule) {
    const std::string user = documents_ + "\\Brenmoor\\Vantrel(tm)";
    const struct {
        std::string documents;  // "" unknown
        std::string user, settings, serverCfg, mods, usedMods;
    } cases[] = {
        {documents_, user, user + "\\Servolt.ini", user + "\\server.cfg", user + "\\moddir",
         user + "\\moddir\\usedmods.cfg"},
        // Without a documents folder the files lie in the root of the current drive.
        {"", "", "\\Servolt.ini", "\\server.cfg", "\\moddir", "\\moddir\\usedmods.cfg"},
    };
    for (const auto& c : cases) {
        if (c.documents.empty()) platform::SetDocumentsFolderUnknownForTests();
        for (const ServerPlaces& places : {PlacesInDocuments(c.documents, "G:\\game"), DefaultServerPlaces()}) {
            EXPECT_EQ(places.userFolder, c.user);
            EXPECT_EQ(places.settingsFile, c.settings);
            EXPECT_EQ(places.ServerConfigPath(), c.serverCfg);
            EXPECT_EQ(places.modsFolder, c.mods);
            EXPECT_EQ(places.UsedModsPath(), c.usedMods);
            EXPECT_EQ(places.winePrefix, "");
        }
    }
    std::string current;
    ASSERT_TRUE(platform::QueryCurrentFolder(current));
    EXPECT_EQ(DefaultServerPlaces().gameFolder, current);
    EXPECT_EQ(PlacesInDocuments(documents_, "G:\\game").gameFolder, "G:\\game");
}

TEST_F(UserFolders, ADocumentsFolderTooLongForItsBufferCountsAsUnknownNotCut) {
    const std::string longest(kUserPathSize, 'd');
    platform::SetDocumentsFolderForTests(longest.c_str());
    std::string path;
    EXPECT_FALSE(GetDocumentsFolder(path));
    EXPECT_EQ(path, "");
    EXPECT_EQ(DefaultServerPlaces().settingsFile, "\\Servolt.ini");
    const std::string fits(kUserPathSize - 1, 'd');
    platform::SetDocumentsFolderForTests(fits.c_str());
    EXPECT_TRUE(GetDocumentsFolder(path));
    EXPECT_EQ(DefaultServerPlaces().userFolder, fits + "\\Brenmoor\\Vantrel(tm)");
}

TEST_F(UserFolders, CreatesParentThenChildOnlyWhenMissing) {
    RemoveTree(documents_ + "\\Brenmoor");
    EXPECT_FALSE(FileExists(documents_ + "\\Brenmoor"));
    CreateUserFolders(UserFolder());
    EXPECT_TRUE(FileExists(documents_ + "\\Brenmoor"));
    EXPECT_TRUE(FileExists(UserFolder()));

    // Present folders are left alone, with their contents.
    WriteBytes(UserFile("keep.txt"), "keep");
    CreateUserFolders(UserFolder());
    EXPECT_EQ(ReadBytes(UserFile("keep.txt")), "keep");
}

TEST_F(UserFolders, AFileInPlaceOfTheParentCountsAsPresentAndNothingIsReported) {
    RemoveTree(documents_ + "\\Brenmoor");
    WriteBytes(documents_ + "\\Brenmoor", "not a folder");
    CreateUserFolders(UserFolder());
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
    CreateUserFolders(DefaultServerPlaces().userFolder);
    EXPECT_TRUE(FileExists("\\Brenmoor\\Vantrel(tm)"));
    EXPECT_TRUE(FileExists(driveRoot + "\\Brenmoor\\Vantrel(tm)"));
    RemoveTree(driveRoot + "\\Brenmoor");
#if defined(_WIN32)
    SetCurrentDirectoryA(previous);
#else
    platform::posix::SetDriveRootForTests(nullptr);
#endif
}
