#include "core/archive/resource_archive.h"

#include <algorithm>
#include <cstring>
#include <new>

std::set<std::string> ArchiveSearchResults;

ResourceSource::~ResourceSource() = default;

void ResourceSource::FlushEntry(EntryHandle*) {}

namespace {

constexpr unsigned char kMagic[4] = {'V', 'N', 'T', 'R'};

// Where a directory record keeps what an entry handle needs.
constexpr std::uint32_t kRecordDataOffset = 0;  // word A
constexpr std::uint32_t kRecordStoredSize = 4;  // word B
constexpr std::uint32_t kRecordNameWord = 8;
constexpr std::uint32_t kRecordUncompressedSize = 12;      // word D

inline std::uint32_t ReadU32(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) |
           (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[3]) << 24);
}

// "A".."Z" folded to "a".."z"; every other byte as it is.
struct FoldTable {
    unsigned char fold[256];
    FoldTable() {
        for (int c = 0; c < 256; ++c)
            fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
};
const FoldTable kFold;

// Unsigned bytes after folding, so "_" sorts before every letter.
inline int CompareNames(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        const unsigned char p = kFold.fold[*x];
        const unsigned char q = kFold.fold[*y];
        if (p != q) return p < q ? -1 : 1;
        if (p == 0) return 0;
    }
}

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

// CompareNames for two names inside the padded directory block: reads at
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
inline int CompareIndexedNames(const char* a, const char* b) { return CompareNames(a, b); }
#endif

// Name order; names equal but for case in entry-number order, so that the
// index (and a lookup by name) comes out the same on every run.
struct IndexOrder {
    bool operator()(const NameIndexEntry& a, const NameIndexEntry& b) const {
        const int order = CompareIndexedNames(a.name, b.name);
        if (order != 0) return order < 0;
        return a.entryNumber < b.entryNumber;
    }
};

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
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) return fail();

    DecoderRoutine decoders[kMethodSlotCount];
    for (unsigned slot = 0; slot < kMethodSlotCount; ++slot) {
        const MethodInfo* method = FindMethod(ReadU32(header + 12 + 4 * slot));
        if (!method) return fail();
        decoders[slot] = method->decoder;
    }

    const std::uint32_t groupCount = ReadU32(header + 4);
    const std::uint32_t directorySize = ReadU32(header + 8);
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
    if (!DirectoryHoldsTogether()) {
        directory_.reset();
        directorySize_ = 0;
        groupCount_ = 0;
        return fail();
    }
    std::copy(decoders, decoders + kMethodSlotCount, decoders_);
    fileSize_ = fileSize;
    filePosition_ = kArchiveHeaderSize + std::uint64_t(directorySize);
    BuildNameIndex();
    return true;
}

bool ResourceArchive::DirectoryHoldsTogether() const {
    const unsigned char* block = directory_.get();
    std::uint64_t at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        if (directorySize_ - at < kGroupHeaderSize) return false;
        const std::uint32_t records = ReadU32(block + at + 4);
        at += kGroupHeaderSize;
        if (records == 0 || records > (directorySize_ - at) / kRecordSize) return false;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize) {
            const std::uint32_t nameOffset = ReadU32(block + at + kRecordNameWord) & kNameOffsetMask;
            if (nameOffset == 0) continue;
            if (nameOffset >= directorySize_) return false;
            if (!std::memchr(block + nameOffset, 0, directorySize_ - nameOffset)) return false;
        }
    }
    return true;
}

void ResourceArchive::BuildNameIndex() {
    index_.reset();
    namedEntryCount_ = 0;
    if (groupCount_ == 0) return;

    const unsigned char* block = directory_.get();
    std::uint32_t named = 0;
    std::uint64_t at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::uint32_t records = ReadU32(block + at + 4);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize)
            if (ReadU32(block + at + kRecordNameWord) & kNameOffsetMask) ++named;
    }
    if (named == 0) return;

    std::unique_ptr<NameIndexEntry[]> index(new (std::nothrow) NameIndexEntry[named]);
    if (!index) return;
    std::uint32_t filled = 0;
    at = 0;
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::uint32_t first = ReadU32(block + at);
        const std::uint32_t records = ReadU32(block + at + 4);
        at += kGroupHeaderSize;
        for (std::uint32_t i = 0; i < records; ++i, at += kRecordSize) {
            const std::uint32_t nameOffset = ReadU32(block + at + kRecordNameWord) & kNameOffsetMask;
            if (nameOffset == 0) continue;
            index[filled++] = {reinterpret_cast<const char*>(block + nameOffset), first + i,
                               static_cast<std::uint32_t>(at)};
        }
    }
    std::sort(index.get(), index.get() + named, IndexOrder());
    index_ = std::move(index);
    namedEntryCount_ = named;
}

const char* ResourceArchive::GetPath() { return path_ ? path_.get() : ""; }

bool ResourceArchive::SplitEntryName(const char*, std::string& folder, std::string& file) {
    folder.clear();
    file.clear();
    return false;
}

std::uint32_t ResourceArchive::GetEntryTime(const char*, std::uint32_t& time) {
    time = 0;
    return 0;
}

std::uint32_t ResourceArchive::GetEntryAttributes(const char*, std::uint32_t& attributes,
                                                  std::uint32_t, std::uint32_t) {
    attributes = 0;
    return 0;
}

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

EntryHandle* ResourceArchive::OpenEntry(const char* name) {
    if (!name || !index_) return nullptr;
    const NameIndexEntry key{name, 0, 0};
    const NameIndexEntry* begin = index_.get();
    const NameIndexEntry* end = begin + namedEntryCount_;
    const NameIndexEntry* found = std::lower_bound(
        begin, end, key,
        [](const NameIndexEntry& a, const NameIndexEntry& b) { return CompareNames(a.name, b.name) < 0; });
    if (found == end || CompareNames(found->name, name) != 0) return nullptr;

    const unsigned char* record = directory_.get() + found->record;
    const unsigned slot = ReadU32(record + kRecordNameWord) >> kMethodSlotShift;
    if (slot >= kMethodSlotCount) return nullptr;
    std::unique_ptr<EntryHandle> entry(new (std::nothrow) EntryHandle);
    if (!entry) return nullptr;
    entry->dataOffset = ReadU32(record + kRecordDataOffset);
    entry->storedSize = ReadU32(record + kRecordStoredSize);
    entry->size = ReadU32(record + kRecordUncompressedSize);
    entry->decoder = decoders_[slot];
    if (!EntryFitsFile(*entry)) return nullptr;
    return entry.release();
}

void ResourceArchive::CloseEntry(EntryHandle* entry) { delete entry; }

std::uint32_t ResourceArchive::GetEntrySize(const EntryHandle* entry) {
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

std::unique_ptr<platform::ReadOnlyFile> ResourceArchive::OpenEntryFile(const EntryHandle* entry,
                                                                       std::uint32_t) {
    if (!entry) return nullptr;
    std::unique_ptr<platform::ReadOnlyFile> file(new (std::nothrow) platform::ReadOnlyFile);
    if (!file || !file->Open(GetPath(), true)) return nullptr;
    if (!file->Seek(entry->dataOffset)) return nullptr;
    return file;
}
