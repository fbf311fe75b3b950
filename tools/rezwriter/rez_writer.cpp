#include "rezwriter/rez_writer.h"

#include <cstdio>
#include <cstring>

namespace rezwriter {

namespace {

constexpr std::size_t kWindow = 4096;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr int kChainDepth = 48;
constexpr unsigned kHashBits = 15;

inline unsigned Hash3(const unsigned char* p) {
    return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << kHashBits) - 1);
}

std::uint32_t CodeOf(Method method) {
    switch (method) {
    case Method::Lzss: return kCodeLzss;
    case Method::Rle: return kCodeRle;
    case Method::None: break;
    }
    return kCodeNone;
}

}  // namespace

Bytes EncodeLzss(const unsigned char* data, std::size_t size) {
    Bytes out;
    out.reserve(size + size / 8 + 16);
    std::vector<long> head(std::size_t(1) << kHashBits, -1);
    // Only the last kWindow positions can be matched, so a ring suffices.
    std::vector<long> previous(kWindow, -1);
    std::size_t flagAt = 0;
    int items = 8;  // a fresh flag byte before the first item

    auto beginItem = [&](bool literal) {
        if (items == 8) {
            flagAt = out.size();
            out.push_back(0);
            items = 0;
        }
        if (literal) out[flagAt] |= static_cast<unsigned char>(1u << items);
        ++items;
    };
    auto remember = [&](std::size_t at) {
        if (at + kMinMatch > size) return;
        const unsigned h = Hash3(data + at);
        previous[at & (kWindow - 1)] = head[h];
        head[h] = long(at);
    };

    std::size_t at = 0;
    while (at < size) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (at + kMinMatch <= size) {
            const std::size_t limit = size - at < kMaxMatch ? size - at : kMaxMatch;
            long candidate = head[Hash3(data + at)];
            for (int depth = 0; candidate >= 0 && depth < kChainDepth; ++depth) {
                const std::size_t distance = at - std::size_t(candidate);
                if (distance > kWindow) break;
                std::size_t length = 0;
                while (length < limit && data[std::size_t(candidate) + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == limit) break;
                }
                candidate = previous[std::size_t(candidate) & (kWindow - 1)];
            }
        }
        if (bestLength >= kMinMatch) {
            beginItem(false);
            const unsigned word = unsigned((kWindow - bestDistance) & 0x0FFF) |
                                  unsigned((bestLength - kMinMatch) << 12);
            out.push_back(static_cast<unsigned char>(word & 0xFF));
            out.push_back(static_cast<unsigned char>(word >> 8));
            for (std::size_t i = 0; i < bestLength; ++i) remember(at + i);
            at += bestLength;
        } else {
            beginItem(true);
            out.push_back(data[at]);
            remember(at);
            ++at;
        }
    }
    return out;
}

Bytes EncodeRle(const unsigned char* data, std::size_t size) {
    Bytes out;
    out.reserve(size + size / 64 + 2);
    std::size_t at = 0;
    std::size_t literalStart = 0;
    auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            const std::size_t count = end - literalStart < 128 ? end - literalStart : 128;
            out.push_back(static_cast<unsigned char>(count - 1));
            out.insert(out.end(), data + literalStart, data + literalStart + count);
            literalStart += count;
        }
    };
    while (at < size) {
        std::size_t run = 1;
        while (at + run < size && run < 129 && data[at + run] == data[at]) ++run;
        if (run >= 3) {
            flushLiterals(at);
            out.push_back(static_cast<unsigned char>(257 - run));
            out.push_back(data[at]);
            at += run;
            literalStart = at;
        } else {
            at += run;
        }
    }
    flushLiterals(size);
    return out;
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) | (std::uint32_t(bytes[offset + 1]) << 8) |
           (std::uint32_t(bytes[offset + 2]) << 16) | (std::uint32_t(bytes[offset + 3]) << 24);
}

void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    if (bytes.size() < offset + 4) bytes.resize(offset + 4);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

namespace {

// Where the groups of `count` records fall under `layout`, and where the
// records end in the directory block (names may follow).
struct DirectoryShape {
    std::size_t perGroup;
    std::size_t groups;
    std::size_t recordsEnd;  // in the directory block: where names may start
};

DirectoryShape ShapeOf(std::size_t count, const Layout& layout) {
    const std::size_t perGroup = layout.recordsPerGroup ? layout.recordsPerGroup : (count ? count : 1);
    const std::size_t groups = count ? (count + perGroup - 1) / perGroup : 0;
    return {perGroup, groups, groups * kGroupHeaderSize + count * kRecordSize};
}

// Header and group headers; returns the offset of each record in `bytes`.
std::vector<std::size_t> WriteDirectoryFrame(Bytes& bytes, std::size_t count, std::size_t directorySize,
                                             const DirectoryShape& shape, const Layout& layout) {
    bytes.assign(kHeaderSize + directorySize, 0);
    std::memcpy(bytes.data(), "VNTR", 4);
    PutU32(bytes, 4, std::uint32_t(shape.groups));
    PutU32(bytes, 8, std::uint32_t(directorySize));
    for (int s = 0; s < 3; ++s) PutU32(bytes, 12 + 4 * s, layout.codes[s]);
    std::vector<std::size_t> records(count);
    std::size_t recordAt = kHeaderSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % shape.perGroup == 0) {
            const std::size_t inGroup = count - i < shape.perGroup ? count - i : shape.perGroup;
            PutU32(bytes, recordAt, layout.firstIndex + std::uint32_t(i));
            PutU32(bytes, recordAt + 4, std::uint32_t(inGroup));
            recordAt += kGroupHeaderSize;
        }
        records[i] = recordAt;
        recordAt += kRecordSize;
    }
    return records;
}

}  // namespace

bool BuildArchive(const std::vector<Entry>& entries, const Layout& layout, Bytes& out) {
    std::vector<std::uint32_t> slots;
    slots.reserve(entries.size());
    for (const Entry& entry : entries) {
        std::uint32_t slot = 3;
        for (std::uint32_t s = 0; s < 3 && slot == 3; ++s)
            if (layout.codes[s] == CodeOf(entry.method)) slot = s;
        if (slot == 3) return false;
        slots.push_back(slot);
    }

    const std::size_t count = entries.size();
    const DirectoryShape shape = ShapeOf(count, layout);
    const std::size_t namesAt = shape.recordsEnd;
    std::size_t directorySize = namesAt;
    for (const Entry& entry : entries)
        if (!entry.name.empty()) directorySize += entry.name.size() + 1;

    std::vector<Bytes> stored(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& entry = entries[i];
        const auto* data = reinterpret_cast<const unsigned char*>(entry.data.data());
        switch (entry.method) {
        case Method::None: stored[i].assign(data, data + entry.data.size()); break;
        case Method::Lzss: stored[i] = EncodeLzss(data, entry.data.size()); break;
        case Method::Rle: stored[i] = EncodeRle(data, entry.data.size()); break;
        }
    }

    Bytes bytes;
    const std::vector<std::size_t> records = WriteDirectoryFrame(bytes, count, directorySize, shape, layout);
    std::size_t nameAt = namesAt;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t recordAt = records[i];
        std::uint32_t nameWord = 0;
        if (!entries[i].name.empty()) {
            nameWord = std::uint32_t(nameAt);
            std::memcpy(bytes.data() + kHeaderSize + nameAt, entries[i].name.c_str(),
                        entries[i].name.size() + 1);
            nameAt += entries[i].name.size() + 1;
        }
        PutU32(bytes, recordAt + 0, std::uint32_t(bytes.size()));  // data offset
        PutU32(bytes, recordAt + 4, std::uint32_t(stored[i].size()));
        PutU32(bytes, recordAt + 8, nameWord | (slots[i] << 29));
        PutU32(bytes, recordAt + 12, std::uint32_t(entries[i].data.size()));
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
        const std::size_t recordAt = records[i];
        const std::uint32_t nameWord =
            nameOffsets[i] == kNoName ? 0 : std::uint32_t(textAt + nameOffsets[i]);
        PutU32(bytes, recordAt + 0, std::uint32_t(bytes.size()));  // no data: size 0
        PutU32(bytes, recordAt + 8, nameWord);
    }
    if (!text.empty()) std::memcpy(bytes.data() + kHeaderSize + textAt, text.data(), text.size());
    return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
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
