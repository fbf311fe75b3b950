// A source of named resources (files packed into one container). Only the
// archive reader implements it; the placeholder operations keep their slots
// so that every source lays out its operations alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/archive/decoders.h"
#include "platform/platform.h"

// One entry being read. Made by ResourceArchive::OpenEntry, owned by whoever
// holds it, released with CloseEntry (which also frees the cache).
struct EntryHandle {
    std::uint32_t size = 0;         // uncompressed size in bytes
    std::uint32_t storedSize = 0;   // bytes the entry takes in the archive
    std::uint32_t dataOffset = 0;   // absolute file offset of the stored bytes
    DecoderRoutine decoder = nullptr;  // nullptr: stored as is
    // The whole decoded entry, made by the first partial read of a
    // compressed entry so that later reads need neither file nor decoder.
    std::unique_ptr<unsigned char[]> cache;
};

class ResourceSource {
public:
    virtual ~ResourceSource();

    virtual bool IsWritable() = 0;
    virtual int GetSourceKind() = 0;
    virtual const char* GetTitle() = 0;
    virtual const char* GetDescription() = 0;
    virtual const char* GetPath() = 0;
    // Entries that have a name.
    virtual std::uint32_t GetEntryCount() = 0;
    virtual std::uint32_t GetFolderCount() = 0;
    // Adds to ArchiveSearchResults the names under `folder` (compared
    // without regard to case; "" is every name) that match `pattern`, or,
    // without a pattern, that end with one of the ";"-separated
    // `extensions` (then the part after the folder is added; the token "/"
    // adds the sub-folder entries without their closing "/"). With
    // `includeSubfolders` false only names directly in the folder count.
    // Nothing is added when `folder` is missing.
    virtual void Search(const char* folder, const char* extensions, const char* pattern,
                        bool includeSubfolders) = 0;
    virtual bool ExtractEntry(const char* name, const char* destinationPath) = 0;
    virtual bool RemoveEntry(const char* name) = 0;
    virtual void SetOption(std::uint32_t option) = 0;
    virtual bool SplitEntryName(const char* name, std::string& folder, std::string& file) = 0;
    virtual std::uint32_t GetEntryTime(const char* name, std::uint32_t& time) = 0;
    virtual std::uint32_t GetEntryAttributes(const char* name, std::uint32_t& attributes,
                                             std::uint32_t mask, std::uint32_t flags) = 0;
    // Frees the handle and its cache; nullptr is ignored.
    virtual void CloseEntry(EntryHandle* entry) = 0;
    // 0 for nullptr.
    virtual std::uint32_t GetEntrySize(const EntryHandle* entry) = 0;
    // Places up to `length` bytes of the entry from `offset` on into
    // `buffer`, never more than the entry holds past `offset`; returns how
    // many, 0 on any failure.
    virtual std::uint32_t ReadEntry(EntryHandle* entry, std::uint32_t offset, void* buffer,
                                    std::uint32_t length) = 0;
    virtual std::uint32_t WriteEntry(EntryHandle* entry, std::uint32_t offset, const void* buffer,
                                     std::uint32_t length) = 0;
    virtual void FlushEntry(EntryHandle* entry);
    // A new file of its own, positioned at the entry's stored bytes; nullptr
    // when it cannot be opened. The archive's own file is not touched.
    virtual std::unique_ptr<platform::ReadOnlyFile> OpenEntryFile(const EntryHandle* entry,
                                                                  std::uint32_t unused) = 0;
};
