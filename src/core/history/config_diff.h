// What changed between two configurations: the settings, each named as the
// window's pages name it, and the lines of the console script.
#pragma once

#include <string>
#include <vector>

struct SettingChange {
    std::string section;
    std::string key;
    std::string label;  // "Basic: Server Name"; the key where the pages have no label for it
    bool hadBefore = false;
    bool hasAfter = false;
    std::string before;
    std::string after;
};

// The settings whose values differ between two settings files' bytes (a key
// that only one of them holds included), in the order of `after`, then the
// keys only `before` holds.
std::vector<SettingChange> DiffSettings(const std::string& before, const std::string& after);

// The label a setting's page gives it, from the string table; empty when it
// has none.
std::string SettingLabel(const std::string& section, const std::string& key);

struct LineChange {
    char sign;  // '-': only before; '+': only after
    std::string line;
};

// The lines that differ, as a line diff gives them (CR LF and LF ends alike).
std::vector<LineChange> DiffLines(const std::string& before, const std::string& after);

// The lines of a text, each without its CR LF or LF.
std::vector<std::string> TextLines(const std::string& bytes);
