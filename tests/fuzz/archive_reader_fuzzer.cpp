// Any bytes as an archive file: open, index, search, and read every entry
// in every way a caller can. The sanitizers report any access outside a
// buffer; the checks below report answers that break the reader's promises.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

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

// The index order: bytes compared unsigned after folding A-Z to a-z.
bool FoldedLess(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return x < y;
        if (!x) return false;
    }
}

void ReadEveryWay(ResourceArchive& archive, const char* name) {
    EntryHandle* entry = archive.OpenEntry(name);
    if (!entry) return;
    const std::uint32_t size = archive.GetEntrySize(entry);
    std::vector<unsigned char> whole(std::size_t(size) + 1);
    const std::uint32_t got = archive.ReadEntry(entry, 0, whole.data(), size);
    Require(got == 0 || got == size);
    // Partial reads (they build the cache of a compressed entry), one past
    // the end, and one longer than the entry.
    std::vector<unsigned char> part(std::size_t(size) + 16);
    const std::uint32_t half = size / 2;
    const std::uint32_t first = archive.ReadEntry(entry, half, part.data(), size + 16);
    Require(first <= size - half);
    const std::uint32_t again = archive.ReadEntry(entry, half, part.data(), 1);
    Require(again <= 1);
    if (got == size && first > 0)
        for (std::uint32_t i = 0; i < first; ++i) Require(part[i] == whole[half + i]);
    Require(archive.ReadEntry(entry, size, part.data(), 4) == 0);
    archive.CloseEntry(entry);
}

}  // namespace

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
    ArchiveSearchResults.clear();
    archive.Search("", "bsp", "*.bsp", true);
    archive.Search("maps/", "bsp;/;", nullptr, false);
    archive.Search("", nullptr, "*a?c*", true);
    const std::uint32_t count = archive.GetEntryCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        const NameIndexEntry* at = archive.GetIndexEntry(i);
        Require(at != nullptr);
        if (i > 0) Require(!FoldedLess(at->name, archive.GetIndexEntry(i - 1)->name));
        ReadEveryWay(archive, at->name);
    }
    Require(archive.GetIndexEntry(count) == nullptr);
    if (count) {
        EntryHandle* entry = archive.OpenEntry(archive.GetIndexEntry(0)->name);
        if (entry) {
            std::unique_ptr<platform::ReadOnlyFile> own = archive.OpenEntryFile(entry, 0);
            Require(own != nullptr);
            archive.CloseEntry(entry);
        }
    }
    ArchiveSearchResults.clear();
    return 0;
}
