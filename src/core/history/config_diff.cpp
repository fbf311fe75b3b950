#include "core/history/config_diff.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/common/ui_text.h"
#include "ui_texts.h"

namespace {

struct NamedText {
    const char* name;
    unsigned id;
};

#define SERVOLT_NAMED_TEXT(name, id, text) {#name, id},
constexpr NamedText kNamedTexts[] = {SERVOLT_UI_TEXTS(SERVOLT_NAMED_TEXT)};
#undef SERVOLT_NAMED_TEXT

// The pages, by the settings-file section that stores their fields.
constexpr std::pair<const char*, const char*> kPageOfSection[] = {
    {"Basic", "IDS_TAB_BASIC"},         {"Advanced", "IDS_TAB_ADVANCED"}, {"Advanced2", "IDS_TAB_ADVANCED2"},
    {"Team", "IDS_TAB_TEAM"},           {"Limits", "IDS_TAB_LIMITS"},     {"Maps", "IDS_TAB_MAPS"},
    {"Weapons", "IDS_TAB_WEAPONS"},     {"Explosives", "IDS_TAB_EXPLOSIVES"}, {"Mods", "IDS_TAB_MODS"},
};

std::string TextNamed(const std::string& name) {
    for (const NamedText& text : kNamedTexts) {
        if (name == text.name) return LoadUIText(text.id);
    }
    return std::string();
}

// The string-table name a key's label has: "DMSpeedMultiplier" is
// IDS_DM_SPEED_MULTIPLIER.
std::string TextNameOfKey(const std::string& key) {
    std::string name = "IDS_";
    for (std::size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        const bool upper = std::isupper(c) != 0;
        if (i > 0 && upper) {
            const unsigned char previous = static_cast<unsigned char>(key[i - 1]);
            const bool nextLower = i + 1 < key.size() && std::islower(static_cast<unsigned char>(key[i + 1]));
            if (std::islower(previous) || std::isdigit(previous) || (std::isupper(previous) && nextLower)) name += '_';
        }
        name += static_cast<char>(std::toupper(c));
    }
    return name;
}

std::string Label(std::string text) {
    while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
    return text;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

struct Setting {
    std::string section;
    std::string key;
    std::string value;
};

// The keys of a settings file as the profile functions read them: the first
// of a repeated key counts, names compared without regard to case.
std::vector<Setting> ReadSettingsText(const std::string& bytes) {
    std::vector<Setting> settings;
    std::string section;
    for (const std::string& line : TextLines(bytes)) {
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line[0] == ';') continue;
        Setting setting{section, line.substr(0, equals), line.substr(equals + 1)};
        bool seen = false;
        for (const Setting& other : settings) {
            seen = seen || (SameName(other.section, section) && SameName(other.key, setting.key));
        }
        if (!seen) settings.push_back(setting);
    }
    return settings;
}

const Setting* Find(const std::vector<Setting>& settings, const Setting& wanted) {
    for (const Setting& setting : settings) {
        if (SameName(setting.section, wanted.section) && SameName(setting.key, wanted.key))
            return &setting;
    }
    return nullptr;
}

}  // namespace

std::string SettingLabel(const std::string& section, const std::string& key) {
    const std::string label = Label(TextNamed(TextNameOfKey(key)));
    if (label.empty()) return std::string();
    for (const auto& page : kPageOfSection) {
        if (section == page.first) return Label(TextNamed(page.second)) + ": " + label;
    }
    return label;
}

std::vector<SettingChange> DiffSettings(const std::string& before, const std::string& after) {
    const std::vector<Setting> old = ReadSettingsText(before);
    const std::vector<Setting> now = ReadSettingsText(after);
    std::vector<SettingChange> changes;
    const auto add = [&changes](const Setting& setting, const Setting* was, const Setting* is) {
        SettingChange change;
        change.section = setting.section;
        change.key = setting.key;
        change.label = SettingLabel(setting.section, setting.key);
        if (change.label.empty()) change.label = setting.section + ": " + setting.key;
        change.hadBefore = was != nullptr;
        change.hasAfter = is != nullptr;
        if (was != nullptr) change.before = was->value;
        if (is != nullptr) change.after = is->value;
        changes.push_back(change);
    };
    for (const Setting& setting : now) {
        const Setting* was = Find(old, setting);
        if (was == nullptr || was->value != setting.value) add(setting, was, &setting);
    }
    for (const Setting& setting : old) {
        if (Find(now, setting) == nullptr) add(setting, &setting, nullptr);
    }
    return changes;
}

std::vector<LineChange> DiffLines(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = TextLines(before);
    const std::vector<std::string> b = TextLines(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const std::size_t n = a.size() - head - tail;
    const std::size_t m = b.size() - head - tail;
    std::vector<LineChange> changes;
    // A longest common subsequence of what lies between; past a few million
    // cells (never for a file this utility wrote) the middle is shown whole.
    if (n * m > 4000000) {
        for (std::size_t i = 0; i < n; ++i) changes.push_back({'-', a[head + i]});
        for (std::size_t j = 0; j < m; ++j) changes.push_back({'+', b[head + j]});
        return changes;
    }
    std::vector<unsigned> common((n + 1) * (m + 1), 0);
    const auto at = [&common, m](std::size_t i, std::size_t j) -> unsigned& { return common[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[head + i] == b[head + j]) {
            ++i;
            ++j;
        } else if (i < n && (j == m || at(i + 1, j) >= at(i, j + 1))) {
            changes.push_back({'-', a[head + i++]});
        } else {
            changes.push_back({'+', b[head + j++]});
        }
    }
    return changes;
}

std::vector<std::string> TextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
