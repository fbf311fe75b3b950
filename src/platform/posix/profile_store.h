// The profile files the POSIX profile functions work on: each read once
// and kept while it is unchanged, and the session that holds the changes of
// many calls until they are written at once. Internal to them; every
// function here expects the caller to hold Mutex().
//
// Outside a ProfileSession the parsed file is kept while the file keeps its
// identity, size and times and is older than two seconds (Wine's rule, for
// file systems with coarse times), and a write reaches the disk before the
// call returns. Inside a session the file is read at most once and written
// at most once. A write replaces the file through a temporary one beside
// it, so a failed write leaves the old file whole.
#pragma once

#include <mutex>
#include <string>

#include "platform/posix/posix_files.h"
#include "platform/posix/profile_model.h"

namespace platform {
namespace profile {

std::mutex& Mutex();

enum class Loaded { Ok, Missing, Failed };

// The parsed file for a call: the session's, the kept one or a new reading.
// Missing: no such file in an existing folder (the profile functions then
// take it as empty); with `create`, a missing file gives an empty profile
// to write into. Failed: it cannot be read (`error` tells why).
Loaded Acquire(const std::string& host, bool create, Profile*& profile, detail::HostError& error);

// What opening the file for writing would say (it fails for a missing
// folder, a folder or other non-file, a file or folder we may not write).
bool CanWrite(const std::string& host, detail::HostError& error);
// Writes the profile to its file.
bool Flush(const std::string& host, Profile& profile, detail::HostError& error);
// The kept reading of the file is read again next time.
void Forget(const std::string& host);
// A file too large to hold is one that cannot be read (Wine would take it
// for an empty one, and a write would then replace it with its one key):
// forgets it and reports the failure of a call given `path`.
void OutOfMemory(const std::string& host, const char* path);

// Whether a session is open on the file.
bool InSession(const std::string& host);
// Whether a write of the session found the file writable; within a session
// nothing writes the file before the end, so one look serves every key.
bool SessionFoundWritable(const std::string& host);
void NoteSessionWritable(const std::string& host);
// Opens a session on the file, or one more on the file of the open one.
// False when a session is open on another file.
bool BeginSession(const std::string& host, const char* path);
// Writes what the session changed. False, the reason set, when the file
// could not be written; it is then left as it was and the changes dropped.
bool CommitSession();
// Closes one session; the last one closed keeps a file only read for the
// calls that follow.
void EndSession();

}  // namespace profile
}  // namespace platform
