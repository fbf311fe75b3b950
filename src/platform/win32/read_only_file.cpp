// Reading files at offsets and critical sections, with the real Win32 calls.
#include <windows.h>

#include <new>

#include "platform/platform.h"

namespace platform {

namespace {

inline HANDLE Handle(void* handle) { return static_cast<HANDLE>(handle); }

}  // namespace

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::Open(const char* path, bool sequentialScan) {
    Close();
    if (!path) return false;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (sequentialScan ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

void ReadOnlyFile::Close() {
    if (!handle_) return;
    CloseHandle(Handle(handle_));
    handle_ = nullptr;
}

bool ReadOnlyFile::IsOpen() const { return handle_ != nullptr; }

std::uint64_t ReadOnlyFile::Size() const {
    if (!handle_) return 0;
    DWORD high = 0;
    const DWORD low = GetFileSize(Handle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (std::uint64_t(high) << 32) | low;
}

bool ReadOnlyFile::Seek(std::uint64_t offset) {
    if (!handle_ || offset > 0x7FFFFFFFFFFFFFFFull) return false;
    LONG high = LONG(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(Handle(handle_), LONG(DWORD(offset)), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool ReadOnlyFile::Read(void* buffer, std::size_t count, std::size_t& got) {
    got = 0;
    if (!handle_) return false;
    unsigned char* to = static_cast<unsigned char*>(buffer);
    while (got < count) {
        const std::size_t left = count - got;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : DWORD(left);
        DWORD n = 0;
        if (!ReadFile(Handle(handle_), to + got, chunk, &n, nullptr)) return false;
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
