// Builds .rez resource archives for tests, benchmarks and demo folders.
//
// Layout written: the 24-byte header, the directory block (groups of records,
// then the zero-terminated names), then each entry's stored bytes in entry
// order. A record holds word A = data offset, word B = stored size, the name
// word = name offset | method slot << 29, word D = size.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rezwriter {

using Bytes = std::vector<unsigned char>;

enum class Method { None, Lzss, Rle };

// Method codes as the header holds them (four ASCII bytes, little-endian).
constexpr std::uint32_t kCodeNone = 0x454E4F4Eu;  // "NONE"
constexpr std::uint32_t kCodeLzss = 0x53535A4Cu;  // "LZSS"
constexpr std::uint32_t kCodeRle = 0x20454C52u;   // "RLE "

struct Entry {
    std::string name;      // empty: the record has no name (name offset 0)
    std::string data;      // the entry's bytes as read back
    Method method = Method::None;
};

struct Layout {
    // The header's three method codes; an entry's method picks the first
    // slot holding its code.
    std::array<std::uint32_t, 3> codes{{kCodeNone, kCodeLzss, kCodeRle}};
    // Records per group (the last group takes the rest); 0 puts all in one.
    std::uint32_t recordsPerGroup = 0;
    // Entry number of the first record.
    std::uint32_t firstIndex = 0;
};

// Encoders, each producing a well-formed stream of exactly `size` bytes.
Bytes EncodeLzss(const unsigned char* data, std::size_t size);
Bytes EncodeRle(const unsigned char* data, std::size_t size);
inline Bytes EncodeLzss(const std::string& data) {
    return EncodeLzss(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}
inline Bytes EncodeRle(const std::string& data) {
    return EncodeRle(reinterpret_cast<const unsigned char*>(data.data()), data.size());
}

// The whole archive in memory. False (and `out` untouched) when an entry's
// method has no slot in the header.
bool BuildArchive(const std::vector<Entry>& entries, const Layout& layout, Bytes& out);
Bytes BuildArchive(const std::vector<Entry>& entries, const Layout& layout = Layout());

// Records that name places in one shared text, as another writer (or an
// attacker) may lay a directory out: record i names the text at
// nameOffsets[i], counted from the text's start (kNoName: the record has no
// name). The text follows the records in the directory block and should
// hold the zeros that end the names. Every entry is empty and stored plain.
constexpr std::uint32_t kNoName = 0xFFFFFFFFu;
Bytes BuildSharedNameArchive(const std::vector<std::uint32_t>& nameOffsets, const std::string& text,
                             const Layout& layout = Layout());

// Writes bytes to a file in binary; false on any failure.
bool WriteFile(const std::string& path, const Bytes& bytes);
bool WriteArchive(const std::string& path, const std::vector<Entry>& entries,
                  const Layout& layout = Layout());

// Offsets into an archive that BuildArchive made, for tests that damage one.
constexpr std::size_t kHeaderSize = 24;
constexpr std::size_t kGroupHeaderSize = 8;
constexpr std::size_t kRecordSize = 16;
// The record of entry `i` when all records are in one group.
constexpr std::size_t RecordOffset(std::size_t i) {
    return kHeaderSize + kGroupHeaderSize + kRecordSize * i;
}
std::uint32_t GetU32(const Bytes& bytes, std::size_t offset);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

}  // namespace rezwriter
