// Packing folders into archives: what the reader gets back, what the four
// methods store, and trees refused or failing without a trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "archive_test_support.h"
#include "core/archive/entry_name.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

using archive_test::Bytes;
using archive_test::ReadWhole;
using rezwriter::Method;

// A folder of its own in the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() : path_(archive_test::TempFile::NewPath() + ".d") { platform::CreateFolder(path_.c_str()); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes files below `root` (names with "/"), making folders on the way.
// Narrow names throughout, so that they reach the file system as packing
// reads them back (the ANSI code page on Windows).
void MakeTree(const std::string& root, const std::map<std::string, std::string>& files) {
    for (const auto& [name, data] : files) {
        for (std::size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
            platform::CreateFolder((root + "/" + name.substr(0, slash)).c_str());
        if (!IsFolderEntryName(name)) {
            ASSERT_TRUE(rezwriter::WriteFile(root + "/" + name, Bytes(data.begin(), data.end()))) << name;
        }
    }
}

std::string FileText(const std::string& path) {
    std::string data;
    platform::ReadFileContents(path.c_str(), data);
    return data;
}

// Entry name -> stored size, from the directory of an archive the reader opened.
std::map<std::string, std::uint32_t> StoredSizes(const std::string& path) {
    ResourceArchive archive(path.c_str(), "");
    const std::string text = FileText(path);
    const Bytes bytes(text.begin(), text.end());
    std::map<std::string, std::uint32_t> sizes;
    for (std::uint32_t i = 0; archive.IsOpen() && i < archive.GetEntryCount(); ++i) {
        const NameIndexEntry* entry = archive.GetIndexEntry(i);
        sizes[entry->name] = rezwriter::GetU32(bytes, rezwriter::kHeaderSize + entry->record + 4);
    }
    return sizes;
}

// The tree the property runs on: empty files and an empty folder, a folder
// chain as long as a name may be, every byte a name may hold, and contents
// that compress well, poorly and not at all.
std::map<std::string, std::string> GeneratedTree(const std::string& root, unsigned seed) {
    std::mt19937 random(seed);
    std::map<std::string, std::string> files;
    files["empty.txt"] = "";
    files["folder/empty"] = "";
    files["nothing here/"] = "";
    // Under Windows the whole path must stay within MAX_PATH.
#if defined(_WIN32)
    const std::size_t longest = 250 - root.size();
#else
    (void)root;
    const std::size_t longest = kNameLengthLimit;
#endif
    std::string chain;
    while (chain.size() + 11 < longest) chain += "deep" + std::to_string(chain.size() % 7) + "folder/";
    files[chain + std::string(longest - chain.size(), 'z')] = "at the end of the chain";
    std::string allowed;
    for (int b = 0x20; b <= 0xFF; ++b) {
        const std::string name = std::string("n") + char(b) + "n";
        if (EntryNameProblem(name).empty() && b != '/' && b != '\\') allowed += char(b);
    }
    // A prefix of its own for each file: no two names differ in letter case only.
    for (std::size_t at = 0; at < allowed.size(); at += 24)
        files["bytes/" + std::to_string(at) + "-" + allowed.substr(at, 24) + "-"] = allowed.substr(at, 24);
    for (int i = 0; i < 8; ++i) {
        const std::size_t size = random() % 30000;
        std::string data;
        switch (i % 4) {
        case 0: data = archive_test::MixedData(size, seed + i); break;
        case 1: data.assign(size, char(random())); break;
        case 2: for (std::size_t k = 0; k < size; ++k) data += char(random()); break;
        default: for (std::size_t k = 0; k < size; ++k) data += char(k / 200 % 3 ? random() % 4 : 'r'); break;
        }
        files["data/kind" + std::to_string(i % 4) + "/file" + std::to_string(i) + ".bin"] = data;
    }
    return files;
}

TEST(PackFolder, EveryMethodReadsBackAndBestIsNeverLarger) {
    for (unsigned seed : {1u, 2u}) {
        TempFolder tree;
        const auto files = GeneratedTree(tree.path(), seed);
        MakeTree(tree.path(), files);
        TempFolder out;
        std::map<Method, std::map<std::string, std::uint32_t>> stored;
        for (Method method : {Method::None, Method::Lzss, Method::Rle, Method::Best}) {
            const std::string archivePath = out / ("m" + std::to_string(int(method)) + ".rez");
            const rezwriter::PackResult result = rezwriter::PackFolder(tree.path(), archivePath, method);
            ASSERT_TRUE(result.written) << (result.problems.empty() ? "" : result.problems[0].reason);
            EXPECT_EQ(result.entries, files.size());
            EXPECT_EQ(result.archiveBytes, FileText(archivePath).size());

            ResourceArchive archive(archivePath.c_str(), "");
            ASSERT_TRUE(archive.IsOpen());
            ASSERT_EQ(archive.GetEntryCount(), files.size());
            for (const auto& [name, data] : files) EXPECT_EQ(ReadWhole(archive, name.c_str()), data) << name;
            stored[method] = StoredSizes(archivePath);
            std::uint64_t storedSum = 0;
            for (const auto& item : stored[method]) storedSum += item.second;
            EXPECT_EQ(result.storedBytes, storedSum);
            if (method == Method::None) {
                for (const auto& [name, data] : files) EXPECT_EQ(stored[method][name], data.size()) << name;
            }
        }
        for (const auto& [name, data] : files) {
            for (Method method : {Method::None, Method::Lzss, Method::Rle})
                EXPECT_LE(stored[Method::Best][name], stored[method][name]) << name;
        }
    }
}

TEST(PackFolder, SameTreeGivesTheSameBytesAndTheArchiveInsideIsLeftOut) {
    TempFolder tree;
    MakeTree(tree.path(), {{"b.txt", "bbb"}, {"a/c.txt", std::string(500, 'c')}, {"out.rez.tmp", "stale"}});
    const std::string inside = tree / "out.rez";
    const rezwriter::PackResult first = rezwriter::PackFolder(tree.path(), inside, Method::Best);
    ASSERT_TRUE(first.written);
    EXPECT_EQ(first.skipped.size(), 1u);  // the stale temporary file
    const std::string bytes = FileText(inside);
    // Now out.rez itself lies in the tree as well.
    const rezwriter::PackResult second = rezwriter::PackFolder(tree.path(), inside, Method::Best);
    ASSERT_TRUE(second.written);
    EXPECT_EQ(FileText(inside), bytes);
    EXPECT_EQ(second.entries, 2u);
    EXPECT_EQ(second.skipped.size(), 2u);  // the archive, and the stale file still there
    // The writer's own temporary file is gone; a file that was there is
    // neither written nor removed.
    EXPECT_EQ(FileText(inside + ".tmp"), "stale");
    std::size_t files = 0;
    platform::FindEntries((tree.path() + "\\*").c_str(), [&](const platform::FoundEntry& e) { files += !e.isFolder; });
    EXPECT_EQ(files, 3u);  // b.txt, out.rez, out.rez.tmp
}

TEST(PackFolder, AFailedWriteLeavesTheOldArchiveAndNoTemporaryFile) {
    TempFolder tree;
    MakeTree(tree.path(), {{"a.bin", archive_test::MixedData(20000, 3)}});
    TempFolder out;
    const std::string target = out / "x.rez";
    ASSERT_TRUE(rezwriter::WriteFile(target, Bytes{'o', 'l', 'd'}));
    for (int block : {1, 3}) {
        platform::FailFileWriteForTests(block);
        const rezwriter::PackResult result = rezwriter::PackFolder(tree.path(), target, Method::None);
        platform::FailFileWriteForTests(0);
        EXPECT_FALSE(result.written);
        ASSERT_EQ(result.problems.size(), 1u);
        EXPECT_EQ(result.problems[0].subject, target);
        EXPECT_EQ(result.problems[0].reason, "cannot be written");
        EXPECT_EQ(result.problems[0].error.code, 112u);  // a full disk
        EXPECT_EQ(FileText(target), "old");
        EXPECT_FALSE(platform::PathExists((target + ".tmp").c_str()));
    }
    const rezwriter::PackResult missing = rezwriter::PackFolder(tree / "missing", target, Method::None);
    EXPECT_FALSE(missing.written);
    EXPECT_EQ(FileText(target), "old");

    // An empty folder is no failure: its archive opens with no entries.
    TempFolder empty;
    ASSERT_TRUE(rezwriter::PackFolder(empty.path(), target, Method::Best).written);
    ResourceArchive archive(target.c_str(), "");
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.GetEntryCount(), 0u);
}

TEST(PackFolder, AMemberThatCannotBeReadIsNamedWithTheSystemsReason) {
    // The tree changes between listing and reading: after the first entry
    // is packed, the second goes away or becomes a folder.
    struct Case {
        const char* what;
        unsigned long code;  // the Windows error both platforms report
        const char* reason;
        void (*change)(const std::string& path);
    };
    const Case cases[] = {
        {"removed", 2, "no longer exists", [](const std::string& path) { std::filesystem::remove(path); }},
        {"a folder now", 5, "cannot be read",
         [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         }},
    };
    for (const Case& c : cases) {
        TempFolder tree;
        MakeTree(tree.path(), {{"dir/a.txt", "a"}, {"dir/b.txt", "b"}});
        TempFolder out;
        const std::string target = out / "x.rez";
        ASSERT_TRUE(rezwriter::WriteFile(target, Bytes{'o', 'l', 'd'}));
        const auto change = [&](const ArchiveProgress& done) {
            if (done.entriesDone == 1) c.change(tree / "dir/b.txt");
        };
        const rezwriter::PackResult result = rezwriter::PackFolder(tree.path(), target, Method::Best, change);
        EXPECT_FALSE(result.written) << c.what;
        ASSERT_EQ(result.problems.size(), 1u) << c.what;
        const rezwriter::PackProblem& problem = result.problems[0];
        EXPECT_EQ(problem.subject, "dir/b.txt") << c.what;
        EXPECT_EQ(problem.reason, c.reason) << c.what;
        EXPECT_EQ(problem.error.code, c.code) << c.what;
        EXPECT_FALSE(problem.error.text.empty()) << c.what;
        EXPECT_EQ(problem.error.text.find("error "), std::string::npos) << c.what << ": " << problem.error.text;
        EXPECT_EQ(FileText(target), "old") << c.what;
        EXPECT_FALSE(platform::PathExists((target + ".tmp").c_str())) << c.what;
    }
}

#if !defined(_WIN32)
// Names the Linux file system takes and Windows would not, and links: only
// a POSIX host can make them.
TEST(PackFolder, RefusedTreesAreRefusedWholeBeforeAnythingIsWritten) {
    TempFolder tree;
    const std::string tooLong = std::string(200, 'f') + "/" + std::string(kNameLengthLimit - 200, 'g');
    MakeTree(tree.path(), {{"good.txt", "fine"}, {"what?.txt", "x"}, {"maps/CON", "x"}, {"trailing.", "x"},
                           {"Same.txt", "x"}, {"same.txt", "x"}, {"back\\slash", "x"}, {tooLong, "x"}});
    TempFolder out;
    const std::string target = out / "x.rez";
    ASSERT_TRUE(rezwriter::WriteFile(target, Bytes{'o', 'l', 'd'}));
    const rezwriter::PackResult result = rezwriter::PackFolder(tree.path(), target, Method::Best);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.problems.size(), 6u);
    for (const char* name : {"what?.txt", "maps/CON", "trailing.", "same.txt", "back\\slash", "fffff"}) {
        bool named = false;
        for (const rezwriter::PackProblem& problem : result.problems)
            named = named || problem.subject.find(name) != std::string::npos;
        EXPECT_TRUE(named) << name;
    }
    EXPECT_EQ(FileText(target), "old");
    EXPECT_FALSE(platform::PathExists((target + ".tmp").c_str()));
}

TEST(PackFolder, LinksAreNeitherFollowedNorPacked) {
    TempFolder tree;
    TempFolder elsewhere;
    MakeTree(tree.path(), {{"real.txt", "real"}});
    MakeTree(elsewhere.path(), {{"secret.txt", "secret"}});
    ASSERT_EQ(symlink(elsewhere.path().c_str(), (tree / "folder-link").c_str()), 0);
    ASSERT_EQ(symlink((elsewhere / "secret.txt").c_str(), (tree / "file-link").c_str()), 0);
    TempFolder out;
    const rezwriter::PackResult result = rezwriter::PackFolder(tree.path(), out / "x.rez", Method::Best);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.entries, 1u);
    EXPECT_EQ(result.skipped.size(), 2u);
}
#endif

}  // namespace
