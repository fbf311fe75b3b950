// The user folder (Brenmoor\Vantrel(tm) in the documents folder) and the
// window's rule for the names of its files.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kUserPathSize = 4096;

// The documents folder without trailing backslash, as the system names it.
// False, with the empty text, when it cannot be found or is 4096 characters
// or longer.
bool GetDocumentsFolder(std::string& folder);

// The user folder of a documents folder, without trailing backslash:
// documents + "\Brenmoor\Vantrel(tm)", or "" (the root of the current drive)
// for the empty text (a documents folder that is unknown).
std::string UserFolderIn(const std::string& documentsFolder);

// Creates the user folder and the folder that holds it where they are
// missing; for the user folder "" (no documents folder) they are
// \Brenmoor\Vantrel(tm) in the root of the current drive, although the files
// then lie in that root. Failures are ignored: they surface when a file
// cannot be written.
void CreateUserFolders(const std::string& userFolder);
