// POSIX stand-in for a file written through CreateFileA/WriteFile and
// renamed over its target with MoveFileExA once complete.
#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace platform {

namespace {

// As in ReadOnlyFile: the descriptor is kept as fd + 1, a null slot is "not open".
inline int Descriptor(void* handle) { return int(reinterpret_cast<std::intptr_t>(handle)) - 1; }
inline void* Slot(int fd) { return reinterpret_cast<void*>(std::intptr_t(fd) + 1); }

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
    if (!handle_) return;
    ::close(Descriptor(handle_));
    handle_ = nullptr;
    ::unlink(HostPath(temporary_.c_str()).c_str());
}

bool ReplacingFile::Open(const char* path) {
    Discard();
    if (!path) return false;
    target_ = path;
    temporary_ = target_ + ".tmp";
    const std::string host = HostPath(temporary_.c_str());
    // Always a new file: whatever an earlier run left under that name (or a
    // link someone put there) is not written through.
    ::unlink(host.c_str());
    int fd;
    do {
        fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        detail::SetLastErrorFromErrno(errno, host);
        return false;
    }
    handle_ = Slot(fd);
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!handle_) return false;
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        if (detail::InjectedWriteFailure()) {
            SetLastErrorCode(detail::kErrorDiskFull);
            return false;
        }
        const std::size_t block = size < ReplaceWriteBlockSize ? size : ReplaceWriteBlockSize;
        const ssize_t n = ::write(Descriptor(handle_), from, block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            detail::SetLastErrorFromErrno(n < 0 ? errno : ENOSPC, "");
            return false;
        }
        from += n;
        size -= std::size_t(n);
    }
    return true;
}

bool ReplacingFile::Seek(std::uint64_t offset) {
    if (!handle_) return false;
    if (::lseek(Descriptor(handle_), off_t(offset), SEEK_SET) == off_t(-1)) {
        detail::SetLastErrorFromErrno(errno, "");
        return false;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (!handle_) return false;
    const int fd = Descriptor(handle_);
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    handle_ = nullptr;
    const std::string host = HostPath(temporary_.c_str());
    const std::string hostTarget = HostPath(target_.c_str());
    if (error == 0 && ::rename(host.c_str(), hostTarget.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(host.c_str());
        detail::SetLastErrorFromErrno(error, hostTarget);
        return false;
    }
    return true;
}

}  // namespace platform
