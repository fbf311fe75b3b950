// Reader of .rez resource archives (format: docs/rez-format.md).
//
// Typical use, as map discovery does it:
//
//     ResourceArchive archive(path, "");
//     if (archive.IsOpen()) {
//         ArchiveSearchResults.clear();
//         archive.Search("", "bsp", "*.bsp", true);
//         for (const std::string& name : ArchiveSearchResults) ...
//     }
//
// and to read an entry:
//
//     EntryHandle* entry = archive.OpenEntry("maps/dm/x.bsp");
//     std::vector<unsigned char> data(archive.GetEntrySize(entry));
//     archive.ReadEntry(entry, 0, data.data(), data.size());
//     archive.CloseEntry(entry);
//
// Every file either opens or leaves the object not open: a directory that
// does not hold together is refused as a whole.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/archive/archive_text.h"
#include "core/archive/resource_source.h"
#include "platform/platform.h"

// Results of ResourceArchive::Search: unique names in byte-wise order. A
// search only adds; the caller empties the set before a search of its own.
extern std::set<std::string> ArchiveSearchResults;

// A heap copy of a zero-terminated text (nullptr stays nullptr).
std::unique_ptr<char[]> DuplicateString(const char* text);

constexpr std::uint32_t kArchiveHeaderSize = 24;
constexpr std::uint32_t kGroupHeaderSize = 8;
constexpr std::uint32_t kRecordSize = 16;
constexpr std::uint32_t kNameOffsetMask = 0x1FFFFFFFu;
constexpr unsigned kMethodSlotShift = 29;  // bits 29-31 of the name word
constexpr unsigned kMethodSlotCount = 3;
// The longest name a directory may hold, in bytes before its zero: the
// longest text a Windows MAX_PATH buffer (260 with the zero) holds, so longer
// than any path, relative or absolute, that the game and Servolt (ANSI Win32
// calls, MAX_PATH buffers) can open. A longer name makes the directory
// malformed; docs/rez-format.md ("Bounds") argues the choice.
constexpr std::uint32_t kNameLengthLimit = 259;

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

    // Placeholders of the interface: this reader has nothing to say there.
    bool IsWritable() override { return false; }
    int GetSourceKind() override { return 2; }
    const char* GetTitle() override { return ""; }
    const char* GetDescription() override { return ""; }
    std::uint32_t GetFolderCount() override { return 0; }
    bool ExtractEntry(const char*, const char*) override { return false; }
    bool RemoveEntry(const char*) override { return false; }
    void SetOption(std::uint32_t) override {}
    bool SplitEntryName(const char*, std::string& folder, std::string& file) override;
    std::uint32_t GetEntryTime(const char*, std::uint32_t& time) override;
    std::uint32_t GetEntryAttributes(const char*, std::uint32_t& attributes, std::uint32_t,
                                     std::uint32_t) override;
    std::uint32_t WriteEntry(EntryHandle*, std::uint32_t, const void*, std::uint32_t) override {
        return 0;
    }

    const char* GetPath() override;
    std::uint32_t GetEntryCount() override { return namedEntryCount_; }
    void Search(const char* folder, const char* extensions, const char* pattern,
                bool includeSubfolders) override;
    void CloseEntry(EntryHandle* entry) override;
    std::uint32_t GetEntrySize(const EntryHandle* entry) override;
    std::uint32_t ReadEntry(EntryHandle* entry, std::uint32_t offset, void* buffer,
                            std::uint32_t length) override;
    std::unique_ptr<platform::ReadOnlyFile> OpenEntryFile(const EntryHandle* entry,
                                                          std::uint32_t unused) override;

    // The entry of that name (letter case does not count; of names that
    // differ only in case, the lowest entry number), or nullptr when there
    // is none or its record cannot describe readable data. Close it with
    // CloseEntry before the archive goes away.
    EntryHandle* OpenEntry(const char* name);
    // The named records in directory order (groups, then records within a
    // group), whatever their names; empty when not open.
    std::vector<ArchiveRecord> ListRecords() const;
    // The entry that record describes, as OpenEntry would open it, for
    // callers that must tell apart records whose names differ only in case.
    // nullptr when `record` does not lie in the directory or the record
    // describes no readable data.
    EntryHandle* OpenRecord(std::uint32_t record);
    // Bytes of the directory block; the header and it take the file's first
    // kArchiveHeaderSize + GetDirectorySize() bytes.
    std::uint32_t GetDirectorySize() const { return directorySize_; }
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
    void SearchPass(const char* folder, std::size_t folderLength, const char* token,
                    const char* pattern, bool includeSubfolders);
    bool EntryFitsFile(const EntryHandle& entry) const;
    EntryHandle* OpenRecordAt(std::uint32_t record);
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
