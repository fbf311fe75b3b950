// A source of named resources (files packed into one container): what its
// callers ask of it. The archive reader implements it.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "core/archive/codecs.h"
#include "platform/platform.h"

// One entry being read, owned by whoever opened it.
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

    virtual const char* GetPath() const = 0;
    // Entries that have a name.
    virtual std::uint32_t GetEntryCount() const = 0;
    // The names under `folder` (compared without regard to case; "" is every
    // name) that match `pattern`, or, without a pattern, that end with one
    // of the ";"-separated `extensions` (then the part after the folder is
    // given; the token "/" gives the sub-folder entries without their closing
    // "/"), each once, in byte-wise order. With `includeSubfolders` false
    // only names directly in the folder count. None when `folder` is
    // missing.
    virtual std::set<std::string> Search(const char* folder, const char* extensions, const char* pattern,
                                         bool includeSubfolders) const = 0;
    // The entry of that name (letter case does not count), or nullptr.
    virtual std::unique_ptr<EntryHandle> OpenEntry(const char* name) const = 0;
    // 0 for nullptr.
    virtual std::uint32_t GetEntrySize(const EntryHandle* entry) const = 0;
    // Places up to `length` bytes of the entry from `offset` on into
    // `buffer`, never more than the entry holds past `offset`; returns how
    // many, 0 on any failure.
    virtual std::uint32_t ReadEntry(EntryHandle* entry, std::uint32_t offset, void* buffer,
                                    std::uint32_t length) = 0;
    // A new file of its own, positioned at the entry's stored bytes; nullptr
    // when it cannot be opened. The source's own file is not touched.
    virtual std::unique_ptr<platform::ReadOnlyFile> OpenEntryFile(const EntryHandle* entry) const = 0;
};
