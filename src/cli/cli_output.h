// What every servolt-cli command prints with: messages on standard error
// under the program's name, the exit codes, raw bytes on standard output and
// progress for an operator watching a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "core/archive/archive_progress.h"

// Exit codes: 0 done; 1 done in part, or (check) something found; 2 could
// not do it (bad arguments, a file not read or not written).
constexpr int kExitSome = 1;
constexpr int kExitFailed = 2;

// "servolt-cli: " and the line, on standard error, flushed (and standard
// output before it, so that the two keep their order on one terminal).
void Say(const std::string& line);

// Makes standard output and standard error fully buffered; first thing in
// main, before anything is printed.
void BufferStandardStreams();

// A path as this system spells it (slashes on Linux).
std::string ShownPath(const std::string& path);

// A name from a file of a stranger (an archive, a folder) as it may be shown
// on a terminal: each byte of a control character as \xNN, so that no name
// sets the terminal's title, forges a line or reorders the rest of it. The
// bytes 00-1F and 7F, and the UTF-8 forms of the C1 controls (U+0080..U+009F)
// and of the bidirectional controls (U+200E, U+200F, U+202A..U+202E,
// U+2066..U+2069); every other byte stays as it is.
std::string ShownName(const std::string& name);

// Bytes exactly as given: on Windows standard output would otherwise turn
// each LF into CR LF.
void WriteBinaryToStdout(const void* bytes, std::size_t size);

// One line on standard error, refreshed at most four times a second, and
// only when standard error is a terminal; End clears it.
class ProgressLine {
public:
    explicit ProgressLine(const char* doing);
    void Update(const ArchiveProgress& progress);
    void End();

private:
    const char* doing_;
    bool shown_;
    bool drawn_ = false;
    int width_ = 0;  // of the line drawn last, with its "\r"
    std::chrono::steady_clock::time_point lastDrawn_;
};
