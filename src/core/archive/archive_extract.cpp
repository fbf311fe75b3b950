#include "core/archive/archive_extract.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>

#include "core/archive/archive_text.h"
#include "core/archive/codecs.h"
#include "core/archive/entry_name.h"
#include "platform/name_case.h"
#include "platform/platform.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The file a name lands on where letter case does not count (as Windows
// folds its code page) and either separator divides: two names with one key
// are one file on Windows.
std::string FileKey(const std::string& name) {
    std::string key(name);
    for (char& c : key) {
        c = c == '\\' ? '/' : platform::FoldFileNameChar(c);
    }
    return key;
}

// Why `name` lands on the file `other` names.
std::string Clash(const std::string& name, const std::string& other) {
    if (other == name) return "is named twice; the first is kept";
    bool separators = false, letters = false;
    for (std::size_t i = 0; i < name.size() && i < other.size(); ++i) {
        if (name[i] == other[i]) continue;
        if (IsSeparator(name[i]) && IsSeparator(other[i])) {
            separators = true;
        } else {
            letters = true;
        }
    }
    std::string why;
    if (separators) why = "Windows reads \"\\\" as a folder separator, as \"/\"";
    if (letters) why += std::string(separators ? ", and " : "") + "letter case does not count";
    return "lands on the same file as \"" + other + "\" (" + why + "); the first is kept";
}

std::vector<std::string> SplitParts(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= name.size(); ++at) {
        if (at == name.size() || IsSeparator(name[at])) {
            if (at > start) parts.push_back(name.substr(start, at - start));
            start = at + 1;
        }
    }
    return parts;
}

std::string Join(const std::string& folder, const std::string& part) {
    if (folder.empty()) return part;
    return folder + (IsSeparator(folder.back()) ? "" : "\\") + part;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool Selected(const char* name, const std::vector<std::string>& patterns) {
    if (patterns.empty()) return true;
    for (const std::string& pattern : patterns)
        if (PathWildcardMatch(pattern.c_str(), name, false)) return true;
    return false;
}

// One entry to be written, as planned before anything is.
struct Planned {
    const ArchiveRecord* record;
    bool folder;
};

// The system's reason for the call on `path` that just failed, or none when
// that call left no code behind: never one an earlier call left.
platform::Error Refusal(const std::string& path) {
    return platform::LastErrorCode() != 0 ? platform::LastError(path) : platform::Error();
}

// Makes (or finds) each folder of `parts` below `root`, never through a
// link; empty, or why not (with the system's reason in `error`).
std::string MakeFolders(const std::string& root, const std::vector<std::string>& parts, std::size_t count,
                        std::string& path, std::uint32_t& made, platform::Error& error) {
    path = root;
    std::string shown;
    for (std::size_t i = 0; i < count; ++i) {
        path = Join(path, parts[i]);
        shown += (i ? "/" : "") + parts[i];
        switch (platform::PathKind(path.c_str())) {
            case platform::PathType::Folder: break;
            case platform::PathType::Missing:
                platform::SetLastErrorCode(0);
                if (!platform::CreateFolder(path.c_str())) {
                    error = Refusal(path);
                    return "the folder " + Quoted(shown) + " cannot be made";
                }
                if (platform::PathKind(path.c_str()) != platform::PathType::Folder)
                    return "the folder " + Quoted(shown) + " cannot be made";
                ++made;
                break;
            case platform::PathType::Link: return Quoted(shown) + " is a link; it is not followed";
            default: return Quoted(shown) + " is in the way of a folder";
        }
    }
    return std::string();
}

}  // namespace

bool ReadFailedForMemory(const EntryHandle& entry, bool whole) {
    if (!entry.decoder) return false;
    std::uint64_t bytes = std::uint64_t(entry.storedSize) + 1;
    if (!whole && !entry.cache) bytes += std::uint64_t(entry.size) + 1;
    if (bytes > std::numeric_limits<std::size_t>::max()) return true;
    const std::unique_ptr<unsigned char[]> probe(new (std::nothrow) unsigned char[std::size_t(bytes)]);
    return probe == nullptr;
}

const char* MethodName(const ArchiveRecord& record) {
    if (!record.hasMethod) return "?";
    switch (record.methodCode) {
        case kMethodNone: return "NONE";
        case kMethodLzss: return "LZSS";
        case kMethodRle: return "RLE";
        default: return "?";
    }
}

ExtractResult ExtractArchive(ResourceArchive& archive, const ExtractOptions& options) {
    ExtractResult result;
    // A hostile archive may give a million records one name: each name and
    // reason is kept once, with the number of records it stands for.
    std::unordered_map<std::string, std::size_t> problemAt;
    const auto refuse = [&result, &problemAt](const ArchiveRecord& record, const std::string& reason,
                                              const platform::Error& error = platform::Error()) {
        if (!result.problems.empty()) {
            ExtractProblem& last = result.problems.back();
            if (last.reason == reason && last.entry == record.name && !error.Failed() && !last.error.Failed()) {
                ++last.records;
                return;
            }
        }
        if (!error.Failed()) {
            const auto at = problemAt.emplace(std::string(record.name) + '\0' + reason, result.problems.size());
            if (!at.second) {
                ++result.problems[at.first->second].records;
                return;
            }
        }
        result.problems.push_back({record.name, reason, error});
    };
    const std::vector<ArchiveRecord> records = archive.ListRecords();

    // ---- The plan: every check that needs no file system, before a byte is written.
    std::vector<Planned> plan;
    std::unordered_map<std::string, const ArchiveRecord*> keys;
    // Records naming the same bytes of the directory (a flood of one name)
    // have their name judged once.
    const char* judged = nullptr;
    std::string judgement;
    for (const ArchiveRecord& record : records) {
        if (!Selected(record.name, options.patterns)) continue;
        ++result.selected;
        const std::string name(record.name);
        if (record.name != judged) {
            judged = record.name;
            judgement = EntryNameProblem(name);
        }
        const std::string& problem = judgement;
        if (!problem.empty()) {
            refuse(record, problem);
            continue;
        }
        const auto earlier = keys.emplace(FileKey(name), &record);
        if (!earlier.second) {
            const std::string other(earlier.first->second->name);
            refuse(record, Clash(name, other));
            continue;
        }
        if (IsFolderEntryName(name)) {
            plan.push_back({&record, true});
            continue;
        }
        if (!archive.OpenRecord(record.record)) {
            refuse(record, "is damaged: its record describes no data that can be read");
            continue;
        }
        plan.push_back({&record, false});
    }

    // Stored bytes read twice would let a small archive unpack to any size
    // (one stream at the methods' highest ratio, named by every record), so
    // overlaps refuse the whole archive, as careful unzip tools do.
    std::vector<const ArchiveRecord*> stored;
    for (const Planned& item : plan)
        if (!item.folder && item.record->storedSize > 0) stored.push_back(item.record);
    std::sort(stored.begin(), stored.end(), [](const ArchiveRecord* a, const ArchiveRecord* b) {
        return a->dataOffset != b->dataOffset ? a->dataOffset < b->dataOffset : a->record < b->record;
    });
    const std::uint64_t directoryEnd = std::uint64_t(kArchiveHeaderSize) + archive.GetDirectorySize();
    std::vector<ExtractProblem> overlaps;
    const ArchiveRecord* reaching = nullptr;  // the entry whose bytes reach furthest so far
    std::uint64_t reach = 0;
    for (const ArchiveRecord* record : stored) {
        const std::uint64_t end = std::uint64_t(record->dataOffset) + record->storedSize;
        if (record->dataOffset < directoryEnd) {
            overlaps.push_back({record->name, "its stored bytes overlap the archive's header and directory", {}});
        } else if (reaching && record->dataOffset < reach) {
            overlaps.push_back({record->name, "its stored bytes overlap those of " + Quoted(reaching->name), {}});
        }
        if (end > reach) {
            reach = end;
            reaching = record;
        }
    }
    if (!overlaps.empty()) {
        result.outcome = ExtractOutcome::Refused;
        result.problems = std::move(overlaps);
        return result;
    }

    // ---- Writing.
    const std::string& root = options.folder.empty() ? std::string(".") : options.folder;
    platform::PathType rootKind = platform::PathKind(root.c_str());
    platform::Error rootError;
    if (rootKind == platform::PathType::Missing) {
        platform::SetLastErrorCode(0);
        if (!platform::CreateFolder(root.c_str())) rootError = Refusal(root);
        rootKind = platform::PathKind(root.c_str());
    }
    // The folder given may itself be a link: the caller chose it.
    if (rootKind != platform::PathType::Folder &&
        !(rootKind == platform::PathType::Link && platform::PathExists(root.c_str()))) {
        result.outcome = ExtractOutcome::Refused;
        result.problems = {{"", "the folder " + Quoted(platform::HostPath(root.c_str())) + " cannot be made", rootError}};
        return result;
    }

    ArchiveProgress progress;
    progress.entryCount = plan.size();
    for (const Planned& item : plan) progress.byteCount += item.folder ? 0 : item.record->size;
    if (options.progress) options.progress(progress);

    // Each file written in this run, by identity: another name Windows takes
    // for the same file (a short 8.3 alias, a case it folds) is no file that
    // "exists already", and must not overwrite it.
    std::unordered_map<std::uint64_t, std::vector<std::pair<platform::FileIdentity, const char*>>> written;
    const auto writtenAs = [&written](const platform::FileIdentity& identity) -> const char* {
        const auto found = written.find(identity.index);
        if (found == written.end()) return nullptr;
        for (const auto& [known, name] : found->second)
            if (known == identity) return name;
        return nullptr;
    };
    const std::string fullRoot = platform::FullPath(root.c_str());
    const std::size_t longest = platform::LongestPath();

    for (const Planned& item : plan) {
        const ArchiveRecord& record = *item.record;
        const std::string name(record.name);
        const std::vector<std::string> parts = SplitParts(name);
        std::string path;
        platform::Error error;
        std::string problem;
        // Measured before any folder is made for it, so nothing is half made.
        std::size_t length = fullRoot.size();
        for (const std::string& part : parts) length += 1 + part.size();
        if (!fullRoot.empty() && IsSeparator(fullRoot.back())) --length;
        if (length > longest) {
            problem = "the path is too long: " + std::to_string(length) + " characters, where at most " +
                      std::to_string(longest) + " can be used";
        }
        const std::size_t folders = item.folder ? parts.size() : parts.size() - 1;
        if (problem.empty()) problem = MakeFolders(root, parts, folders, path, result.foldersMade, error);
        if (problem.empty() && !item.folder) {
            path = Join(path, parts.back());
            platform::PathType target = platform::PathKind(path.c_str());
            platform::FileIdentity identity;
            bool elsewhere = false;
            if (target == platform::PathType::File && platform::IdentifyFile(path.c_str(), identity, &elsewhere) &&
                elsewhere)
                target = platform::PathType::Link;  // a link Wine shows as a file
            const char* twin = target == platform::PathType::File ? writtenAs(identity) : nullptr;
            if (target == platform::PathType::Folder) {
                problem = "a folder of that name is in the way";
            } else if (twin) {
                problem = "lands on the same file as " + Quoted(twin) +
                          ", written before it (Windows takes both names for one file); not written";
            } else if (target == platform::PathType::Link && !options.force) {
                problem = "a link is in the way; it is neither followed nor replaced";
            } else if (target != platform::PathType::Missing && !options.force) {
                problem = "exists already; not replaced";
            } else {
                // Read whole: the reader's rules bound an entry by its stored
                // bytes, and no two entries share those.
                std::vector<unsigned char> data;
                const std::unique_ptr<EntryHandle> entry = archive.OpenRecord(record.record);
                bool read = entry != nullptr;
                bool memory = true;
                if (read && entry->size > 0) {
                    try {
                        data.resize(entry->size);
                        read = archive.ReadEntry(entry.get(), 0, data.data(), entry->size) == entry->size;
                        // The reader's own buffers come on top of this one.
                        if (!read) memory = !ReadFailedForMemory(*entry, true);
                    } catch (const std::bad_alloc&) {
                        read = memory = false;
                    }
                }
                platform::SetLastErrorCode(0);
                if (!memory) {
                    problem = "out of memory: its " + std::to_string(record.size) + " bytes cannot be held";
                } else if (!read) {
                    problem = "is damaged: its stored bytes cannot be read or decoded";
                } else if (!platform::WriteNewFile(path.c_str(), data.data(), data.size(), options.force)) {
                    const bool taken = platform::LastErrorCode() == 80 || platform::LastErrorCode() == 183;
                    error = Refusal(path);
                    // Nothing was seen there, yet the name is taken: a link
                    // that leads nowhere, which Windows does not show.
                    problem = taken ? "a link or file that cannot be seen is in the way; not replaced"
                                    : "cannot be written";
                } else {
                    ++result.filesWritten;
                    result.bytesWritten += data.size();
                    result.writtenRecords.push_back(record.record);
                    platform::FileIdentity made;
                    if (platform::IdentifyFile(path.c_str(), made)) written[made.index].emplace_back(made, record.name);
                }
            }
        }
        if (!problem.empty()) refuse(record, problem, error);
        ++progress.entriesDone;
        if (!item.folder) progress.bytesDone += record.size;
        if (options.progress) options.progress(progress);
    }
    if (!result.problems.empty()) result.outcome = ExtractOutcome::Partial;
    return result;
}
