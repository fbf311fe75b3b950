// The writer's tables turned round for reading: which row, map line or flag
// mask a name sets, and which row a comment block's first line introduces.
// Built from the constant tables alone, once, and never changed after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/servercfg/config_tables.h"
#include "core/settings/server_settings.h"

namespace servercfg {

enum class Target : std::uint8_t { Row, StartMap, Rotation, DeathmatchFlags };

// One name a line may set.
struct Use {
    std::string name;  // as the writer spells it
    Target target = Target::Row;
    const ConfigEntry* entry = nullptr;  // for a row
    bool commandOnly = false;            // "map" is a command: never after "set"
};

// The first line of a comment block the writer puts before an entry.
struct Title {
    Target target = Target::Row;
    const ConfigEntry* entry = nullptr;
    std::vector<std::string> following;  // the block's lines after it
};

// A choice whose texts are whole value lines (the skins): per index, the
// lower-case names and the values those lines set.
using LineChoice = std::vector<std::pair<std::string, std::string>>;

struct ConfigIndex {
    std::vector<Use> uses;  // in the file's order
    std::unordered_map<std::string, std::vector<std::size_t>> usesByName;  // lower-case name
    std::vector<Title> titles;
    std::unordered_map<std::string, std::size_t> titleByText;
    std::vector<const ConfigEntry*> rows;  // in the file's order
    const ConfigEntry* additionalOptions = nullptr;
    // Rows written after the additional options: their lines overrule a
    // line carried there that sets the same.
    std::unordered_set<const ConfigEntry*> rowsAfterOptions;
    std::unordered_map<const ConfigEntry*, std::vector<LineChoice>> lineChoices;
};

// The index of the writer's tables, built on first use.
const ConfigIndex& TheConfigIndex();

// The name a value line's format sets: "set NAME %d\n" and "NAME \"%s\"\n"
// give NAME; a format that is only a conversion gives "".
std::string FormatName(std::string_view format);

// The lower-case names of the value lines that server.cfg, as the writer
// renders `settings`, holds after the additional options: a line carried
// into the options that sets one of them is overruled there.
std::unordered_set<std::string> NamesWrittenAfterOptions(const ConfigIndex& index, const ServerSettings& settings);

}  // namespace servercfg
