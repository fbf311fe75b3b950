// Switches that tests and tools use to put the platform into states that are
// hard to reach for real: a given documents folder, a full disk, a drive
// root. The product never calls them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace platform {

// Replaces the real message box with a recorder; an empty function restores
// it.
using MessageBoxHook = std::function<int(BoxOwner, const std::string& text,
                                         const std::string& caption, unsigned style)>;
void SetMessageBoxHook(MessageBoxHook hook);

// Makes QueryDocumentsFolder report `folder` instead of asking the system;
// nullptr restores the real lookup. SetDocumentsFolderUnknownForTests makes
// the lookup fail, as when the system has no documents folder.
void SetDocumentsFolderForTests(const char* folder);
void SetDocumentsFolderUnknownForTests();
// Makes the n-th block write of ReplaceFileContents or ReplacingFile from now on fail as a
// full disk does (n counts from 1; 0 switches the failure off). Writes are
// made in blocks of ReplaceWriteBlockSize bytes (ReplacingFileBlockSize for
// ReplacingFile, whose files run to hundreds of megabytes).
void FailFileWriteForTests(int n);
// Makes the n-th temporary file a ReplacingFile makes from now on fail to be
// created, as in a folder that may not be written (n counts from 1; 0
// switches the failure off).
void FailTemporaryFileForTests(int n);
constexpr std::size_t ReplaceWriteBlockSize = 4096;
constexpr std::size_t ReplacingFileBlockSize = std::size_t(1) << 20;

#if !defined(_WIN32)
namespace posix {
// The folder that stands for the root of the current drive (paths that start
// with a single backslash); "/" unless set.
void SetDriveRootForTests(const char* folder);
}  // namespace posix
#endif

}  // namespace platform
