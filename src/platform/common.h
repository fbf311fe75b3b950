// Internal to the platform layer: what each implementation provides to the
// shared code, and the shared test state it consults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {
namespace detail {
int ShowSystemMessageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                         unsigned style);
bool QuerySystemDocumentsFolder(std::string& folder);
// True when the block write being made now is the one a test asked to fail.
bool InjectedWriteFailure();
// True when the temporary file being made now is the one a test asked to fail.
bool InjectedCreateFailure();

// A fresh temporary name in the folder of `target` ("~sv", five hex digits,
// ".tmp"), different on each call. `fullLength` is the target's length as
// the file calls see it: when the name would take the path past `longest`
// where the target's own name does not, it is as long as the target's.
std::string TemporaryPathFor(const std::string& target, std::size_t fullLength, std::size_t longest,
                             std::uint64_t seed);

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
