// The index is built by walking the tables in the file's order, so that of
// the rows that share a name the last one is the row whose value the server
// keeps.
#include "core/servercfg/config_index.h"

#include "core/servercfg/console_script.h"
#include "platform/ascii.h"

namespace servercfg {

namespace {

std::vector<std::string_view> SplitAtNewlines(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

void AddUse(ConfigIndex& index, Use use) {
    index.usesByName[ascii::Lowered(use.name)].push_back(index.uses.size());
    index.uses.push_back(std::move(use));
}

void AddTitle(ConfigIndex& index, const char* comment, Target target, const ConfigEntry* entry) {
    const std::vector<std::string_view> lines = SplitAtNewlines(comment);
    std::size_t first = 0;
    while (first < lines.size() && Trim(lines[first]).empty()) ++first;
    if (first == lines.size()) return;
    Title title{target, entry, {}};
    for (std::size_t k = first + 1; k < lines.size(); ++k) title.following.emplace_back(lines[k]);
    index.titleByText.emplace(std::string(Trim(lines[first])), index.titles.size());
    index.titles.push_back(std::move(title));
}

void AddRow(ConfigIndex& index, const ConfigEntry& entry) {
    if (index.additionalOptions != nullptr) index.rowsAfterOptions.insert(&entry);
    index.rows.push_back(&entry);
    AddTitle(index, entry.comment, Target::Row, &entry);
    const std::string name = FormatName(entry.line);
    if (!name.empty()) {
        AddUse(index, Use{name, Target::Row, &entry});
        if (entry.rule == Rule::HealthDrop) AddUse(index, Use{FormatName(kClassesHealthDropLine), Target::Row, &entry});
        return;
    }
    if (entry.rule != Rule::Choice) {
        index.additionalOptions = &entry;  // free text between its comment and the next
        return;
    }
    std::vector<LineChoice>& choices = index.lineChoices[&entry];
    choices.resize(entry.choices.count);
    std::unordered_set<std::string> named;
    for (std::size_t i = 0; i < entry.choices.count; ++i) {
        if (entry.choices.texts[i] == nullptr) continue;
        for (std::string_view line : SplitAtNewlines(entry.choices.texts[i])) {
            const Head head = ReadHead(line);
            std::string value, why;
            ParseValue(line, head.valueAt, value, why);
            choices[i].emplace_back(ascii::Lowered(head.name), value);
            if (named.insert(ascii::Lowered(head.name)).second) {
                AddUse(index, Use{std::string(head.name), Target::Row, &entry});
            }
        }
    }
}

ConfigIndex BuildConfigIndex() {
    ConfigIndex built;
    for (const Section& section : ServerConfigSections()) {
        switch (section.kind) {
        case SectionKind::Entries:
            for (const ConfigEntry& entry : section.rows) AddRow(built, entry);
            break;
        case SectionKind::MapLines:
            AddTitle(built, kStartMapComment, Target::StartMap, nullptr);
            AddUse(built, Use{FormatName(kStartMapLine), Target::StartMap, nullptr, true});
            AddTitle(built, kRotationComment, Target::Rotation, nullptr);
            AddUse(built, Use{FormatName(kRotationLine), Target::Rotation});
            break;
        case SectionKind::DeathmatchFlags:
            AddTitle(built, kDeathmatchComment, Target::DeathmatchFlags, nullptr);
            AddUse(built, Use{FormatName(kDeathmatchLine), Target::DeathmatchFlags});
            break;
        }
    }
    return built;
}

}  // namespace

const ConfigIndex& TheConfigIndex() {
    static const ConfigIndex index = BuildConfigIndex();
    return index;
}

std::string FormatName(std::string_view format) {
    if (!format.empty() && format.back() == '\n') format.remove_suffix(1);
    const Head head = ReadHead(format);
    if (head.type != Head::Command || head.name.empty() || head.name[0] == '%') return std::string();
    return std::string(head.name);
}

std::unordered_set<std::string> NamesWrittenAfterOptions(const ConfigIndex& index, const ServerSettings& settings) {
    std::string text;
    bool after = false;
    for (const Section& section : ServerConfigSections()) {
        if (section.kind != SectionKind::Entries) {
            if (after) WriteSection(text, settings, section);
            continue;
        }
        for (const ConfigEntry& entry : section.rows) {
            if (after) WriteEntry(text, settings, entry);
            if (&entry == index.additionalOptions) after = true;
        }
    }
    std::unordered_set<std::string> names;
    const std::string_view view(text);
    std::size_t start = 0;
    while (start < view.size()) {
        std::size_t end = view.find('\n', start);
        if (end == std::string_view::npos) end = view.size();
        // After a CR LF of a text the line continues that text.
        const bool continues = start >= 2 && view[start - 2] == '\r';
        const Head head = ReadHead(view.substr(start, end - start));
        if (!continues && head.type == Head::Command) names.insert(ascii::Lowered(head.name));
        start = end + 1;
    }
    return names;
}

}  // namespace servercfg
