#include "core/archive/archive_writer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "core/archive/entry_name.h"
#include "platform/name_case.h"
#include "platform/platform.h"

namespace rezwriter {

namespace {

std::uint32_t CodeOf(Method method) {
    switch (method) {
    case Method::Lzss: return kMethodLzss;
    case Method::Rle: return kMethodRle;
    case Method::None:
    case Method::Best: break;
    }
    return kMethodNone;
}

bool HasSlot(const MethodCodes& codes, Method method) { return SlotOf(codes, method) < kMethodSlotCount; }

void PutWord(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    WriteArchiveWord(bytes.data() + offset, value);
}

}  // namespace

std::uint32_t SlotOf(const MethodCodes& codes, Method method) {
    for (std::uint32_t s = 0; s < kMethodSlotCount; ++s)
        if (codes[s] == CodeOf(method)) return s;
    return kMethodSlotCount;
}

bool StoreEntry(const unsigned char* data, std::size_t size, Method method, const MethodCodes& codes,
                Method& used, Bytes& stored) {
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
        if (!found || RleEncodedSize(data, size) < smallest) {
            Bytes().swap(stored);  // one encoded form in memory at a time
            stored = EncodeRle(data, size);
            used = Method::Rle;
            found = true;
        }
    }
    return found;
}

DirectoryShape ShapeOf(std::size_t count, const Layout& layout) {
    const std::size_t perGroup = layout.recordsPerGroup ? layout.recordsPerGroup : (count ? count : 1);
    const std::size_t groups = count ? (count + perGroup - 1) / perGroup : 0;
    return {perGroup, groups, groups * kGroupHeaderSize + count * kRecordSize};
}

std::vector<std::size_t> WriteDirectoryFrame(Bytes& bytes, std::size_t count, std::size_t directorySize,
                                             const DirectoryShape& shape, const Layout& layout) {
    bytes.assign(kArchiveHeaderSize + directorySize, 0);
    std::memcpy(bytes.data(), kArchiveMagic, sizeof kArchiveMagic);
    PutWord(bytes, kHeaderGroupCountAt, std::uint32_t(shape.groups));
    PutWord(bytes, kHeaderDirectorySizeAt, std::uint32_t(directorySize));
    for (std::uint32_t s = 0; s < kMethodSlotCount; ++s) PutWord(bytes, kHeaderMethodCodesAt + 4 * s, layout.codes[s]);
    std::vector<std::size_t> records(count);
    std::size_t recordAt = kArchiveHeaderSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % shape.perGroup == 0) {
            const std::size_t inGroup = count - i < shape.perGroup ? count - i : shape.perGroup;
            PutWord(bytes, recordAt + kGroupFirstEntryAt, layout.firstIndex + std::uint32_t(i));
            PutWord(bytes, recordAt + kGroupRecordCountAt, std::uint32_t(inGroup));
            recordAt += kGroupHeaderSize;
        }
        records[i] = recordAt;
        recordAt += kRecordSize;
    }
    return records;
}

DirectoryFrame LayOutDirectory(const std::vector<const std::string*>& names, const Layout& layout) {
    DirectoryFrame frame;
    const DirectoryShape shape = ShapeOf(names.size(), layout);
    std::size_t directorySize = shape.recordsEnd;
    for (const std::string* name : names)
        if (!name->empty()) directorySize += name->size() + 1;
    frame.records = WriteDirectoryFrame(frame.bytes, names.size(), directorySize, shape, layout);
    frame.nameWords.assign(names.size(), 0);
    std::size_t nameAt = shape.recordsEnd;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i]->empty()) continue;
        frame.nameWords[i] = std::uint32_t(nameAt);
        std::memcpy(frame.bytes.data() + kArchiveHeaderSize + nameAt, names[i]->c_str(), names[i]->size() + 1);
        nameAt += names[i]->size() + 1;
    }
    return frame;
}

void PutRecord(Bytes& frame, std::size_t recordAt, std::uint32_t dataOffset, std::uint32_t storedSize,
               std::uint32_t nameWord, std::uint32_t slot, std::uint32_t size) {
    PutWord(frame, recordAt + kRecordDataOffsetAt, dataOffset);
    PutWord(frame, recordAt + kRecordStoredSizeAt, storedSize);
    PutWord(frame, recordAt + kRecordNameWordAt, nameWord | (slot << kMethodSlotShift));
    PutWord(frame, recordAt + kRecordSizeAt, size);
}

// ---- Packing a folder ------------------------------------------------------

namespace {

constexpr std::uint64_t kLargestOffset = 0xFFFFFFFFu;

struct FoundFile {
    std::string name;  // entry name; ends in "/" for a folder entry
    std::string path;  // path of the platform interface
    std::uint64_t size = 0;
};

// The system's reason for the call on `path` that just failed, or none when
// that call left no code behind: never one an earlier call left.
platform::Error Refusal(const std::string& path) {
    return platform::LastErrorCode() != 0 ? platform::LastError(path) : platform::Error();
}

// A path as the file system compares it.
std::string Comparable(const std::string& path) {
    return platform::FileNamesIgnoreCase() ? platform::FoldedFileName(path) : path;
}

// Whole-text wildcard match: "*" takes any run of characters, "?" one.
bool GlobMatch(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
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

// What --exclude leaves out: a pattern matches an entry's path relative to
// the folder, or its own name at any depth; one ending in "/" only folders.
class ExcludeRule {
public:
    explicit ExcludeRule(const std::vector<std::string>& patterns) {
        for (std::string pattern : patterns) {
            for (char& c : pattern)
                if (c == '\\') c = '/';
            const bool folders = !pattern.empty() && pattern.back() == '/';
            while (!pattern.empty() && pattern.back() == '/') pattern.pop_back();
            while (pattern.size() > 2 && pattern.compare(0, 2, "./") == 0) pattern.erase(0, 2);
            if (!pattern.empty()) rules_.push_back({Comparable(pattern), folders});
        }
    }
    bool Excludes(const std::string& path, const std::string& name, bool folder) const {
        const std::string comparedPath = Comparable(path), comparedName = Comparable(name);
        for (const Rule& rule : rules_) {
            if (rule.foldersOnly && !folder) continue;
            if (GlobMatch(rule.pattern, comparedPath) || GlobMatch(rule.pattern, comparedName)) return true;
        }
        return false;
    }

private:
    struct Rule {
        std::string pattern;
        bool foldersOnly;
    };
    std::vector<Rule> rules_;
};

class TreeWalk {
public:
    TreeWalk(std::vector<std::string> excluded, const platform::FileIdentity& archive, const ExcludeRule& rule,
             PackResult& result)
        : excluded_(std::move(excluded)), archive_(archive), rule_(rule), result_(result) {}

    // Adds the files below `folder` (entry names starting with `prefix`);
    // returns how many entries it added.
    std::size_t Walk(const std::string& folder, const std::string& prefix) {
        std::vector<platform::FoundEntry> found;
        const std::string pattern = Join(folder, "*");
        // Even an empty folder lists "." and "..": nothing listed means an error.
        platform::SetLastErrorCode(0);
        if (!platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& e) { found.push_back(e); })) {
            result_.problems.push_back({Shown(prefix), "the folder cannot be listed", Refusal(folder)});
            return 0;
        }
        std::size_t added = 0;
        for (const platform::FoundEntry& entry : found) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string name = prefix + entry.name;
            const std::string path = Join(folder, entry.name);
            if (rule_.Excludes(name, entry.name, entry.isFolder && !entry.isLink)) continue;
            // By its name, or by its identity: reached through a link or
            // another spelling of the path, it is the same file.
            if (std::find(excluded_.begin(), excluded_.end(), Comparable(name)) != excluded_.end() ||
                (!entry.isLink && entry.identity == archive_)) {
                result_.skipped.push_back(name + ": the archive being written");
                continue;
            }
            if (entry.isLink) {
                result_.skipped.push_back(name + ": " + (entry.notFile.empty() ? "a link" : entry.notFile) +
                                          ", not followed");
                continue;
            }
            if (entry.name.find('\\') != std::string::npos) {
                result_.problems.push_back({name, "holds a backslash, which Windows reads as a folder separator", {}});
                continue;
            }
            if (entry.isFolder) {
                if (name.size() >= kNameLengthLimit) {  // nothing below it could be named
                    result_.problems.push_back({name + "/",
                                                "is longer than " + std::to_string(kNameLengthLimit) +
                                                    " bytes with anything below it",
                                                {}});
                    continue;
                }
                const std::size_t below = Walk(path, name + "/");
                if (below == 0) files_.push_back({name + "/", std::string(), 0});
                added += below ? below : 1;
            } else if (entry.isFile) {
                files_.push_back({name, path, entry.size});
                ++added;
            } else {
                result_.problems.push_back(
                    {name, entry.notFile.empty() ? "not a regular file (a device, pipe or socket)" : entry.notFile, {}});
            }
        }
        return added;
    }

    std::vector<FoundFile>& Files() { return files_; }

private:
    static std::string Shown(const std::string& prefix) { return prefix.empty() ? "." : prefix; }

    std::vector<std::string> excluded_;
    platform::FileIdentity archive_;
    const ExcludeRule& rule_;
    PackResult& result_;
    std::vector<FoundFile> files_;
};

// Names an unpacker could not turn into files, and names that would land on
// the same file (or on a folder another name needs) where letter case does
// not count, as Windows folds it over its whole code page.
void CheckNames(const std::vector<FoundFile>& files, std::vector<PackProblem>& problems) {
    std::map<std::string, std::string> byFolded;
    std::set<std::string> foldedFolders;
    for (const FoundFile& file : files) {
        const std::string problem = EntryNameProblem(file.name);
        if (!problem.empty()) problems.push_back({file.name, problem, {}});
        const std::string folded = platform::FoldedFileName(file.name);
        const auto inserted = byFolded.emplace(IsFolderEntryName(folded) ? folded.substr(0, folded.size() - 1) : folded,
                                               file.name);
        if (!inserted.second)
            problems.push_back({file.name, "differs from " + inserted.first->second + " only in letter case", {}});
        for (std::size_t slash = folded.find('/'); slash != std::string::npos && slash + 1 < folded.size();
             slash = folded.find('/', slash + 1))
            foldedFolders.insert(folded.substr(0, slash));
    }
    for (const FoundFile& file : files) {
        if (!IsFolderEntryName(file.name) && foldedFolders.count(platform::FoldedFileName(file.name)))
            problems.push_back({file.name, "a file where another name needs a folder of that name", {}});
    }
}

// The whole file, read at its size when opened: memory for one file only.
// False, with why, when it cannot be.
bool ReadWholeFile(const FoundFile& file, Bytes& data, PackProblem& problem) {
    problem = {file.name, "cannot be read", {}};
    platform::ReadOnlyFile in;
    platform::SetLastErrorCode(0);
    if (!in.Open(file.path.c_str(), true)) {
        problem.error = Refusal(file.path);
        // Deleted after the tree was listed.
        if (!problem.error.Failed() || problem.error.code == 2 || problem.error.code == 3) {
            if (platform::PathKind(file.path.c_str()) == platform::PathType::Missing) problem.reason = "no longer exists";
        }
        return false;
    }
    const std::uint64_t size = in.Size();
    if (size > kLargestOffset) {
        problem.reason = "is larger than an archive can hold";
        return false;
    }
    data.assign(std::size_t(size), 0);
    std::size_t have = 0;
    while (have < data.size()) {
        std::size_t got = 0;
        platform::SetLastErrorCode(0);
        if (!in.Read(data.data() + have, data.size() - have, got)) {
            problem.error = Refusal(file.path);
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
                      const std::function<void(const ArchiveProgress&)>& progress,
                      const std::vector<std::string>& exclude) {
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
        result.problems.push_back({folder, "no such folder", {}});
        return result;
    }
    platform::FileIdentity archive;
    platform::IdentifyFile(archivePath.c_str(), archive);
    const ExcludeRule rule(exclude);
    TreeWalk walk(excluded, archive, rule, result);
    walk.Walk(folder, std::string());
    std::vector<FoundFile>& files = walk.Files();
    std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    CheckNames(files, result.problems);

    std::vector<const std::string*> names;
    for (const FoundFile& file : files) names.push_back(&file.name);
    const Layout layout;
    DirectoryFrame directory = LayOutDirectory(names, layout);
    Bytes& frame = directory.bytes;
    ArchiveProgress done;
    done.entryCount = files.size();
    for (const FoundFile& file : files) done.byteCount += file.size;
    // Stored forms may outgrow the files under LZSS or RLE; that is caught
    // while writing.
    const PackProblem tooLarge{folder, "more than an archive can hold (4 GiB, offsets being 32-bit)", {}};
    if (frame.size() - kArchiveHeaderSize > kNameOffsetMask || frame.size() + done.byteCount > kLargestOffset)
        result.problems.push_back(tooLarge);
    if (!result.problems.empty()) return result;

    platform::ReplacingFile out;
    platform::SetLastErrorCode(0);
    if (!out.Open(archivePath.c_str())) {
        result.problems.push_back({archivePath, "cannot be created", Refusal(archivePath)});
        return result;
    }
    const auto fail = [&](const PackProblem& problem) {
        result.problems.push_back(problem);
        return result;  // `out` removes the temporary file
    };
    const auto notWritten = [&] { return PackProblem{archivePath, "cannot be written", Refusal(archivePath)}; };
    platform::SetLastErrorCode(0);
    if (!out.Write(frame.data(), frame.size())) return fail(notWritten());
    std::uint64_t at = frame.size();
    Bytes data;
    Bytes stored;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const FoundFile& file = files[i];
        Method used = Method::None;
        data.clear();
        stored.clear();
        PackProblem unread;
        if (!file.path.empty() && !ReadWholeFile(file, data, unread)) return fail(unread);
        StoreEntry(data.data(), data.size(), method, layout.codes, used, stored);
        const Bytes& bytes = used == Method::None ? data : stored;
        if (at + bytes.size() > kLargestOffset) return fail(tooLarge);
        platform::SetLastErrorCode(0);
        if (!bytes.empty() && !out.Write(bytes.data(), bytes.size())) return fail(notWritten());
        PutRecord(frame, directory.records[i], std::uint32_t(at), std::uint32_t(bytes.size()), directory.nameWords[i],
                  SlotOf(layout.codes, used), std::uint32_t(data.size()));
        at += bytes.size();
        result.bytes += data.size();
        result.storedBytes += bytes.size();
        ++done.entriesDone;
        done.bytesDone += file.size;
        if (progress) progress(done);
    }
    platform::SetLastErrorCode(0);
    if (!out.Seek(0) || !out.Write(frame.data(), frame.size()) || !out.Commit()) return fail(notWritten());
    result.written = true;
    result.entries = files.size();
    result.archiveBytes = at;
    return result;
}

}  // namespace rezwriter
