#include "core/archive/resource_archive.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/ascii.h"

ResourceSource::~ResourceSource() = default;

namespace {

// The directory block is followed by this many zero bytes, so that names in
// it can be compared eight bytes at a time.
constexpr std::size_t kDirectoryPadding = 8;

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t LoadWord(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// "A".."Z" to "a".."z" in all eight bytes at once.
inline std::uint64_t FoldWord(std::uint64_t word) {
    const std::uint64_t low7 = word & ~kHighBits;
    const std::uint64_t atLeastA = low7 + kOnes * (0x80 - 'A');
    const std::uint64_t beyondZ = low7 + kOnes * (0x7F - 'Z');
    const std::uint64_t upper = atLeastA & ~beyondZ & ~word & kHighBits;
    return word | (upper >> 2);
}

// ascii::CompareNoCase for two names inside the padded directory block: reads at
// most seven bytes past a terminator.
inline int CompareIndexedNames(const char* a, const char* b) {
    for (std::size_t at = 0;; at += 8) {
        const std::uint64_t x = FoldWord(LoadWord(a + at));
        const std::uint64_t y = FoldWord(LoadWord(b + at));
        // The lowest flagged byte is the first zero byte of x.
        const std::uint64_t zeros = (x - kOnes) & ~x & kHighBits;
        const std::uint64_t differ = x ^ y;
        if (differ == 0) {
            if (zeros) return 0;
            continue;
        }
        const unsigned first = unsigned(__builtin_ctzll(differ)) & ~7u;
        if (zeros && (unsigned(__builtin_ctzll(zeros)) & ~7u) < first) return 0;
        return ((x >> first) & 0xFF) < ((y >> first) & 0xFF) ? -1 : 1;
    }
}
#else
inline int CompareIndexedNames(const char* a, const char* b) { return ascii::CompareNoCase(a, b); }
#endif

// Position of the lowest set bit of a non-zero word.
inline unsigned LowestBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return unsigned(__builtin_ctzll(bits));
#else
    unsigned position = 0;
    while (!(bits & 1)) {
        bits >>= 1;
        ++position;
    }
    return position;
#endif
}

// Names equal but for case in entry-number order, so that the index (and a
// lookup by name) comes out the same on every run; the record's place in
// the directory settles entry numbers that repeat.
struct EntryNumberOrder {
    bool operator()(const NameIndexEntry& a, const NameIndexEntry& b) const {
        if (a.entryNumber != b.entryNumber) return a.entryNumber < b.entryNumber;
        return a.record < b.record;
    }
};

// The index order: name, then EntryNumberOrder.
struct IndexOrder {
    bool operator()(const NameIndexEntry& a, const NameIndexEntry& b) const {
        const int order = CompareIndexedNames(a.name, b.name);
        if (order != 0) return order < 0;
        return EntryNumberOrder()(a, b);
    }
};

// Sets of places in the directory block: one bit per byte.
inline std::size_t PlaceWords(std::uint32_t blockSize) {
    return std::size_t(blockSize) / 64 + 1;
}

inline void AddPlace(std::uint64_t* places, std::uint32_t offset) {
    places[offset / 64] |= std::uint64_t(1) << (offset % 64);
}

inline unsigned BitCount(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return unsigned(__builtin_popcountll(bits));
#else
    unsigned count = 0;
    for (; bits; bits &= bits - 1) ++count;
    return count;
#endif
}

// Puts `index` (named records, `count` of them, naming `placeCount` distinct
// places listed in `places`) in IndexOrder: the places sorted by name give
// each a rank, a counting sort puts the records in rank order, and each rank
// is sorted by entry number. False (index unchanged) without memory.
bool SortByRank(const unsigned char* block, std::size_t words, const std::uint64_t* places,
                std::uint32_t placeCount, std::unique_ptr<NameIndexEntry[]>& index, std::uint32_t count) {
    const auto nameAt = [block](std::uint32_t offset) { return reinterpret_cast<const char*>(block + offset); };
    // A place's position among the places: the places before its word of
    // the set, and the bits below it in that word.
    std::unique_ptr<std::uint32_t[]> placesBefore(new (std::nothrow) std::uint32_t[words]);
    std::unique_ptr<std::uint32_t[]> rank(new (std::nothrow) std::uint32_t[placeCount]);
    std::unique_ptr<std::uint32_t[]> byName(new (std::nothrow) std::uint32_t[placeCount]);
    if (!placesBefore || !rank || !byName) return false;
    std::uint32_t listed = 0;
    for (std::size_t word = 0; word < words; ++word) {
        placesBefore[word] = listed;
        for (std::uint64_t bits = places[word]; bits != 0; bits &= bits - 1)
            byName[listed++] = std::uint32_t(word * 64 + LowestBit(bits));
    }
    const auto positionOf = [&](std::uint32_t offset) {
        const std::uint64_t below = (std::uint64_t(1) << (offset % 64)) - 1;
        return placesBefore[offset / 64] + BitCount(places[offset / 64] & below);
    };

    std::sort(byName.get(), byName.get() + placeCount, [&](std::uint32_t a, std::uint32_t b) {
        return CompareIndexedNames(nameAt(a), nameAt(b)) < 0;
    });
    std::uint32_t rankCount = 0;
    for (std::uint32_t i = 0; i < placeCount; ++i) {
        if (i > 0 && CompareIndexedNames(nameAt(byName[i - 1]), nameAt(byName[i])) != 0) ++rankCount;
        rank[positionOf(byName[i])] = rankCount;
    }
    ++rankCount;
    byName.reset();

    // Counting sort by rank; rankEnd[r] ends up where rank r ends.
    std::unique_ptr<std::uint32_t[]> rankEnd(new (std::nothrow) std::uint32_t[std::size_t(rankCount) + 1]());
    std::unique_ptr<NameIndexEntry[]> sorted(new (std::nothrow) NameIndexEntry[count]);
    if (!rankEnd || !sorted) return false;
    const auto rankOf = [&](const NameIndexEntry& entry) {
        return rank[positionOf(std::uint32_t(reinterpret_cast<const unsigned char*>(entry.name) - block))];
    };
    for (std::uint32_t i = 0; i < count; ++i) ++rankEnd[rankOf(index[i]) + 1];
    for (std::uint32_t r = 0; r < rankCount; ++r) rankEnd[r + 1] += rankEnd[r];
    for (std::uint32_t i = 0; i < count; ++i) sorted[rankEnd[rankOf(index[i])]++] = index[i];
    for (std::uint32_t r = 0, begin = 0; r < rankCount; begin = rankEnd[r++])
        if (rankEnd[r] - begin > 1) std::sort(sorted.get() + begin, sorted.get() + rankEnd[r], EntryNumberOrder());
    index = std::move(sorted);
    return true;
}

}  // namespace

std::unique_ptr<char[]> DuplicateString(const char* text) {
    if (!text) return nullptr;
    const std::size_t length = std::strlen(text);
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (copy) std::memcpy(copy.get(), text, length + 1);
    return copy;
}

ResourceArchive::ResourceArchive(const char* path, const char* secondText)
    : path_(DuplicateString(path)), secondText_(DuplicateString(secondText)) {
    isOpen_ = path_ && OpenArchive(path_.get());
}

ResourceArchive::~ResourceArchive() = default;

bool ResourceArchive::OpenArchive(const char* path) {
    if (!file_.Open(path)) return false;
    auto fail = [this] {
        file_.Close();
        return false;
    };

    unsigned char header[kArchiveHeaderSize];
    std::size_t got = 0;
    if (!file_.Read(header, sizeof header, got) || got != sizeof header) return fail();
    if (std::memcmp(header, kArchiveMagic, sizeof kArchiveMagic) != 0) return fail();

    DecoderRoutine decoders[kMethodSlotCount];
    std::uint32_t codes[kMethodSlotCount];
    for (unsigned slot = 0; slot < kMethodSlotCount; ++slot) {
        codes[slot] = ReadArchiveWord(header + kHeaderMethodCodesAt + 4 * slot);
        const MethodInfo* method = FindMethod(codes[slot]);
        if (!method) return fail();
        decoders[slot] = method->decoder;
    }

    const std::uint32_t groupCount = ReadArchiveWord(header + kHeaderGroupCountAt);
    const std::uint32_t directorySize = ReadArchiveWord(header + kHeaderDirectorySizeAt);
    // The file must hold the directory before a byte is allocated for it.
    const std::uint64_t fileSize = file_.Size();
    if (fileSize < kArchiveHeaderSize || directorySize > fileSize - kArchiveHeaderSize) return fail();
    // Each group takes at least its header and one record.
    if (groupCount > directorySize / (kGroupHeaderSize + kRecordSize)) return fail();

    std::unique_ptr<unsigned char[]> directory(
        new (std::nothrow) unsigned char[std::size_t(directorySize) + kDirectoryPadding]);
    if (!directory) return fail();
    if (!file_.Read(directory.get(), directorySize, got) || got != directorySize) return fail();
    std::memset(directory.get() + directorySize, 0, kDirectoryPadding);

    directory_ = std::move(directory);
    directorySize_ = directorySize;
    groupCount_ = groupCount;
    std::unique_ptr<std::uint64_t[]> nameStarts;
    if (!DirectoryHoldsTogether(nameStarts)) {
        directory_.reset();
        directorySize_ = 0;
        groupCount_ = 0;
        return fail();
    }
    std::copy(decoders, decoders + kMethodSlotCount, decoders_);
    std::copy(codes, codes + kMethodSlotCount, methodCodes_);
    fileSize_ = fileSize;
    filePosition_ = kArchiveHeaderSize + std::uint64_t(directorySize);
    BuildNameIndex(nameStarts.get());
    return true;
}

// Besides the walk of groups and records, two bounds keep what the directory
// costs in proportion to its size, whatever its names (docs/rez-format.md,
// "Bounds"): no name is longer than kNameLengthLimit, and the names counted
// once per place that records name take no more bytes (with their zeros)
// than the block. Names that lie apart always fit; only names that overlap
// (suffixes of one another) can outrun the block, and each such name would
// cost the search and its results its whole length again. Without memory
// for the set of places the directory cannot be checked, and is refused.
bool ResourceArchive::DirectoryHoldsTogether(std::unique_ptr<std::uint64_t[]>& nameStarts) const {
    const unsigned char* block = directory_.get();
    const std::size_t words = PlaceWords(directorySize_);
    std::unique_ptr<std::uint64_t[]> starts(new (std::nothrow) std::uint64_t[words]());
    if (!starts) return false;
    std::uint64_t at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        if (directorySize_ - at < kGroupHeaderSize) return false;
        const std::uint32_t records = ReadArchiveWord(block + at + kGroupRecordCountAt);
        at += kGroupHeaderSize;
        if (records == 0 || records > (directorySize_ - at) / kRecordSize) return false;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize) {
            const std::uint32_t nameOffset = ReadArchiveWord(block + at + kRecordNameWordAt) & kNameOffsetMask;
            if (nameOffset == 0) continue;
            if (nameOffset >= directorySize_) return false;
            AddPlace(starts.get(), nameOffset);
        }
    }
    // Each place once, however many records name it. The scan stops at the
    // budget, so it reads at most the block and one name more.
    std::uint64_t nameBytes = 0;
    for (std::size_t word = 0; word < words; ++word) {
        for (std::uint64_t bits = starts[word]; bits != 0; bits &= bits - 1) {
            const std::size_t offset = word * 64 + LowestBit(bits);
            const std::size_t room =
                std::min<std::size_t>(directorySize_ - offset, std::size_t(kNameLengthLimit) + 1);
            // No zero within reach: the name runs past the block or is too long.
            const void* zero = std::memchr(block + offset, 0, room);
            if (!zero) return false;
            nameBytes += std::size_t(static_cast<const unsigned char*>(zero) - (block + offset)) + 1;
            if (nameBytes > directorySize_) return false;
        }
    }
    nameStarts = std::move(starts);
    return true;
}

// The name index, in name order, names equal but for case by entry number
// (then by the record's place, for entry numbers that repeat). Names are
// only ever compared between distinct places of the block: records that
// name one place share its text, so sorting costs what the distinct names
// cost, however many records name them.
// - When each named record names a place of its own (so whenever a writer
//   stores one name per record), the records are sorted as they are.
// - Otherwise the places are sorted by name first, which gives each place a
//   rank (names equal but for case share one); the records are then put in
//   rank order by a counting sort and sorted by entry number within a rank.
// Uses up the set of places where names start. Without memory for the index
// (or for sorting it), the archive stays open with no index.
void ResourceArchive::BuildNameIndex(std::uint64_t* nameStarts) {
    index_.reset();
    repeatsPlace_.reset();
    namedEntryCount_ = 0;
    if (groupCount_ == 0 || !nameStarts) return;

    const unsigned char* block = directory_.get();
    std::uint32_t named = 0;
    std::uint64_t at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::uint32_t records = ReadArchiveWord(block + at + kGroupRecordCountAt);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize)
            if (ReadArchiveWord(block + at + kRecordNameWordAt) & kNameOffsetMask) ++named;
    }
    if (named == 0) return;

    std::unique_ptr<NameIndexEntry[]> index(new (std::nothrow) NameIndexEntry[named]);
    if (!index) return;
    std::uint32_t filled = 0;
    at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::uint32_t first = ReadArchiveWord(block + at + kGroupFirstEntryAt);
        const std::uint32_t records = ReadArchiveWord(block + at + kGroupRecordCountAt);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize) {
            const std::uint32_t nameOffset = ReadArchiveWord(block + at + kRecordNameWordAt) & kNameOffsetMask;
            if (nameOffset == 0) continue;
            index[filled++] = {reinterpret_cast<const char*>(block + nameOffset), first + i,
                               static_cast<std::uint32_t>(at)};
        }
    }

    const std::size_t words = PlaceWords(directorySize_);
    std::uint32_t placeCount = 0;
    for (std::size_t word = 0; word < words; ++word) placeCount += BitCount(nameStarts[word]);
    if (placeCount == named) {
        std::sort(index.get(), index.get() + named, IndexOrder());
    } else {
        if (!SortByRank(block, words, nameStarts, placeCount, index, named)) return;
        // Positions whose place an earlier position already names: the
        // search looks at each place once.
        std::unique_ptr<std::uint64_t[]> repeats(new (std::nothrow) std::uint64_t[std::size_t(named) / 64 + 1]());
        if (repeats) {
            for (std::uint32_t i = 0; i < named; ++i) {
                const std::size_t offset = std::size_t(reinterpret_cast<const unsigned char*>(index[i].name) - block);
                const std::uint64_t bit = std::uint64_t(1) << (offset % 64);
                if (nameStarts[offset / 64] & bit) nameStarts[offset / 64] &= ~bit;
                else repeats[i / 64] |= std::uint64_t(1) << (i % 64);
            }
        }
        repeatsPlace_ = std::move(repeats);
    }
    index_ = std::move(index);
    namedEntryCount_ = named;
}

const char* ResourceArchive::GetPath() const { return path_ ? path_.get() : ""; }

const NameIndexEntry* ResourceArchive::GetIndexEntry(std::uint32_t position) const {
    if (!index_ || position >= namedEntryCount_) return nullptr;
    return &index_[position];
}

// ---- Entries ------------------------------------------------------------------

bool ResourceArchive::EntryFitsFile(const EntryHandle& entry) const {
    if (std::uint64_t(entry.dataOffset) + entry.storedSize > fileSize_) return false;
    if (!entry.decoder) return entry.size == entry.storedSize;
    const MethodInfo* method = FindMethodOfDecoder(entry.decoder);
    return method && entry.size <= method->maxOutput(entry.storedSize);
}

std::unique_ptr<EntryHandle> ResourceArchive::OpenEntry(const char* name) const {
    if (!name || !index_) return nullptr;
    const NameIndexEntry key{name, 0, 0};
    const NameIndexEntry* begin = index_.get();
    const NameIndexEntry* end = begin + namedEntryCount_;
    const NameIndexEntry* found = std::lower_bound(
        begin, end, key,
        [](const NameIndexEntry& a, const NameIndexEntry& b) { return ascii::CompareNoCase(a.name, b.name) < 0; });
    if (found == end || ascii::CompareNoCase(found->name, name) != 0) return nullptr;
    return OpenRecordAt(found->record);
}

std::unique_ptr<EntryHandle> ResourceArchive::OpenRecord(std::uint32_t record) const {
    // Any 16 bytes of the block read as a record are checked as every
    // record is, so a place that is not one can do no harm.
    if (!isOpen_ || directorySize_ < kRecordSize || record > directorySize_ - kRecordSize) return nullptr;
    return OpenRecordAt(record);
}

std::vector<ArchiveRecord> ResourceArchive::ListRecords() const {
    std::vector<ArchiveRecord> records;
    if (!isOpen_ || !directory_) return records;
    records.reserve(namedEntryCount_);
    // The walk DirectoryHoldsTogether made: it stays inside the block.
    const unsigned char* block = directory_.get();
    std::uint64_t at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::uint32_t first = ReadArchiveWord(block + at + kGroupFirstEntryAt);
        const std::uint32_t count = ReadArchiveWord(block + at + kGroupRecordCountAt);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < count; ++i, at += kRecordSize) {
            const unsigned char* record = block + at;
            const std::uint32_t word = ReadArchiveWord(record + kRecordNameWordAt);
            if ((word & kNameOffsetMask) == 0) continue;
            ArchiveRecord item;
            item.name = reinterpret_cast<const char*>(block + (word & kNameOffsetMask));
            item.entryNumber = first + i;
            item.record = std::uint32_t(at);
            item.dataOffset = ReadArchiveWord(record + kRecordDataOffsetAt);
            item.storedSize = ReadArchiveWord(record + kRecordStoredSizeAt);
            item.size = ReadArchiveWord(record + kRecordSizeAt);
            const unsigned slot = word >> kMethodSlotShift;
            item.hasMethod = slot < kMethodSlotCount;
            item.methodCode = item.hasMethod ? methodCodes_[slot] : 0;
            records.push_back(std::move(item));
        }
    }
    return records;
}

std::unique_ptr<EntryHandle> ResourceArchive::OpenRecordAt(std::uint32_t at) const {
    const unsigned char* record = directory_.get() + at;
    const unsigned slot = ReadArchiveWord(record + kRecordNameWordAt) >> kMethodSlotShift;
    if (slot >= kMethodSlotCount) return nullptr;
    std::unique_ptr<EntryHandle> entry(new (std::nothrow) EntryHandle);
    if (!entry) return nullptr;
    entry->dataOffset = ReadArchiveWord(record + kRecordDataOffsetAt);
    entry->storedSize = ReadArchiveWord(record + kRecordStoredSizeAt);
    entry->size = ReadArchiveWord(record + kRecordSizeAt);
    entry->decoder = decoders_[slot];
    if (!EntryFitsFile(*entry)) return nullptr;
    return entry;
}

std::uint32_t ResourceArchive::GetEntrySize(const EntryHandle* entry) const {
    return entry ? entry->size : 0;
}

bool ResourceArchive::ReadAt(std::uint64_t position, void* buffer, std::uint32_t length) {
    platform::LockGuard guard(lock_);
    if (position != filePosition_) {
        ++fileSeekCount_;
        if (!file_.Seek(position)) {
            filePosition_ = kNoPosition;
            return false;
        }
    }
    filePosition_ = position + length;
    ++fileReadCount_;
    std::size_t got = 0;
    if (!file_.Read(buffer, length, got) || got != length) {
        filePosition_ = kNoPosition;
        return false;
    }
    return true;
}

namespace {

std::uint32_t CopyFromCache(const EntryHandle& entry, std::uint32_t offset, void* buffer,
                            std::uint32_t length) {
    if (offset >= entry.size) return 0;
    if (length > entry.size - offset) length = entry.size - offset;
    std::memcpy(buffer, entry.cache.get() + offset, length);
    return length;
}

}  // namespace

std::uint32_t ResourceArchive::ReadEntry(EntryHandle* entry, std::uint32_t offset, void* buffer,
                                         std::uint32_t length) {
    if (!entry || !buffer || length == 0 || !isOpen_) return 0;

    if (!entry->decoder) {
        // Kept inside the entry: the bytes after it belong to other entries.
        if (offset >= entry->size) return 0;
        if (length > entry->size - offset) length = entry->size - offset;
        if (std::uint64_t(entry->dataOffset) + offset + length > fileSize_) return 0;
        return ReadAt(std::uint64_t(entry->dataOffset) + offset, buffer, length) ? length : 0;
    }

    if (entry->cache) return CopyFromCache(*entry, offset, buffer, length);

    // Handles are plain records anyone may fill: check before allocating.
    if (!EntryFitsFile(*entry)) return 0;
    std::unique_ptr<unsigned char[]> packed(new (std::nothrow) unsigned char[std::size_t(entry->storedSize) + 1]);
    if (!packed) return 0;
    if (!ReadAt(entry->dataOffset, packed.get(), entry->storedSize)) return 0;

    if (offset == 0 && length == entry->size) {
        // The whole entry: straight into the caller's buffer, nothing cached.
        if (!entry->decoder(static_cast<unsigned char*>(buffer), packed.get(), entry->size,
                            entry->storedSize))
            return 0;
        return length;
    }

    std::unique_ptr<unsigned char[]> cache(new (std::nothrow) unsigned char[std::size_t(entry->size) + 1]);
    if (!cache) return 0;
    if (!entry->decoder(cache.get(), packed.get(), entry->size, entry->storedSize)) return 0;
    entry->cache = std::move(cache);
    return CopyFromCache(*entry, offset, buffer, length);
}

std::unique_ptr<platform::ReadOnlyFile> ResourceArchive::OpenEntryFile(const EntryHandle* entry) const {
    if (!entry) return nullptr;
    std::unique_ptr<platform::ReadOnlyFile> file(new (std::nothrow) platform::ReadOnlyFile);
    if (!file || !file->Open(GetPath(), true)) return nullptr;
    if (!file->Seek(entry->dataOffset)) return nullptr;
    return file;
}
