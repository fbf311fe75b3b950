// A server's run log as the page shows it: the last lines when the page
// opens, then what the supervisor appends, asked for again and again by the
// offset the previous answer gave. Every answer reads a bounded piece from
// the file, however large it has grown, and nothing is held open between
// answers (an open reader on Windows would keep the supervisor from renaming
// the file when it rotates).
//
// Lines are given whole: a last line still being written is left for a
// later answer, and an answer always starts at the start of a line. A line
// longer than the whole window is the exception: the part of it in the
// window is given, cut, and the rest of it is passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kLogLinesPerAnswer = 300;
constexpr std::size_t kLogWindowBytes = 256 * 1024;

struct LogPiece {
    std::vector<std::string> lines;  // the file's bytes, the line ends (LF, CR LF) taken off
    std::uint64_t next = 0;          // the offset to ask for next
    // Lines were left out: passed over before the first line given (a
    // rotation, an offset inside a line, a line cut), or, for the last
    // lines, fewer than asked for fit in the window.
    bool skipped = false;
};

// The last `maxLines` lines of the log, or as many as `window` bytes read
// from the end hold; when the log itself holds fewer, the lines before them
// in the rotated logs (LOG.1, LOG.2, ...) within the same window. A missing
// log is no lines.
LogPiece ReadLogTail(const std::string& path, std::size_t maxLines = kLogLinesPerAnswer,
                     std::size_t window = kLogWindowBytes);

// The lines that begin at `after` or later, at most `maxLines` of them and
// `window` bytes. A log shorter than `after` has been rotated: it is read
// from its start and the answer says that lines were skipped. A missing log
// (between the rotation's rename and the new file) is no lines yet, and the
// same offset next.
LogPiece ReadLogAfter(const std::string& path, std::uint64_t after, std::size_t maxLines = kLogLinesPerAnswer,
                      std::size_t window = kLogWindowBytes);
