// Reader of .rez resource archives (format: docs/rez-format.md).
//
// Typical use, as map discovery does it:
//
//     ResourceArchive archive(path, "");
//     if (archive.IsOpen()) {
//         for (const std::string& name : archive.Search("", "bsp", "*.bsp", true)) ...
//     }
//
// and to read an entry:
//
//     std::unique_ptr<EntryHandle> entry = archive.OpenEntry("maps/dm/x.bsp");
//     std::vector<unsigned char> data(archive.GetEntrySize(entry.get()));
//     archive.ReadEntry(entry.get(), 0, data.data(), data.size());
//
// Every file either opens or leaves the object not open: a directory that
// does not hold together is refused as a whole.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/archive/archive_layout.h"
#include "core/archive/archive_text.h"
#include "core/archive/resource_source.h"
#include "platform/platform.h"

// A heap copy of a zero-terminated text (nullptr stays nullptr).
std::unique_ptr<char[]> DuplicateString(const char* text);

// One named record as the directory holds it (ResourceArchive::ListRecords).
struct ArchiveRecord {
    const char* name = "";         // inside the directory block: lives as long as the archive
    std::uint32_t entryNumber = 0;
    std::uint32_t record = 0;      // offset of the record in the directory block
    std::uint32_t dataOffset = 0;  // word A
    std::uint32_t storedSize = 0;  // word B
    std::uint32_t size = 0;        // word D
    bool hasMethod = false;        // false: the slot bits name no header code
    std::uint32_t methodCode = 0;  // the header's code for the slot (kMethodNone ...)
};

// One named record, in the sorted index.
struct NameIndexEntry {
    const char* name;          // inside the directory block
    std::uint32_t entryNumber; // group's first index + position in the group
    std::uint32_t record;      // offset of the record in the directory block
};

class ResourceArchive : public ResourceSource {
public:
    // Opens the archive at once; IsOpen tells whether that worked. The
    // second text is kept but plays no part.
    ResourceArchive(const char* path, const char* secondText);
    ~ResourceArchive() override;
    ResourceArchive(const ResourceArchive&) = delete;
    ResourceArchive& operator=(const ResourceArchive&) = delete;

    bool IsOpen() const { return isOpen_; }

    const char* GetPath() const override;
    std::uint32_t GetEntryCount() const override { return namedEntryCount_; }
    std::set<std::string> Search(const char* folder, const char* extensions, const char* pattern,
                                 bool includeSubfolders) const override;
    std::uint32_t GetEntrySize(const EntryHandle* entry) const override;
    std::uint32_t ReadEntry(EntryHandle* entry, std::uint32_t offset, void* buffer,
                            std::uint32_t length) override;
    std::unique_ptr<platform::ReadOnlyFile> OpenEntryFile(const EntryHandle* entry) const override;

    // The entry of that name (letter case does not count; of names that
    // differ only in case, the lowest entry number), or nullptr when there
    // is none or its record cannot describe readable data. The handle may
    // outlive the archive, but reads only through one that is open.
    std::unique_ptr<EntryHandle> OpenEntry(const char* name) const override;
    // The named records in directory order (groups, then records within a
    // group), whatever their names; empty when not open.
    std::vector<ArchiveRecord> ListRecords() const;
    // The entry that record describes, as OpenEntry would open it, for
    // callers that must tell apart records whose names differ only in case.
    // nullptr when `record` does not lie in the directory or the record
    // describes no readable data.
    std::unique_ptr<EntryHandle> OpenRecord(std::uint32_t record) const;
    // Bytes of the directory block; the header and it take the file's first
    // kArchiveHeaderSize + GetDirectorySize() bytes.
    std::uint32_t GetDirectorySize() const { return directorySize_; }
    // Bytes of the archive file when it was opened.
    std::uint64_t GetFileSize() const { return fileSize_; }
    // The index in name order: position 0 .. GetEntryCount() - 1.
    const NameIndexEntry* GetIndexEntry(std::uint32_t position) const;

    // File accesses made so far (reads and moves of the file pointer).
    std::uint32_t GetFileReadCount() const { return fileReadCount_; }
    std::uint32_t GetFileSeekCount() const { return fileSeekCount_; }

private:
    bool OpenArchive(const char* path);
    // Whether the directory block holds together and keeps within the bounds
    // of docs/rez-format.md; if so, `nameStarts` gets the places where names
    // start (one bit per byte of the block).
    bool DirectoryHoldsTogether(std::unique_ptr<std::uint64_t[]>& nameStarts) const;
    void BuildNameIndex(std::uint64_t* nameStarts);
    void SearchPass(const char* folder, std::size_t folderLength, const char* token, const char* pattern,
                    bool includeSubfolders, std::set<std::string>& found) const;
    bool EntryFitsFile(const EntryHandle& entry) const;
    std::unique_ptr<EntryHandle> OpenRecordAt(std::uint32_t record) const;
    // Seek (unless already there) and read, inside the lock.
    bool ReadAt(std::uint64_t position, void* buffer, std::uint32_t length);

    static constexpr std::uint64_t kNoPosition = ~std::uint64_t(0);

    platform::Lock lock_;
    platform::ReadOnlyFile file_;
    std::uint64_t filePosition_ = 0;
    std::unique_ptr<char[]> path_;
    std::unique_ptr<char[]> secondText_;
    std::uint32_t namedEntryCount_ = 0;
    std::uint32_t groupCount_ = 0;
    std::uint32_t directorySize_ = 0;
    std::unique_ptr<unsigned char[]> directory_;
    std::unique_ptr<NameIndexEntry[]> index_;
    // One bit per index position: set where an earlier position names the
    // same place in the directory (so the same text); none when no memory.
    std::unique_ptr<std::uint64_t[]> repeatsPlace_;
    DecoderRoutine decoders_[kMethodSlotCount] = {};
    std::uint32_t methodCodes_[kMethodSlotCount] = {};
    bool isOpen_ = false;
    std::uint64_t fileSize_ = 0;
    std::uint32_t fileReadCount_ = 0;
    std::uint32_t fileSeekCount_ = 0;
};
