// Opening archives, the name index, entry lookup and entry reads.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive_test_support.h"

namespace {

using archive_test::Bytes;
using archive_test::ReadWhole;
using archive_test::TempFile;
using rezwriter::Entry;
using rezwriter::Method;

std::vector<std::string> IndexNames(const ResourceArchive& archive, std::uint32_t count) {
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < count; ++i) names.push_back(archive.GetIndexEntry(i)->name);
    return names;
}

TEST(ResourceArchive, OpensAndReadsEveryMethodBack) {
    const std::string big = archive_test::MixedData(70000, 7);
    TempFile file(rezwriter::BuildArchive({
        {"maps/dm/a.bsp", "plain bytes", Method::None},
        {"maps/dm/b.bsp", big, Method::Lzss},
        {"textures/c.tga", big.substr(0, 5000), Method::Rle},
        {"empty.txt", "", Method::Lzss},
    }));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_STREQ(archive.GetPath(), file.path());
    EXPECT_EQ(archive.GetEntryCount(), 4u);
    EXPECT_EQ(ReadWhole(archive, "maps/dm/a.bsp"), "plain bytes");
    EXPECT_TRUE(ReadWhole(archive, "maps/dm/b.bsp") == big);
    EXPECT_TRUE(ReadWhole(archive, "textures/c.tga") == big.substr(0, 5000));
    EXPECT_EQ(ReadWhole(archive, "empty.txt"), "");
    // Lookup ignores letter case.
    EXPECT_EQ(ReadWhole(archive, "MAPS/DM/A.BSP"), "plain bytes");
    EXPECT_EQ(archive.OpenEntry("maps/dm/none.bsp"), nullptr);
    EXPECT_EQ(archive.OpenEntry(nullptr), nullptr);
}

TEST(ResourceArchive, EveryMethodCodeMayStandInAnySlot) {
    rezwriter::Layout layout;
    layout.codes = {rezwriter::kCodeRle, rezwriter::kCodeRle, rezwriter::kCodeLzss};
    TempFile file(rezwriter::BuildArchive(
        {{"r", std::string(300, 'r'), Method::Rle}, {"l", "lzsslzsslzss", Method::Lzss}}, layout));
    ResourceArchive archive(file.path(), "second");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(ReadWhole(archive, "r"), std::string(300, 'r'));
    EXPECT_EQ(ReadWhole(archive, "l"), "lzsslzsslzss");
}

TEST(ResourceArchive, HeaderWithThreeNoneCodesOpens) {
    rezwriter::Layout layout;
    layout.codes = {rezwriter::kCodeNone, rezwriter::kCodeNone, rezwriter::kCodeNone};
    TempFile file(rezwriter::BuildArchive({{"x", "data", Method::None}}, layout));
    ResourceArchive archive(file.path(), "");
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(ReadWhole(archive, "x"), "data");
}

TEST(ResourceArchive, UnnamedRecordsAreNotCountedButKeepTheirNumbers) {
    rezwriter::Layout layout;
    layout.recordsPerGroup = 2;
    layout.firstIndex = 100;
    TempFile file(rezwriter::BuildArchive(
        {{"b", "1"}, {"", "2"}, {"", "3"}, {"a", "4"}, {"c", "5"}}, layout));
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    ASSERT_EQ(archive.GetEntryCount(), 3u);
    EXPECT_EQ(IndexNames(archive, 3), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(archive.GetIndexEntry(0)->entryNumber, 103u);
    EXPECT_EQ(archive.GetIndexEntry(1)->entryNumber, 100u);
    EXPECT_EQ(archive.GetIndexEntry(2)->entryNumber, 104u);
    EXPECT_EQ(archive.GetIndexEntry(3), nullptr);
    EXPECT_EQ(ReadWhole(archive, "a"), "4");
    EXPECT_EQ(ReadWhole(archive, "c"), "5");
}

TEST(ResourceArchive, DirectoryWithoutNamesOpensEmpty) {
    TempFile file(rezwriter::BuildArchive({{"", "x"}, {"", "y"}}));
    ResourceArchive archive(file.path(), "");
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.GetEntryCount(), 0u);
    EXPECT_EQ(archive.GetIndexEntry(0), nullptr);
    TempFile none(rezwriter::BuildArchive({}));
    ResourceArchive empty(none.path(), "");
    EXPECT_TRUE(empty.IsOpen());
    EXPECT_EQ(empty.GetEntryCount(), 0u);
}

TEST(ResourceArchive, HighBitsOfTheNameWordDoNotChangeTheName) {
    Bytes bytes = rezwriter::BuildArchive({{"maps/x.bsp", "x"}});
    const std::size_t word = rezwriter::RecordOffset(0) + 8;
    // Slot 0 keeps the stored method; set the two top bits beyond the slots.
    rezwriter::PutU32(bytes, word, rezwriter::GetU32(bytes, word) | 0xC0000000u);
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    ASSERT_EQ(archive.GetEntryCount(), 1u);
    EXPECT_STREQ(archive.GetIndexEntry(0)->name, "maps/x.bsp");
    // Those bits name no header slot, so the entry cannot be read.
    EXPECT_EQ(archive.OpenEntry("maps/x.bsp"), nullptr);
}

TEST(ResourceArchive, IndexFoldsToLowerCaseAndPutsUnderscoreFirst) {
    TempFile file(rezwriter::BuildArchive({{"maps/C.bsp", ""},
                                           {"maps/_x.bsp", ""},
                                           {"Maps/b.bsp", ""},
                                           {"maps/a.bsp", ""},
                                           {"maps/[.bsp", ""}}));
    ResourceArchive archive(file.path(), "");
    ASSERT_EQ(archive.GetEntryCount(), 5u);
    // "[" (0x5B) lies between "Z" and "_" but after folding before letters.
    EXPECT_EQ(IndexNames(archive, 5),
              (std::vector<std::string>{"maps/[.bsp", "maps/_x.bsp", "maps/a.bsp", "Maps/b.bsp", "maps/C.bsp"}));
}

TEST(ResourceArchive, NamesDifferingOnlyInCaseAreAllIndexed) {
    TempFile file(rezwriter::BuildArchive({{"Same", "second"}, {"same", "first"}},
                                          rezwriter::Layout{{{rezwriter::kCodeNone, rezwriter::kCodeLzss, rezwriter::kCodeRle}}, 1, 0}));
    ResourceArchive archive(file.path(), "");
    ASSERT_EQ(archive.GetEntryCount(), 2u);
    // The lookup takes the lowest entry number of equal names.
    EXPECT_EQ(ReadWhole(archive, "SAME"), "second");
}

TEST(ResourceArchive, MissingOrUnreadableFileIsNotOpen) {
    ResourceArchive missing((TempFile::NewPath() + ".missing").c_str(), "");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.GetEntryCount(), 0u);
    EXPECT_EQ(missing.OpenEntry("x"), nullptr);
    ResourceArchive folder(std::filesystem::temp_directory_path().string().c_str(), "");
    EXPECT_FALSE(folder.IsOpen());
    ResourceArchive none(nullptr, nullptr);
    EXPECT_FALSE(none.IsOpen());
    EXPECT_STREQ(none.GetPath(), "");
}

TEST(ResourceArchive, CallersThroughTheSourceInterfaceReachTheArchive) {
    TempFile file(rezwriter::BuildArchive({{"x", "data"}, {"maps/y.bsp", "", Method::Lzss}}));
    ResourceArchive archive(file.path(), "");
    ResourceSource& source = archive;
    EXPECT_STREQ(source.GetPath(), file.path());
    EXPECT_EQ(source.GetEntryCount(), 2u);
    EXPECT_EQ(source.Search("", "bsp", "*.bsp", true), (std::set<std::string>{"maps/y.bsp"}));
    std::unique_ptr<EntryHandle> entry = source.OpenEntry("X");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(source.GetEntrySize(entry.get()), 4u);
    EXPECT_EQ(source.GetEntrySize(nullptr), 0u);
    char buffer[4];
    EXPECT_EQ(source.ReadEntry(entry.get(), 0, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "data");
    EXPECT_NE(source.OpenEntryFile(entry.get()), nullptr);
    EXPECT_EQ(source.OpenEntry("z"), nullptr);
}

// ---- Reads ---------------------------------------------------------------------

struct ReadFixture : ::testing::Test {
    std::string fifty = archive_test::MixedData(50, 3);
    TempFile file{rezwriter::BuildArchive({
        {"stored", "0123456789abcdefghij", Method::None},
        {"next", "NEXTNEXT", Method::None},
        {"packed", fifty, Method::Lzss},
        {"runs", std::string(40, 'w') + "end", Method::Rle},
    })};
    ResourceArchive archive{file.path(), ""};
};

TEST_F(ReadFixture, PartialReadOfCompressedEntryIsClampedAndCached) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("packed");
    ASSERT_NE(entry, nullptr);
    char buffer[100];
    EXPECT_EQ(archive.ReadEntry(entry.get(), 10, buffer, 100), 40u);
    EXPECT_EQ(std::string(buffer, 40), fifty.substr(10));
    ASSERT_NE(entry->cache, nullptr);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 50, buffer, 100), 0u);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 60, buffer, 1), 0u);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0xFFFFFFF0u, buffer, 100), 0u);
}

TEST_F(ReadFixture, SecondPartialReadTouchesNoFile) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("packed");
    char buffer[8];
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0, buffer, 8), 8u);
    const std::uint32_t reads = archive.GetFileReadCount();
    const std::uint32_t seeks = archive.GetFileSeekCount();
    EXPECT_EQ(archive.ReadEntry(entry.get(), 20, buffer, 8), 8u);
    EXPECT_EQ(std::string(buffer, 8), fifty.substr(20, 8));
    EXPECT_EQ(archive.GetFileReadCount(), reads);
    EXPECT_EQ(archive.GetFileSeekCount(), seeks);
}

TEST_F(ReadFixture, WholeEntryReadDecodesStraightIntoTheBuffer) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("runs");
    ASSERT_EQ(archive.GetEntrySize(entry.get()), 43u);
    char buffer[43];
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0, buffer, 43), 43u);
    EXPECT_EQ(std::string(buffer, 43), std::string(40, 'w') + "end");
    EXPECT_EQ(entry->cache, nullptr);
}

TEST_F(ReadFixture, EntrySizedReadFromAnOffsetStartsAtThatOffset) {
    // Length equal to the size but from offset 5: the bytes from 5 on, not
    // the entry from its first byte.
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("runs");
    char buffer[43] = {};
    EXPECT_EQ(archive.ReadEntry(entry.get(), 5, buffer, 43), 38u);
    EXPECT_EQ(std::string(buffer, 38), std::string(35, 'w') + "end");
}

TEST_F(ReadFixture, StoredReadIsClampedToTheEntry) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry("stored");
    char buffer[64];
    std::memset(buffer, '.', sizeof buffer);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 15, buffer, 64), 5u);
    EXPECT_EQ(std::string(buffer, 6), "fghij.");  // nothing of "next"
    EXPECT_EQ(archive.ReadEntry(entry.get(), 20, buffer, 1), 0u);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0, buffer, 0), 0u);
    EXPECT_EQ(archive.ReadEntry(entry.get(), 0, nullptr, 4), 0u);
    EXPECT_EQ(archive.ReadEntry(nullptr, 0, buffer, 4), 0u);
}

TEST_F(ReadFixture, ConsecutiveStoredReadsCostNoSeeks) {
    std::unique_ptr<EntryHandle> stored = archive.OpenEntry("stored");
    std::unique_ptr<EntryHandle> next = archive.OpenEntry("next");
    char buffer[20];
    ASSERT_EQ(archive.ReadEntry(stored.get(), 0, buffer, 10), 10u);
    const std::uint32_t seeks = archive.GetFileSeekCount();
    EXPECT_EQ(archive.ReadEntry(stored.get(), 10, buffer, 10), 10u);
    EXPECT_EQ(std::string(buffer, 10), "abcdefghij");
    EXPECT_EQ(archive.ReadEntry(next.get(), 0, buffer, 8), 8u);  // right behind it
    EXPECT_EQ(std::string(buffer, 8), "NEXTNEXT");
    EXPECT_EQ(archive.GetFileSeekCount(), seeks);
    EXPECT_EQ(archive.ReadEntry(stored.get(), 0, buffer, 4), 4u);
    EXPECT_EQ(archive.GetFileSeekCount(), seeks + 1);
    EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST_F(ReadFixture, HandBuiltHandleBeyondTheFileIsRefusedUntouched) {
    std::unique_ptr<EntryHandle> stored = archive.OpenEntry("stored");
    char buffer[20];
    ASSERT_EQ(archive.ReadEntry(stored.get(), 0, buffer, 20), 20u);
    const std::uint32_t reads = archive.GetFileReadCount();
    EntryHandle beyond;
    beyond.dataOffset = stored->dataOffset;
    beyond.size = beyond.storedSize = 0x7FFFFFFF;
    // Stored: bytes that lie in the file are read, those past its end not.
    EXPECT_EQ(archive.ReadEntry(&beyond, 0x10000, buffer, 20), 0u);
    EXPECT_EQ(archive.GetFileReadCount(), reads);
    EXPECT_EQ(archive.ReadEntry(&beyond, 0, buffer, 20), 20u);
    EXPECT_EQ(std::string(buffer, 20), "0123456789abcdefghij");
    const std::uint32_t readsAfter = archive.GetFileReadCount();
    beyond.decoder = DecodeLzss;  // would ask for a 2 GB buffer
    EXPECT_EQ(archive.ReadEntry(&beyond, 0, buffer, 20), 0u);
    EXPECT_EQ(archive.GetFileReadCount(), readsAfter);
}

TEST_F(ReadFixture, CorruptStreamReadsAsFailureAndCachesNothing) {
    // The "stored" bytes read as an LZSS stream: '0' = 0x30 as the first
    // flag byte makes item 1 a back-reference before the start.
    std::unique_ptr<EntryHandle> stored = archive.OpenEntry("stored");
    EntryHandle broken;
    broken.dataOffset = stored->dataOffset;
    broken.storedSize = 20;
    broken.size = 30;
    broken.decoder = DecodeLzss;
    char buffer[30];
    EXPECT_EQ(archive.ReadEntry(&broken, 2, buffer, 10), 0u);
    EXPECT_EQ(broken.cache, nullptr);
    EXPECT_EQ(archive.ReadEntry(&broken, 0, buffer, 30), 0u);
}

TEST(ResourceArchiveFailedRead, ShortReadSetsUnknownPositionAndNextReadSeeks) {
    // The file shrinks after the archive opened it (POSIX allows that; on
    // Windows the writer cannot open it while we hold it, so the check is
    // made where it can be).
    Bytes bytes = rezwriter::BuildArchive({{"a", "AAAA"}, {"b", std::string(64, 'B')}});
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    std::unique_ptr<EntryHandle> a = archive.OpenEntry("a");
    std::unique_ptr<EntryHandle> b = archive.OpenEntry("b");
    ASSERT_NE(b, nullptr);
    char buffer[64];
    ASSERT_EQ(archive.ReadEntry(a.get(), 0, buffer, 4), 4u);
    Bytes cut(bytes.begin(), bytes.end() - 32);
    if (!rezwriter::WriteFile(file.path(), cut)) GTEST_SKIP() << "the open archive cannot be rewritten here";
    // Position stands at b: no seek, and the read comes up short.
    std::uint32_t seeks = archive.GetFileSeekCount();
    EXPECT_EQ(archive.ReadEntry(b.get(), 0, buffer, 64), 0u);
    EXPECT_EQ(archive.GetFileSeekCount(), seeks);
    // The same target again: the pointer is moved although it would be the
    // position cached before the failure.
    rezwriter::WriteFile(file.path(), bytes);
    EXPECT_EQ(archive.ReadEntry(b.get(), 0, buffer, 64), 64u);
    EXPECT_EQ(archive.GetFileSeekCount(), seeks + 1);
    EXPECT_EQ(std::string(buffer, 64), std::string(64, 'B'));
}

TEST(ResourceArchive, OpenEntryFileGivesItsOwnFileAtTheData) {
    TempFile file(rezwriter::BuildArchive({{"a", "first"}, {"b", "second"}}));
    ResourceArchive archive(file.path(), "");
    std::unique_ptr<EntryHandle> b = archive.OpenEntry("b");
    const std::uint32_t reads = archive.GetFileReadCount();
    std::unique_ptr<platform::ReadOnlyFile> own = archive.OpenEntryFile(b.get());
    ASSERT_NE(own, nullptr);
    char buffer[6];
    std::size_t got = 0;
    ASSERT_TRUE(own->Read(buffer, 6, got));
    EXPECT_EQ(std::string(buffer, got), "second");
    EXPECT_EQ(archive.GetFileReadCount(), reads);
    EXPECT_EQ(archive.OpenEntryFile(nullptr), nullptr);
}

TEST(ResourceArchive, LookupRefusesRecordsThatDescribeNoReadableData) {
    Bytes bytes = rezwriter::BuildArchive({{"past-end", "1234"},
                                           {"lzss-too-big", "abcabcabc", Method::Lzss},
                                           {"stored-mismatch", "xy"},
                                           {"fine", "ok"}});
    // Data that would run past the end of the file.
    rezwriter::PutU32(bytes, rezwriter::RecordOffset(0), std::uint32_t(bytes.size()) - 2);
    // An uncompressed size no stream of that stored size can produce.
    rezwriter::PutU32(bytes, rezwriter::RecordOffset(1) + 12, 0x7FFFFFFF);
    // A stored entry whose two sizes disagree.
    rezwriter::PutU32(bytes, rezwriter::RecordOffset(2) + 12, 3);
    TempFile file(bytes);
    ResourceArchive archive(file.path(), "");
    ASSERT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.OpenEntry("past-end"), nullptr);
    EXPECT_EQ(archive.OpenEntry("lzss-too-big"), nullptr);
    EXPECT_EQ(archive.OpenEntry("stored-mismatch"), nullptr);
    EXPECT_EQ(ReadWhole(archive, "fine"), "ok");
}

}  // namespace

namespace {

// The index order as stated: unsigned bytes after folding A-Z to a-z.
bool FoldedBefore(const std::string& a, const std::string& b) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (std::size_t i = 0;; ++i) {
        const unsigned x = i < a.size() ? fold(a[i]) : 0;
        const unsigned y = i < b.size() ? fold(b[i]) : 0;
        if (x != y) return x < y;
        if (x == 0) return false;
    }
}

TEST(ResourceArchive, IndexOrderHoldsForNamesOfEveryLengthAndByte) {
    // Shared prefixes across the eight-byte steps of the comparison, letters
    // of both cases, the bytes around them ("@", "[", "_", "`", "{") and
    // bytes from 0x80 on.
    const std::string alphabet = "aAzZ@[_`{\x80\xC1\xDA\xFF/.0";
    std::vector<std::string> names;
    unsigned state = 12345;
    for (int i = 0; i < 3000; ++i) {
        state = state * 1103515245u + 12345u;
        std::string name = (state >> 8) % 3 == 0 ? "maps/dm/prefix" : "";
        const std::size_t length = 1 + (state >> 12) % 19;
        for (std::size_t k = 0; k < length; ++k) {
            state = state * 1103515245u + 12345u;
            name.push_back(alphabet[(state >> 16) % alphabet.size()]);
        }
        names.push_back(name);
    }
    std::vector<Entry> entries;
    for (const std::string& name : names) entries.push_back({name, ""});
    TempFile file(rezwriter::BuildArchive(entries));
    ResourceArchive archive(file.path(), "");
    ASSERT_EQ(archive.GetEntryCount(), names.size());
    for (std::uint32_t i = 1; i < archive.GetEntryCount(); ++i) {
        const std::string before = archive.GetIndexEntry(i - 1)->name;
        const std::string after = archive.GetIndexEntry(i)->name;
        EXPECT_FALSE(FoldedBefore(after, before)) << i;
    }
    // Every name is found by lookup, whatever its case.
    for (const std::string& name : names) {
        std::unique_ptr<EntryHandle> entry = archive.OpenEntry(name.c_str());
        EXPECT_NE(entry, nullptr) << name;
    }
}

}  // namespace
