// The platform layer on POSIX hosts: a stand-in that behaves as the Win32
// calls do, for native tests and tools. Paths arrive with backslashes and are
// mapped onto the host (HostPath); error codes are the Windows ones.
#include "platform/ascii.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/common.h"
#include "platform/posix/posix_files.h"
#include "ui_texts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {
// The last failure of a call of this interface on this thread.
struct Failure {
    unsigned long code = 0;
    int number = 0;  // the errno it comes from; 0 for a code set by hand
    std::string path;
};
thread_local Failure t_last;
std::string g_driveRoot = "/";

unsigned long FromErrno(int error, bool missingFolder = false) {
    switch (error) {
        case ENOENT: return missingFolder ? detail::kErrorPathNotFound : detail::kErrorFileNotFound;
        case ENOTDIR: return detail::kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return detail::kErrorAccessDenied;
        case ENOSPC: return detail::kErrorDiskFull;
        case ENAMETOOLONG: return detail::kErrorFilenameTooLong;
        case EIO: return detail::kErrorWriteFault;
        case EEXIST: return detail::kErrorAlreadyExists;
        case ENOMEM: return detail::kErrorOutOfMemory;
        default: return detail::kErrorGenFailure;
    }
}

// The errno that stands for a Windows code set without one.
int ErrnoFor(unsigned long code) {
    switch (code) {
        case detail::kErrorFileNotFound:
        case detail::kErrorPathNotFound: return ENOENT;
        case detail::kErrorAccessDenied: return EACCES;
        case detail::kErrorOutOfMemory: return ENOMEM;
        case detail::kErrorWriteFault: return EIO;
        case detail::kErrorFileExists:
        case detail::kErrorAlreadyExists: return EEXIST;
        case detail::kErrorDiskFull: return ENOSPC;
        case detail::kErrorFilenameTooLong: return ENAMETOOLONG;
        default: return 0;
    }
}

// strerror_r in whichever of its two forms the C library has.
[[maybe_unused]] const char* PickText(int result, const char* buffer) { return result == 0 ? buffer : ""; }
[[maybe_unused]] const char* PickText(const char* result, const char*) { return result; }

std::string ErrnoText(int number) {
    char buffer[256] = "";
    return PickText(strerror_r(number, buffer, sizeof buffer), buffer);
}

bool FolderOfExists(const std::string& hostPath) {
    std::string::size_type slash = hostPath.rfind('/');
    if (slash == std::string::npos) return true;
    std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}  // namespace

namespace detail {
HostError ErrorFromErrno(int number, const std::string& hostPath) {
    return HostError{FromErrno(number, number == ENOENT && !hostPath.empty() && !FolderOfExists(hostPath)), number};
}

void SetLastError(const HostError& error, const char* path) {
    t_last.code = error.code;
    t_last.number = error.number;
    t_last.path = path ? path : "";
}

HostError LastHostError() { return HostError{t_last.code, t_last.number}; }

Error LastSystemError() {
    Error error;
    error.code = t_last.code;
    error.path = t_last.path;
    const int number = t_last.number != 0 ? t_last.number : ErrnoFor(t_last.code);
    error.text = number != 0 ? ErrnoText(number) : SystemErrorText(t_last.code);
    return error;
}
}  // namespace detail

namespace posix {
void SetDriveRootForTests(const char* folder) { g_driveRoot = folder && *folder ? folder : "/"; }
}  // namespace posix

std::string HostPath(const char* path) {
    std::string result;
    if (path == nullptr) return result;
    if (path[0] == '\\' && path[1] != '\\') {
        result = g_driveRoot;
        if (!result.empty() && result.back() == '/') result.pop_back();
    }
    for (const char* p = path; *p; ++p) result += *p == '\\' ? '/' : *p;
    return result;
}

bool FileNamesIgnoreCase() { return false; }

unsigned long LastErrorCode() { return t_last.code; }
void SetLastErrorCode(unsigned long code) { detail::SetLastError(detail::HostError{code, 0}, nullptr); }

std::string SystemErrorText(unsigned long code) {
    // The texts Wine gives for the codes this stand-in reports.
    switch (code) {
        case detail::kErrorFileNotFound: return "File not found.\r\n";
        case detail::kErrorPathNotFound: return "Path not found.\r\n";
        case detail::kErrorAccessDenied: return "Access denied.\r\n";
        case detail::kErrorOutOfMemory: return "Out of memory.\r\n";
        case detail::kErrorWriteFault: return "Write fault.\r\n";
        case detail::kErrorGenFailure: return "General failure.\r\n";
        case detail::kErrorDiskFull: return "Disk full.\r\n";
        case detail::kErrorFilenameTooLong: return "Filename too long.\r\n";
        default: return std::string();
    }
}

namespace detail {
bool QuerySystemDocumentsFolder(std::string& folder) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return false;
    folder = std::string(home) + "/Documents";
    mkdir(folder.c_str(), 0777);  // CSIDL_FLAG_CREATE
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int ShowSystemMessageBox(BoxOwner, const std::string& text, const std::string& caption, unsigned) {
    // No window system here: the box is reported and answered with OK.
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return 1;
}
}  // namespace detail

bool QueryCurrentFolder(std::string& folder) {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            detail::SetLastErrorFromErrno(errno, std::string(), nullptr);
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    folder = buffer.data();
    return true;
}

bool PathExists(const char* path) {
    const std::string host = HostPath(path);
    struct stat info;
    if (stat(host.c_str(), &info) == 0) return true;
    detail::SetLastErrorFromErrno(errno, host, path);
    return false;
}

bool CreateFolder(const char* path) {
    std::string host = HostPath(path);
    if (mkdir(host.c_str(), 0777) == 0) return true;
    // CreateDirectoryA says "path not found" for any missing part.
    const int number = errno;
    detail::SetLastError(detail::HostError{FromErrno(number, number == ENOENT), number}, path);
    return false;
}

bool CanOpenForReading(const char* path) {
    detail::HostError error;
    if (detail::OpenRegularFile(HostPath(path), error).IsOpen()) return true;
    detail::SetLastError(error, path);
    return false;
}

bool ReadFileContents(const char* path, std::string& data) {
    data.clear();
    detail::HostError error;
    const detail::FileHandle file = detail::OpenRegularFile(HostPath(path), error);
    char block[65536];
    while (file.IsOpen()) {
        const ssize_t got = read(detail::Descriptor(file), block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = detail::ErrorFromErrno(errno);
        if (got <= 0) break;
        data.append(block, static_cast<std::size_t>(got));
    }
    if (error.Failed()) detail::SetLastError(error, path);
    return !error.Failed();
}

bool RemoveFile(const char* path) {
    std::string host = HostPath(path);
    if (unlink(host.c_str()) == 0) return true;
    detail::SetLastErrorFromErrno(errno, host, path);
    return false;
}

bool IdentifyFile(const char* path, FileIdentity& identity, bool* leadsElsewhere) {
    identity = FileIdentity();
    struct stat info;
    if (lstat(HostPath(path).c_str(), &info) != 0) {
        detail::SetLastErrorFromErrno(errno, HostPath(path), path);
        return false;
    }
    identity.known = true;
    identity.volume = std::uint64_t(info.st_dev);
    identity.index = std::uint64_t(info.st_ino);
    identity.links = std::uint32_t(info.st_nlink);
    if (leadsElsewhere) *leadsElsewhere = S_ISLNK(info.st_mode);
    return true;
}

std::size_t LongestPath() { return PATH_MAX - 1; }

std::string FullPath(const char* path) {
    const std::string host = HostPath(path);
    std::string here;
    if (!host.empty() && host[0] == '/') return host;
    if (!QueryCurrentFolder(here)) return host;
    return here + (here.empty() || here.back() != '/' ? "/" : "") + host;
}

bool RemoveFolder(const char* path) {
    std::string host = HostPath(path);
    if (rmdir(host.c_str()) == 0) return true;
    detail::SetLastErrorFromErrno(errno, host, path);
    return false;
}

bool RenameFolder(const char* from, const char* to) {
    const std::string host = HostPath(to);
    // rename() would replace an empty folder at `to`; MoveFileA never does.
    struct stat info;
    if (lstat(host.c_str(), &info) == 0) {
        detail::SetLastErrorFromErrno(EEXIST, host, from);
        return false;
    }
    if (::rename(HostPath(from).c_str(), host.c_str()) == 0) return true;
    detail::SetLastErrorFromErrno(errno, host, from);
    return false;
}

PathType PathKind(const char* path) {
    struct stat info;
    if (lstat(HostPath(path).c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathType::Missing : PathType::Other;
    if (S_ISLNK(info.st_mode)) return PathType::Link;
    if (S_ISDIR(info.st_mode)) return PathType::Folder;
    return S_ISREG(info.st_mode) ? PathType::File : PathType::Other;
}

namespace detail {
bool FileHandle::Close() {
    if (!IsOpen()) return true;
    // The descriptor is gone even when close reports an error: never again.
    return ::close(static_cast<int>(Release())) == 0 || errno == EINTR;
}

FileHandle OpenRegularFile(const std::string& hostPath, HostError& error) {
    // Looked at before it is opened, so that a device is not even opened;
    // the descriptor is checked again, as the path may change in between.
    // What is no file is refused as CreateFileA refuses a folder.
    struct stat info;
    if (stat(hostPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = HostError{kErrorAccessDenied, S_ISDIR(info.st_mode) ? EISDIR : EACCES};
        return FileHandle();
    }
    int fd;
    do {
        // Without O_NONBLOCK, opening a FIFO waits for a writer.
        fd = open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = ErrorFromErrno(errno, hostPath);
        return FileHandle();
    }
    FileHandle file(fd);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = HostError{kErrorAccessDenied, S_ISDIR(info.st_mode) ? EISDIR : EACCES};
        return FileHandle();
    }
    return file;
}

HostError WriteAll(int fd, const char* bytes, std::size_t size, std::size_t block, bool injectable) {
    for (std::size_t done = 0; done < size;) {
        if (injectable && InjectedWriteFailure()) return HostError{kErrorDiskFull, ENOSPC};
        const std::size_t chunk = size - done < block ? size - done : block;
        const ssize_t written = write(fd, bytes + done, chunk);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return ErrorFromErrno(errno);
        if (written == 0) return HostError{kErrorDiskFull, ENOSPC};
        done += static_cast<std::size_t>(written);
    }
    return HostError();
}
}  // namespace detail

namespace {
// * and ? as FindFirstFileA reads them, letter case ignored.
bool WildcardMatch(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && ascii::ToLower(*pattern) == ascii::ToLower(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    // "*.*" matches names without a dot too, as on Windows.
    if (pattern[0] == '.' && pattern[1] == '*' && pattern[2] == '\0') return true;
    return *pattern == '\0';
}
// Windows also matches a pattern against the 8.3 short name of a long
// name, whose extension keeps only three characters: "*.bsp" finds
// "a.bspx" as well.
bool ShortNameMatch(const std::string& mask, const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr || dot == name || std::strlen(dot + 1) <= 3) return false;
    std::string shortened(name, static_cast<std::size_t>(dot - name) + 4);
    return WildcardMatch(mask.c_str(), shortened.c_str());
}
}  // namespace

bool FindEntries(const char* pattern, const std::function<void(const FoundEntry&)>& visit) {
    std::string full = pattern ? pattern : "";
    std::string::size_type cut = full.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? "." : full.substr(0, cut == 0 ? 1 : cut);
    std::string mask = cut == std::string::npos ? full : full.substr(cut + 1);
    std::string hostFolder = HostPath(folder.c_str());
    DIR* dir = opendir(hostFolder.c_str());
    if (dir == nullptr) {
        const int number = errno;
        detail::SetLastError(detail::HostError{FromErrno(number, true), number}, pattern);
        return false;
    }
    bool any = false;
    while (dirent* item = readdir(dir)) {
        if (!WildcardMatch(mask.c_str(), item->d_name) && !ShortNameMatch(mask, item->d_name)) continue;
        FoundEntry entry;
        entry.name = item->d_name;
        // Through links; one that leads nowhere (or in a circle) is listed
        // as neither a folder nor a file.
        struct stat info;
        std::string child = hostFolder + "/" + item->d_name;
        const bool reached = stat(child.c_str(), &info) == 0;
        const int unreached = reached ? 0 : errno;
        if (reached) {
            entry.isFolder = S_ISDIR(info.st_mode);
            entry.isFile = S_ISREG(info.st_mode);
            if (entry.isFile && info.st_size > 0) entry.size = std::uint64_t(info.st_size);
            entry.identity.known = true;
            entry.identity.volume = std::uint64_t(info.st_dev);
            entry.identity.index = std::uint64_t(info.st_ino);
            entry.identity.links = std::uint32_t(info.st_nlink);
        }
        struct stat own;
        entry.isLink = lstat(child.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        if (!reached && entry.isLink) {
            entry.notFile = unreached == ELOOP ? "a link that leads in a circle" : "a link that leads nowhere";
        } else if (!entry.isFolder && !entry.isFile) {
            entry.notFile = "not a regular file (a device, pipe or socket)";
        }
        any = true;
        visit(entry);
    }
    closedir(dir);
    if (!any) detail::SetLastError(detail::HostError{detail::kErrorFileNotFound, ENOENT}, pattern);
    return any;
}

void SetMainWindowHandle(void*) {}

namespace {
struct UiTextEntry {
    unsigned id;
    const char* text;
};
const UiTextEntry kUiTexts[] = {
#define SERVOLT_UI_TEXT_ENTRY(name, id, text) {id, text},
    SERVOLT_UI_TEXTS(SERVOLT_UI_TEXT_ENTRY)
#undef SERVOLT_UI_TEXT_ENTRY
};
}  // namespace

int LoadStringResource(unsigned id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = '\0';
    for (const UiTextEntry& entry : kUiTexts) {
        if (entry.id != id) continue;
        std::size_t length = std::strlen(entry.text);
        if (length > static_cast<std::size_t>(size - 1)) length = static_cast<std::size_t>(size - 1);
        std::memcpy(buffer, entry.text, length);
        buffer[length] = '\0';
        return static_cast<int>(length);
    }
    return 0;
}

}  // namespace platform
