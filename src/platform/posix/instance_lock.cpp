#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Open-file-description locks go with the open file, not the process:
// another open in this process sees them, and a guard forked from the
// holder keeps them until it too has ended.
#if defined(F_OFD_SETLK)
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

struct flock WholeFile(short type) {
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    lock.l_pid = 0;
    return lock;
}

unsigned long PidIn(int fd) {
    char text[32] = "";
    const ssize_t got = pread(fd, text, sizeof text - 1, 0);
    if (got <= 0) return 0;
    text[got] = '\0';
    char* end = nullptr;
    const unsigned long pid = std::strtoul(text, &end, 10);
    return end != text ? pid : 0;
}

Error ErrnoError(int code, const std::string& path) {
    Error error;
    error.code = code == ENOENT ? 3 : code == EACCES || code == EPERM ? 5 : 31;
    error.text = std::strerror(code);
    error.path = path;
    return error;
}

}  // namespace

struct InstanceLock::State {
    int fd = -1;
};

InstanceLock::InstanceLock() : state_(new State) {}

InstanceLock::~InstanceLock() { Release(); }

void InstanceLock::Release() {
    if (state_->fd >= 0) close(state_->fd);
    state_->fd = -1;
}

LockOutcome InstanceLock::Take(const std::string& path, unsigned long& holder, Error& error) {
    Release();
    holder = 0;
    const std::string host = HostPath(path.c_str());
    const int fd = open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = ErrnoError(errno, path);
        return LockOutcome::Failed;
    }
    struct flock lock = WholeFile(F_WRLCK);
    if (fcntl(fd, kSetLock, &lock) != 0) {
        const int code = errno;
        if (code == EAGAIN || code == EACCES) {
            struct flock look = WholeFile(F_WRLCK);
            holder = PidIn(fd);
            if (holder == 0 && fcntl(fd, kGetLock, &look) == 0 && look.l_type != F_UNLCK && look.l_pid > 0)
                holder = static_cast<unsigned long>(look.l_pid);
            close(fd);
            return LockOutcome::HeldElsewhere;
        }
        close(fd);
        error = ErrnoError(code, path);
        return LockOutcome::Failed;
    }
    // Line ended as the utility's other text files are.
    const std::string pid = std::to_string(static_cast<unsigned long>(getpid())) + "\r\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        error = ErrnoError(errno, path);
        close(fd);
        return LockOutcome::Failed;
    }
    state_->fd = fd;
    return LockOutcome::Taken;
}

bool IsLockHeld(const std::string& path, unsigned long& holder) {
    holder = 0;
    const int fd = open(HostPath(path.c_str()).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock look = WholeFile(F_WRLCK);
    const bool held = fcntl(fd, kGetLock, &look) == 0 && look.l_type != F_UNLCK;
    if (held) {
        holder = PidIn(fd);
        if (holder == 0 && look.l_pid > 0) holder = static_cast<unsigned long>(look.l_pid);
    }
    close(fd);
    return held;
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace platform
