#include "core/archive/archive_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "core/archive/entry_name.h"
#include "platform/platform.h"

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
    case Method::None:
    case Method::Best: break;
    }
    return kCodeNone;
}

// The first header slot holding the method's code; kMethodSlotCount when none does.
std::uint32_t SlotOf(const std::array<std::uint32_t, 3>& codes, Method method) {
    for (std::uint32_t s = 0; s < kMethodSlotCount; ++s)
        if (codes[s] == CodeOf(method)) return s;
    return kMethodSlotCount;
}

bool HasSlot(const std::array<std::uint32_t, 3>& codes, Method method) {
    return SlotOf(codes, method) < kMethodSlotCount;
}

// The run-length coder, writing through `sink` so that the stored size can
// be counted without building the stream.
template <typename Sink>
void RunRle(const unsigned char* data, std::size_t size, Sink& sink) {
    std::size_t at = 0;
    std::size_t literalStart = 0;
    auto flushLiterals = [&](std::size_t end) {
        while (literalStart < end) {
            const std::size_t count = end - literalStart < 128 ? end - literalStart : 128;
            sink.Put(static_cast<unsigned char>(count - 1));
            sink.PutMany(data + literalStart, count);
            literalStart += count;
        }
    };
    while (at < size) {
        std::size_t run = 1;
        while (at + run < size && run < 129 && data[at + run] == data[at]) ++run;
        if (run >= 3) {
            flushLiterals(at);
            sink.Put(static_cast<unsigned char>(257 - run));
            sink.Put(data[at]);
            at += run;
            literalStart = at;
        } else {
            at += run;
        }
    }
    flushLiterals(size);
}

struct RleCounter {
    std::size_t size = 0;
    void Put(unsigned char) { ++size; }
    void PutMany(const unsigned char*, std::size_t count) { size += count; }
};

struct RleBuilder {
    rezwriter::Bytes& out;
    void Put(unsigned char b) { out.push_back(b); }
    void PutMany(const unsigned char* from, std::size_t count) { out.insert(out.end(), from, from + count); }
};

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
    RleBuilder builder{out};
    RunRle(data, size, builder);
    return out;
}

bool StoreEntry(const unsigned char* data, std::size_t size, Method method,
                const std::array<std::uint32_t, 3>& codes, Method& used, Bytes& stored) {
    stored.clear();
    if (method != Method::Best) {
        if (!HasSlot(codes, method)) return false;
        used = method;
        if (method == Method::Lzss) stored = EncodeLzss(data, size);
        else if (method == Method::Rle) stored = EncodeRle(data, size);
        return true;
    }
    // NONE first, then LZSS, then RLE: a later form must be strictly smaller.
    bool found = HasSlot(codes, Method::None);
    std::size_t smallest = size;
    used = Method::None;
    if (HasSlot(codes, Method::Lzss)) {
        Bytes lzss = EncodeLzss(data, size);
        if (!found || lzss.size() < smallest) {
            smallest = lzss.size();
            stored.swap(lzss);
            used = Method::Lzss;
            found = true;
        }
    }
    if (HasSlot(codes, Method::Rle)) {
        RleCounter counter;
        RunRle(data, size, counter);
        if (!found || counter.size < smallest) {
            Bytes().swap(stored);  // one encoded form in memory at a time
            stored = EncodeRle(data, size);
            used = Method::Rle;
            found = true;
        }
    }
    return found;
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

// The header and the directory block for entries of these names, each
// stored once after the records in entry order: `frame` gets the bytes (the
// records still hold no data words), `records` where each record lies and
// `nameWords` each record's name word without its method slot.
void LayOutDirectory(const std::vector<const std::string*>& names, const Layout& layout, Bytes& frame,
                     std::vector<std::size_t>& records, std::vector<std::uint32_t>& nameWords) {
    const DirectoryShape shape = ShapeOf(names.size(), layout);
    std::size_t directorySize = shape.recordsEnd;
    for (const std::string* name : names)
        if (!name->empty()) directorySize += name->size() + 1;
    records = WriteDirectoryFrame(frame, names.size(), directorySize, shape, layout);
    nameWords.assign(names.size(), 0);
    std::size_t nameAt = shape.recordsEnd;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i]->empty()) continue;
        nameWords[i] = std::uint32_t(nameAt);
        std::memcpy(frame.data() + kHeaderSize + nameAt, names[i]->c_str(), names[i]->size() + 1);
        nameAt += names[i]->size() + 1;
    }
}

void PutRecord(Bytes& frame, std::size_t recordAt, std::uint32_t dataOffset, std::uint32_t storedSize,
               std::uint32_t nameWord, std::uint32_t slot, std::uint32_t size) {
    PutU32(frame, recordAt + 0, dataOffset);
    PutU32(frame, recordAt + 4, storedSize);
    PutU32(frame, recordAt + 8, nameWord | (slot << kMethodSlotShift));
    PutU32(frame, recordAt + 12, size);
}

}  // namespace

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
    Bytes bytes;
    std::vector<std::size_t> records;
    std::vector<std::uint32_t> nameWords;
    LayOutDirectory(names, layout, bytes, records, nameWords);
    for (std::size_t i = 0; i < count; ++i) {
        PutRecord(bytes, records[i], std::uint32_t(bytes.size()), std::uint32_t(stored[i].size()), nameWords[i],
                  slots[i], std::uint32_t(entries[i].data.size()));
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

// ---- Packing a folder ------------------------------------------------------

namespace {

constexpr std::uint64_t kLargestOffset = 0xFFFFFFFFu;

struct FoundFile {
    std::string name;  // entry name; ends in "/" for a folder entry
    std::string path;  // path of the platform interface
    std::uint64_t size = 0;
};

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string Folded(const std::string& text) {
    std::string folded(text);
    for (char& c : folded) c = FoldCase(c);
    return folded;
}

// A path as the file system compares it: Windows ignores letter case (its
// own folding goes beyond A-Z, which only makes a name less likely to
// match); the POSIX stand-in names its host's files exactly.
std::string Comparable(const std::string& path) {
#if defined(_WIN32)
    return Folded(path);
#else
    return path;
#endif
}

// An absolute path with "/" between its parts and no "." or ".." parts, for
// telling whether the archive lies inside the folder packed.
std::string Normalised(const std::string& path) {
    std::string full = path;
    const bool absolute = (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
                          (path.size() >= 2 && path[1] == ':');
    std::string here;
    if (!absolute && platform::QueryCurrentFolder(here)) full = here + "/" + path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t stop = full.find_first_of("/\\", start);
        if (stop == std::string::npos) stop = full.size();
        const std::string part = full.substr(start, stop - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = stop + 1;
    }
    std::string joined;
    for (const std::string& part : parts) joined += "/" + part;
    return Comparable(joined);
}

std::string Join(const std::string& folder, const std::string& name) {
    const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    return folder + (separated ? "" : "\\") + name;
}

class TreeWalk {
public:
    TreeWalk(std::vector<std::string> excluded, PackResult& result)
        : excluded_(std::move(excluded)), result_(result) {}

    // Adds the files below `folder` (entry names starting with `prefix`);
    // returns how many entries it added.
    std::size_t Walk(const std::string& folder, const std::string& prefix) {
        std::vector<platform::FoundEntry> found;
        const std::string pattern = Join(folder, "*");
        // Even an empty folder lists "." and "..": nothing listed means an error.
        if (!platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& e) { found.push_back(e); })) {
            result_.problems.push_back(Shown(prefix) + ": the folder cannot be listed");
            return 0;
        }
        std::size_t added = 0;
        for (const platform::FoundEntry& entry : found) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string name = prefix + entry.name;
            const std::string path = Join(folder, entry.name);
            if (std::find(excluded_.begin(), excluded_.end(), Comparable(name)) != excluded_.end()) {
                result_.skipped.push_back(name + ": the archive being written");
                continue;
            }
            if (entry.isLink) {
                result_.skipped.push_back(name + ": a link, not followed");
                continue;
            }
            if (entry.name.find('\\') != std::string::npos) {
                result_.problems.push_back(name + ": holds a backslash, which Windows reads as a folder separator");
                continue;
            }
            if (entry.isFolder) {
                if (name.size() >= kNameLengthLimit) {  // nothing below it could be named
                    result_.problems.push_back(name + "/: is longer than " + std::to_string(kNameLengthLimit) +
                                               " bytes with anything below it");
                    continue;
                }
                const std::size_t below = Walk(path, name + "/");
                if (below == 0) files_.push_back({name + "/", std::string(), 0});
                added += below ? below : 1;
            } else if (entry.isFile) {
                files_.push_back({name, path, entry.size});
                ++added;
            } else {
                result_.problems.push_back(name + ": neither a file nor a folder");
            }
        }
        return added;
    }

    std::vector<FoundFile>& Files() { return files_; }

private:
    static std::string Shown(const std::string& prefix) { return prefix.empty() ? "." : prefix; }

    std::vector<std::string> excluded_;
    PackResult& result_;
    std::vector<FoundFile> files_;
};

// Names an unpacker could not turn into files, and names that would land on
// the same file (or on a folder another name needs) where letter case does
// not count, as on Windows.
void CheckNames(const std::vector<FoundFile>& files, std::vector<std::string>& problems) {
    std::map<std::string, std::string> byFolded;
    std::set<std::string> foldedFolders;
    for (const FoundFile& file : files) {
        const std::string problem = EntryNameProblem(file.name);
        if (!problem.empty()) problems.push_back(file.name + ": " + problem);
        const std::string folded = Folded(file.name);
        const auto inserted = byFolded.emplace(IsFolderEntryName(folded) ? folded.substr(0, folded.size() - 1) : folded,
                                               file.name);
        if (!inserted.second)
            problems.push_back(file.name + ": differs from " + inserted.first->second + " only in letter case");
        for (std::size_t slash = folded.find('/'); slash != std::string::npos && slash + 1 < folded.size();
             slash = folded.find('/', slash + 1))
            foldedFolders.insert(folded.substr(0, slash));
    }
    for (const FoundFile& file : files) {
        if (!IsFolderEntryName(file.name) && foldedFolders.count(Folded(file.name)))
            problems.push_back(file.name + ": a file where another name needs a folder of that name");
    }
}

std::string ErrorText() {
    std::string text = platform::SystemErrorText(platform::LastErrorCode());
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text.empty() ? "error " + std::to_string(platform::LastErrorCode()) : text;
}

// The whole file, read at its size when opened: memory for one file only.
bool ReadWholeFile(const std::string& path, Bytes& data, std::string& why) {
    platform::ReadOnlyFile file;
    if (!file.Open(path.c_str(), true)) {
        why = "cannot be read (" + ErrorText() + ")";
        return false;
    }
    const std::uint64_t size = file.Size();
    if (size > kLargestOffset) {
        why = "is larger than an archive can hold";
        return false;
    }
    data.assign(std::size_t(size), 0);
    std::size_t have = 0;
    while (have < data.size()) {
        std::size_t got = 0;
        if (!file.Read(data.data() + have, data.size() - have, got)) {
            why = "cannot be read (" + ErrorText() + ")";
            return false;
        }
        if (got == 0) break;  // it shrank meanwhile: what was there is packed
        have += got;
    }
    data.resize(have);
    return true;
}

}  // namespace

PackResult PackFolder(const std::string& folderGiven, const std::string& archivePath, Method method,
                      const std::function<void(const ArchiveProgress&)>& progress) {
    PackResult result;
    // Without closing separators, which the paths below would double; a
    // root ("/", "C:\\") keeps its own.
    std::string folder = folderGiven;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    // The archive and its temporary file, when they lie inside the folder.
    std::vector<std::string> excluded;
    const std::string root = Normalised(folder);
    const std::string target = Normalised(archivePath);
    if (target.size() > root.size() + 1 && target.compare(0, root.size(), root) == 0 && target[root.size()] == '/') {
        excluded.push_back(target.substr(root.size() + 1));
        excluded.push_back(excluded.back() + ".tmp");
    }
    if (!platform::PathExists(folder.c_str())) {
        result.problems.push_back(folder + ": no such folder");
        return result;
    }
    TreeWalk walk(excluded, result);
    walk.Walk(folder, std::string());
    std::vector<FoundFile>& files = walk.Files();
    std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    CheckNames(files, result.problems);

    std::vector<const std::string*> names;
    for (const FoundFile& file : files) names.push_back(&file.name);
    const Layout layout;
    Bytes frame;
    std::vector<std::size_t> records;
    std::vector<std::uint32_t> nameWords;
    LayOutDirectory(names, layout, frame, records, nameWords);
    ArchiveProgress done;
    done.entryCount = files.size();
    for (const FoundFile& file : files) done.byteCount += file.size;
    // Stored forms may outgrow the files under LZSS or RLE; that is caught
    // while writing.
    if (frame.size() - kHeaderSize > kNameOffsetMask || frame.size() + done.byteCount > kLargestOffset)
        result.problems.push_back(folder + ": more than an archive can hold (4 GiB, offsets being 32-bit)");
    if (!result.problems.empty()) return result;

    platform::ReplacingFile out;
    if (!out.Open(archivePath.c_str())) {
        result.problems.push_back(archivePath + ".tmp: cannot be created (" + ErrorText() + ")");
        return result;
    }
    const auto fail = [&](const std::string& problem) {
        result.problems.push_back(problem);
        return result;  // `out` removes the temporary file
    };
    if (!out.Write(frame.data(), frame.size())) return fail(archivePath + ": cannot be written (" + ErrorText() + ")");
    std::uint64_t at = frame.size();
    Bytes data;
    Bytes stored;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FoundFile& file = files[i];
        Method used = Method::None;
        data.clear();
        stored.clear();
        std::string why;
        if (!file.path.empty() && !ReadWholeFile(file.path, data, why)) return fail(file.name + ": " + why);
        StoreEntry(data.data(), data.size(), method, layout.codes, used, stored);
        const Bytes& bytes = used == Method::None ? data : stored;
        if (at + bytes.size() > kLargestOffset)
            return fail(folder + ": more than an archive can hold (4 GiB, offsets being 32-bit)");
        if (!bytes.empty() && !out.Write(bytes.data(), bytes.size()))
            return fail(archivePath + ": cannot be written (" + ErrorText() + ")");
        PutRecord(frame, records[i], std::uint32_t(at), std::uint32_t(bytes.size()), nameWords[i],
                  SlotOf(layout.codes, used), std::uint32_t(data.size()));
        at += bytes.size();
        result.bytes += data.size();
        result.storedBytes += bytes.size();
        ++done.entriesDone;
        done.bytesDone += file.size;
        if (progress) progress(done);
    }
    if (!out.Seek(0) || !out.Write(frame.data(), frame.size()) || !out.Commit())
        return fail(archivePath + ": cannot be written (" + ErrorText() + ")");
    result.written = true;
    result.entries = files.size();
    result.archiveBytes = at;
    return result;
}

}  // namespace rezwriter
