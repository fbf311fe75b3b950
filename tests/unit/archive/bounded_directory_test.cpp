// Directories whose names would make opening, indexing or searching cost far
// more than the file's size (docs/rez-format.md, "Bounds"): a name longer
// than kNameLengthLimit, or names that overlap so much that, counted once per
// place, they take more bytes than the directory block, make the archive
// malformed; records that share one name cost what one record naming it
// costs. The two reported shapes (overlapping suffixes of one long text; many
// records naming one long name) are built at sizes on which the reader
// before these bounds spent seconds and hundreds of megabytes; the tests
// assert the refusal or the result, never a time.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "archive_test_support.h"

namespace {

using archive_test::Bytes;
using archive_test::TempFile;
using rezwriter::BuildSharedNameArchive;
using rezwriter::GetU32;
using rezwriter::PutU32;
using Names = std::set<std::string>;

void ExpectRefused(const Bytes& bytes) {
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.GetEntryCount(), 0u);
    EXPECT_EQ(archive.GetIndexEntry(0), nullptr);
    EXPECT_TRUE(archive.Search("", "bsp", "*.bsp", true).empty());
    // Closed at once: the file can be opened for writing again.
    std::FILE* writer = std::fopen(file.path(), "r+b");
    EXPECT_NE(writer, nullptr);
    if (writer) std::fclose(writer);
}

// A name of exactly `length` characters that holds ".bsp".
std::string MapName(std::size_t length) {
    std::string name = "maps/dm/";
    name += std::string(length - name.size() - 4, 'x');
    return name + ".bsp";
}

// (name, entry number) of every index position.
std::vector<std::pair<std::string, std::uint32_t>> IndexOf(ResourceArchive& archive) {
    std::vector<std::pair<std::string, std::uint32_t>> out;
    for (std::uint32_t i = 0; i < archive.GetEntryCount(); ++i)
        out.emplace_back(archive.GetIndexEntry(i)->name, archive.GetIndexEntry(i)->entryNumber);
    return out;
}

Names FindMaps(ResourceArchive& archive) { return archive.Search("", "bsp", "*.bsp", true); }

// ---- The length of one name -----------------------------------------------

TEST(BoundedDirectory, NameOfTheLongestLengthOpensAndIsFoundWhole) {
    const std::string longest = MapName(kNameLengthLimit);
    TempFile file(rezwriter::BuildArchive({{longest, "data"}, {"maps/dm/b.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(FindMaps(archive), (Names{longest, "maps/dm/b.bsp"}));
    EXPECT_EQ(archive_test::ReadWhole(archive, longest.c_str()), "data");
}

TEST(BoundedDirectory, NameOneCharacterLongerIsRefusedWhereverItLies) {
    const std::string tooLong = MapName(kNameLengthLimit + 1);
    // First of the names, last (its zero the last byte of the block), alone.
    ExpectRefused(rezwriter::BuildArchive({{tooLong, ""}, {"maps/dm/b.bsp", ""}}));
    ExpectRefused(rezwriter::BuildArchive({{"maps/dm/b.bsp", ""}, {tooLong, ""}}));
    ExpectRefused(rezwriter::BuildArchive({{tooLong, ""}}));
    // An unnamed record beside it changes nothing.
    ExpectRefused(rezwriter::BuildArchive({{"", ""}, {tooLong, ""}}));
}

TEST(BoundedDirectory, RecordPointingIntoALongRunOfTextIsRefused) {
    // The record names the middle of a 300-character text: 150 characters
    // are fine, the whole text from its start is not.
    const std::string text = std::string(300, 'a') + '\0';
    TempFile fine(BuildSharedNameArchive({150}, text));
    ResourceArchive archive(fine.path(), "");
    EXPECT_TRUE(archive.IsOpen());
    ExpectRefused(BuildSharedNameArchive({0}, text));
    ExpectRefused(BuildSharedNameArchive({150, 0}, text));
}

// ---- Overlapping names --------------------------------------------------

TEST(BoundedDirectory, ReportedShapeOverlappingSuffixesOfOneLongTextIsRefused) {
    // 4,096 records naming every 32nd byte of one 128 KB text of ".bsp"s
    // (196 KB): the search used to store 4,096 names of 64 KB on average,
    // 256 MB, matching each over 4,095 characters.
    constexpr std::size_t kRecords = 4096;
    std::string text;
    while (text.size() < kRecords * 32) text += ".bsp";
    text += '\0';
    std::vector<std::uint32_t> offsets(kRecords);
    for (std::size_t i = 0; i < kRecords; ++i) offsets[i] = std::uint32_t(i * 32);
    ExpectRefused(BuildSharedNameArchive(offsets, text));
}

TEST(BoundedDirectory, OverlappingSuffixesBeyondTheNameBudgetAreRefused) {
    // Every suffix holding ".bsp" of one name of the longest length: each name
    // is short enough, but together, counted once per place, they take
    // 33,920 bytes of a 4,364-byte block.
    const std::string name = MapName(kNameLengthLimit);
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t start = 0; start + 4 <= name.size(); ++start) offsets.push_back(start);
    ExpectRefused(BuildSharedNameArchive(offsets, name + '\0'));
}

TEST(BoundedDirectory, NameBudgetIsTheDirectorySizeExactly) {
    // Ten records naming the ten longest suffixes of a 100-character name:
    // 101 + 100 + ... + 92 = 965 bytes of names. Zeros that no record names
    // after the text set the block's size: 965 opens, 964 does not.
    const std::string name = std::string(100, 'n');
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t start = 0; start < 10; ++start) offsets.push_back(start);
    const std::size_t withoutPadding = 8 + 16 * offsets.size() + name.size() + 1;
    ASSERT_EQ(withoutPadding, 269u);
    const std::string atBudget = name + std::string(1 + 965 - withoutPadding, '\0');
    const Bytes fits = BuildSharedNameArchive(offsets, atBudget);
    ASSERT_EQ(GetU32(fits, 8), 965u);
    TempFile file(fits);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.GetEntryCount(), 10u);

    const Bytes over = BuildSharedNameArchive(offsets, atBudget.substr(0, atBudget.size() - 1));
    ASSERT_EQ(GetU32(over, 8), 964u);
    ExpectRefused(over);
}

TEST(BoundedDirectory, WriterThatSharesTailsOfNamesWithinTheBudgetOpens) {
    // One stored text "maps/dm/a.bsp" named whole and from "dm/" and "a.bsp"
    // on, as a writer that merges common name tails would lay it out.
    const std::string text = std::string("maps/dm/a.bsp") + '\0' + "textures/c.tga" + '\0';
    TempFile file(BuildSharedNameArchive({0, 5, 8, 14}, text));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    using Entry = std::pair<std::string, std::uint32_t>;
    EXPECT_EQ(IndexOf(archive), (std::vector<Entry>{{"a.bsp", 2}, {"dm/a.bsp", 1}, {"maps/dm/a.bsp", 0},
                                                    {"textures/c.tga", 3}}));
    EXPECT_EQ(FindMaps(archive), (Names{"a.bsp", "dm/a.bsp", "maps/dm/a.bsp"}));
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("DM/A.BSP");
    EXPECT_NE(entry, nullptr);
}

// ---- Records sharing one name ---------------------------------------------

TEST(BoundedDirectory, ReportedShapeManyRecordsNamingOneLongNameIsRefused) {
    // 16,384 records naming one 16 KB name (272 KB): the index sort used to
    // compare the whole name in each of its comparisons, seconds of work.
    constexpr std::size_t kRecords = 16384;
    const std::string name = "maps/dm/x.bsp" + std::string(16 * 1024, 'n');
    ExpectRefused(BuildSharedNameArchive(std::vector<std::uint32_t>(kRecords, 0), name + '\0'));
}

TEST(BoundedDirectory, ManyRecordsNamingOneNameOfTheLongestLengthIndexByEntryNumber) {
    // 65,536 records (1 MB) naming one name as long as allowed, in groups
    // whose entry numbers run backwards through the directory.
    constexpr std::uint32_t kRecords = 65536;
    constexpr std::uint32_t kPerGroup = 4096;
    const std::string name = MapName(kNameLengthLimit);
    rezwriter::Layout layout;
    layout.recordsPerGroup = kPerGroup;
    Bytes bytes = BuildSharedNameArchive(std::vector<std::uint32_t>(kRecords, 0), name + '\0', layout);
    constexpr std::uint32_t kGroups = kRecords / kPerGroup;
    for (std::uint32_t group = 0; group < kGroups; ++group)
        PutU32(bytes, 24 + group * (8 + 16 * kPerGroup), (kGroups - 1 - group) * kPerGroup);
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    ASSERT_EQ(archive.GetEntryCount(), kRecords);
    const char* shared = archive.GetIndexEntry(0)->name;
    EXPECT_EQ(std::string(shared), name);
    bool inOrder = true;
    for (std::uint32_t i = 0; i < kRecords; ++i) {
        const NameIndexEntry* at = archive.GetIndexEntry(i);
        inOrder = inOrder && at->name == shared && at->entryNumber == i;
    }
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(FindMaps(archive), (Names{name}));
    EXPECT_EQ(archive.Search("maps/", "bsp", nullptr, true), (Names{name.substr(5)}));
    // The lookup takes the lowest entry number: the first record of the
    // last group.
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry(name.c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(archive.GetEntrySize(entry.get()), 0u);
}

TEST(BoundedDirectory, SharedNamesIndexAndSearchAsSeparatelyStoredOnes) {
    // The same records, once with a stored name each and once sharing the
    // stored names: the index (names, entry numbers) and the searches agree.
    const std::vector<std::string> names = {"maps/b.bsp", "maps/a.bsp", "maps/B.BSP", "maps/b.bsp",
                                            "maps/_x.bsp", "maps/a.bsp", "maps/B.BSP", "sub/a.bsp"};
    std::vector<rezwriter::Entry> separate;
    for (const std::string& name : names) separate.push_back({name, ""});
    std::string text;
    std::vector<std::uint32_t> offsets;
    for (const std::string& name : names) {
        const std::size_t found = text.find(name + '\0');
        if (found != std::string::npos && (found == 0 || text[found - 1] == '\0')) {
            offsets.push_back(std::uint32_t(found));
        } else {
            offsets.push_back(std::uint32_t(text.size()));
            text += name + '\0';
        }
    }
    ASSERT_EQ(text.size(), 55u);  // five names stored, for eight records
    TempFile one(rezwriter::BuildArchive(separate));
    TempFile shared(BuildSharedNameArchive(offsets, text));
    ResourceArchive a(one.path(), "");
    ResourceArchive b(shared.path(), "");
    ASSERT_TRUE(a.IsOpen());
    ASSERT_TRUE(b.IsOpen());
    using Entry = std::pair<std::string, std::uint32_t>;
    const std::vector<Entry> expected = {{"maps/_x.bsp", 4}, {"maps/a.bsp", 1}, {"maps/a.bsp", 5},
                                         {"maps/b.bsp", 0},  {"maps/B.BSP", 2}, {"maps/b.bsp", 3},
                                         {"maps/B.BSP", 6},  {"sub/a.bsp", 7}};
    EXPECT_EQ(IndexOf(a), expected);
    EXPECT_EQ(IndexOf(b), expected);
    for (const char* folder : {"", "maps/", "MAPS/"}) {
        for (const char* pattern : {"*.bsp", "*a*", static_cast<const char*>(nullptr)}) {
            for (bool subfolders : {true, false}) {
                const Names fromSeparate = a.Search(folder, "bsp;/", pattern, subfolders);
                EXPECT_EQ(b.Search(folder, "bsp;/", pattern, subfolders), fromSeparate)
                    << folder << " " << (pattern ? pattern : "-");
            }
        }
    }
}

TEST(BoundedDirectory, RepeatedEntryNumbersFollowTheRecordOrder) {
    // Two groups that both start at entry 0, every record naming "x": the
    // index is the same on every run, records in directory order within an
    // entry number, whether the records share the name or not.
    rezwriter::Layout layout;
    layout.recordsPerGroup = 2;
    Bytes shared = BuildSharedNameArchive({0, 0, 0, 0}, std::string("x") + '\0', layout);
    Bytes separate = rezwriter::BuildArchive({{"x", ""}, {"x", ""}, {"x", ""}, {"x", ""}}, layout);
    for (Bytes* bytes : {&shared, &separate}) {
        PutU32(*bytes, 24 + 8 + 2 * 16, 0);  // the second group's first index
        TempFile file(*bytes);
        ResourceArchive archive(file.path(), "");
        ASSERT_TRUE(archive.IsOpen());
        ASSERT_EQ(archive.GetEntryCount(), 4u);
        std::vector<std::uint32_t> records;
        for (std::uint32_t i = 0; i < 4; ++i) records.push_back(archive.GetIndexEntry(i)->record);
        // Records at 8, 24 (entries 0, 1) and 48, 64 (entries 0, 1).
        EXPECT_EQ(records, (std::vector<std::uint32_t>{8, 48, 24, 64}));
    }
}

}  // namespace
