// The profile files as the POSIX profile functions keep them (see
// profile_store.h).
#include "platform/posix/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>

#include "platform/common.h"
#include "platform/platform.h"

namespace platform {
namespace profile {
namespace {

FileIdentity IdentityOf(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool operator==(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified == b.modified &&
           a.changed == b.changed;
}

// Reads and parses the file. Missing: no such file in an existing folder
// (the profile functions then take it as empty); Failed: it cannot be read.
Loaded Load(const std::string& host, std::unique_ptr<Profile>& out, detail::HostError& error) {
    const detail::FileHandle file = detail::OpenRegularFile(host, error);
    if (!file.IsOpen()) return error.code == detail::kErrorFileNotFound ? Loaded::Missing : Loaded::Failed;
    const int fd = detail::Descriptor(file);
    struct stat info;
    std::string bytes;
    bool ok = fstat(fd, &info) == 0;
    if (ok && info.st_size > 0) bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (ok) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 65536);  // it grew meanwhile
        const ssize_t n = read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = detail::ErrorFromErrno(errno, host);
            ok = false;
        }
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (!ok) return Loaded::Failed;
    bytes.resize(got);

    auto profile = std::make_unique<Profile>();
    profile->identified = true;
    profile->identity = IdentityOf(info);
    Decode(*profile, std::move(bytes));
    out = std::move(profile);
    return Loaded::Ok;
}

// The file a write replaces: the one a link leads to, when it leads to one.
std::string WriteTarget(const std::string& host) {
    struct stat info;
    if (lstat(host.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return host;
    char* resolved = realpath(host.c_str(), nullptr);
    if (resolved == nullptr) return host;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

struct Kept {
    std::string host;
    std::string path;  // as the caller named it, for the errors
    std::unique_ptr<Profile> profile;
};
Kept g_cache;             // the last file read outside a session
Kept g_session;           // the file of the open session
int g_sessionDepth = 0;   // sessions open on it
bool g_sessionCanWrite = false;  // a write of the session found the file writable


// Wine's rule: a file changed in the last 2.1 seconds may change again
// without its time changing, so it is read again.
bool StillValid(const std::string& host, const Profile& profile) {
    if (!profile.identified) return false;
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || !SameIdentity(IdentityOf(info), profile.identity)) return false;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const long long age = (now.tv_sec - info.st_mtim.tv_sec) * 1000000000LL + (now.tv_nsec - info.st_mtim.tv_nsec);
    return age > 2100000000LL;
}

}  // namespace

std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
}

bool CanWrite(const std::string& host, detail::HostError& error) {
    const std::string target = WriteTarget(host);
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    struct stat info;
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            error = detail::HostError{detail::kErrorAccessDenied, S_ISDIR(info.st_mode) ? EISDIR : EACCES};
            return false;
        }
        const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = detail::ErrorFromErrno(errno, target);
            return false;
        }
        close(fd);
    } else if (errno == ENOENT) {
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = detail::HostError{detail::kErrorPathNotFound, stat(folder.c_str(), &info) != 0 ? ENOENT : ENOTDIR};
            return false;
        }
    } else {
        error = detail::ErrorFromErrno(errno, target);
        return false;
    }
    // The new file is made beside the old one.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = detail::HostError{detail::kErrorAccessDenied, errno == EROFS ? EROFS : EACCES};
        return false;
    }
    return true;
}


bool Flush(const std::string& host, Profile& profile, detail::HostError& error) {
    const std::string bytes = profile.pending ? profile.pendingBytes : FileBytes(profile);
    // A new file beside the old one, with its permissions, which replaces it
    // once complete: a failed write leaves the old file whole.
    ReplacingFile file;
    detail::ReplacingFileAccess::UseHostPaths(file);
    detail::ReplacingFileAccess::KeepMode(file);
    detail::ReplacingFileAccess::SetInjectable(file, false);
    if (!file.Open(WriteTarget(host).c_str(), TemporaryName::Fixed) || !file.Write(bytes.data(), bytes.size()) ||
        !file.Commit(true)) {
        error = detail::LastHostError();
        return false;
    }
    profile.changed = false;
    profile.identified = false;
    return true;
}

bool InSession(const std::string& host) { return g_sessionDepth > 0 && g_session.host == host; }


bool SessionFoundWritable(const std::string& host) { return InSession(host) && g_sessionCanWrite; }

void NoteSessionWritable(const std::string& host) {
    if (InSession(host)) g_sessionCanWrite = true;
}

Loaded Acquire(const std::string& host, bool create, Profile*& profile, detail::HostError& error) {
    Kept& slot = InSession(host) ? g_session : g_cache;
    if (slot.profile && slot.host == host && (&slot == &g_session || StillValid(host, *slot.profile))) {
        profile = slot.profile.get();
        return Loaded::Ok;
    }
    slot.host = host;
    slot.profile.reset();
    const Loaded loaded = Load(host, slot.profile, error);
    if (loaded == Loaded::Missing && create) slot.profile = std::make_unique<Profile>();
    if (!slot.profile) return loaded;
    profile = slot.profile.get();
    return Loaded::Ok;
}


void Forget(const std::string& host) {
    if (g_cache.host == host) g_cache.profile.reset();
}


void OutOfMemory(const std::string& host, const char* path) {
    Forget(host);
    if (InSession(host)) g_session.profile.reset();
    detail::SetLastError(detail::HostError{detail::kErrorOutOfMemory, ENOMEM}, path);
}

bool BeginSession(const std::string& host, const char* path) {
    if (g_sessionDepth > 0 && g_session.host != host) return false;
    if (g_sessionDepth++ == 0) {
        g_session.host = host;
        g_session.path = path;
        g_session.profile.reset();
        g_sessionCanWrite = false;
        if (g_cache.host == host && g_cache.profile && StillValid(host, *g_cache.profile)) {
            g_session.profile = std::move(g_cache.profile);
        }
    }
    return true;
}

bool CommitSession() {
    if (!g_session.profile || !g_session.profile->changed) return true;
    detail::HostError error;
    try {
        if (Flush(g_session.host, *g_session.profile, error)) return true;
    } catch (const std::bad_alloc&) {
        OutOfMemory(g_session.host, g_session.path.c_str());
        return false;
    }
    g_session.profile.reset();  // the file is as it was; so is what is read next
    detail::SetLastError(error, g_session.path.c_str());
    return false;
}

void EndSession() {
    if (--g_sessionDepth > 0) return;
    // A file only read stays known for the calls that follow.
    if (g_session.profile && g_session.profile->identified) {
        g_cache.host = g_session.host;
        g_cache.profile = std::move(g_session.profile);
    }
    g_session.profile.reset();
}

}  // namespace profile
}  // namespace platform
