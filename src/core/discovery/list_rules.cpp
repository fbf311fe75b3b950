#include "core/discovery/list_rules.h"

#include "core/common/ui_text.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"

const MarkedListRules& RotationListRules() {
    static const MarkedListRules rules{fields::MapRotationList,  "MapRotationList",
                                       "the rotation",          "map",
                                       "swap",                  IDS_ROTATION_REFUSED_CAPTION,
                                       IDS_ROTATION_REFUSED_BLANK, IDS_ROTATION_REFUSED_FULL,
                                       true};
    return rules;
}

const MarkedListRules& ModsListRules() {
    static const MarkedListRules rules{fields::ModuleUseList, "ModuleUseList",
                                       "the mods in use",     "mod",
                                       "download",            IDS_MODS_REFUSED_CAPTION,
                                       IDS_MODS_REFUSED_BLANK, IDS_MODS_REFUSED_FULL,
                                       false};
    return rules;
}

std::vector<std::string> FoundListNames(const MarkedListRules& rules, const ServerPlaces& places,
                                        const ServerSettings& settings) {
    UniqueTextList found;
    if (rules.mapsFound) {
        FillMapList(places, found, settings.GameType, settings.ModuleUseList);
    } else {
        FillModsFound(places, found);
    }
    return std::vector<std::string>(found.Items().begin(), found.Items().end());
}

std::string ListRefusalText(const MarkedListRules& rules, AddResult result, const std::string& shownName) {
    unsigned text = 0;
    switch (result) {
    case AddResult::HasBlank: text = rules.refusedBlank; break;
    case AddResult::TooLong: text = rules.refusedFull; break;
    case AddResult::Added:
    case AddResult::AlreadyPresent: return std::string();
    }
    std::string message = LoadUIText(text);
    const std::string::size_type at = message.find("%s");
    if (at != std::string::npos) message.replace(at, 2, shownName);
    return LoadUIText(rules.refusedCaption) + ": " + message;
}
