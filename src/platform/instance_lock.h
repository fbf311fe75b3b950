// A lock that one process at a time holds on a file, which the system
// releases the moment that process ends, however it ends: a killed holder
// leaves nothing stale behind. The file holds the holder's pid, so that a
// refused process can name it.
//
// POSIX: an open-file-description lock (fcntl F_OFD_SETLK; a process lock
// where the system has none), which another open of the same file sees,
// in this process too. Windows: the file opened for writing with reading
// shared only, so that nobody else can open it for writing until it is
// closed.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

enum class LockOutcome {
    Taken,
    HeldElsewhere,  // another process holds it; `holder` is its pid (0: not known)
    Failed,         // the file cannot be made or opened; `error` tells why
};

class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();  // releases the lock
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on `path` (made when missing) and writes this process's
    // pid into it.
    LockOutcome Take(const std::string& path, unsigned long& holder, Error& error);
    void Release();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Whether a process holds the lock on `path` now, without keeping it (where
// the system allows, without taking it at all: a process taking it at this
// moment is not refused because of the look). `holder`: its pid, 0 when not
// known. A missing file is a free lock.
bool IsLockHeld(const std::string& path, unsigned long& holder);

// This process's id.
unsigned long CurrentProcessId();

}  // namespace platform
