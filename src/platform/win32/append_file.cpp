// Appending to a file and renaming over another, with the real Win32 calls.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_files.h"

namespace platform {

using detail::Handle;

AppendOnlyFile::~AppendOnlyFile() = default;

bool AppendOnlyFile::Open(const char* path) {
    Close();
    if (!path) return false;
    // FILE_APPEND_DATA alone: each write goes to the end of the file. The
    // sharing lets an operator read, and even rename, the log meanwhile.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        detail::NoteFailure(path);
        return false;
    }
    file_ = detail::Own(file);
    return true;
}

void AppendOnlyFile::Close() { file_.Close(); }

bool AppendOnlyFile::IsOpen() const { return file_.IsOpen(); }

std::uint64_t AppendOnlyFile::Size() const {
    LARGE_INTEGER size;
    if (!file_.IsOpen() || !GetFileSizeEx(Handle(file_), &size)) return 0;
    return std::uint64_t(size.QuadPart);
}

bool AppendOnlyFile::Write(const void* data, std::size_t size) {
    if (!file_.IsOpen()) return false;
    if (detail::WriteAll(Handle(file_), static_cast<const char*>(data), size, 0x40000000u, false)) return true;
    detail::NoteFailure(nullptr);
    return false;
}

bool MoveFileReplacing(const char* from, const char* to) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    detail::NoteFailure(from);
    return false;
}

}  // namespace platform
