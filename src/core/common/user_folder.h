// The user folder (Brenmoor\Vantrel(tm) in the documents folder) and the
// names of its files.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kUserPathSize = 4096;

// The documents folder without trailing backslash into `path` (4096 bytes).
// Empties it first; false (and the empty text) when it cannot be found.
bool GetDocumentsFolder(char* path);

// Makes the documents folder `folder` instead of the one the system names,
// for a front end that serves another user's files (a Wine prefix seen from
// Linux); the empty text returns to the system's.
void UseDocumentsFolder(const std::string& folder);

// The user folder itself, without trailing backslash: documents folder +
// "\Brenmoor\Vantrel(tm)", or "" (the root of the current drive) when the
// documents folder is unknown. UserFilePath(x) is this + "\" + x.
std::string UserFolder();

// Creates Brenmoor and Brenmoor\Vantrel(tm) in the documents folder (in the
// root of the current drive when it is unknown) where they are missing.
// Failures are ignored: they surface when a file cannot be written.
void CreateUserFolders();

// The name of a file of the user folder: documents folder +
// "\Brenmoor\Vantrel(tm)\" + relative, or "\" + relative (the root of the
// current drive) when the documents folder is unknown. Looks the folder up
// afresh at each call.
std::string UserFilePath(const char* relative);
// The same into a buffer of `size` bytes; false, with the empty text in the
// buffer, when the path does not fit.
bool BuildUserFilePath(const char* relative, char* out, std::size_t size);
