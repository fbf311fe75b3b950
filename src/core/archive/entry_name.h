// Which archive entry names may become files. One rule for packing a folder
// and for unpacking an archive, so that what one makes the other takes back
// and neither writes outside the folder it is given, on Windows or Linux.
#pragma once

#include <string>

// Why `name` cannot stand for a file (or, ending in a separator, a folder)
// below an extraction folder on every system the game runs on; empty when it
// can. "/" and "\" both separate parts, as the game on Windows reads them.
// Refused: an empty name or part, an absolute or UNC name, a colon (drive
// letters, alternate streams), a "." or ".." part, a part that is a Windows
// device (CON, NUL, COM1 ...; with or without an extension), a part ending
// in a dot or a blank, control characters and < > " | ? *, and names longer
// than the reader accepts.
std::string EntryNameProblem(const std::string& name);

// Whether the name ends in a separator: an entry that stands for a folder.
bool IsFolderEntryName(const std::string& name);
