// POSIX stand-in for appending with CreateFileA(FILE_APPEND_DATA) and for
// MoveFileExA(MOVEFILE_REPLACE_EXISTING).
#include <cerrno>
#include <cstdint>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/posix/posix_files.h"

namespace platform {

using detail::Descriptor;

AppendOnlyFile::~AppendOnlyFile() = default;

bool AppendOnlyFile::Open(const char* path) {
    Close();
    if (!path) return false;
    const std::string host = HostPath(path);
    int fd;
    do {
        fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        detail::SetLastErrorFromErrno(errno, host, path);
        return false;
    }
    file_ = detail::FileHandle(fd);
    return true;
}

void AppendOnlyFile::Close() { file_.Close(); }

bool AppendOnlyFile::IsOpen() const { return file_.IsOpen(); }

std::uint64_t AppendOnlyFile::Size() const {
    struct stat info;
    if (!file_.IsOpen() || ::fstat(Descriptor(file_), &info) != 0 || info.st_size < 0) return 0;
    return std::uint64_t(info.st_size);
}

bool AppendOnlyFile::Write(const void* data, std::size_t size) {
    if (!file_.IsOpen()) return false;
    // O_APPEND: each call lands at the end as it is then.
    const detail::HostError error =
        detail::WriteAll(Descriptor(file_), static_cast<const char*>(data), size, size ? size : 1, false);
    if (error.Failed()) detail::SetLastError(error, nullptr);
    return !error.Failed();
}

bool MoveFileReplacing(const char* from, const char* to) {
    const std::string host = HostPath(to);
    if (::rename(HostPath(from).c_str(), host.c_str()) == 0) return true;
    detail::SetLastErrorFromErrno(errno, host, from);
    return false;
}

}  // namespace platform
