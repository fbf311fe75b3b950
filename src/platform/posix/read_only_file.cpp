// POSIX stand-in for the Win32 file reading calls and critical sections.
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/posix/posix_files.h"

namespace platform {

using detail::Descriptor;
using detail::Slot;

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::Open(const char* path, bool sequentialScan) {
    Close();
    if (!path) return false;
    // CreateFileA with OPEN_EXISTING gives no file to read for a folder; a
    // FIFO or a device is no archive either, and must not hold us up.
    unsigned long error = 0;
    const int fd = detail::OpenRegularFile(HostPath(path), error);
    if (fd < 0) {
        SetLastErrorCode(error);
        return false;
    }
    if (sequentialScan) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    handle_ = Slot(fd);
    return true;
}

void ReadOnlyFile::Close() {
    if (!handle_) return;
    ::close(Descriptor(handle_));
    handle_ = nullptr;
}

bool ReadOnlyFile::IsOpen() const { return handle_ != nullptr; }

std::uint64_t ReadOnlyFile::Size() const {
    if (!handle_) return 0;
    struct stat info;
    if (::fstat(Descriptor(handle_), &info) != 0 || info.st_size < 0) return 0;
    return std::uint64_t(info.st_size);
}

bool ReadOnlyFile::Seek(std::uint64_t offset) {
    if (!handle_ || offset > std::uint64_t(INT64_MAX)) return false;
    return ::lseek(Descriptor(handle_), off_t(offset), SEEK_SET) == off_t(offset);
}

bool ReadOnlyFile::Read(void* buffer, std::size_t count, std::size_t& got) {
    got = 0;
    if (!handle_) return false;
    unsigned char* to = static_cast<unsigned char*>(buffer);
    // Like ReadFile on a file: short only at the end of the file.
    while (got < count) {
        const ssize_t n = ::read(Descriptor(handle_), to + got, count - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            detail::SetLastErrorFromErrno(errno, "");
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
