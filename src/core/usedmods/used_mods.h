// usedmods.cfg in the mods folder of the user folder.
#pragma once

#include <string>

#include "core/common/server_places.h"

// The number of (name, mark) pairs in a flagged-list text, counted as the
// text is read (a final name without a mark counts); 0 for the empty text.
int CountFlaggedPairs(const char* text);

// The lines of usedmods.cfg for a mod list, CR LF line ends: one
// <use priority=... downloadable=...>name</use> per mod, the first with the
// highest priority; names are XML-escaped.
std::string BuildUsedMods(const char* moduleUseList);

// Writes the context's usedmods.cfg (ServerPlaces::UsedModsPath) for the
// mod list; with no mod in use an existing file is emptied and a missing
// one is not created. A failure is
// reported to the context's sink, changes nothing on disk and returns false
// with the reason in `error`.
bool WriteUsedMods(const char* moduleUseList, const ServerContext& context, platform::Error& error);
