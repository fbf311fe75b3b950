// Internal to the platform layer: what each implementation provides to the
// shared code, and the shared test state it consults.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform {
namespace detail {
int ShowSystemMessageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                         unsigned style);
bool QuerySystemDocumentsFolder(std::string& folder);
// True when the block write being made now is the one a test asked to fail.
bool InjectedWriteFailure();

#if !defined(_WIN32)
// Sets LastErrorCode() to the Windows code for an errno of a call on
// `hostPath` (a missing folder on the way gives "path not found").
void SetLastErrorFromErrno(int error, const std::string& hostPath);
#endif

// Windows error codes that both implementations report.
constexpr unsigned long kErrorFileNotFound = 2;
constexpr unsigned long kErrorPathNotFound = 3;
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorOutOfMemory = 14;
constexpr unsigned long kErrorWriteFault = 29;
constexpr unsigned long kErrorGenFailure = 31;
constexpr unsigned long kErrorFileExists = 80;
constexpr unsigned long kErrorDiskFull = 112;
constexpr unsigned long kErrorAlreadyExists = 183;
constexpr unsigned long kErrorFilenameTooLong = 206;
}  // namespace detail
}  // namespace platform
