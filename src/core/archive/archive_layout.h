// The bytes of a .rez archive (docs/rez-format.md), for the reader and the
// writer alike: a header, the directory block (groups of records, then the
// zero-terminated names) and the entries' stored bytes. Every word is a
// little-endian 32-bit value; offsets below count from the start of the
// structure they name.
#pragma once

#include <cstdint>

// ---- Header -------------------------------------------------------------------
constexpr unsigned char kArchiveMagic[4] = {'V', 'N', 'T', 'R'};
constexpr std::uint32_t kArchiveHeaderSize = 24;
constexpr std::uint32_t kHeaderGroupCountAt = 4;
constexpr std::uint32_t kHeaderDirectorySizeAt = 8;  // bytes of the directory block
constexpr std::uint32_t kHeaderMethodCodesAt = 12;   // one code per method slot, slot 0 first

// ---- Groups of records, in the directory block --------------------------------
constexpr std::uint32_t kGroupHeaderSize = 8;
constexpr std::uint32_t kGroupFirstEntryAt = 0;  // entry number of the group's first record
constexpr std::uint32_t kGroupRecordCountAt = 4;

constexpr std::uint32_t kRecordSize = 16;
constexpr std::uint32_t kRecordDataOffsetAt = 0;  // word A: file offset of the stored bytes
constexpr std::uint32_t kRecordStoredSizeAt = 4;  // word B
constexpr std::uint32_t kRecordNameWordAt = 8;    // name offset in the block | method slot
constexpr std::uint32_t kRecordSizeAt = 12;       // word D: the entry's decoded size

// The name word: the name's offset in the directory block (0: no name) and,
// in bits 29-31, the header slot of the entry's method.
constexpr std::uint32_t kNameOffsetMask = 0x1FFFFFFFu;
constexpr unsigned kMethodSlotShift = 29;
constexpr unsigned kMethodSlotCount = 3;

// The longest name a directory may hold, in bytes before its zero: the
// longest text a Windows MAX_PATH buffer (260 with the zero) holds, so longer
// than any path, relative or absolute, that the game and Servolt (ANSI Win32
// calls, MAX_PATH buffers) can open. A longer name makes the directory
// malformed; docs/rez-format.md ("Bounds") argues the choice.
constexpr std::uint32_t kNameLengthLimit = 259;

// Method codes: four ASCII bytes read as one little-endian word.
constexpr std::uint32_t kMethodNone = 0x454E4F4Eu;  // "NONE"
constexpr std::uint32_t kMethodLzss = 0x53535A4Cu;  // "LZSS"
constexpr std::uint32_t kMethodRle = 0x20454C52u;   // "RLE " (a blank, not a zero)

inline std::uint32_t ReadArchiveWord(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
           (std::uint32_t(bytes[3]) << 24);
}

inline void WriteArchiveWord(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}
