// The two lists the pages edit entry by entry, the Rotation of the Maps page
// and the Mods In Use of the Mods page, with the rules every front end
// applies to them: names come only from what discovery finds, and the
// page's refusals are told in the page's words.
#pragma once

#include <string>
#include <vector>

#include "core/common/server_places.h"
#include "core/discovery/marked_list.h"
#include "core/settings/server_settings.h"

struct MarkedListRules {
    TextField field;
    const char* key;       // its settings-file key
    const char* listName;  // "the rotation"
    const char* itemName;  // "map"
    const char* markName;  // "swap": what its mark stands for
    unsigned refusedCaption, refusedBlank, refusedFull;  // the page's refusals, each with one %s
    bool mapsFound;        // offers the maps found (else the mods found)
};

const MarkedListRules& RotationListRules();
const MarkedListRules& ModsListRules();

// What the list's page offers to add: the maps of the settings' game type
// and mods in use, or the mods found, in discovery's order.
std::vector<std::string> FoundListNames(const MarkedListRules& rules, const ServerPlaces& places,
                                        const ServerSettings& settings);

// The page's refusal of `name` (HasBlank or TooLong) under its caption, with
// `shownName` put in as the front end shows names: "Map not added: ...".
// Empty for a result the page does not refuse.
std::string ListRefusalText(const MarkedListRules& rules, AddResult result, const std::string& shownName);
