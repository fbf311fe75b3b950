#include "core/discovery/mod_discovery.h"

namespace {

const char kModDescription[] = "moddesc.xml";

}  // namespace

void FillModsFound(const ServerPlaces& places, UniqueTextList& list) { FillModsFound(places.modsFolder, list); }

void FillModsFound(const std::string& modsFolder, UniqueTextList& list) {
    list.Clear();
    const std::string pattern = modsFolder + "\\*";
    platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& entry) {
        if (HasModDescription(modsFolder + "\\" + entry.name, entry)) list.AppendOnce(entry.name);
    });
}

bool HasModDescription(const std::string& candidate, const platform::FoundEntry& entry) {
    if (!entry.isFolder) return false;
    // FindEntries matches without regard to case, so the exact name is
    // checked here; a folder of that name, or a link that leads nowhere, is
    // no description file.
    bool found = false;
    const std::string pattern = candidate + "\\*";
    platform::FindEntries(pattern.c_str(), [&](const platform::FoundEntry& inner) {
        if (inner.isFile && inner.name == kModDescription) found = true;
    });
    return found;
}
