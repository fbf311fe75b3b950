// POSIX stand-in for a file written through CreateFileA/WriteFile and
// renamed over its target with MoveFileExA once complete.
#include <cerrno>
#include <cstdint>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/posix/posix_files.h"
#include "platform/test_hooks.h"

namespace platform {

using detail::Descriptor;
using detail::Slot;

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
    if (!handle_) return;
    ::close(Descriptor(handle_));
    handle_ = nullptr;
    ::unlink(HostPath(temporary_.c_str()).c_str());
}

bool ReplacingFile::Open(const char* path, TemporaryName naming) {
    Discard();
    if (!path) return false;
    target_ = path;
    int fd = -1;
    int error = 0;
    // O_EXCL: always a new file, never one that was there or a link someone
    // put there.
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        if (naming == TemporaryName::Fixed) {
            temporary_ = target_ + ".tmp";
            ::unlink(HostPath(temporary_.c_str()).c_str());  // what an earlier run left
        } else {
            temporary_ = target_ + ".~" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        }
        do {
            fd = ::open(HostPath(temporary_.c_str()).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        error = fd < 0 ? errno : 0;
        if (fd < 0 && (naming == TemporaryName::Fixed || error != EEXIST)) break;
    }
    if (fd < 0) {
        detail::SetLastErrorFromErrno(error, HostPath(temporary_.c_str()));
        return false;
    }
    handle_ = Slot(fd);
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!handle_) return false;
    const unsigned long error = detail::WriteToDescriptor(Descriptor(handle_), static_cast<const char*>(data), size,
                                                          ReplacingFileBlockSize, true);
    if (error != 0) SetLastErrorCode(error);
    return error == 0;
}

bool ReplacingFile::Seek(std::uint64_t offset) {
    if (!handle_) return false;
    if (::lseek(Descriptor(handle_), off_t(offset), SEEK_SET) == off_t(-1)) {
        detail::SetLastErrorFromErrno(errno, "");
        return false;
    }
    return true;
}

bool ReplacingFile::Commit(bool replace) {
    if (!handle_) return false;
    const int fd = Descriptor(handle_);
    int error = 0;
    if (::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    handle_ = nullptr;
    const std::string host = HostPath(temporary_.c_str());
    const std::string hostTarget = HostPath(target_.c_str());
    bool exists = false;
    if (error == 0 && replace) {
        if (::rename(host.c_str(), hostTarget.c_str()) != 0) error = errno;
    } else if (error == 0 && ::link(host.c_str(), hostTarget.c_str()) != 0) {
        // link, unlike rename, fails on any name that is there. File systems
        // without hard links: look, then rename.
        struct stat info;
        exists = errno == EEXIST || ::lstat(hostTarget.c_str(), &info) == 0;
        if (exists) {
            error = EEXIST;
        } else if (::rename(host.c_str(), hostTarget.c_str()) != 0) {
            error = errno;
        }
    } else if (error == 0) {
        ::unlink(host.c_str());  // the second name the link left
    }
    if (error != 0) {
        ::unlink(host.c_str());
        if (exists) {
            SetLastErrorCode(detail::kErrorFileExists);
        } else {
            detail::SetLastErrorFromErrno(error, hostTarget);
        }
        return false;
    }
    return true;
}

}  // namespace platform
