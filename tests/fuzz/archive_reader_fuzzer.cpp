// Any bytes as an archive file: open, index, search, list, read every entry
// in every way a caller can, and extract it into a throw-away folder. The sanitizers report any access outside a
// buffer; the checks below report answers that break the reader's promises;
// the run's -timeout and -rss_limit_mb report a directory that costs far
// more than its size.
//
// libFuzzer's own mutations seldom make an input larger than a few KB in a
// minute. So that directories of tens of thousands of records and long
// names are tried all the same, one mutation in 64 grows the directory
// instead: repeats records (GrowDirectory) or stretches a name
// (StretchName). Run with -len_control=0, so that growing may reach
// -max_len at once (tests/fuzz/CMakeLists.txt).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/archive/archive_extract.h"
#include "core/archive/resource_archive.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

const std::string& ArchivePath() {
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/servolt-fuzz-archive-" +
               std::to_string(getpid()) + ".rez";
    }();
    return path;
}

// The index order: bytes compared unsigned after folding A-Z to a-z; -1, 0
// or 1. Names at one place are equal without a look (large directories
// share names by the thousand); the harness's own loops are kept out of the
// coverage that steers the fuzzer.
__attribute__((no_sanitize("coverage"))) int FoldedCompare(const char* a, const char* b) {
    if (a == b) return 0;
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

__attribute__((no_sanitize("coverage"))) std::size_t NameLength(const char* name) {
    return std::strlen(name);
}

// Reads the entry of that name in every way; returns its size (0 when it
// does not open).
std::uint32_t ReadEveryWay(ResourceArchive& archive, const char* name) {
    std::unique_ptr<EntryHandle> entry = archive.OpenEntry(name);
    if (!entry) return 0;
    const std::uint32_t size = archive.GetEntrySize(entry.get());
    std::vector<unsigned char> whole(std::size_t(size) + 1);
    const std::uint32_t got = archive.ReadEntry(entry.get(), 0, whole.data(), size);
    Require(got == 0 || got == size);
    // Partial reads (they build the cache of a compressed entry), one past
    // the end, and one longer than the entry.
    std::vector<unsigned char> part(std::size_t(size) + 16);
    const std::uint32_t half = size / 2;
    const std::uint32_t first = archive.ReadEntry(entry.get(), half, part.data(), size + 16);
    Require(first <= size - half);
    const std::uint32_t again = archive.ReadEntry(entry.get(), half, part.data(), 1);
    Require(again <= 1);
    if (got == size && first > 0)
        for (std::uint32_t i = 0; i < first; ++i) Require(part[i] == whole[half + i]);
    Require(archive.ReadEntry(entry.get(), size, part.data(), 4) == 0);
    return size;
}

// Extraction writes a file per entry: inputs with more records than this
// are listed and read but not extracted, so that each run stays quick.
constexpr std::size_t kExtractRecordLimit = 256;

// A folder of its own under $TMPDIR, emptied before and after each input.
const std::filesystem::path& ExtractRoot() {
    static const std::filesystem::path root = std::filesystem::path(ArchivePath()).replace_extension(".out");
    return root;
}

// Extracts into ExtractRoot()/out and checks what landed: nothing beside
// "out", no link, no two written entries (nor one and the directory)
// sharing stored bytes, and the bytes on disk those the result counts.
void ExtractAndCheck(ResourceArchive& archive, const std::vector<ArchiveRecord>& records, bool force) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::remove_all(ExtractRoot(), error);
    fs::create_directories(ExtractRoot(), error);
    if (error) return;
    ExtractOptions options;
    options.folder = (ExtractRoot() / "out").string();
    options.force = force;
    const ExtractResult result = ExtractArchive(archive, options);

    std::uint64_t onDisk = 0;
    std::uint32_t files = 0;
    for (auto it = fs::recursive_directory_iterator(ExtractRoot(), error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        Require(it->path().lexically_relative(ExtractRoot()).begin()->string() == "out");
        Require(!it->is_symlink());
        if (it->is_regular_file()) {
            onDisk += it->file_size();
            ++files;
        }
    }
    Require(!error);
    Require(onDisk == result.bytesWritten);
    // No two entries landed on one file: each one written is a file of its own.
    Require(files == result.filesWritten);
    // Records refused alike are counted, not repeated: every selected record
    // is written, refused once, or a folder.
    std::uint64_t refused = 0;
    for (const ExtractProblem& problem : result.problems) {
        Require(problem.records >= 1);
        refused += problem.records;
    }
    if (result.outcome != ExtractOutcome::Refused) Require(refused + result.filesWritten <= result.selected);
    if (result.outcome == ExtractOutcome::Refused) Require(result.writtenRecords.empty() && onDisk == 0);

    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;  // stored bytes of each written entry
    for (const std::uint32_t written : result.writtenRecords) {
        const auto record = std::find_if(records.begin(), records.end(),
                                         [written](const ArchiveRecord& r) { return r.record == written; });
        Require(record != records.end());
        if (record->storedSize > 0)
            ranges.emplace_back(record->dataOffset, std::uint64_t(record->dataOffset) + record->storedSize);
    }
    std::sort(ranges.begin(), ranges.end());
    std::uint64_t end = kArchiveHeaderSize + std::uint64_t(archive.GetDirectorySize());
    for (const auto& range : ranges) {
        Require(range.first >= end);
        end = range.second;
    }
    fs::remove_all(ExtractRoot(), error);
}

// Entries may share their data, and a compressed one may be nine times its
// stored size: reading every one of a large directory could take minutes
// while the reader works as it should. Past this many bytes of entries per
// input, the rest of the index is only checked, not read.
constexpr std::uint64_t kReadBudget = std::uint64_t(16) << 20;

std::uint32_t GetU32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
           (std::uint32_t(at[3]) << 24);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The header's group count and directory size and the first group's record
// count, when the first group's records lie inside the directory block;
// false when there is no such group for a mutator to work on.
bool FirstGroupShape(const std::uint8_t* data, std::size_t size, std::uint32_t& groups,
                     std::uint32_t& directorySize, std::uint32_t& records) {
    if (size < kArchiveHeaderSize + kGroupHeaderSize + kRecordSize) return false;
    groups = GetU32(data + 4);
    directorySize = GetU32(data + 8);
    records = GetU32(data + kArchiveHeaderSize + 4);
    return groups != 0 && directorySize <= size - kArchiveHeaderSize &&
           directorySize >= kGroupHeaderSize + kRecordSize && records != 0 &&
           records <= (directorySize - kGroupHeaderSize) / kRecordSize;
}

// After `added` bytes were inserted into the directory block of `grown`
// (now blockSize bytes): in every record that can be walked to, a name at
// or behind block offset `from`, and data at or behind the same place in
// the file, move by `added`.
void MovePlacesFrom(std::vector<std::uint8_t>& grown, std::uint32_t groups, std::size_t blockSize, std::size_t from,
                    std::size_t added) {
    std::uint8_t* block = grown.data() + kArchiveHeaderSize;
    std::size_t at = 0;
    for (std::uint32_t group = 0; group < groups && blockSize - at >= kGroupHeaderSize; ++group) {
        const std::uint32_t count = GetU32(block + at + 4);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < count && blockSize - at >= kRecordSize; ++i, at += kRecordSize) {
            const std::uint32_t dataOffset = GetU32(block + at);
            if (dataOffset >= kArchiveHeaderSize + from && dataOffset + added <= 0xFFFFFFFFu)
                PutU32(block + at, std::uint32_t(dataOffset + added));
            const std::uint32_t word = GetU32(block + at + 8);
            if ((word & kNameOffsetMask) >= from && (word & kNameOffsetMask) + added <= kNameOffsetMask)
                PutU32(block + at + 8, std::uint32_t(word + added));
        }
    }
}

// Repeats a run of the first group's records many times right behind them,
// keeping what the records name: the copies name the same places (records
// sharing names) or, each copy a few bytes further on, ever shorter tails
// of them (overlapping names). Name offsets and data offsets behind the
// insertion move with it. The added size is drawn evenly on a log scale up
// to what maxSize leaves, so that most grown inputs stay quick to run. 0
// when the input has no first group to grow.
std::size_t GrowDirectory(std::uint8_t* data, std::size_t size, std::size_t maxSize, std::minstd_rand& random) {
    std::uint32_t groups, directorySize, records;
    if (!FirstGroupShape(data, size, groups, directorySize, records)) return 0;
    const std::uint32_t first = std::uint32_t(random() % records);
    const std::uint32_t run = 1 + std::uint32_t(random() % (records - first));
    const std::size_t room = maxSize - size;
    const std::size_t wanted = std::size_t(1) << (random() % 21);  // 1 B .. 1 MB
    const std::size_t copies = std::min(wanted, room) / (std::size_t(run) * kRecordSize);
    if (copies == 0) return 0;
    const std::uint32_t step = std::uint32_t(random() % 3 == 0 ? 0 : 1u << (random() % 6));  // 0, 1 .. 32
    const std::size_t added = copies * run * kRecordSize;
    if (std::uint64_t(directorySize) + added > kNameOffsetMask) return 0;

    const std::size_t insertAt = kGroupHeaderSize + std::size_t(records) * kRecordSize;  // in the block
    std::vector<std::uint8_t> grown(data, data + size);
    std::vector<std::uint8_t> copy(added);
    for (std::size_t c = 0; c < copies; ++c) {
        for (std::uint32_t r = 0; r < run; ++r) {
            std::uint8_t* record = copy.data() + (c * run + r) * kRecordSize;
            std::memcpy(record, data + kArchiveHeaderSize + kGroupHeaderSize + (first + r) * kRecordSize,
                        kRecordSize);
            const std::uint32_t word = GetU32(record + 8);
            if (word & kNameOffsetMask)
                PutU32(record + 8, (word & ~kNameOffsetMask) |
                                       (((word & kNameOffsetMask) + std::uint32_t(c + 1) * step) & kNameOffsetMask));
        }
    }
    grown.insert(grown.begin() + std::ptrdiff_t(kArchiveHeaderSize + insertAt), copy.begin(), copy.end());
    PutU32(grown.data() + 8, std::uint32_t(directorySize + added));
    PutU32(grown.data() + kArchiveHeaderSize + 4, std::uint32_t(records + copies * run));
    MovePlacesFrom(grown, groups, directorySize + added, insertAt, added);
    std::memcpy(data, grown.data(), grown.size());
    return grown.size();
}

// Makes the name of a random record of the first group longer by repeating
// its first character (up to what maxSize leaves, drawn as above): long
// names, which the copies GrowDirectory makes then share or overlap. Names
// and data behind it move along. 0 when there is no such name to stretch.
std::size_t StretchName(std::uint8_t* data, std::size_t size, std::size_t maxSize, std::minstd_rand& random) {
    std::uint32_t groups, directorySize, records;
    if (!FirstGroupShape(data, size, groups, directorySize, records)) return 0;
    const std::uint8_t* record =
        data + kArchiveHeaderSize + kGroupHeaderSize + (random() % records) * kRecordSize;
    const std::uint32_t nameAt = GetU32(record + 8) & kNameOffsetMask;
    if (nameAt == 0 || nameAt >= directorySize) return 0;
    const std::size_t room = maxSize - size;
    const std::size_t added = std::min(std::size_t(1) << (random() % 21), room);
    if (added == 0 || std::uint64_t(directorySize) + added > kNameOffsetMask) return 0;

    std::vector<std::uint8_t> grown(data, data + size);
    const std::uint8_t fill = data[kArchiveHeaderSize + nameAt] ? data[kArchiveHeaderSize + nameAt] : 'a';
    grown.insert(grown.begin() + std::ptrdiff_t(kArchiveHeaderSize + nameAt), added, fill);
    PutU32(grown.data() + 8, std::uint32_t(directorySize + added));
    MovePlacesFrom(grown, groups, directorySize + added, nameAt + 1, added);  // not the stretched name itself
    std::memcpy(data, grown.data(), grown.size());
    return grown.size();
}

}  // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::minstd_rand random(seed);
    const unsigned pick = unsigned(random() % 128);
    if (pick < 2) {
        const std::size_t grown =
            pick == 0 ? GrowDirectory(data, size, maxSize, random) : StretchName(data, size, maxSize, random);
        if (grown) return grown;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(ArchivePath().c_str(), "wb");
    if (!file) return 0;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    ResourceArchive archive(ArchivePath().c_str(), "");
    if (!archive.IsOpen()) {
        Require(archive.GetEntryCount() == 0);
        return 0;
    }
    // The bounds of an open directory (docs/rez-format.md, "Bounds"): the
    // names the map search keeps, each once, take no more bytes than the
    // directory, which the file holds.
    std::size_t resultBytes = 0;
    for (const std::string& name : archive.Search("", "bsp", "*.bsp", true)) resultBytes += name.size() + 1;
    Require(resultBytes <= size);
    archive.Search("maps/", "bsp;/;", nullptr, false);
    archive.Search("", nullptr, "*a?c*", true);
    const std::uint32_t count = archive.GetEntryCount();
    std::uint64_t read = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const NameIndexEntry* at = archive.GetIndexEntry(i);
        Require(at != nullptr);
        Require(NameLength(at->name) <= kNameLengthLimit);
        const int order = i > 0 ? FoldedCompare(archive.GetIndexEntry(i - 1)->name, at->name) : -1;
        Require(order <= 0);
        if (order == 0) {
            // Names equal but for case: by entry number, then record.
            const NameIndexEntry* before = archive.GetIndexEntry(i - 1);
            Require(before->entryNumber < at->entryNumber ||
                    (before->entryNumber == at->entryNumber && before->record < at->record));
        }
        // A name equal but for case to the one before opens the same entry.
        if (read <= kReadBudget && order < 0) read += ReadEveryWay(archive, at->name) + std::uint64_t(1);
    }
    Require(archive.GetIndexEntry(count) == nullptr);
    // Listing: every named record once, in directory order.
    const std::vector<ArchiveRecord> records = archive.ListRecords();
    Require(records.size() == count);
    for (std::size_t i = 0; i < records.size(); ++i) {
        Require(i == 0 || records[i - 1].record < records[i].record);
        Require(MethodName(records[i]) != nullptr);
        std::unique_ptr<EntryHandle> entry = archive.OpenRecord(records[i].record);
        Require(entry == nullptr || (records[i].hasMethod && entry->size == records[i].size));
    }
    if (records.size() <= kExtractRecordLimit) ExtractAndCheck(archive, records, size % 2 == 1);
    if (count) {
        std::unique_ptr<EntryHandle> entry = archive.OpenEntry(archive.GetIndexEntry(0)->name);
        if (entry) {
            std::unique_ptr<platform::ReadOnlyFile> own = archive.OpenEntryFile(entry.get());
            Require(own != nullptr);
        }
    }
    return 0;
}
