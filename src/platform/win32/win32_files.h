// Internal to the Win32 platform: the file calls every part of it makes.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/platform.h"

namespace platform {
namespace detail {

inline HANDLE Handle(const FileHandle& file) { return reinterpret_cast<HANDLE>(file.Value()); }
inline FileHandle Own(HANDLE handle) { return FileHandle(reinterpret_cast<std::intptr_t>(handle)); }

// Remembers that a call given `path` failed with GetLastError(), for
// LastError(); the code itself stays where the system keeps it.
void NoteFailure(const char* path);

// Writes all the bytes at the handle's position, `block` bytes per call at
// most. `injectable`: each block is one of the writes FailFileWriteForTests
// counts. False with the reason in GetLastError().
bool WriteAll(HANDLE file, const char* bytes, std::size_t size, std::size_t block, bool injectable);

}  // namespace detail
}  // namespace platform
