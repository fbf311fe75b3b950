// Internal to the platform layer: what each implementation provides to the
// shared code, and the shared test state it consults.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace platform {
namespace detail {
int ShowSystemMessageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                         unsigned style);
bool QuerySystemDocumentsFolder(std::string& folder);
// True when the block write being made now is the one a test asked to fail.
bool InjectedWriteFailure();

// The last failure as this implementation recorded it: code, the system's
// text (still with its line break or full stop, if any) and path.
Error LastSystemError();

// Sets the knobs of a ReplacingFile that only the platform's whole-file
// writers turn.
struct ReplacingFileAccess {
    static void SetBlockSize(ReplacingFile& file, std::size_t block) { file.block_ = block; }
    static void SetInjectable(ReplacingFile& file, bool injectable) { file.injectable_ = injectable; }
    static void KeepMode(ReplacingFile& file) { file.keepMode_ = true; }
    static void UseHostPaths(ReplacingFile& file) { file.hostPaths_ = true; }
};

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
