// Internal to the POSIX platform: opening and writing files the way every
// part of it needs, and the errors they meet, with their Windows codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {
namespace detail {

inline int Descriptor(const FileHandle& file) { return static_cast<int>(file.Value()); }

// A failed call as the host reported it: the Windows code the core compares
// and the errno behind it, whose text LastError() gives.
struct HostError {
    unsigned long code = 0;  // 0: none
    int number = 0;          // errno
    bool Failed() const { return code != 0; }
};

// The Windows code for an errno met on `hostPath`: a missing file is
// ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when its folder is missing
// too. Without a path, a missing file is ERROR_FILE_NOT_FOUND.
HostError ErrorFromErrno(int number, const std::string& hostPath = std::string());
// What LastError() reports from now on, for a call given `path`.
void SetLastError(const HostError& error, const char* path);
// What the last failed call recorded.
HostError LastHostError();
inline void SetLastErrorFromErrno(int number, const std::string& hostPath, const char* path) {
    SetLastError(ErrorFromErrno(number, hostPath), path);
}

// Opens an existing regular file for reading, without ever waiting: a FIFO,
// a socket, a device or a folder is refused (ERROR_ACCESS_DENIED, as
// CreateFileA refuses a folder), and so is a link that leads nowhere.
// Returns no handle, with the reason in `error`, when it cannot be.
FileHandle OpenRegularFile(const std::string& hostPath, HostError& error);

// Writes all the bytes at the descriptor's position, `block` bytes per call
// at most, going on after interruptions. `injectable`: each block is one of
// the writes FailFileWriteForTests counts.
HostError WriteAll(int fd, const char* bytes, std::size_t size, std::size_t block, bool injectable);

}  // namespace detail
}  // namespace platform
