// POSIX stand-in for the Win32 file reading calls and critical sections.
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/posix/posix_files.h"

namespace platform {

using detail::Descriptor;

ReadOnlyFile::~ReadOnlyFile() = default;

bool ReadOnlyFile::Open(const char* path, bool sequentialScan) {
    Close();
    if (!path) return false;
    // CreateFileA with OPEN_EXISTING gives no file to read for a folder; a
    // FIFO or a device is no archive either, and must not hold us up.
    detail::HostError error;
    file_ = detail::OpenRegularFile(HostPath(path), error);
    if (!file_.IsOpen()) {
        detail::SetLastError(error, path);
        return false;
    }
    if (sequentialScan) ::posix_fadvise(Descriptor(file_), 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

void ReadOnlyFile::Close() { file_.Close(); }

bool ReadOnlyFile::IsOpen() const { return file_.IsOpen(); }

std::uint64_t ReadOnlyFile::Size() const {
    if (!file_.IsOpen()) return 0;
    struct stat info;
    if (::fstat(Descriptor(file_), &info) != 0 || info.st_size < 0) return 0;
    return std::uint64_t(info.st_size);
}

bool ReadOnlyFile::Seek(std::uint64_t offset) {
    if (!file_.IsOpen() || offset > std::uint64_t(INT64_MAX)) return false;
    if (::lseek(Descriptor(file_), off_t(offset), SEEK_SET) == off_t(offset)) return true;
    detail::SetLastErrorFromErrno(errno, std::string(), nullptr);
    return false;
}

bool ReadOnlyFile::Read(void* buffer, std::size_t count, std::size_t& got) {
    got = 0;
    if (!file_.IsOpen()) return false;
    unsigned char* to = static_cast<unsigned char*>(buffer);
    // Like ReadFile on a file: short only at the end of the file.
    while (got < count) {
        const ssize_t n = ::read(Descriptor(file_), to + got, count - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            detail::SetLastErrorFromErrno(errno, std::string(), nullptr);
            return false;
        }
        if (n == 0) break;
        got += std::size_t(n);
    }
    return true;
}

static_assert(sizeof(std::mutex) <= 64, "the lock's storage must hold a mutex");

Lock::Lock() { new (storage_) std::mutex(); }
Lock::~Lock() { reinterpret_cast<std::mutex*>(storage_)->~mutex(); }
void Lock::Enter() { reinterpret_cast<std::mutex*>(storage_)->lock(); }
void Lock::Leave() { reinterpret_cast<std::mutex*>(storage_)->unlock(); }

}  // namespace platform
