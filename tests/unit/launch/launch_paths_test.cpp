// Where the server is looked for, and what the operator is told when it
// cannot be started.
#include "core/launch/launch_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ServerLaunchPaths, ExecutableLiesInTheGameFolder) {
    ServerLaunchPaths p = ComposeServerLaunchPaths("C:\\Games\\Vantrel");
    EXPECT_EQ(p.folder, "C:\\Games\\Vantrel");
    EXPECT_EQ(p.executable, "C:\\Games\\Vantrel\\vantrel_server.exe");
    EXPECT_TRUE(p.fits);
}

TEST(ServerLaunchPaths, DriveRootGetsNoSecondBackslash) {
    ServerLaunchPaths p = ComposeServerLaunchPaths("D:\\");
    EXPECT_EQ(p.executable, "D:\\vantrel_server.exe");
    EXPECT_TRUE(p.fits);
}

TEST(ServerLaunchPaths, MaxPathBoundary) {
    const std::string name = "\\vantrel_server.exe";  // 19 characters
    // 240 + 19 = 259 characters: fits with its terminating zero.
    std::string folder = "C:\\" + std::string(237, 'a');
    ASSERT_EQ(folder.size() + name.size(), 259u);
    ServerLaunchPaths p = ComposeServerLaunchPaths(folder);
    EXPECT_TRUE(p.fits);
    EXPECT_EQ(p.executable.size(), 259u);

    // One more character and the path no longer fits; it is kept whole for
    // the message rather than cut.
    p = ComposeServerLaunchPaths(folder + "b");
    EXPECT_FALSE(p.fits);
    EXPECT_EQ(p.executable, folder + "b" + name);
}

TEST(ServerLaunchPaths, FolderTooLongForItsOwnBuffer) {
    std::string folder = "C:\\" + std::string(300, 'f');
    ServerLaunchPaths p = ComposeServerLaunchPaths(folder);
    EXPECT_FALSE(p.fits);
    EXPECT_EQ(p.executable.size(), folder.size() + 19);
    EXPECT_EQ(p.executable.substr(0, folder.size()), folder);
}

TEST(ServerLaunchPaths, UnknownFolderIsNeverStarted) {
    ServerLaunchPaths p = ComposeServerLaunchPaths("");
    EXPECT_FALSE(p.fits);
    EXPECT_EQ(p.executable, "\\vantrel_server.exe");
}

TEST(LaunchFailureText, PrefixAndPath) {
    EXPECT_EQ(ComposeLaunchFailureText("Failed to locate: ", "C:\\g\\vantrel_server.exe"),
              "Failed to locate: C:\\g\\vantrel_server.exe");
}

TEST(LaunchFailureText, CutToTheMessageBuffer) {
    std::string path(5000, 'p');
    std::string text = ComposeLaunchFailureText("Failed to locate: ", path);
    ASSERT_EQ(text.size(), 4095u);
    EXPECT_EQ(text.substr(0, 18), "Failed to locate: ");
    EXPECT_EQ(text.substr(18), std::string(4095 - 18, 'p'));
}

}  // namespace
