#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/common.h"
#include "platform/name_case.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "test_support.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

using ReplacingFiles = CoreTest;

namespace {

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    platform::FindEntries((folder + "\\*").c_str(), [&](const platform::FoundEntry& entry) {
        if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

}  // namespace

TEST(FileNameCase, FoldsTheWholeCodePageAsWindowsDoes) {
    // Capitals and their small letters in Windows-1252; × (D7) and ÷ (F7)
    // have no case, nor does any byte not listed.
    std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x8E\x9F";
    std::string lower = "abcdefghijklmnopqrstuvwxyz\x9A\x9C\x9E\xFF";
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c == 0xD7) continue;
        upper += char(c);
        lower += char(c + 0x20);
    }
    ASSERT_EQ(upper.size(), 26u + 4u + 30u);
    for (int b = 0; b < 256; ++b) {
        const std::size_t at = upper.find(char(b));
        const char expected = at == std::string::npos ? char(b) : lower[at];
        EXPECT_EQ(platform::FoldFileNameChar(char(b)), expected) << "byte " << b;
        // Folding twice changes nothing.
        EXPECT_EQ(platform::FoldFileNameChar(platform::FoldFileNameChar(char(b))), platform::FoldFileNameChar(char(b)));
    }
    EXPECT_EQ(platform::FoldedFileName("\xC9T\xC9\\\x8A.TXT"), "\xE9t\xE9\\\x9A.txt");
}

TEST(TemporaryNames, AreShortFreshAndFitWhereTheTargetFits) {
    struct Case {
        const char* target;
        std::size_t fullLength;  // of the target, as the file calls see it
        std::size_t longest;
        std::size_t nameLength;  // of the temporary name
    };
    const Case cases[] = {
        {"C:\\games\\out.rez", 16, 259, 12},          // room enough: ~sv + 5 hex + .tmp
        {"C:\\games\\a", 259, 259, 1},                // at the limit: no longer than "a"
        {"C:\\games\\abcdef", 255, 259, 6},           // 4 short of it
        {"C:\\games\\abcdefghijklmnop.rez", 259, 259, 12},  // the target's own name is longer
        {"plain", 5, 4095, 12},                       // no folder: the current one
    };
    for (const Case& c : cases) {
        std::set<std::string> seen;
        for (int i = 0; i < 50; ++i) {
            const std::string path = platform::detail::TemporaryPathFor(c.target, c.fullLength, c.longest, 7);
            const std::string target(c.target);
            const std::string folder = target.substr(0, target.size() - BaseName(target).size());
            EXPECT_EQ(path.compare(0, folder.size(), folder), 0) << path;
            const std::string name = BaseName(path);
            EXPECT_EQ(name.size(), c.nameLength) << c.target << " " << name;
            if (c.nameLength == 12) {
                EXPECT_TRUE(name.rfind("~sv", 0) == 0 && name.substr(8) == ".tmp") << name;
            }
            EXPECT_LE(c.fullLength - BaseName(target).size() + name.size(), std::max(c.longest, c.fullLength));
            seen.insert(name);
        }
        // A one-character name has few spellings; the others hardly repeat.
        if (c.nameLength > 4) {
            EXPECT_GT(seen.size(), 45u) << c.target;
        }
    }
}

TEST_F(ReplacingFiles, NothingAtTheOldTemporaryNameIsOpenedWrittenOrRemoved) {
    // Whatever sits where an earlier version put its temporary file, or
    // at a name the writer might pick, stays as it was; only the target
    // changes, and nothing else is left in the folder.
    struct Case {
        const char* what;
        bool (*plant)(const std::string& at, const std::string& outside);
    };
    const Case cases[] = {
        {"a file", [](const std::string& at, const std::string&) {
             WriteBytes(at, "left");
             return true;
         }},
        {"a folder", [](const std::string& at, const std::string&) { return platform::CreateFolder(at.c_str()); }},
#if !defined(_WIN32)
        {"a symbolic link", [](const std::string& at, const std::string& outside) {
             return symlink(platform::HostPath(outside.c_str()).c_str(), platform::HostPath(at.c_str()).c_str()) == 0;
         }},
        {"a dangling link", [](const std::string& at, const std::string&) {
             return symlink("nowhere", platform::HostPath(at.c_str()).c_str()) == 0;
         }},
        {"a hard link", [](const std::string& at, const std::string& outside) {
             return link(platform::HostPath(outside.c_str()).c_str(), platform::HostPath(at.c_str()).c_str()) == 0;
         }},
#endif
    };
    const std::string outsideFolder = root_ + "\\elsewhere";
    ASSERT_TRUE(platform::CreateFolder(outsideFolder.c_str()));
    const std::string outside = outsideFolder + "\\precious.txt";
    using Writer = bool (*)(const std::string&);
    const Writer writers[] = {
        [](const std::string& path) { return platform::ReplaceFileContents(path.c_str(), "new\r\n", 5); },
        [](const std::string& path) { return platform::WriteNewFile(path.c_str(), "new\r\n", 5, true); },
        [](const std::string& path) {
            platform::ReplacingFile file;
            return file.Open(path.c_str(), platform::TemporaryName::Fixed) && file.Write("new\r\n", 5) &&
                   file.Commit(true);
        },
    };
    int n = 0;
    for (const Case& c : cases) {
        for (const Writer write : writers) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(n));
            const std::string folder = root_ + "\\case" + std::to_string(++n);
            ASSERT_TRUE(platform::CreateFolder(folder.c_str()));
            WriteBytes(outside, "precious");
            const std::string target = folder + "\\server.cfg";
            WriteBytes(target, "old");
            ASSERT_TRUE(c.plant(target + ".tmp", outside));
            ASSERT_TRUE(write(target));
            EXPECT_EQ(ReadBytes(target), "new\r\n");
            EXPECT_EQ(ReadBytes(outside), "precious");
            EXPECT_EQ(Listing(folder), (std::vector<std::string>{"server.cfg", "server.cfg.tmp"}));
        }
    }
}

TEST_F(ReplacingFiles, AFileThatCannotBeMadeLeavesTheTargetAndNoTrace) {
    const std::string folder = root_ + "\\out";
    ASSERT_TRUE(platform::CreateFolder(folder.c_str()));
    const std::string target = folder + "\\x.rez";
    WriteBytes(target, "old");
    platform::ReplacingFile file;
    platform::FailTemporaryFileForTests(1);
    EXPECT_FALSE(file.Open(target.c_str()));
    platform::FailTemporaryFileForTests(0);
    EXPECT_EQ(platform::LastErrorCode(), 5u);  // ERROR_ACCESS_DENIED
    EXPECT_EQ(platform::LastError().path, target);
    ASSERT_TRUE(file.Open(target.c_str()));
    EXPECT_EQ(BaseName(file.TemporaryPath()).rfind("~sv", 0), 0u);
    EXPECT_TRUE(platform::PathExists(file.TemporaryPath().c_str()));
    EXPECT_TRUE(file.Write("new", 3));
    EXPECT_FALSE(file.Commit(false));  // the target is there
    EXPECT_EQ(platform::LastErrorCode(), 80u);  // ERROR_FILE_EXISTS
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"x.rez"});
}

TEST_F(ReplacingFiles, IdentityTellsOneFileUnderTwoNames) {
    const std::string a = root_ + "\\a.txt", b = root_ + "\\b.txt";
    WriteBytes(a, "a");
    WriteBytes(b, "b");
    platform::FileIdentity first, again, other;
    ASSERT_TRUE(platform::IdentifyFile(a.c_str(), first));
    ASSERT_TRUE(platform::IdentifyFile((root_ + "\\.\\a.txt").c_str(), again));
    ASSERT_TRUE(platform::IdentifyFile(b.c_str(), other));
    EXPECT_TRUE(first == again);
    EXPECT_TRUE(first != other);
    EXPECT_EQ(first.links, 1u);
    platform::FileIdentity none;
    EXPECT_FALSE(platform::IdentifyFile((root_ + "\\missing").c_str(), none));
    EXPECT_FALSE(none == none);  // unknown identities match nothing
#if !defined(_WIN32)
    ASSERT_EQ(link(platform::HostPath(a.c_str()).c_str(), platform::HostPath((root_ + "\\hard").c_str()).c_str()), 0);
    ASSERT_EQ(symlink("a.txt", platform::HostPath((root_ + "\\soft").c_str()).c_str()), 0);
    platform::FileIdentity hard, soft;
    bool elsewhere = true;
    ASSERT_TRUE(platform::IdentifyFile((root_ + "\\hard").c_str(), hard, &elsewhere));
    EXPECT_FALSE(elsewhere);
    EXPECT_TRUE(hard == first);
    EXPECT_EQ(hard.links, 2u);
    ASSERT_TRUE(platform::IdentifyFile((root_ + "\\soft").c_str(), soft, &elsewhere));
    EXPECT_TRUE(elsewhere);
    EXPECT_TRUE(soft != first);  // the link's own identity
#endif
}
