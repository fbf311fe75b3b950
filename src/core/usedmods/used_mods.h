// usedmods.cfg in the mods folder of the user folder.
#pragma once

#include <string>

// The number of (name, mark) pairs in a flagged-list text, counted as the
// text is read (a final name without a mark counts); 0 for the empty text.
int CountFlaggedPairs(const char* text);

// The lines of usedmods.cfg for a mod list, CR LF line ends: one
// <use priority=... downloadable=...>name</use> per mod, the first with the
// highest priority; names are XML-escaped.
std::string BuildUsedMods(const char* moduleUseList);

// Writes folder\moddir\usedmods.cfg for the mod list; with no mod in use
// the file is left as it is. A failure is reported as a notice and changes
// nothing on disk.
void WriteUsedMods(const char* moduleUseList, const std::string& folder);
// The same for the record's ModuleUseList, in the user folder.
void WriteUsedMods();
