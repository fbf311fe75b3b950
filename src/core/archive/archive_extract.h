// Unpacking an archive into a folder, for an archive that may come from a
// stranger: nothing lands outside the folder, no link is followed, nothing
// is overwritten unless asked, and the output stays in proportion to the
// archive's size (docs/rez-format.md, "Extracting").
//
//     ResourceArchive archive(path, "");
//     ExtractOptions options;
//     options.folder = "out";
//     const ExtractResult result = ExtractArchive(archive, options);
//     for (const ExtractProblem& problem : result.problems) ...
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/archive/archive_progress.h"
#include "core/archive/resource_archive.h"
#include "platform/platform.h"

struct ExtractOptions {
    // Entries whose names match any of them (PathWildcardMatch, letter case
    // ignored); none: every entry.
    std::vector<std::string> patterns;
    // The folder to unpack into, a path of the platform interface; made
    // when missing (its own parents must exist).
    std::string folder = ".";
    // Replace files (and links) that are in the way, through a temporary
    // file and a rename.
    bool force = false;
    // After each entry, and once before the first.
    std::function<void(const ArchiveProgress&)> progress;
};

struct ExtractProblem {
    std::string entry;   // the entry's name as the archive holds it; empty: the whole extraction
    std::string reason;
    platform::Error error;  // the system's own reason, when the system refused (Failed())
    std::uint32_t records = 1;  // records of this name refused for this reason
};

enum class ExtractOutcome {
    Done,     // every selected entry written
    Partial,  // some refused or skipped (problems says which), the others written
    Refused,  // nothing written: overlapping entries, or the folder cannot be made
};

struct ExtractResult {
    ExtractOutcome outcome = ExtractOutcome::Done;
    std::vector<ExtractProblem> problems;
    std::uint32_t selected = 0;      // named records the patterns chose
    std::uint32_t filesWritten = 0;
    std::uint32_t foldersMade = 0;   // folders that were not there before
    std::uint64_t bytesWritten = 0;
    std::vector<std::uint32_t> writtenRecords;  // ArchiveRecord::record of each file written
};

// Refuses, naming each entry, and skips: names that EntryNameProblem
// rejects; names equal to an earlier selected one once letter case (as
// Windows folds its code page) and the separator are set aside; paths
// longer than platform::LongestPath(), before any folder is made for them;
// folders on the way that are links or not folders; targets that are links
// or files that existed before the run (without `force`; with it they are
// replaced, never written through), or are folders; a target that is a file
// this run wrote under another name (a short-name alias). Skips,
// naming it, an entry that cannot be read or decoded, or that there is not
// the memory to hold ("out of memory", never "damaged"). Writes nothing at all
// when the stored bytes of two entries to be written overlap, or those of
// one overlap the header and directory: each overlapping entry is named.
// Problems alike for records of one name are reported once, with their count.
// The archive must be open.
ExtractResult ExtractArchive(ResourceArchive& archive, const ExtractOptions& options);

// Whether a ReadEntry of `entry` that answered 0 may have failed for want of
// memory rather than for the archive's bytes, which it does not tell apart:
// true when the buffers the reader needs for a compressed entry (its stored
// bytes, and unless `whole` was read at once its decoded bytes) cannot be
// had now. An entry stored as is needs none.
bool ReadFailedForMemory(const EntryHandle& entry, bool whole);

// The name the list shows for a method code: "NONE", "LZSS", "RLE" or "?".
const char* MethodName(const ArchiveRecord& record);
