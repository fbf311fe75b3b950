// The rows of server.cfg, shared by the writer, the importer and the check.
// Most sections are a table of entries (comment block, value line, field,
// rule); the map lines and the death match flags follow their own
// constants. The writer renders these rows in the order ServerConfigSections
// gives, and the importer recognises a file by the very same rows in the
// same order, so a row added, changed or moved here is written and read
// alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings/server_settings.h"

namespace servercfg {

enum class Rule : std::uint8_t {
    Plain,       // the field's value
    Inverted,    // a flag written as its opposite
    Optional,    // an integer written only when 0 or more
    Choice,      // an index (or a flag as 0/1) picking a text; none outside the table
    HealthDrop,  // the classes' cvar when classes are off in a team game
};

struct Choices {
    const char* const* texts;  // nullptr entries write no value line
    std::size_t count;
};

struct ConfigEntry {
    const char* comment;  // written always
    const char* line;     // the value line, with one %d, %f or %s
    AnyField field;
    Rule rule;
    Choices choices = {nullptr, 0};
};

struct DeathmatchFlag {
    const char* commentLine;  // with one %x for the bit
    int bit;
    AnyField field;
};

struct EntryTable {
    const ConfigEntry* entries;
    std::size_t count;

    const ConfigEntry* begin() const { return entries; }
    const ConfigEntry* end() const { return entries + count; }
};

enum class SectionKind : std::uint8_t {
    Entries,          // a table of rows
    MapLines,         // the start map and the rotation, written only when there are maps
    DeathmatchFlags,  // the flags' comment block and their mask
};

struct Section {
    SectionKind kind;
    EntryTable rows;  // Entries only
};

struct SectionList {
    const Section* sections;
    std::size_t count;

    const Section* begin() const { return sections; }
    const Section* end() const { return sections + count; }
};

// server.cfg's sections in the file's order: the Basic, Advanced,
// Advanced2, Team and Limits rows, the map lines, the Weapons and
// Explosives rows, the death match flags.
SectionList ServerConfigSections();

struct DeathmatchFlagTable {
    const DeathmatchFlag* flags;
    std::size_t count;
};
DeathmatchFlagTable DeathmatchFlagRows();

// Health Drop's value line when classes are off in a team game, which
// WritesClassesHealthDrop tells; otherwise the row's own line.
inline constexpr char kClassesHealthDropLine[] = "set dm_classesDeathDropHealth %d\n";
bool WritesClassesHealthDrop(const ServerSettings& settings);
inline constexpr char kStartMapComment[] = "\n// Map\n// Starting map on the rotation.\n";
inline constexpr char kStartMapLine[] = "map \"%s\"\n";
inline constexpr char kRotationComment[] = "\n// Map Rotation List\n";
inline constexpr char kRotationLine[] = "sv_maplist \"%s\"\n";
// Written after a rotation item whose mark is "1".
inline constexpr char kTeamSwapMark[] = "TeamSwap";
inline constexpr char kDeathmatchComment[] = "\n// Death match flags\n";
inline constexpr char kDeathmatchLine[] = "set dmflags %d\n";

// The number that prefixes each rotation item for a game type index (as
// g_gametype writes it); nullptr outside the table.
const char* GameTypePrefix(std::int32_t gameType);

// Appends `format` with its one conversion replaced by `value`.
void AppendLine(std::string& out, const char* format, const std::string& value);
// Appends one entry, comment block and value lines, as the file holds it.
void WriteEntry(std::string& out, const ServerSettings& settings, const ConfigEntry& entry);
// Appends one section as the file holds it.
void WriteSection(std::string& out, const ServerSettings& settings, const Section& section);

}  // namespace servercfg
