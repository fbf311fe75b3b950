#include "core/check/config_check.h"

#include <algorithm>
#include <set>

#include "core/common/user_folder.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/flagged_list.h"
#include "core/settings/settings_file.h"
#include "platform/ascii.h"
#include "platform/platform.h"

namespace {

// A map as the server resolves it: letter case (A-Z alone, whatever the C
// locale folds besides), the slash and the leading "maps/" and trailing
// ".bsp" do not tell two maps apart ("dm/x" in the default rotation is the
// map the Maps page lists as "maps/dm/x").
std::string MapKey(std::string text) {
    for (char& c : text) {
        c = ascii::ToLower(c);
        if (c == '\\') c = '/';
    }
    if (text.compare(0, 5, "maps/") == 0) text.erase(0, 5);
    if (text.size() > 4 && text.compare(text.size() - 4, 4, ".bsp") == 0) text.erase(text.size() - 4);
    return text;
}

void Add(std::vector<Finding>& findings, FindingSeverity severity, const std::string& setting,
         const std::string& message) {
    findings.push_back(Finding{severity, setting, message});
}

void CheckMaps(const ServerSettings& settings, const ServerPlaces& places, std::vector<Finding>& findings) {
    UniqueTextList found;
    FillMapList(places, found, settings.GameType,
                settings.ModuleUseList);
    std::set<std::string> installed;
    for (const std::string& map : found.Items()) installed.insert(MapKey(map));

    if (settings.MapName[0] != '\0' && installed.count(MapKey(settings.MapName)) == 0) {
        Add(findings, FindingSeverity::Error, "MapName",
            "start map \"" + std::string(settings.MapName) + "\" is not installed for this game type and these mods");
    }
    for (const FlaggedItem& entry : ParseFlaggedList(settings.MapRotationList)) {
        if (installed.count(MapKey(entry.item)) == 0) {
            Add(findings, FindingSeverity::Error, "MapRotationList",
                "rotation map \"" + entry.item + "\" is not installed for this game type and these mods");
        }
        if (entry.item.find(';') != std::string::npos) {
            Add(findings, FindingSeverity::Warning, "MapRotationList",
                "rotation map \"" + entry.item + "\" holds a ';', which splits its sv_maplist entry in two");
        }
    }
}

void CheckMods(const ServerSettings& settings, const ServerPlaces& places, std::vector<Finding>& findings) {
    UniqueTextList found;
    FillModsFound(places.modsFolder, found);
    for (const FlaggedItem& mod : ParseFlaggedList(settings.ModuleUseList)) {
        const std::string& name = mod.item;
        if (name.find_first_of("/\\") != std::string::npos || name.find("..") != std::string::npos) {
            Add(findings, FindingSeverity::Error, "ModuleUseList",
                "mod name \"" + name + "\" holds a path separator or \"..\"; the server looks outside the mods folder");
        } else if (!found.Contains(name)) {
            Add(findings, FindingSeverity::Error, "ModuleUseList",
                "mod \"" + name + "\" is in use but not in the mods folder " + places.modsFolder);
        }
    }
}

// The settings-file key of a field.
std::string KeyOf(AnyField field) {
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (keys[i].field.offset == field.offset) return keys[i].key;
    }
    return "?";
}

// A text the server reads between double quotes, on a line of its own.
void CheckQuotedText(const std::string& key, const std::string& text, std::vector<Finding>& findings) {
    if (text.find_first_of("\r\n") != std::string::npos) {
        Add(findings, FindingSeverity::Warning, key,
            "holds a line break; the server reads each line of server.cfg as a command of its own");
    }
    if (text.find('"') != std::string::npos) {
        Add(findings, FindingSeverity::Warning, key, "holds a double quote, which ends the quoted value early");
    }
}

void CheckRow(const ServerSettings& settings, const servercfg::ConfigEntry& entry, std::vector<Finding>& findings) {
    using namespace servercfg;
    if (entry.rule == Rule::Choice && entry.field.kind == SettingKind::Int) {
        const std::int32_t index = entry.field.As<SettingKind::Int>().In(settings);
        if (index < 0 || static_cast<std::size_t>(index) >= entry.choices.count) {
            Add(findings, FindingSeverity::Warning, KeyOf(entry.field),
                std::to_string(index) + " is not one of its " + std::to_string(entry.choices.count) +
                    " choices; server.cfg gets no value for it and the server keeps its own");
        }
    }
    if (entry.field.kind == SettingKind::Text && std::string(entry.line).find("\"%s\"") != std::string::npos) {
        CheckQuotedText(KeyOf(entry.field), entry.field.As<SettingKind::Text>().In(settings), findings);
    }
}

void CheckMapLines(const ServerSettings& settings, std::vector<Finding>& findings) {
    CheckQuotedText("MapName", settings.MapName, findings);
    for (const FlaggedItem& entry : ParseFlaggedList(settings.MapRotationList)) {
        if (entry.item.find('"') != std::string::npos) {
            Add(findings, FindingSeverity::Warning, "MapRotationList",
                "rotation map \"" + entry.item + "\" holds a double quote, which ends sv_maplist early");
        }
    }
}

// What server.cfg's sections make of the settings, in the file's order.
void CheckRows(const ServerSettings& settings, std::vector<Finding>& findings) {
    using namespace servercfg;
    for (const Section& section : ServerConfigSections()) {
        switch (section.kind) {
        case SectionKind::Entries:
            for (const ConfigEntry& entry : section.rows) CheckRow(settings, entry, findings);
            break;
        case SectionKind::MapLines: CheckMapLines(settings, findings); break;
        case SectionKind::DeathmatchFlags: break;  // bits of one number: nothing to mistake
        }
    }
}

void CheckFiles(const ServerSettings& settings, const ServerPlaces& places, std::vector<Finding>& findings) {
    if (places.settingsFile.size() >= kProfilePathSize) {
        Add(findings, FindingSeverity::Error, places.settingsFile,
            "the settings file's path is longer than 259 characters; it cannot be written");
    }
    const std::string config = places.ServerConfigPath();
    if (config.size() >= kServerConfigPathSize) {
        Add(findings, FindingSeverity::Error, config, "the path is longer than 259 characters; it cannot be written");
        return;
    }
    const std::string usedMods = places.UsedModsPath();
    if (usedMods.size() >= kUserPathSize) {
        Add(findings, FindingSeverity::Error, usedMods, "the path is too long to be written");
    }
    std::string written;
    if (!platform::ReadFileContents(config.c_str(), written)) {
        Add(findings, FindingSeverity::Warning, config, "missing: run write");
    } else if (written != BuildServerConfig(settings)) {
        Add(findings, FindingSeverity::Warning, config, "stale: run write");
    }
}

}  // namespace

std::vector<Finding> CheckConfiguration(const ServerSettings& settings, const ServerPlaces& places) {
    std::vector<Finding> findings;
    CheckMaps(settings, places, findings);
    CheckMods(settings, places, findings);
    CheckRows(settings, findings);
    CheckFiles(settings, places, findings);
    return findings;
}

const char* SeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::Error ? "error" : "warning";
}
