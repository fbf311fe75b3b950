// Whole archives built in memory, for tests, benchmarks, fuzz seeds and the
// content tools: any entries with any method, any header codes and group
// sizes, and directories laid out as another writer (or an attacker) may lay
// them out. Made of the core writer's pieces (core/archive/archive_writer.h),
// so that what they build is what `rez create` would write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/archive/archive_writer.h"

namespace rezwriter {

constexpr std::uint32_t kCodeNone = kMethodNone;
constexpr std::uint32_t kCodeLzss = kMethodLzss;
constexpr std::uint32_t kCodeRle = kMethodRle;

struct Entry {
    std::string name;      // empty: the record has no name (name offset 0)
    std::string data;      // the entry's bytes as read back
    Method method = Method::None;
};

// The whole archive in memory. False (and `out` untouched) when an entry's
// method has no slot in the header.
bool BuildArchive(const std::vector<Entry>& entries, const Layout& layout, Bytes& out);
Bytes BuildArchive(const std::vector<Entry>& entries, const Layout& layout = Layout());

// Records that name places in one shared text: record i names the text at
// nameOffsets[i], counted from the text's start (kNoName: the record has no
// name). The text follows the records in the directory block and should
// hold the zeros that end the names. Every entry is empty and stored plain.
constexpr std::uint32_t kNoName = 0xFFFFFFFFu;
Bytes BuildSharedNameArchive(const std::vector<std::uint32_t>& nameOffsets, const std::string& text,
                             const Layout& layout = Layout());

// Writes bytes to a host file in binary, over what it held (the same file,
// which a reader that has it open then sees shrink or grow); false on any
// failure.
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
// Grows `bytes` when it ends before offset + 4.
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

}  // namespace rezwriter
