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

namespace {
// The host's name for a path of a ReplacingFile.
std::string Host(const std::string& path, bool hostPaths) { return hostPaths ? path : HostPath(path.c_str()); }
}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
    if (!file_.IsOpen()) return;
    file_.Close();
    ::unlink(Host(temporary_, hostPaths_).c_str());
}

bool ReplacingFile::Open(const char* path, TemporaryName) {
    Discard();
    if (!path) return false;
    target_ = path;
    const std::size_t length = Host(target_, hostPaths_).size();
    int fd = -1;
    int error = 0;
    // O_EXCL under a fresh name: always a new file, never one that was there
    // or a link someone put there; another name while one is taken.
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary_ = detail::TemporaryPathFor(target_, length, LongestPath(), std::uint64_t(getpid()) << 32);
        if (detail::InjectedCreateFailure()) {
            fd = -1;
            error = EACCES;
            break;
        }
        do {
            fd = ::open(Host(temporary_, hostPaths_).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        } while (fd < 0 && errno == EINTR);
        error = fd < 0 ? errno : 0;
        if (fd < 0 && error != EEXIST) break;
    }
    if (fd < 0) {
        detail::SetLastErrorFromErrno(error, Host(temporary_, hostPaths_), path);
        return false;
    }
    file_ = detail::FileHandle(fd);
    struct stat old;
    if (keepMode_ && ::stat(Host(target_, hostPaths_).c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!file_.IsOpen()) return false;
    const detail::HostError error = detail::WriteAll(Descriptor(file_), static_cast<const char*>(data), size,
                                                     block_ ? block_ : ReplacingFileBlockSize, injectable_);
    if (error.Failed()) detail::SetLastError(error, target_.c_str());
    return !error.Failed();
}

bool ReplacingFile::Seek(std::uint64_t offset) {
    if (!file_.IsOpen()) return false;
    if (::lseek(Descriptor(file_), off_t(offset), SEEK_SET) == off_t(-1)) {
        detail::SetLastErrorFromErrno(errno, std::string(), target_.c_str());
        return false;
    }
    return true;
}

bool ReplacingFile::Commit(bool replace) {
    if (!file_.IsOpen()) return false;
    int error = 0;
    if (::fsync(Descriptor(file_)) != 0 && errno != EINVAL) error = errno;
    if (!file_.Close() && error == 0) error = errno;
    const std::string host = Host(temporary_, hostPaths_);
    const std::string hostTarget = Host(target_, hostPaths_);
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
            detail::SetLastError(detail::HostError{detail::kErrorFileExists, EEXIST}, target_.c_str());
        } else {
            detail::SetLastErrorFromErrno(error, hostTarget, target_.c_str());
        }
        return false;
    }
    return true;
}

}  // namespace platform
