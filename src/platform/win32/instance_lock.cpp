#include "platform/instance_lock.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace platform {

namespace {

unsigned long PidIn(const std::string& path) {
    // The holder shares reading; it also writes, which this open must share.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[32] = "";
    DWORD got = 0;
    ReadFile(file, text, sizeof text - 1, &got, nullptr);
    CloseHandle(file);
    text[got < sizeof text ? got : sizeof text - 1] = '\0';
    return std::strtoul(text, nullptr, 10);
}

Error Win32Error(DWORD code, const std::string& path) {
    Error error;
    error.code = code;
    error.text = SystemErrorText(code);
    while (!error.text.empty() && (error.text.back() == '\n' || error.text.back() == '\r' ||
                                   error.text.back() == ' ' || error.text.back() == '.'))
        error.text.pop_back();
    error.path = path;
    return error;
}

}  // namespace

struct InstanceLock::State {
    HANDLE file = INVALID_HANDLE_VALUE;
};

InstanceLock::InstanceLock() : state_(new State) {}

InstanceLock::~InstanceLock() { Release(); }

void InstanceLock::Release() {
    if (state_->file != INVALID_HANDLE_VALUE) CloseHandle(state_->file);
    state_->file = INVALID_HANDLE_VALUE;
}

LockOutcome InstanceLock::Take(const std::string& path, unsigned long& holder, Error& error) {
    Release();
    holder = 0;
    // Not inherited: a server started later must not hold it.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_SHARING_VIOLATION) {
            holder = PidIn(path);
            return LockOutcome::HeldElsewhere;
        }
        error = Win32Error(code, path);
        return LockOutcome::Failed;
    }
    const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    if (!WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr) || written != pid.size() ||
        !SetEndOfFile(file)) {
        error = Win32Error(GetLastError(), path);
        CloseHandle(file);
        return LockOutcome::Failed;
    }
    FlushFileBuffers(file);
    state_->file = file;
    return LockOutcome::Taken;
}

bool IsLockHeld(const std::string& path, unsigned long& holder) {
    holder = 0;
    // Opening it for reading without sharing writes fails while the holder
    // has it open for writing. The look keeps it for an instant only; a
    // supervisor starting then retries before it gives up.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    holder = PidIn(path);
    return true;
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace platform
