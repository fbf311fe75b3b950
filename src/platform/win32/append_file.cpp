// Appending to a file and renaming over another, with the real Win32 calls.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

namespace {

inline HANDLE Handle(void* handle) { return static_cast<HANDLE>(handle); }

}  // namespace

AppendOnlyFile::~AppendOnlyFile() { Close(); }

bool AppendOnlyFile::Open(const char* path) {
    Close();
    if (!path) return false;
    // FILE_APPEND_DATA alone: each write goes to the end of the file. The
    // sharing lets an operator read, and even rename, the log meanwhile.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

void AppendOnlyFile::Close() {
    if (!handle_) return;
    CloseHandle(Handle(handle_));
    handle_ = nullptr;
}

bool AppendOnlyFile::IsOpen() const { return handle_ != nullptr; }

std::uint64_t AppendOnlyFile::Size() const {
    LARGE_INTEGER size;
    if (!handle_ || !GetFileSizeEx(Handle(handle_), &size)) return 0;
    return std::uint64_t(size.QuadPart);
}

bool AppendOnlyFile::Write(const void* data, std::size_t size) {
    if (!handle_) return false;
    const char* from = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(Handle(handle_), from, chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        from += written;
        size -= written;
    }
    return true;
}

bool MoveFileReplacing(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace platform
