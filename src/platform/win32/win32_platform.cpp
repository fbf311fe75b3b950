// The platform layer on Windows: the real ANSI Win32 calls.
#include "platform/name_case.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "platform/common.h"
#include "platform/win32/win32_files.h"

#include <windows.h>
#include <shlobj.h>

// windows.h maps this name onto the win.ini function; ours is the one meant.
#undef WriteProfileString

#include <cstdio>
#include <string>
#include <vector>

namespace platform {
namespace {
HWND g_mainWindow = nullptr;
// The last failure a call of this interface noted on this thread: its code
// tells whether GetLastError() still holds it.
thread_local DWORD t_failedCode = 0;
thread_local std::string t_failedPath;
}  // namespace

unsigned long ReadProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* path) {
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* path) {
    if (WritePrivateProfileStringA(section, key, value, path)) return true;
    detail::NoteFailure(path);
    return false;
}

// The system keeps profile files in memory itself.
ProfileSession::ProfileSession(const char*) {}
ProfileSession::~ProfileSession() {}
bool ProfileSession::Commit() { return true; }

unsigned long LastErrorCode() { return GetLastError(); }
void SetLastErrorCode(unsigned long code) {
    t_failedCode = 0;
    t_failedPath.clear();
    SetLastError(code);
}

std::string SystemErrorText(unsigned long code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                                  code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length != 0 && text != nullptr) result.assign(text, length);
    if (text != nullptr) LocalFree(text);
    return result;
}

namespace detail {
void NoteFailure(const char* path) {
    t_failedCode = GetLastError();
    t_failedPath = path ? path : "";
    SetLastError(t_failedCode);
}

Error LastSystemError() {
    Error error;
    error.code = GetLastError();
    error.text = SystemErrorText(error.code);
    if (error.code == t_failedCode) error.path = t_failedPath;
    SetLastError(error.code);
    return error;
}

bool FileHandle::Close() {
    if (!IsOpen()) return true;
    return CloseHandle(reinterpret_cast<HANDLE>(Release())) != 0;
}

bool WriteAll(HANDLE file, const char* bytes, std::size_t size, std::size_t block, bool injectable) {
    for (std::size_t done = 0; done < size;) {
        if (injectable && InjectedWriteFailure()) {
            SetLastError(kErrorDiskFull);
            return false;
        }
        const DWORD chunk = static_cast<DWORD>(size - done < block ? size - done : block);
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, chunk, &written, nullptr)) {
            if (GetLastError() == ERROR_SUCCESS) SetLastError(kErrorWriteFault);
            return false;
        }
        if (written == 0) {
            SetLastError(kErrorDiskFull);
            return false;
        }
        done += written;
    }
    return true;
}

bool QuerySystemDocumentsFolder(std::string& folder) {
    char buffer[4096] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, buffer) != S_OK) {
        return false;
    }
    folder = buffer;
    return true;
}

int ShowSystemMessageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                         unsigned style) {
    HWND window = owner == BoxOwner::MainWindow ? g_mainWindow : nullptr;
    return MessageBoxA(window, text.c_str(), caption.c_str(), style);
}
}  // namespace detail

bool QueryCurrentFolder(std::string& folder) {
    // However long it is: a launch from a folder too long for MAX_PATH must
    // still name that folder when it refuses.
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) {
        detail::NoteFailure(nullptr);
        return false;
    }
    std::vector<char> buffer(needed + 1, '\0');
    const DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size()) {
        detail::NoteFailure(nullptr);
        return false;
    }
    folder.assign(buffer.data(), got);
    return true;
}

bool PathExists(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
    detail::NoteFailure(path);
    return false;
}

bool CreateFolder(const char* path) {
    if (CreateDirectoryA(path, nullptr)) return true;
    detail::NoteFailure(path);
    return false;
}

bool CanOpenForReading(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        detail::NoteFailure(path);
        return false;
    }
    std::fclose(file);
    return true;
}

bool ReadFileContents(const char* path, std::string& data) {
    data.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        detail::NoteFailure(path);
        return false;
    }
    char block[8192];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) data.append(block, got);
    bool ok = !std::ferror(file);
    if (!ok) detail::NoteFailure(path);
    std::fclose(file);
    if (!ok) SetLastError(t_failedCode);
    return ok;
}

bool RemoveFile(const char* path) {
    if (DeleteFileA(path)) return true;
    detail::NoteFailure(path);
    return false;
}

bool RemoveFolder(const char* path) {
    if (RemoveDirectoryA(path)) return true;
    detail::NoteFailure(path);
    return false;
}

bool RenameFolder(const char* from, const char* to) {
    if (MoveFileA(from, to)) return true;
    detail::NoteFailure(from);
    return false;
}

std::string HostPath(const char* path) { return path; }

bool FileNamesIgnoreCase() { return true; }

PathType PathKind(const char* path) {
    // Without following: the attributes are the link's own.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathType::Missing
                                                                             : PathType::Other;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathType::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathType::Folder;
    return attributes & FILE_ATTRIBUTE_DEVICE ? PathType::Other : PathType::File;
}

std::size_t LongestPath() { return MAX_PATH - 1; }

std::string FullPath(const char* path) {
    const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<char> buffer(needed + 1, '\0');
    const DWORD got = GetFullPathNameA(path, DWORD(buffer.size()), buffer.data(), nullptr);
    if (got == 0 || got >= buffer.size()) return path;
    return std::string(buffer.data(), got);
}

namespace {
// Letter case as Windows folds it, for comparing two spellings of a path.
bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && FoldedFileName(a) == FoldedFileName(b);
}

// The path the system reached through an opened handle, without the "\\?\"
// that GetFinalPathNameByHandleA puts before it.
std::string FinalPath(HANDLE file) {
    std::vector<char> buffer(MAX_PATH + 8, '\0');
    DWORD got = GetFinalPathNameByHandleA(file, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED);
    if (got >= buffer.size()) {
        buffer.assign(got + 1, '\0');
        got = GetFinalPathNameByHandleA(file, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED);
    }
    if (got == 0 || got >= buffer.size()) return std::string();
    std::string path(buffer.data(), got);
    if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
    if (path.compare(0, 4, "\\\\?\\") == 0) return path.substr(4);
    return path;
}

// The final path of the folder that holds `path` (through whatever links
// lead to it); empty when it cannot be opened.
std::string FolderFinalPath(const std::string& path) {
    const std::string full = FullPath(path.c_str());
    const std::size_t cut = full.find_last_of("\\/");
    if (cut == std::string::npos) return std::string();
    const std::string folder = full.substr(0, cut == 2 ? 3 : cut);  // "C:\" keeps its backslash
    HANDLE handle = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::string();
    std::string final = FinalPath(handle);
    CloseHandle(handle);
    while (!final.empty() && (final.back() == '\\' || final.back() == '/')) final.pop_back();
    return final;
}

std::string LastPart(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Opens what `path` names without following it, and tells what it is.
// `type` receives GetFileType's answer (a FIFO is FILE_TYPE_PIPE).
// `folderFinal`: the final path of the folder that holds it, when known.
bool Examine(const char* path, FileIdentity& identity, bool& elsewhere, DWORD& type,
             const std::string* folderFinal = nullptr) {
    identity = FileIdentity();
    elsewhere = false;
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        detail::NoteFailure(path);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    type = GetFileType(file);
    if (GetFileInformationByHandle(file, &info)) {
        identity.known = true;
        identity.volume = info.dwVolumeSerialNumber;
        identity.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        identity.links = info.nNumberOfLinks;
        elsewhere = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
    // Wine marks only links to folders as reparse points; a link to a file
    // shows where its handle leads. The handle's path is compared with the
    // name below its folder's own final path, so that a link on the way to
    // the folder (a Documents folder Wine links elsewhere) counts for
    // nothing; a short 8.3 spelling leads to its long name, which is no link.
    const std::string final = FinalPath(file);
    CloseHandle(file);
    if (!elsewhere && !final.empty()) {
        const std::string folder = folderFinal ? *folderFinal : FolderFinalPath(path);
        if (!folder.empty() && !SamePath(final, folder + "\\" + LastPart(path))) {
            const std::string full = FullPath(path);
            char longName[MAX_PATH * 2];
            const DWORD got = GetLongPathNameA(full.c_str(), longName, sizeof longName);
            elsewhere = got == 0 || got >= sizeof longName ||
                        !SamePath(final, folder + "\\" + LastPart(std::string(longName, got)));
        }
    }
    return true;
}
}  // namespace

bool IdentifyFile(const char* path, FileIdentity& identity, bool* leadsElsewhere) {
    bool elsewhere = false;
    DWORD type = 0;
    if (!Examine(path, identity, elsewhere, type)) return false;
    if (leadsElsewhere) *leadsElsewhere = elsewhere;
    return true;
}

bool FindEntries(const char* pattern, const std::function<void(const FoundEntry&)>& visit) {
    std::string folder = pattern ? pattern : "";
    const std::size_t cut = folder.find_last_of("\\/");
    folder = cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
    std::string folderFinal;  // of the folder listed, found with its first file
    bool folderKnown = false;
    WIN32_FIND_DATAA data;
    ZeroMemory(&data, sizeof data);
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        detail::NoteFailure(pattern);
        return false;
    }
    do {
        FoundEntry entry;
        entry.name = data.cFileName;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isFile = (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
        entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (entry.isFile) entry.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (entry.isFile && !entry.isLink) {
            // Under Wine a FIFO, a socket or a link to a file is listed as
            // a plain file: the name opened tells.
            const std::string path = folder + entry.name;
            if (!folderKnown) {
                folderFinal = FolderFinalPath(path);
                folderKnown = true;
            }
            bool elsewhere = false;
            DWORD type = FILE_TYPE_UNKNOWN;
            if (!Examine(path.c_str(), entry.identity, elsewhere, type, &folderFinal) || type != FILE_TYPE_DISK) {
                entry.isFile = false;
                entry.size = 0;
                entry.notFile = "not a regular file (a device, pipe or socket)";
            }
            entry.isLink = elsewhere;
        }
        visit(entry);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
}

void SetMainWindowHandle(void* window) { g_mainWindow = static_cast<HWND>(window); }

int LoadStringResource(unsigned id, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    buffer[0] = '\0';
    return LoadStringA(GetModuleHandleA(nullptr), id, buffer, size);
}

}  // namespace platform
