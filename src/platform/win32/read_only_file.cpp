// Reading files at offsets and critical sections, with the real Win32 calls.
#include <windows.h>

#include <new>

#include "platform/platform.h"
#include "platform/win32/win32_files.h"

namespace platform {

using detail::Handle;

ReadOnlyFile::~ReadOnlyFile() = default;

bool ReadOnlyFile::Open(const char* path, bool sequentialScan) {
    Close();
    if (!path) return false;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (sequentialScan ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        detail::NoteFailure(path);
        return false;
    }
    file_ = detail::Own(file);
    return true;
}

void ReadOnlyFile::Close() { file_.Close(); }

bool ReadOnlyFile::IsOpen() const { return file_.IsOpen(); }

std::uint64_t ReadOnlyFile::Size() const {
    if (!file_.IsOpen()) return 0;
    DWORD high = 0;
    const DWORD low = GetFileSize(Handle(file_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (std::uint64_t(high) << 32) | low;
}

bool ReadOnlyFile::Seek(std::uint64_t offset) {
    if (!file_.IsOpen() || offset > 0x7FFFFFFFFFFFFFFFull) return false;
    LONG high = LONG(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(Handle(file_), LONG(DWORD(offset)), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        detail::NoteFailure(nullptr);
        return false;
    }
    return true;
}

bool ReadOnlyFile::Read(void* buffer, std::size_t count, std::size_t& got) {
    got = 0;
    if (!file_.IsOpen()) return false;
    unsigned char* to = static_cast<unsigned char*>(buffer);
    while (got < count) {
        const std::size_t left = count - got;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : DWORD(left);
        DWORD n = 0;
        if (!ReadFile(Handle(file_), to + got, chunk, &n, nullptr)) {
            detail::NoteFailure(nullptr);
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    return true;
}

static_assert(sizeof(CRITICAL_SECTION) <= 64, "the lock's storage must hold a critical section");

Lock::Lock() { InitializeCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
Lock::~Lock() { DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void Lock::Enter() { EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void Lock::Leave() { LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }

}  // namespace platform
