// Writes .rez resource archives (format: docs/rez-format.md, layout:
// archive_layout.h): a folder packed into an archive file (PackFolder,
// behind `servolt-cli rez create`), and the pieces it is made of, which
// builders of archives in memory (tools/rezbuild) share.
//
// Layout written: the header, the directory block (groups of records, then
// the zero-terminated names), then each entry's stored bytes in entry order.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/archive/archive_layout.h"
#include "core/archive/archive_progress.h"
#include "core/archive/codecs.h"
#include "platform/platform.h"

namespace rezwriter {

using Bytes = std::vector<unsigned char>;
using MethodCodes = std::array<std::uint32_t, kMethodSlotCount>;

// Best: per entry, the smallest stored form among the methods the header
// holds (on a tie NONE, then LZSS).
enum class Method { None, Lzss, Rle, Best };

struct Layout {
    // The header's three method codes; an entry's method picks the first
    // slot holding its code.
    MethodCodes codes{{kMethodNone, kMethodLzss, kMethodRle}};
    // Records per group (the last group takes the rest); 0 puts all in one.
    std::uint32_t recordsPerGroup = 0;
    // Entry number of the first record.
    std::uint32_t firstIndex = 0;
};

// The first header slot holding the method's code (Best counts as NONE);
// kMethodSlotCount when none does.
std::uint32_t SlotOf(const MethodCodes& codes, Method method);

// The method an entry of these bytes is stored with under `method` when the
// header holds `codes`, and its stored bytes in `stored` (left empty for
// NONE: the bytes themselves are stored). False when the method (for Best:
// every method) has no slot in the header.
bool StoreEntry(const unsigned char* data, std::size_t size, Method method, const MethodCodes& codes,
                Method& used, Bytes& stored);

// ---- The header and the directory block -----------------------------------

// Where the groups of `count` records fall under `layout`.
struct DirectoryShape {
    std::size_t perGroup;
    std::size_t groups;
    std::size_t recordsEnd;  // in the directory block: where names may start
};
DirectoryShape ShapeOf(std::size_t count, const Layout& layout);

// `bytes` becomes the header and a directory block of `directorySize`
// bytes, zero but for the group headers; returns the offset in `bytes` of
// each record.
std::vector<std::size_t> WriteDirectoryFrame(Bytes& bytes, std::size_t count, std::size_t directorySize,
                                             const DirectoryShape& shape, const Layout& layout);

// The header and the directory block for entries of these names (an empty
// name: a record without one), each name stored once after the records in
// entry order.
struct DirectoryFrame {
    Bytes bytes;                          // the records still hold no data words
    std::vector<std::size_t> records;     // where each record lies in `bytes`
    std::vector<std::uint32_t> nameWords; // each record's name word, without its method slot
};
DirectoryFrame LayOutDirectory(const std::vector<const std::string*>& names, const Layout& layout);

// Fills in the record at `recordAt` of `frame`.
void PutRecord(Bytes& frame, std::size_t recordAt, std::uint32_t dataOffset, std::uint32_t storedSize,
               std::uint32_t nameWord, std::uint32_t slot, std::uint32_t size);

// ---- Packing a folder ------------------------------------------------------
// Every file below the folder becomes an entry named by its path relative to
// the folder, "/" between the parts; entries stand in byte-wise name order,
// so the same tree always gives the same bytes. A folder with nothing packed
// below it becomes a folder entry ("name/", size 0), which unpacking
// recreates. Symbolic links and junctions are neither followed nor packed
// (and named, those that lead nowhere too), and neither is the archive being
// written when it lies inside the folder, recognised by its file identity
// as well as by its path. A file with other hard links is packed under each
// of its names in the tree: each is the file itself, not a way elsewhere.

// Why nothing was written.
struct PackProblem {
    std::string subject;    // an entry's name, or a path as given
    std::string reason;     // what is wrong with it, in words
    platform::Error error;  // the system's own reason, when the system refused (Failed())
};

struct PackResult {
    bool written = false;             // the archive is complete at its path
    std::size_t entries = 0;          // entries written, folder entries included
    std::uint64_t bytes = 0;          // their bytes, decoded
    std::uint64_t storedBytes = 0;    // their stored bytes, as rez list counts them
    std::uint64_t archiveBytes = 0;   // the archive file's size: header and directory too
    std::vector<PackProblem> problems;
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
// entry. `exclude`: patterns (* and ?) of what is left out, quietly: each
// matches a path relative to the folder ("/" between parts) or the name of
// a file or folder at any depth; one ending in "/" matches folders only,
// whose whole content is then left out.
PackResult PackFolder(const std::string& folder, const std::string& archivePath, Method method,
                      const std::function<void(const ArchiveProgress&)>& progress = nullptr,
                      const std::vector<std::string>& exclude = {});

}  // namespace rezwriter
