// A file written in pieces and renamed over its target once complete, with
// the real Win32 calls.
#include <windows.h>

#include <string>

#include "platform/common.h"
#include "platform/platform.h"
#include "platform/win32/win32_files.h"
#include "platform/test_hooks.h"

namespace platform {

using detail::Handle;

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
    if (!file_.IsOpen()) return;
    const DWORD error = GetLastError();
    file_.Close();
    DeleteFileA(temporary_.c_str());
    SetLastError(error);
}

bool ReplacingFile::Open(const char* path, TemporaryName) {
    Discard();
    if (!path) return false;
    target_ = path;
    const std::size_t length = FullPath(path).size();
    HANDLE file = INVALID_HANDLE_VALUE;
    // CREATE_NEW under a fresh name opens nothing that exists, a link left
    // there included; another name while one is taken.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary_ = detail::TemporaryPathFor(target_, length, LongestPath(),
                                              std::uint64_t(GetCurrentProcessId()) << 32);
        if (detail::InjectedCreateFailure()) {
            SetLastError(ERROR_ACCESS_DENIED);
            break;
        }
        file = CreateFileA(temporary_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        detail::NoteFailure(path);
        return false;
    }
    file_ = detail::Own(file);
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!file_.IsOpen()) return false;
    if (detail::WriteAll(Handle(file_), static_cast<const char*>(data), size, block_ ? block_ : ReplacingFileBlockSize,
                         injectable_))
        return true;
    detail::NoteFailure(target_.c_str());
    return false;
}

bool ReplacingFile::Seek(std::uint64_t offset) {
    if (!file_.IsOpen()) return false;
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    if (SetFilePointerEx(Handle(file_), to, nullptr, FILE_BEGIN)) return true;
    detail::NoteFailure(target_.c_str());
    return false;
}

bool ReplacingFile::Commit(bool replace) {
    if (!file_.IsOpen()) return false;
    bool ok = FlushFileBuffers(Handle(file_)) != 0;
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (!file_.Close() && ok) {
        ok = false;
        error = GetLastError();
    }
    // Not replacing: the name is first claimed with CREATE_NEW, which fails
    // on anything there, a link that leads nowhere included (a move without
    // MOVEFILE_REPLACE_EXISTING goes over one under Wine, which does not see
    // it); the move then replaces only that claim. Replacing, a link at the
    // target is itself replaced, never written through.
    bool claimed = false;
    if (ok && !replace) {
        HANDLE claim = CreateFileA(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
        if (claim == INVALID_HANDLE_VALUE) {
            ok = false;
            error = GetLastError();
        } else {
            CloseHandle(claim);
            claimed = true;
        }
    }
    if (ok && !MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = GetLastError();
        if (claimed) DeleteFileA(target_.c_str());
    }
    if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    if (!ok) {
        DeleteFileA(temporary_.c_str());
        SetLastError(error);
        detail::NoteFailure(target_.c_str());
    }
    return ok;
}

}  // namespace platform
