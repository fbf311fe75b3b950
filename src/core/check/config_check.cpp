#include "core/check/config_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "core/common/user_folder.h"
#include "core/discovery/map_discovery.h"
#include "core/discovery/mod_discovery.h"
#include "core/launch/launch_paths.h"
#include "core/servercfg/config_index.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/flagged_list.h"
#include "core/settings/settings_file.h"
#include "core/usedmods/used_mods.h"
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

void CheckGame(const ServerPlaces& places, std::vector<Finding>& findings) {
    const ServerLaunchPaths paths = ComposeServerLaunchPaths(places.gameFolder);
    if (!platform::PathExists(paths.executable.c_str())) {
        Add(findings, FindingSeverity::Error, places.gameFolder,
            std::string("holds no ") + kServerProgramName + "; the server cannot be started from this folder");
    }
}

void CheckStartMap(const ServerSettings& settings, std::vector<Finding>& findings) {
    // As the writer decides: a rotation of blanks alone holds no map.
    if (settings.MapName[0] == '\0' && ParseFlaggedList(settings.MapRotationList).empty()) {
        Add(findings, FindingSeverity::Warning, "MapName",
            "neither a start map nor a rotation is set; the server starts without a map until one is given at its "
            "console");
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

// The server's console as far as assignments go: a line is cut at ';'
// outside quotes, "//" outside quotes ends it, words are split at blanks
// with a quoted word taken whole; "set", "seta", "sets" and "setu" NAME
// VALUE... assign the rest of the words, and a bare NAME VALUE assigns its
// one value. Names are read without regard to letter case, and the last
// assignment wins.
using Assignments = std::map<std::string, std::string>;

void AssignCommand(const std::vector<std::string>& words, Assignments& values) {
    if (words.size() < 2) return;
    std::string head = words[0];
    for (char& c : head) c = ascii::ToLower(c);
    if (head == "set" || head == "seta" || head == "sets" || head == "setu") {
        if (words.size() < 3) return;
        std::string name = words[1];
        for (char& c : name) c = ascii::ToLower(c);
        std::string value = words[2];
        for (std::size_t i = 3; i < words.size(); ++i) value += " " + words[i];
        values[name] = value;
    } else {
        values[head] = words[1];
    }
}

Assignments ReadAssignments(const std::string& text) {
    Assignments values;
    std::vector<std::string> words;
    std::size_t i = 0;
    const auto endCommand = [&] {
        AssignCommand(words, values);
        words.clear();
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n' || c == '\r' || c == ';') {
            endCommand();
            ++i;
        } else if (c == ' ' || c == '\t' || static_cast<unsigned char>(c) < ' ') {
            ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
        } else if (c == '"') {
            const std::size_t close = text.find_first_of("\"\r\n", i + 1);
            const std::size_t end = close == std::string::npos ? text.size() : close;
            words.push_back(text.substr(i + 1, end - i - 1));
            i = end < text.size() && text[end] == '"' ? end + 1 : end;
        } else {
            std::size_t end = i;
            while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ' && text[end] != ';' &&
                   text[end] != '"' && text.compare(end, 2, "//") != 0) {
                ++end;
            }
            words.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    endCommand();
    return values;
}

// The setting that writes a server variable, for the message.
std::string SettingWriting(const std::string& name) {
    const servercfg::ConfigIndex& index = servercfg::TheConfigIndex();
    const auto found = index.usesByName.find(name);
    if (found == index.usesByName.end() || found->second.empty()) return "a setting";
    const servercfg::Use& use = index.uses[found->second.front()];
    switch (use.target) {
    case servercfg::Target::Row: return "the " + KeyOf(use.entry->field) + " setting";
    case servercfg::Target::StartMap: return "the start map (MapName)";
    case servercfg::Target::Rotation: return "the rotation (MapRotationList)";
    case servercfg::Target::DeathmatchFlags: return "the death match switches";
    }
    return "a setting";
}

// A line carried in the additional options that assigns a variable the
// settings also write, to another value: one of the two is not what the
// server runs with, and which one depends on where each stands in the file.
void CheckCarriedLines(const ServerSettings& settings, std::vector<Finding>& findings) {
    if (settings.AdditionalOptions[0] == '\0') return;
    const Assignments carried = ReadAssignments(settings.AdditionalOptions);
    auto without = std::make_unique<ServerSettings>(settings);
    without->AdditionalOptions[0] = '\0';
    const Assignments written = ReadAssignments(BuildServerConfig(*without));
    const Assignments final = ReadAssignments(BuildServerConfig(settings));
    for (const auto& line : carried) {
        const auto setting = written.find(line.first);
        if (setting == written.end() || setting->second == line.second) continue;
        const auto last = final.find(line.first);
        const std::string ends = last == final.end() ? setting->second : last->second;
        Add(findings, FindingSeverity::Warning, "AdditionalOptions",
            "a carried line sets " + line.first + " to \"" + line.second + "\", which " + SettingWriting(line.first) +
                " sets to \"" + setting->second + "\" " + (ends == line.second ? "earlier" : "later") +
                " in server.cfg; the server ends with \"" + ends + "\"");
    }
}

// A file of the user folder against the bytes write would give it.
void CompareWritten(const std::string& path, const std::string& expected, bool mayBeMissing,
                    std::vector<Finding>& findings) {
    std::string written;
    if (!platform::ReadFileContents(path.c_str(), written)) {
        if (!mayBeMissing) Add(findings, FindingSeverity::Warning, path, "not written yet: run write");
    } else if (written != expected) {
        Add(findings, FindingSeverity::Warning, path,
            "differs from what write would make (edited by hand, or older): run write");
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
    CompareWritten(config, BuildServerConfig(settings), false, findings);
    // With no mod in use, no file and an empty one tell the server the same.
    const std::string mods = BuildUsedMods(settings.ModuleUseList);
    if (usedMods.size() < kUserPathSize) CompareWritten(usedMods, mods, mods.empty(), findings);
}

}  // namespace

std::vector<Finding> CheckConfiguration(const ServerSettings& settings, const ServerPlaces& places) {
    std::vector<Finding> findings;
    CheckGame(places, findings);
    CheckStartMap(settings, findings);
    CheckMaps(settings, places, findings);
    CheckMods(settings, places, findings);
    CheckRows(settings, findings);
    CheckCarriedLines(settings, findings);
    CheckFiles(settings, places, findings);
    return findings;
}

const char* SeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::Error ? "error" : "warning";
}
