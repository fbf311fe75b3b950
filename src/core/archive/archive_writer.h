// Writes .rez resource archives (format: docs/rez-format.md): whole archives
// from entries in memory (BuildArchive, WriteArchive), the compressed streams
// alone (EncodeLzss, EncodeRle), and a folder packed into an archive file
// (PackFolder, behind `servolt-cli rez create`).
//
// Layout written: the 24-byte header, the directory block (groups of records,
// then the zero-terminated names), then each entry's stored bytes in entry
// order. A record holds word A = data offset, word B = stored size, the name
// word = name offset | method slot << 29, word D = size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/archive/decoders.h"
#include "core/archive/archive_progress.h"
#include "core/archive/resource_archive.h"

namespace rezwriter {

using Bytes = std::vector<unsigned char>;

// Best: per entry, the smallest stored form among the methods the header
// holds (on a tie NONE, then LZSS).
enum class Method { None, Lzss, Rle, Best };

// Method codes as the header holds them (four ASCII bytes, little-endian).
constexpr std::uint32_t kCodeNone = kMethodNone;
constexpr std::uint32_t kCodeLzss = kMethodLzss;
constexpr std::uint32_t kCodeRle = kMethodRle;

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

// The method an entry of these bytes is stored with under `method` when the
// header holds `codes`, and its stored bytes in `stored` (left empty for
// NONE: the bytes themselves are stored). False when the method (for Best:
// every method) has no slot in the header.
bool StoreEntry(const unsigned char* data, std::size_t size, Method method,
                const std::array<std::uint32_t, 3>& codes, Method& used, Bytes& stored);

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
constexpr std::size_t kHeaderSize = kArchiveHeaderSize;
using ::kGroupHeaderSize;
using ::kRecordSize;
// The record of entry `i` when all records are in one group.
constexpr std::size_t RecordOffset(std::size_t i) {
    return kHeaderSize + kGroupHeaderSize + kRecordSize * i;
}
std::uint32_t GetU32(const Bytes& bytes, std::size_t offset);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// ---- Packing a folder ------------------------------------------------------
// Every file below the folder becomes an entry named by its path relative to
// the folder, "/" between the parts; entries stand in byte-wise name order,
// so the same tree always gives the same bytes. A folder with nothing packed
// below it becomes a folder entry ("name/", size 0), which unpacking
// recreates. Symbolic links and junctions are neither followed nor packed,
// and neither is the archive being written when it lies inside the folder.

struct PackResult {
    bool written = false;             // the archive is complete at its path
    std::size_t entries = 0;          // entries written, folder entries included
    std::uint64_t bytes = 0;          // their bytes, decoded
    std::uint64_t storedBytes = 0;    // their stored bytes, as rez list counts them
    std::uint64_t archiveBytes = 0;   // the archive file's size: header and directory too
    std::vector<std::string> problems;  // why nothing was written; each names a path
    std::vector<std::string> skipped;   // links and the archive itself, not packed
};

// Packs `folder` into the archive at `archivePath` (paths of the platform
// interface). The tree is checked whole first: a name an unpacker could not
// turn into a file (EntryNameProblem), names that differ only in letter case,
// or an archive past the 4 GiB its 32-bit offsets reach refuse it, with every
// problem listed, before anything is written. The archive is then written to
// a temporary file beside the target, one file at a time (memory: about the
// largest file and its stored form), and replaces the target only once
// complete; on any failure the target is left as it was. The header holds
// NONE, LZSS and RLE in slots 1-3. `progress`, when set, is called after each
// entry.
PackResult PackFolder(const std::string& folder, const std::string& archivePath, Method method,
                      const std::function<void(const ArchiveProgress&)>& progress = nullptr);

}  // namespace rezwriter
