// Mod discovery: the folders of the mods folder that directly hold a file
// named exactly "moddesc.xml" (letter case counts; its contents are not read).
#pragma once

#include <string>

#include "core/common/server_places.h"
#include "core/discovery/unique_text_list.h"
#include "platform/platform.h"

// Empties the list and fills it with the names of the mods found, in the
// order the file system returns them. "." counts when moddesc.xml lies in
// the mods folder itself, ".." when it lies in the user folder.
void FillModsFound(const ServerPlaces& places, UniqueTextList& list);
void FillModsFound(const std::string& modsFolder, UniqueTextList& list);

// Whether `entry`, found at `candidate` (its full path), is a folder that
// holds moddesc.xml directly.
bool HasModDescription(const std::string& candidate, const platform::FoundEntry& entry);
