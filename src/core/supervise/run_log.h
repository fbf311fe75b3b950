// The log of a supervised server: its output and the supervisor's dated
// lines in one text file, rotated by size.
//
// Every write is an append to the open file, never a rewrite of the whole:
// the log grows while the server runs, an operator may be reading it, and a
// crash of the supervisor must lose nothing already written. No file grows
// past the size limit: when the next line does not fit, the file becomes
// FILE.1 (FILE.1 becomes FILE.2, and so on; FILE.5, the oldest, is dropped)
// and a new FILE is begun.
//
// Line ends are CR LF throughout, as a Windows program's text files are: a
// LF the server writes without a CR before it gets one; a CR LF stays as it
// is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/platform.h"

constexpr int kRunLogKeep = 5;  // FILE.1 .. FILE.5

class RunLog {
public:
    // Appends to `path`, creating it when missing. False when it cannot be
    // opened (Failure() and platform::LastErrorCode() tell why).
    bool Open(const std::string& path, std::uint64_t maxSize);
    bool IsOpen() const { return file_.IsOpen(); }

    // The server's output as it arrives, in pieces of any size.
    bool WriteOutput(const char* data, std::size_t size);
    // A line of the supervisor's own, always on a line of its own.
    bool WriteLine(const std::string& text);

    // Why the last open, write or rotation failed; empty while none has. A
    // failed rotation leaves the file growing and is tried again at the next
    // write.
    const std::string& Failure() const { return failure_; }

private:
    bool Append(const std::string& bytes);
    bool Rotate();
    void Fail(const std::string& what);

    platform::AppendOnlyFile file_;
    std::string path_;
    std::uint64_t maxSize_ = 0;
    std::uint64_t size_ = 0;
    bool lastWasCr_ = false;
    bool atLineStart_ = true;
    std::string failure_;
};

// "2026-12-01 10:55:36", the local time that starts each of the
// supervisor's lines in the log.
std::string FormatLogTime(std::time_t when);

// A run's length as the operator reads it: "0.4 s", "59.9 s", "2 min 05 s",
// "3 h 07 min".
std::string FormatRunTime(std::int64_t ms);
