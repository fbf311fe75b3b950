#include "rez_builder.h"

#include <cstdio>
#include <cstring>

namespace rezwriter {

std::uint32_t GetU32(const Bytes& bytes, std::size_t offset) { return ReadArchiveWord(bytes.data() + offset); }

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    WriteArchiveWord(bytes.data() + offset, value);
}

bool BuildArchive(const std::vector<Entry>& entries, const Layout& layout, Bytes& out) {
    const std::size_t count = entries.size();
    std::vector<Bytes> stored(count);
    std::vector<std::uint32_t> slots(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& entry = entries[i];
        const auto* data = reinterpret_cast<const unsigned char*>(entry.data.data());
        Method used = Method::None;
        if (!StoreEntry(data, entry.data.size(), entry.method, layout.codes, used, stored[i])) return false;
        if (used == Method::None) stored[i].assign(data, data + entry.data.size());
        slots[i] = SlotOf(layout.codes, used);
    }

    std::vector<const std::string*> names;
    for (const Entry& entry : entries) names.push_back(&entry.name);
    DirectoryFrame frame = LayOutDirectory(names, layout);
    Bytes& bytes = frame.bytes;
    for (std::size_t i = 0; i < count; ++i) {
        PutRecord(bytes, frame.records[i], std::uint32_t(bytes.size()), std::uint32_t(stored[i].size()),
                  frame.nameWords[i], slots[i], std::uint32_t(entries[i].data.size()));
        bytes.insert(bytes.end(), stored[i].begin(), stored[i].end());
    }
    out.swap(bytes);
    return true;
}

Bytes BuildArchive(const std::vector<Entry>& entries, const Layout& layout) {
    Bytes out;
    BuildArchive(entries, layout, out);
    return out;
}

Bytes BuildSharedNameArchive(const std::vector<std::uint32_t>& nameOffsets, const std::string& text,
                             const Layout& layout) {
    const std::size_t count = nameOffsets.size();
    const DirectoryShape shape = ShapeOf(count, layout);
    const std::size_t textAt = shape.recordsEnd;
    const std::size_t directorySize = textAt + text.size();

    Bytes bytes;
    const std::vector<std::size_t> records = WriteDirectoryFrame(bytes, count, directorySize, shape, layout);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t nameWord = nameOffsets[i] == kNoName ? 0 : std::uint32_t(textAt + nameOffsets[i]);
        // No data: size 0 at the end of the file, plain.
        PutRecord(bytes, records[i], std::uint32_t(bytes.size()), 0, nameWord, 0, 0);
    }
    if (!text.empty()) std::memcpy(bytes.data() + kArchiveHeaderSize + textAt, text.data(), text.size());
    return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    // Truncated in place rather than replaced: tests rewrite an archive a
    // reader holds open, and must reach the file it reads.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool WriteArchive(const std::string& path, const std::vector<Entry>& entries, const Layout& layout) {
    Bytes bytes;
    return BuildArchive(entries, layout, bytes) && WriteFile(path, bytes);
}

}  // namespace rezwriter
