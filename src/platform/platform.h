// The one door through which the portable core reaches the operating system.
//
// Two implementations exist: win32/ makes the real calls; posix/ behaves as
// those calls do under Wine, for the native tests and the Linux tools (paths
// keep Windows backslashes at this interface and are mapped onto the host).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// windows.h, when included first, maps this name onto the win.ini function.
#ifdef WriteProfileString
#undef WriteProfileString
#endif

namespace platform {

class ReplacingFile;

namespace detail {
// An open file of the system, closed when it goes: a HANDLE on Windows, a
// descriptor elsewhere; -1 (INVALID_HANDLE_VALUE) when none.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(std::intptr_t value) : value_(value) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : value_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            value_ = other.Release();
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return value_ != -1; }
    std::intptr_t Value() const { return value_; }
    std::intptr_t Release() {
        const std::intptr_t value = value_;
        value_ = -1;
        return value;
    }
    // False when the system reported an error closing it (the reason is
    // then in errno, or GetLastError on Windows); it is closed either way.
    bool Close();

private:
    std::intptr_t value_ = -1;
};

// How the platform's own whole-file writers use a ReplacingFile.
struct ReplacingFileAccess;
}  // namespace detail

// ---- Profile (INI) files ------------------------------------------------
// Same contract as GetPrivateProfileStringA: the value cut to size - 1
// characters, NUL-terminated; the default when the file, section or key is
// missing. Returns the number of characters copied.
unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* path);
// Same contract as WritePrivateProfileStringA. On failure returns false and
// leaves the reason in LastErrorCode().
bool WriteProfileString(const char* section, const char* key, const char* value, const char* path);

// Groups the profile calls on one file that a load or a save of many keys
// makes. While a session is open, the POSIX platform reads the file at most
// once and keeps the writes in memory until Commit (or the end of the
// session) writes the file once, with the bytes Windows would have left.
// On Windows, which keeps the file itself, it does nothing. A session opened
// while another is open for a different file does nothing either.
class ProfileSession {
public:
    explicit ProfileSession(const char* path);
    ~ProfileSession();  // commits what is pending; a failure then goes unreported
    ProfileSession(const ProfileSession&) = delete;
    ProfileSession& operator=(const ProfileSession&) = delete;
    // Writes the pending changes now. False, with the reason in
    // LastErrorCode(), when the file could not be written; it is then left
    // as it was and the changes are dropped.
    bool Commit();

private:
    bool active_ = false;
};

// What failed and why: the Windows error code both implementations report,
// the operating system's own text for it (strerror on POSIX hosts,
// FormatMessageA on Windows) and the file concerned.
struct Error {
    unsigned long code = 0;  // 0: no error
    std::string text;        // without a closing line break or full stop
    std::string path;        // as the caller named it; may be empty
    bool Failed() const { return code != 0; }
    // "path: text", or the text alone when no path is known.
    std::string Describe() const;
};
// The error of the last failed call of this interface on this thread, as
// the system reported it when the call failed: on POSIX the errno's own
// text ("Permission denied"), on Windows FormatMessageA's. Its path is the
// one that call was given (for a rename, the file renamed), or `path` when
// one is named here. A code set with SetLastErrorCode has no path, and on
// POSIX the text of the errno that stands for it.
Error LastError(const std::string& path = std::string());

unsigned long LastErrorCode();
void SetLastErrorCode(unsigned long code);
// The text Windows gives for an error code (FormatMessageA; on POSIX the
// one Wine gives, as the window's boxes show it), line break included;
// empty when the system has none.
std::string SystemErrorText(unsigned long code);

// ---- Folders and files ---------------------------------------------------
// The user's documents folder (SHGetFolderPathA, CSIDL_PERSONAL with
// CSIDL_FLAG_CREATE), without trailing backslash. False when unknown.
bool QueryDocumentsFolder(std::string& folder);
// GetCurrentDirectoryA, however long the folder is.
bool QueryCurrentFolder(std::string& folder);
// GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES.
bool PathExists(const char* path);
// CreateDirectoryA(path, default security).
bool CreateFolder(const char* path);
// Whether the file can be opened for reading (fopen "rb").
bool CanOpenForReading(const char* path);

// Writes the whole file in binary through a ReplacingFile: the bytes go to
// a new temporary file beside `path`, which replaces `path` only once it is
// complete and closed. On any failure the previous file is left untouched,
// the temporary removed and false returned (LastError() tells why).
bool ReplaceFileContents(const char* path, const void* data, std::size_t size);

// What a path names, the last part not followed: a link (a symbolic link,
// or on Windows any reparse point such as a junction) is a Link even when
// it leads nowhere. lstat on POSIX; GetFileAttributesA with
// FILE_ATTRIBUTE_REPARSE_POINT on Windows. Other: a device, a pipe, or a
// path that cannot be looked at.
enum class PathType { Missing, File, Folder, Link, Other };
PathType PathKind(const char* path);

// Writes the whole file in binary through a ReplacingFile, so that nothing
// else in the folder is touched; `replace` as for ReplacingFile::Commit.
bool WriteNewFile(const char* path, const void* data, std::size_t size, bool replace);

// Reads a whole file in binary (fopen "rb"). False when it cannot be opened
// or read.
bool ReadFileContents(const char* path, std::string& data);
// DeleteFileA.
bool RemoveFile(const char* path);
// RemoveDirectoryA: an empty folder only.
bool RemoveFolder(const char* path);
// MoveFileA of a folder: renames it, failing when anything is at `to`.
bool RenameFolder(const char* from, const char* to);
// The host's name for a path of this interface: the path itself on Windows;
// on the POSIX stand-in backslashes become slashes and a path starting with
// one backslash is placed under the stand-in's drive root.
std::string HostPath(const char* path);

// Whether the file system takes names that differ only in letter case for
// one file: Windows does; the POSIX stand-in names its host's files exactly.
bool FileNamesIgnoreCase();

// Which file a name stands for: two names with one identity are one file
// (a hard link, a short 8.3 alias, another letter case on Windows). The
// volume serial and file index on Windows, device and inode elsewhere.
struct FileIdentity {
    bool known = false;
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint32_t links = 0;  // names the file has (hard links); 0 when unknown
    bool operator==(const FileIdentity& other) const {
        return known && other.known && volume == other.volume && index == other.index;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
// The identity of what `path` names, the last part not followed (a link's
// own). `leadsElsewhere` (optional) is set when the path is a link, or, on
// Windows, opens a file whose final path is another (a link Wine does not
// report as one). False when nothing can be opened there.
bool IdentifyFile(const char* path, FileIdentity& identity, bool* leadsElsewhere = nullptr);

// The longest path, in characters, the file calls take: MAX_PATH less its
// closing zero on Windows, PATH_MAX less one elsewhere.
std::size_t LongestPath();
// The path made absolute, as the file calls see it (GetFullPathNameA; on
// POSIX the host path joined to the current folder). The path itself when
// that fails.
std::string FullPath(const char* path);

// One entry of a folder enumeration (FindFirstFileA/FindNextFileA).
struct FoundEntry {
    std::string name;  // file name only, as the file system spells it
    bool isFolder = false;
    // A file that can be opened and read: not a folder, a device, a pipe,
    // or a link that leads nowhere.
    bool isFile = false;
    // A symbolic link, a junction or another reparse point: what it leads
    // to lies elsewhere (isFolder and isFile describe that target).
    // On Windows also a file whose opened handle leads elsewhere (Wine
    // reports links to files as plain files).
    bool isLink = false;
    std::uint64_t size = 0;  // bytes, for a file
    // Why a name that is neither a folder nor a file is not one: "not a
    // regular file (a device, pipe or socket)", "a link that leads nowhere";
    // empty otherwise.
    std::string notFile;
    FileIdentity identity;   // of what the name leads to, when known
};
// Calls `visit` for each entry matching `pattern` (a folder path, a
// backslash, and a last part that may hold * and ?, matched without regard
// to letter case as Windows does), in the order the file system returns
// them, "." and ".." included where the pattern matches them. Returns false
// when nothing could be enumerated (FindFirstFileA failed).
bool FindEntries(const char* pattern, const std::function<void(const FoundEntry&)>& visit);

// ---- Reading files at offsets (CreateFileA/ReadFile/SetFilePointer) --------
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Shared read access, existing files only. `sequentialScan` tells the
    // system the file will be read front to back (FILE_FLAG_SEQUENTIAL_SCAN).
    // False, with the reason in LastError(), when it cannot be opened.
    bool Open(const char* path, bool sequentialScan = false);
    void Close();
    bool IsOpen() const;
    // Size of the file in bytes; 0 when not open.
    std::uint64_t Size() const;
    bool Seek(std::uint64_t offset);
    // Reads up to `count` bytes at the current position; `got` receives how
    // many arrived. False on an error of the read itself (LastError()).
    bool Read(void* buffer, std::size_t count, std::size_t& got);

private:
    detail::FileHandle file_;
};

// ---- Appending to a file (CreateFileA with FILE_APPEND_DATA) -------------
// Every write lands at the end of the file as it is then, whoever else
// appends; readers may open the file meanwhile.
class AppendOnlyFile {
public:
    AppendOnlyFile() = default;
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // Opens `path`, creating it when missing. False (LastErrorCode() tells
    // why) when it cannot be.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const;
    // Size of the file in bytes; 0 when not open.
    std::uint64_t Size() const;
    // False, with LastErrorCode(), unless all `size` bytes were written.
    bool Write(const void* data, std::size_t size);

private:
    detail::FileHandle file_;
};

// ---- Writing a file in pieces that replaces another only when complete ----
// The bytes go to a temporary file beside `path`, which Commit renames to
// `path`; until then `path` stays as it was, and a file never committed is
// removed when the object goes. Failures leave the reason in LastError(),
// which names the target.
//
// The temporary file is always made new and exclusive (CREATE_NEW, O_EXCL)
// under a short name no file has ("~sv" and a few hex digits, ".tmp"),
// tried again under another name while one is taken: nothing that was
// there, a file an earlier run left or a link someone put there, is ever
// opened or written through. Where the folder leaves too little room before
// LongestPath(), the name is made no longer than the target's own, so a
// target that fits can always be written.
enum class TemporaryName {
    Fixed,  // kept for callers: the same fresh, exclusive name as Fresh
    Fresh,
};

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Open(const char* path, TemporaryName naming = TemporaryName::Fixed);
    // Writes at the current position, which then moves past the bytes.
    bool Write(const void* data, std::size_t size);
    bool Seek(std::uint64_t offset);
    // Flushes, closes and renames to the target. With `replace`, whatever
    // file or link is at the target is replaced, not written through
    // (MoveFileExA with MOVEFILE_REPLACE_EXISTING); without, it fails with
    // ERROR_FILE_EXISTS when anything is there, a link that leads nowhere
    // included. After a failure nothing is left of the temporary file.
    bool Commit(bool replace = true);
    // The temporary file's path.
    const std::string& TemporaryPath() const { return temporary_; }

private:
    friend struct detail::ReplacingFileAccess;
    void Discard();
    detail::FileHandle file_;
    std::string target_;
    std::string temporary_;
    // Set only by the platform's whole-file writers.
    std::size_t block_ = 0;   // bytes per write call at most; 0: ReplacingFileBlockSize
    bool injectable_ = true;  // its writes are those FailFileWriteForTests counts
    bool keepMode_ = false;   // POSIX: the new file gets the permissions of the one it replaces
    bool hostPaths_ = false;  // POSIX: the paths given are the host's already
};

// MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING): renames a file, over
// `to` when it exists. A failure names `from` in LastError().
bool MoveFileReplacing(const char* from, const char* to);

// A critical section (CRITICAL_SECTION on Windows, a mutex elsewhere).
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void Enter();
    void Leave();

private:
    alignas(16) unsigned char storage_[64];
};

class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.Enter(); }
    ~LockGuard() { lock_.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

// ---- Message boxes and texts ------------------------------------------------
enum class BoxOwner { None, MainWindow };
// Style and result values are those of MessageBoxA (MB_OK = 0,
// MB_OKCANCEL = 1, MB_ICONWARNING = 0x30; IDOK = 1, IDCANCEL = 2).
int ShowMessageBox(BoxOwner owner, const char* text, const char* caption, unsigned style);
// The window that owns BoxOwner::MainWindow boxes (an HWND on Windows).
void SetMainWindowHandle(void* window);

// LoadStringA of the module's string table: copies the text into `buffer`
// (cut to size - 1) and returns its length, 0 for an unknown id.
int LoadStringResource(unsigned id, char* buffer, int size);

}  // namespace platform
