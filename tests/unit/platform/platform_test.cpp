#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "test_support.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bounded_call.h"
#endif

using Platform = CoreTest;

namespace {
std::vector<std::string> Names(const std::string& pattern, bool* found = nullptr) {
    std::vector<std::string> names;
    bool ok = platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& entry) {
        names.push_back(entry.name + (entry.isFolder ? "/" : ""));
    });
    if (found) *found = ok;
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST_F(Platform, FindEntriesMatchesWildcardsWithoutRegardToCaseAndReportsFolders) {
    WriteBytes(root_ + "\\a.bsp", "");
    WriteBytes(root_ + "\\B.BSP", "");
    WriteBytes(root_ + "\\c.rez", "");
    WriteBytes(root_ + "\\a.bspx", "");
    ASSERT_TRUE(platform::CreateFolder((root_ + "\\sub").c_str()));

    // As on Windows, a three-letter extension also finds longer ones.
    EXPECT_EQ(Names(root_ + "\\*.bsp"), (std::vector<std::string>{"B.BSP", "a.bsp", "a.bspx"}));
    EXPECT_EQ(Names(root_ + "\\a.*"), (std::vector<std::string>{"a.bsp", "a.bspx"}));
    EXPECT_EQ(Names(root_ + "\\?.REZ"), (std::vector<std::string>{"c.rez"}));
    EXPECT_EQ(Names(root_ + "\\*"),
              (std::vector<std::string>{"../", "./", "B.BSP", "Documents/", "a.bsp", "a.bspx", "c.rez", "sub/"}));

    bool found = true;
    EXPECT_TRUE(Names(root_ + "\\*.none", &found).empty());
    EXPECT_FALSE(found);
    EXPECT_TRUE(Names(root_ + "\\missing\\*", &found).empty());
    EXPECT_FALSE(found);
}

TEST_F(Platform, ReplaceFileContentsCreatesOrReplacesWholeFilesOnly) {
    const std::string path = root_ + "\\out.bin";
    std::string big(3 * platform::ReplaceWriteBlockSize + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(platform::ReplaceFileContents(path.c_str(), big.data(), big.size()));
    EXPECT_EQ(ReadBytes(path), big);
    ASSERT_TRUE(platform::ReplaceFileContents(path.c_str(), "\r\nx", 3));
    EXPECT_EQ(ReadBytes(path), "\r\nx");
    ASSERT_TRUE(platform::ReplaceFileContents(path.c_str(), "", 0));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(FileExists(path));

    platform::FailFileWriteForTests(4);
    EXPECT_FALSE(platform::ReplaceFileContents(path.c_str(), big.data(), big.size()));
    EXPECT_EQ(platform::LastErrorCode(), 112u);  // ERROR_DISK_FULL
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_FALSE(FileExists(path + ".tmp"));
    // The injected failure happens once.
    EXPECT_TRUE(platform::ReplaceFileContents(path.c_str(), big.data(), big.size()));

    const std::string missing = root_ + "\\missing\\out.bin";
    EXPECT_FALSE(platform::ReplaceFileContents(missing.c_str(), "x", 1));
    EXPECT_EQ(platform::LastErrorCode(), 3u);  // ERROR_PATH_NOT_FOUND
}

TEST_F(Platform, FoldersFilesAndTheCurrentFolder) {
    const std::string folder = root_ + "\\made";
    EXPECT_FALSE(platform::PathExists(folder.c_str()));
    EXPECT_TRUE(platform::CreateFolder(folder.c_str()));
    EXPECT_TRUE(platform::PathExists(folder.c_str()));
    EXPECT_FALSE(platform::CreateFolder(folder.c_str()));
    EXPECT_FALSE(platform::CreateFolder((root_ + "\\no\\such").c_str()));

    const std::string file = folder + "\\f.txt";
    EXPECT_FALSE(platform::CanOpenForReading(file.c_str()));
    WriteBytes(file, "abc");
    EXPECT_TRUE(platform::CanOpenForReading(file.c_str()));
    EXPECT_TRUE(platform::RemoveFile(file.c_str()));
    EXPECT_FALSE(platform::PathExists(file.c_str()));

    std::string current;
    EXPECT_TRUE(platform::QueryCurrentFolder(current));
    EXPECT_FALSE(current.empty());
}

TEST(MessageBoxes, TheHookReceivesOwnerTextCaptionAndStyleAndAnswers) {
    struct RecordedBox {
        platform::BoxOwner owner;
        std::string text;
        std::string caption;
        unsigned style;
    };
    std::vector<RecordedBox> boxes;
    platform::SetMessageBoxHook([&](platform::BoxOwner owner, const std::string& text, const std::string& caption,
                                    unsigned style) {
        boxes.push_back(RecordedBox{owner, text, caption, style});
        return 2;  // IDCANCEL
    });
    platform::SetMainWindowHandle(nullptr);
    EXPECT_EQ(platform::ShowMessageBox(platform::BoxOwner::MainWindow, "text", "caption", 0x31), 2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, platform::BoxOwner::MainWindow);
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[0].style, 0x31u);
    platform::SetMessageBoxHook([](platform::BoxOwner, const std::string&, const std::string&, unsigned) {
        ADD_FAILURE() << "unexpected message box";
        return 1;
    });
}

#if !defined(_WIN32)
// A FIFO, links that lead nowhere or in a circle, and a folder, where files
// are expected: nothing waits, nothing passes for a file.
TEST_F(Platform, FilesThatAreNoFilesNeitherHoldUpNorPassForFiles) {
    const std::string pipe = root_ + "\\pipe.rez";
    const std::string hostPipe = platform::HostPath(pipe.c_str());
    ASSERT_EQ(mkfifo(hostPipe.c_str(), 0666), 0);
    ASSERT_EQ(symlink("nowhere.bsp", platform::HostPath((root_ + "\\gone.bsp").c_str()).c_str()), 0);
    ASSERT_EQ(symlink("loop.bsp", platform::HostPath((root_ + "\\loop.bsp").c_str()).c_str()), 0);
    ASSERT_TRUE(platform::CreateFolder((root_ + "\\folder.rez").c_str()));
    WriteBytes(root_ + "\\real.bsp", "[S]\r\nk=v\r\n");

    std::vector<std::string> kinds;
    platform::FindEntries((root_ + "\\*.*").c_str(), [&](const platform::FoundEntry& entry) {
        const char* kind = entry.isFolder ? " folder" : entry.isFile ? " file" : " other";
        if (entry.name[0] != '.') kinds.push_back(entry.name + kind);
    });
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (std::vector<std::string>{"Documents folder", "folder.rez folder", "gone.bsp other",
                                               "loop.bsp other", "pipe.rez other", "real.bsp file"}));

    // Opening the FIFO's writing end lets a reader that waits for one go on.
    const auto release = [&] {
        const int fd = open(hostPipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    };
    for (const char* name : {"pipe.rez", "gone.bsp", "loop.bsp", "folder.rez", "real.bsp"}) {
        SCOPED_TRACE(name);
        const std::string path = root_ + "\\" + name;
        const bool real = std::string(name) == "real.bsp";
        EXPECT_EQ(WithinTenSeconds<bool>([&] { return platform::CanOpenForReading(path.c_str()); }, release), real);
        std::string data;
        EXPECT_EQ(WithinTenSeconds<bool>([&] { return platform::ReadFileContents(path.c_str(), data); }, release),
                  real);
        EXPECT_EQ(WithinTenSeconds<bool>([&] { return platform::ReadOnlyFile().Open(path.c_str()); }, release), real);
        char value[8];
        const auto read = [&] { return platform::ReadProfileString("S", "k", "-", value, sizeof value, path.c_str()); };
        EXPECT_EQ(WithinTenSeconds<unsigned long>(read, release), 1u);
        EXPECT_STREQ(value, real ? "v" : "-");
    }
    // A write refuses what is no file rather than replacing it.
    for (const char* name : {"pipe.rez", "folder.rez"}) {
        const std::string path = root_ + "\\" + name;
        EXPECT_FALSE(platform::WriteProfileString("S", "k", "w", path.c_str())) << name;
        EXPECT_EQ(platform::LastErrorCode(), 5u) << name;  // ERROR_ACCESS_DENIED
    }
    struct stat info;
    ASSERT_EQ(lstat(hostPipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// A profile write, call by call or at a session's end, replaces the file a
// link leads to (the link stays) with one of the same permissions.
TEST_F(Platform, AProfileWriteKeepsTheLinkAndThePermissions) {
    const std::string real = root_ + "\\real.ini", link = root_ + "\\link.ini";
    const std::string hostReal = platform::HostPath(real.c_str()), hostLink = platform::HostPath(link.c_str());
    WriteBytes(real, "[S]\r\nk=old\r\n");
    ASSERT_EQ(chmod(hostReal.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", hostLink.c_str()), 0);
    for (const char* value : {"one", "two"}) {
        SCOPED_TRACE(value);
        {
            platform::ProfileSession session(value[0] == 't' ? link.c_str() : nullptr);
            EXPECT_TRUE(platform::WriteProfileString("S", "k", value, link.c_str()));
            EXPECT_TRUE(session.Commit());
        }
        struct stat info;
        ASSERT_EQ(lstat(hostLink.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode));
        ASSERT_EQ(stat(hostReal.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(ReadBytes(real), "[S]\r\nk=" + std::string(value) + "\r\n");
        EXPECT_FALSE(FileExists(real + ".tmp"));
    }
}
#endif
