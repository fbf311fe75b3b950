// Internal to the POSIX platform: opening and replacing files the way every
// part of it needs, with Windows error codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
namespace detail {

// The file classes keep a descriptor in their handle slot as fd + 1, so
// that a null slot means "not open".
inline int Descriptor(void* handle) { return int(reinterpret_cast<std::intptr_t>(handle)) - 1; }
inline void* Slot(int fd) { return reinterpret_cast<void*>(std::intptr_t(fd) + 1); }

// The Windows error code for an errno value met on `hostPath`: a missing
// file is ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when its folder is
// missing too.
unsigned long ErrorFromErrno(int error, const std::string& hostPath);

// Opens an existing regular file for reading, without ever waiting: a FIFO,
// a socket, a device or a folder is refused (ERROR_ACCESS_DENIED, as
// CreateFileA refuses a folder), and so is a link that leads nowhere.
// Returns the descriptor, or -1 with the reason in `error`.
int OpenRegularFile(const std::string& hostPath, unsigned long& error);

// Writes all the bytes at the descriptor's position, `block` bytes per call
// at most, going on after interruptions. `injectable`: each block is one of
// the writes FailFileWriteForTests counts. 0, or the Windows error code.
unsigned long WriteToDescriptor(int fd, const char* bytes, std::size_t size, std::size_t block,
                                bool injectable);

// Writes the bytes to a new temporary file beside `hostPath` and renames it
// over `hostPath` once complete and flushed; on failure the old file is left
// as it was and the temporary removed. `keepMode` gives the new file the
// permissions of the one it replaces. `injectable`: the write is one of
// those FailFileWriteForTests counts.
bool ReplaceHostFile(const std::string& hostPath, const char* bytes, std::size_t size, bool keepMode,
                     bool injectable, unsigned long& error);

}  // namespace detail
}  // namespace platform
