// Files that are not sound archives: each is refused as a whole (not open, no
// entries, its file closed again), and none makes the reader touch memory
// outside its buffers or allocate what the file cannot back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "archive_test_support.h"

namespace {

using archive_test::Bytes;
using archive_test::TempFile;
using rezwriter::GetU32;
using rezwriter::PutU32;
using rezwriter::RecordOffset;

constexpr std::size_t kGroupCount = 4;
constexpr std::size_t kDirectorySize = 8;
constexpr std::size_t kFirstGroup = 24;

// A sound archive of three named entries in one group.
Bytes Sound() {
    return rezwriter::BuildArchive({{"maps/dm/a.bsp", "AAAA"},
                                    {"maps/dm/b.bsp", "BBBB", rezwriter::Method::Lzss},
                                    {"textures/c.tga", "CCCC", rezwriter::Method::Rle}});
}

std::uint32_t NameOffset(const Bytes& bytes, std::size_t record) {
    return GetU32(bytes, RecordOffset(record) + 8) & 0x1FFFFFFFu;
}

void ExpectRefused(const Bytes& bytes) {
    TempFile file(bytes);
    {
        ResourceArchive archive(file.path(), "");
        EXPECT_FALSE(archive.IsOpen());
        EXPECT_EQ(archive.GetEntryCount(), 0u);
        EXPECT_EQ(archive.GetIndexEntry(0), nullptr);
        EXPECT_EQ(archive.OpenEntry("maps/dm/a.bsp"), nullptr);
        EXPECT_TRUE(archive.Search("", "bsp", "*.bsp", true).empty());
        // The refused file is closed at once: it can be opened for writing
        // (Windows refuses that while a read handle without write sharing
        // is open).
        std::FILE* writer = std::fopen(file.path(), "r+b");
        EXPECT_NE(writer, nullptr);
        if (writer) std::fclose(writer);
    }
}

TEST(MalformedArchive, SoundArchiveOfTheseTestsOpens) {
    TempFile file(Sound());
    ResourceArchive archive(file.path(), "");
    EXPECT_TRUE(archive.IsOpen());
    EXPECT_EQ(archive.GetEntryCount(), 3u);
}

TEST(MalformedArchive, EmptyFile) { ExpectRefused({}); }

TEST(MalformedArchive, FileShorterThanTheHeader) {
    Bytes bytes = Sound();
    bytes.resize(23);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, WrongMagic) {
    Bytes bytes = Sound();
    std::memcpy(bytes.data(), "vntr", 4);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, RleCodeWithZeroByteInsteadOfBlank) {
    Bytes bytes = Sound();
    bytes[20 + 3] = 0;
    ExpectRefused(bytes);
}

TEST(MalformedArchive, UnknownMethodCodeInFirstSlot) {
    Bytes bytes = Sound();
    std::memcpy(bytes.data() + 12, "ZLIB", 4);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, DirectorySizeFarBeyondTheFile) {
    // Refused before allocating: under ASan a 4 GB request would abort.
    Bytes bytes = Sound();
    PutU32(bytes, kDirectorySize, 0xFFFFFFFFu);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, DirectorySizeOneByteBeyondTheFile) {
    Bytes bytes = Sound();
    PutU32(bytes, kDirectorySize, std::uint32_t(bytes.size() - 24 + 1));
    ExpectRefused(bytes);
}

TEST(MalformedArchive, FileCutInsideTheDirectory) {
    Bytes bytes = Sound();
    bytes.resize(24 + GetU32(bytes, kDirectorySize) - 1);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, GroupCountRunsPastTheDirectory) {
    Bytes bytes = Sound();
    PutU32(bytes, kGroupCount, 2);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, GroupCountLargerThanAnyDirectoryCouldHold) {
    Bytes bytes = Sound();
    PutU32(bytes, kGroupCount, 0xFFFFFFFFu);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, GroupsButAnEmptyDirectory) {
    Bytes bytes(24, 0);
    std::memcpy(bytes.data(), "VNTR", 4);
    std::memcpy(bytes.data() + 12, "NONELZSSRLE ", 12);
    PutU32(bytes, kGroupCount, 1);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, DirectoryShorterThanItsGroupHeader) {
    Bytes bytes = Sound();
    bytes.resize(24 + 4);
    PutU32(bytes, kDirectorySize, 4);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, RecordCountRunsPastTheDirectory) {
    Bytes bytes = Sound();
    // Names follow the records, so four records of 16 bytes still fit in the
    // block; the count must outrun the whole block.
    const std::uint32_t directory = GetU32(bytes, kDirectorySize);
    PutU32(bytes, kFirstGroup + 4, (directory - 8) / 16 + 1);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, RecordCountThatWrapsWhenMultiplied) {
    // 0x10000000 records of 16 bytes are 0 bytes in 32-bit arithmetic.
    Bytes bytes = Sound();
    PutU32(bytes, kFirstGroup + 4, 0x10000000u);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, GroupWithZeroRecords) {
    Bytes bytes = Sound();
    PutU32(bytes, kFirstGroup + 4, 0);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, NameOffsetBeyondTheDirectory) {
    Bytes bytes = Sound();
    PutU32(bytes, RecordOffset(1) + 8, 0x1FFFFFFFu);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, NameOffsetEqualToTheDirectorySize) {
    Bytes bytes = Sound();
    PutU32(bytes, RecordOffset(2) + 8, GetU32(bytes, kDirectorySize));
    ExpectRefused(bytes);
}

TEST(MalformedArchive, LastNameWithoutTerminatingZero) {
    Bytes bytes = Sound();
    const std::size_t end = 24 + GetU32(bytes, kDirectorySize);
    ASSERT_EQ(bytes[end - 1], 0);
    bytes[end - 1] = 'x';  // and the entry data after the block has no zero
    ExpectRefused(bytes);
}

TEST(MalformedArchive, NameOffsetPointingAtTheLastByteWithoutZero) {
    Bytes bytes = Sound();
    const std::uint32_t directory = GetU32(bytes, kDirectorySize);
    bytes[24 + directory - 1] = '!';
    PutU32(bytes, RecordOffset(0) + 8, directory - 1);
    ExpectRefused(bytes);
}

TEST(MalformedArchive, HighNameWordBitsDoNotHideAnOutOfRangeOffset) {
    Bytes bytes = Sound();
    PutU32(bytes, RecordOffset(0) + 8, 0xE0000000u | (GetU32(bytes, kDirectorySize) + 100));
    ExpectRefused(bytes);
    // The same bits over a good offset leave the archive open.
    Bytes fine = Sound();
    PutU32(fine, RecordOffset(0) + 8, 0xE0000000u | NameOffset(fine, 0));
    TempFile file(fine);
    ResourceArchive archive(file.path(), "");
    EXPECT_TRUE(archive.IsOpen());
}

TEST(MalformedArchive, EveryTruncationOfASoundArchiveOpensOrIsRefused) {
    // Cut anywhere: inside the header or directory the file is refused;
    // inside the entry data it opens, and the entries that lost bytes
    // cannot be opened.
    const Bytes bytes = Sound();
    const std::size_t directoryEnd = 24 + GetU32(bytes, kDirectorySize);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        Bytes cut(bytes.begin(), bytes.begin() + length);
        TempFile file(cut);
        ResourceArchive archive(file.path(), "");
        EXPECT_EQ(archive.IsOpen(), length >= directoryEnd) << length;
        EXPECT_EQ(archive.OpenEntry("textures/c.tga"), nullptr) << length;
    }
}

}  // namespace
