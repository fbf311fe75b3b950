// Unpacking archives from strangers: every kind of refusal, checked by the
// exact set of files under a throw-away root once the extraction is over.
// The extraction folder lies one level below the root, so that a file
// written beside it or above it shows up in that set.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "archive_test_support.h"
#include "core/archive/archive_extract.h"

namespace {

namespace fs = std::filesystem;
using archive_test::Bytes;
using archive_test::TempFile;
using rezwriter::Entry;
using rezwriter::GetU32;
using rezwriter::Method;
using rezwriter::PutU32;
using rezwriter::RecordOffset;
using Tree = std::map<std::string, std::string>;  // path below the root -> bytes, "<folder>" or "<link>"

class Root {
public:
    Root() : path_(fs::path(TempFile::NewPath()).replace_extension("")) { fs::create_directories(path_); }
    ~Root() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;
    const fs::path& path() const { return path_; }
    std::string Out() const { return (path_ / "out").string(); }

    // Everything below the root, links not followed.
    Tree Contents() const {
        Tree tree;
        for (auto it = fs::recursive_directory_iterator(path_); it != fs::recursive_directory_iterator(); ++it) {
            const std::string relative = fs::relative(it->path(), path_).generic_string();
            if (it->is_symlink()) tree[relative] = "<link>";
            else if (it->is_directory()) tree[relative] = "<folder>";
            else tree[relative] = Read(it->path());
        }
        return tree;
    }
    static std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::string& relative, const std::string& bytes) const {
        fs::create_directories((path_ / relative).parent_path());
        std::ofstream(path_ / relative, std::ios::binary) << bytes;
    }

private:
    fs::path path_;
};

ExtractResult Extract(const Bytes& bytes, const Root& root, bool force = false,
                      std::vector<std::string> patterns = {}) {
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    EXPECT_TRUE(archive.IsOpen());
    ExtractOptions options;
    options.folder = root.Out();
    options.force = force;
    options.patterns = std::move(patterns);
    return ExtractArchive(archive, options);
}

std::set<std::string> Named(const ExtractResult& result) {
    std::set<std::string> names;
    for (const ExtractProblem& problem : result.problems) names.insert(problem.entry);
    return names;
}

// Points entry `i`'s record at the stored bytes of entry `j`.
void ShareStoredBytes(Bytes& bytes, std::size_t i, std::size_t j) {
    for (std::size_t word : {0, 4, 12}) PutU32(bytes, RecordOffset(i) + word, GetU32(bytes, RecordOffset(j) + word));
    const std::size_t nameWord = RecordOffset(i) + 8;
    PutU32(bytes, nameWord, (GetU32(bytes, nameWord) & 0x1FFFFFFFu) | (GetU32(bytes, RecordOffset(j) + 8) & ~0x1FFFFFFFu));
}

struct Hostile {
    const char* what;
    std::vector<Entry> entries;
    std::function<void(Bytes&)> damage;
    Tree expected;                  // below the root
    std::set<std::string> refused;  // entries named in the problems
    ExtractOutcome outcome;
};

TEST(ArchiveExtract, HostileArchivesWriteOnlyWhatIsSafeAndNameEveryRefusal) {
    const std::string text = "text\r\n\0with \x1A bytes" + archive_test::MixedData(3000, 7);
    const std::vector<Hostile> cases = {
        {"names that could escape or that Windows cannot hold",
         {{"../up.txt", "x"}, {"a/../../up2.txt", "x"}, {"/abs.txt", "x"}, {"\\\\host\\share\\x", "x"},
          {"C:/drive.txt", "x"}, {"c:drive.txt", "x"}, {"con.txt", "x"}, {"d/aux", "x"}, {"dot.", "x"},
          {"blank ", "x"}, {"a//b", "x"}, {"what?", "x"}, {"./here", "x"}, {"ok/good.txt", text, Method::Lzss}},
         nullptr,
         {{"out", "<folder>"}, {"out/ok", "<folder>"}, {"out/ok/good.txt", text}},
         {"../up.txt", "a/../../up2.txt", "/abs.txt", "\\\\host\\share\\x", "C:/drive.txt", "c:drive.txt",
          "con.txt", "d/aux", "dot.", "blank ", "a//b", "what?", "./here"},
         ExtractOutcome::Partial},
        {"names equal but for letter case or separator: the first is kept",
         {{"Read.me", "first"}, {"READ.ME", "second"}, {"read.me", "third"}, {"f/x", "x1"}, {"F\\X", "x2"},
          {"sub/", ""}, {"SUB/", ""}},
         nullptr,
         {{"out", "<folder>"}, {"out/Read.me", "first"}, {"out/f", "<folder>"}, {"out/f/x", "x1"},
          {"out/sub", "<folder>"}},
         {"READ.ME", "read.me", "F\\X", "SUB/"},
         ExtractOutcome::Partial},
        {"two entries sharing stored bytes: nothing at all is written",
         {{"a.bin", text, Method::Lzss}, {"b.bin", "", Method::Lzss}, {"c.bin", "fine"}},
         [](Bytes& bytes) { ShareStoredBytes(bytes, 1, 0); },
         {},
         {"b.bin"},
         ExtractOutcome::Refused},
        {"stored bytes inside the header and directory: nothing is written",
         {{"a.bin", "0123456789"}, {"b.bin", "fine"}},
         [](Bytes& bytes) { PutU32(bytes, RecordOffset(0), 4); },
         {},
         {"a.bin"},
         ExtractOutcome::Refused},
        {"damaged entries are skipped, the others written",
         {{"bad-stream", text, Method::Lzss}, {"past-end", "abcdef"}, {"no-method", "abc"}, {"good", text, Method::Rle},
          {"empty", ""}},
         [](Bytes& bytes) {
             bytes[GetU32(bytes, RecordOffset(0))] = 0;  // first item a copy from before the output
             PutU32(bytes, RecordOffset(1), std::uint32_t(bytes.size() - 2));
             PutU32(bytes, RecordOffset(2) + 8, GetU32(bytes, RecordOffset(2) + 8) | (3u << 29));
         },
         {{"out", "<folder>"}, {"out/good", text}, {"out/empty", ""}},
         {"bad-stream", "past-end", "no-method"},
         ExtractOutcome::Partial},
        {"a file where a folder must go, and a folder where a file must go",
         {{"f", "file"}, {"f/inside", "x"}, {"g/", ""}, {"g", "x"}},
         nullptr,
         {{"out", "<folder>"}, {"out/f", "file"}, {"out/g", "<folder>"}},
         {"f/inside", "g"},
         ExtractOutcome::Partial},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = rezwriter::BuildArchive(c.entries);
        if (c.damage) c.damage(bytes);
        Root root;
        const ExtractResult result = Extract(bytes, root);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(Named(result), c.refused);
        EXPECT_EQ(root.Contents(), c.expected);
    }
}

TEST(ArchiveExtract, ExistingFilesAreKeptWithoutForceAndReplacedWithIt) {
    Root root;
    root.Write("out/a.txt", "old a");
    root.Write("out/keep.txt", "untouched");
    const Bytes bytes = rezwriter::BuildArchive({{"a.txt", "new a"}, {"b/c.txt", "new c", Method::Lzss}});

    ExtractResult result = Extract(bytes, root);
    EXPECT_EQ(result.outcome, ExtractOutcome::Partial);
    EXPECT_EQ(Named(result), std::set<std::string>{"a.txt"});
    const Tree kept = {{"out", "<folder>"}, {"out/a.txt", "old a"}, {"out/keep.txt", "untouched"},
                       {"out/b", "<folder>"}, {"out/b/c.txt", "new c"}};
    EXPECT_EQ(root.Contents(), kept);

    result = Extract(bytes, root, true);
    EXPECT_EQ(result.outcome, ExtractOutcome::Done);
    EXPECT_EQ(result.filesWritten, 2u);
    Tree replaced = kept;
    replaced["out/a.txt"] = "new a";
    EXPECT_EQ(root.Contents(), replaced);  // and no temporary file left behind

    // Patterns choose by the archive's own wildcard rules.
    root.Write("out/b/c.txt", "old c");
    result = Extract(bytes, root, true, {"B/*.TXT"});
    EXPECT_EQ(result.selected, 1u);
    EXPECT_EQ(root.Contents(), replaced);
}

TEST(ArchiveExtract, LinksInsideTheFolderAreNeverFollowed) {
    Root root;
    fs::create_directories(root.path() / "out");
    fs::create_directories(root.path() / "outside");
    std::error_code error;
    fs::create_directory_symlink(root.path() / "outside", root.path() / "out" / "via", error);
    if (!error) fs::create_symlink(root.path() / "outside" / "made.txt", root.path() / "out" / "dangling.txt", error);
    if (error) GTEST_SKIP() << "links cannot be made here: " << error.message();
    const Bytes bytes = rezwriter::BuildArchive({{"via/x.txt", "x"}, {"via/", ""}, {"dangling.txt", "d"}});
    const Tree before = root.Contents();

    ExtractResult result = Extract(bytes, root);
    EXPECT_EQ(Named(result), (std::set<std::string>{"via/x.txt", "via/", "dangling.txt"}));
    EXPECT_EQ(root.Contents(), before);

    // --force replaces the link at the target itself; the folder link stays refused.
    result = Extract(bytes, root, true);
    EXPECT_EQ(Named(result), (std::set<std::string>{"via/x.txt", "via/"}));
    Tree after = before;
    after["out/dangling.txt"] = "d";
    EXPECT_EQ(root.Contents(), after);
}

TEST(ArchiveExtract, OneStreamNamedFourThousandTimesIsRefusedWithNothingWritten) {
    // One LZSS stream at the method's highest ratio, named by 4,096 records:
    // a 160 KB archive that would unpack to 1.4 GB.
    constexpr std::size_t kRecords = 4096;
    std::vector<Entry> entries;
    entries.push_back({"bomb/0000", std::string(330000, '\0'), Method::Lzss});
    for (std::size_t i = 1; i < kRecords; ++i) entries.push_back({"bomb/" + std::to_string(10000 + i), "", Method::Lzss});
    Bytes bytes = rezwriter::BuildArchive(entries);
    for (std::size_t i = 1; i < kRecords; ++i) ShareStoredBytes(bytes, i, 0);
    EXPECT_LT(bytes.size(), 200000u);

    Root root;
    std::uint32_t progressCalls = 0;
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    ExtractOptions options;
    options.folder = root.Out();
    options.progress = [&](const ArchiveProgress&) { ++progressCalls; };
    const ExtractResult result = ExtractArchive(archive, options);
    EXPECT_EQ(result.outcome, ExtractOutcome::Refused);
    EXPECT_EQ(result.problems.size(), kRecords - 1);
    EXPECT_EQ(result.filesWritten, 0u);
    EXPECT_EQ(progressCalls, 0u);
    EXPECT_EQ(root.Contents(), Tree{});
}

TEST(ArchiveExtract, ManyRecordsNamingOneNameWriteOneFile) {
    // The directory shape the reader's bounds let through at their limit:
    // one name for every record. The first is written, every other counted
    // under one problem, which the output then shows once.
    constexpr std::size_t kRecords = 16384;
    Root root;
    const Bytes bytes =
        rezwriter::BuildSharedNameArchive(std::vector<std::uint32_t>(kRecords, 0), std::string("maps/dm/x.bsp") + '\0');
    const ExtractResult result = Extract(bytes, root);
    EXPECT_EQ(result.outcome, ExtractOutcome::Partial);
    EXPECT_EQ(result.filesWritten, 1u);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].entry, "maps/dm/x.bsp");
    EXPECT_EQ(result.problems[0].records, kRecords - 1);
    const Tree expected = {{"out", "<folder>"}, {"out/maps", "<folder>"}, {"out/maps/dm", "<folder>"},
                           {"out/maps/dm/x.bsp", ""}};
    EXPECT_EQ(root.Contents(), expected);
}

TEST(ArchiveExtract, RecordsAreListedInDirectoryOrderWithTheirFields) {
    rezwriter::Layout layout;
    layout.recordsPerGroup = 2;
    layout.firstIndex = 7;
    Bytes bytes = rezwriter::BuildArchive(
        {{"z/last-name-first", "abc"}, {"", "unnamed"}, {"A.bin", "hello hello hello", Method::Lzss},
         {"a.BIN", "rle rle", Method::Rle}},
        layout);
    // Records within the directory: group header, records; second group after.
    const std::size_t thirdRecord = RecordOffset(2) + 8;
    PutU32(bytes, thirdRecord + 8, GetU32(bytes, thirdRecord + 8) | (5u << 29));  // a slot naming no code
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    const std::vector<ArchiveRecord> records = archive.ListRecords();
    ASSERT_EQ(records.size(), 3u);
    const char* names[] = {"z/last-name-first", "A.bin", "a.BIN"};
    const std::uint32_t numbers[] = {7, 9, 10};
    const char* methods[] = {"NONE", "?", "RLE"};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(records[i].name, names[i]);
        EXPECT_EQ(records[i].entryNumber, numbers[i]);
        EXPECT_STREQ(MethodName(records[i]), methods[i]);
        const std::size_t at = kArchiveHeaderSize + records[i].record;
        EXPECT_EQ(records[i].dataOffset, GetU32(bytes, at));
        EXPECT_EQ(records[i].storedSize, GetU32(bytes, at + 4));
        EXPECT_EQ(records[i].size, GetU32(bytes, at + 12));
    }
    EXPECT_EQ(records[0].size, 3u);
    // Names equal but for case open each their own record.
    EXPECT_EQ(archive.OpenRecord(records[1].record), nullptr);  // no method
    std::unique_ptr<EntryHandle> entry = archive.OpenRecord(records[2].record);
    ASSERT_NE(entry, nullptr);
    std::string data(archive.GetEntrySize(entry.get()), '\0');
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0, &data[0], std::uint32_t(data.size())), data.size());
    EXPECT_EQ(data, "rle rle");
    EXPECT_EQ(archive.OpenRecord(archive.GetDirectorySize() - 15), nullptr);
}

}  // namespace
