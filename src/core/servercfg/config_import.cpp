// server.cfg read back. The file is cut into lines as the console cuts a
// script (console_script.h), each line is matched against the rows of the
// writer's own tables (config_index.h), its value is read strictly
// (config_values.h), and whatever the record cannot hold exactly is carried
// into the additional options. The comment blocks the writer puts before
// each row tell the rows apart where a cvar alone does not, and show where
// the writer left a value line out.
#include "core/servercfg/config_import.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/servercfg/config_index.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/config_values.h"
#include "core/servercfg/config_writer.h"
#include "core/servercfg/console_script.h"
#include "platform/ascii.h"

using namespace servercfg;

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::size_t kLongestTitle = 256;

enum class ItemKind : std::uint8_t { Comment, Setting, Unknown, Options };

// A line of the file, or the lines of one value.
struct Item {
    Item(ItemKind kind, std::size_t first, std::size_t count = 1) : kind(kind), first(first), count(count) {}

    ItemKind kind;
    std::size_t first;        // index of its first line
    std::size_t count;        // lines
    int part = 1;             // of its line's commands, from 1
    std::string text;         // as read; the lines of one value joined by CR LF
    std::string name;         // lower-case, what a command sets or runs
    std::size_t use = kNone;  // a setting: the name it sets
    bool parsed = false;      // a setting: the line holds one value
    std::string value;
    std::string why;  // why it is not applied
    ImportReport::Kind outcome = ImportReport::Kind::Applied;
};

class Importer {
public:
    Importer(std::string_view bytes, ServerSettings& settings, ImportReport& report, bool onto)
        : index_(TheConfigIndex()),
          bytes_(bytes),
          lines_(SplitScriptLines(bytes)),
          settings_(settings),
          report_(report),
          onto_(onto) {}

    void Run() {
        Scan();
        Resolve();
        CollectOptions();
        NoteOverruled();
        Compare();
        Count();
    }

private:
    // -- Reading the lines into items --

    void Scan() {
        const std::size_t n = lines_.size();
        // Where each run of lines ended by CR CR LF ends, and whether a
        // quoted value can close on that last line: found once, so that
        // the work stays in proportion to the file.
        items_.reserve(n);
        runEnd_.resize(n);
        std::vector<bool> closes(n);
        for (std::size_t k = n; k-- > 0;) {
            runEnd_[k] = lines_[k].innerBreak && k + 1 < n ? runEnd_[k + 1] : k;
            if (runEnd_[k] == k) closes[k] = ClosesValue(lines_[k].text);
        }

        std::size_t awaited = kNone;  // the title whose value line comes next in the writer's layout
        std::size_t i = 0;
        while (i < n) {
            const std::string_view text = lines_[i].text;
            const Head head = ReadHead(text);
            if (head.type != Head::Command) {
                const std::size_t title = head.type == Head::Comment ? TitleAt(i) : kNone;
                AddComment(i++);
                if (title == kNone) continue;
                if (awaited != kNone) MarkLeftOut(awaited);
                awaited = title;
                if (index_.titles[title].entry != nullptr && index_.titles[title].entry == index_.additionalOptions) {
                    i = ReadOptionsBlock(i, index_.titles[title]);
                    awaited = kNone;
                }
                continue;
            }
            // A quoted value that holds a line break goes on over the lines
            // ended by CR CR LF, up to the one where it closes.
            std::size_t last = i;
            const std::size_t at = SkipBlanks(text, head.valueAt);
            if (at < text.size() && text[at] == '"' && runEnd_[i] > i && closes[runEnd_[i]]) last = runEnd_[i];
            if (last > i) {
                std::string joined;
                for (std::size_t k = i; k <= last; ++k) {
                    if (k > i) joined += "\r\n";
                    joined.append(lines_[k].text);
                }
                AddCommand(i, last - i + 1, 1, joined, joined, awaited);
                i = last + 1;
                continue;
            }
            const std::vector<std::string_view> commands = SplitCommands(text);
            if (commands.size() <= 1) {
                AddCommand(i, 1, 1, text, commands.empty() ? text : commands[0], awaited);
            } else {
                for (std::size_t c = 0; c < commands.size(); ++c) {
                    AddCommand(i, 1, static_cast<int>(c + 1), Trim(commands[c]), commands[c], awaited);
                }
            }
            ++i;
        }
        if (awaited != kNone) MarkLeftOut(awaited);
    }

    // One command: `text` is what is carried when the record cannot hold it
    // (the whole line when the line is this one command), `command` what is
    // read.
    void AddCommand(std::size_t first, std::size_t count, int part, std::string_view text, std::string_view command,
                    std::size_t& awaited) {
        const Head head = ReadHead(command);
        const std::size_t use = FindUse(head, awaited);
        if (awaited != kNone && (use == kNone || !BelongsTo(use, awaited))) MarkLeftOut(awaited);
        awaited = kNone;
        Item item{use == kNone ? ItemKind::Unknown : ItemKind::Setting, first, count};
        item.part = part;
        item.text.assign(text);
        item.name = ascii::Lowered(head.name);
        if (use == kNone) {
            item.outcome = ImportReport::Kind::Carried;
            item.why = head.word.empty() ? "not a command"
                       : head.setForm    ? "unknown setting " + Quoted(head.name)
                                         : "unknown command " + Quoted(head.word);
        } else {
            item.use = use;
            item.parsed = ParseValue(std::string(command), head.valueAt, item.value, item.why);
            if (!item.parsed) item.why = index_.uses[use].name + ": " + item.why;
        }
        items_.push_back(std::move(item));
    }

    std::size_t TitleAt(std::size_t i) const {
        const std::string_view text = Trim(lines_[i].text);
        if (text.size() > kLongestTitle) return kNone;
        const auto found = index_.titleByText.find(std::string(text));
        return found == index_.titleByText.end() ? kNone : found->second;
    }

    // The use a command line sets: the awaited row's own first (that tells
    // the rows that share a cvar apart), otherwise the last row of the file
    // that names it, the one whose value the server keeps.
    std::size_t FindUse(const Head& head, std::size_t awaited) const {
        const auto found = index_.usesByName.find(ascii::Lowered(head.name));
        if (head.name.empty() || found == index_.usesByName.end()) return kNone;
        std::size_t use = found->second.back();
        if (awaited != kNone) {
            for (std::size_t candidate : found->second) {
                if (BelongsTo(candidate, awaited)) use = candidate;
            }
        }
        return index_.uses[use].commandOnly && head.setForm ? kNone : use;
    }

    bool BelongsTo(std::size_t use, std::size_t title) const {
        const Use& u = index_.uses[use];
        const Title& t = index_.titles[title];
        return u.target == t.target && (t.target != Target::Row || u.entry == t.entry);
    }

    void MarkLeftOut(std::size_t title) {
        if (index_.titles[title].entry != nullptr) leftOut_.insert(index_.titles[title].entry);
    }

    void AddComment(std::size_t i) {
        Item item{ItemKind::Comment, i};
        item.outcome = ImportReport::Kind::Comment;
        items_.push_back(std::move(item));
    }

    // The free text after the Additional Settings comment, taken verbatim
    // even where it looks like known settings. Returns the next line to read.
    std::size_t ReadOptionsBlock(std::size_t i, const Title& title) {
        const std::size_t n = lines_.size();
        for (const std::string& expected : title.following) {
            if (i >= n || Trim(lines_[i].text) != Trim(expected)) break;
            AddComment(i++);
        }
        const std::size_t start = i;
        std::size_t end, next;
        // As the writer lays it out: the text's lines, all but the last
        // ended by CR CR LF, then an empty line and the next entry's title.
        const std::size_t last = start < n ? runEnd_[start] : start;
        if (last + 2 < n && Trim(lines_[last + 1].text).empty() && TitleAt(last + 2) != kNone) {
            end = last + 1;
            next = last + 2;
        } else {
            // Edited by hand: up to the next title, without the blank lines
            // before it.
            next = start;
            while (next < n && TitleAt(next) == kNone) ++next;
            end = next;
            while (end > start && Trim(lines_[end - 1].text).empty()) --end;
        }
        if (end == start + 1 && lines_[start].text.empty()) {
            AddComment(start);  // the empty text
        } else {
            for (std::size_t k = start; k < end; ++k) {
                Item item{ItemKind::Options, k};
                item.text.assign(lines_[k].text);
                items_.push_back(std::move(item));
            }
        }
        for (std::size_t k = end; k < next; ++k) AddComment(k);
        return next;
    }

    // -- Deciding each setting --

    void Carry(Item& item, const std::string& why) {
        item.outcome = ImportReport::Kind::Carried;
        item.why = why;
    }

    const std::string& NameOf(const Item& item) const { return index_.uses[item.use].name; }

    void Resolve() {
        // As the console reads the script, the last line of a setting counts.
        last_.assign(index_.uses.size(), kNone);
        for (std::size_t k = 0; k < items_.size(); ++k) {
            if (items_[k].kind == ItemKind::Setting) last_[items_[k].use] = k;
        }
        std::unordered_set<const ConfigEntry*> rowsWithLines;
        for (std::size_t k = 0; k < items_.size(); ++k) {
            Item& item = items_[k];
            if (item.kind != ItemKind::Setting) continue;
            if (index_.uses[item.use].entry != nullptr) rowsWithLines.insert(index_.uses[item.use].entry);
            if (last_[item.use] == k) continue;
            item.outcome = ImportReport::Kind::Superseded;
            item.why = NameOf(item) + " is set again on line " + std::to_string(items_[last_[item.use]].first + 1);
        }

        std::unordered_set<const ConfigEntry*> carriedRows;
        for (std::size_t u = 0; u < index_.uses.size(); ++u) {
            const Use& use = index_.uses[u];
            if (last_[u] == kNone || use.target != Target::Row) continue;
            if (use.entry->rule == Rule::HealthDrop || index_.lineChoices.count(use.entry)) continue;  // below
            Item& item = items_[last_[u]];
            std::string why = item.why;
            if (!item.parsed || !ApplyRow(*use.entry, use.name, item.value, why)) {
                Carry(item, why);
                carriedRows.insert(use.entry);
            }
        }
        // A row whose value the writer leaves out gets a value the writer
        // again leaves out. A row whose line is carried does too where its
        // own line would come after the carried one and overrule it; before
        // the additional options the carried line has the last word, and
        // the row keeps the value it has.
        for (const ConfigEntry* row : index_.rows) {
            if ((carriedRows.count(row) && index_.rowsAfterOptions.count(row)) ||
                (leftOut_.count(row) && !rowsWithLines.count(row))) {
                LeaveOut(*row);
            }
        }
        ResolveHealthDrop();
        ResolveLineChoices();
        ResolveMaps();
        ResolveDeathmatchFlags();
    }

    bool ApplyRow(const ConfigEntry& entry, const std::string& name, const std::string& value, std::string& why) {
        const AnyField field = entry.field;
        switch (entry.rule) {
        case Rule::Plain:
            switch (field.kind) {
            case SettingKind::Text: return ReadText(value, name, field.As<SettingKind::Text>().In(settings_), why);
            case SettingKind::Int: return ReadWhole(value, name, field.As<SettingKind::Int>().In(settings_), why);
            case SettingKind::Float:
                return ReadDecimal(value, name, field.As<SettingKind::Float>().In(settings_), why);
            case SettingKind::Bool: return ReadFlag(value, name, field.As<SettingKind::Bool>().In(settings_), why);
            }
            return false;
        case Rule::Inverted:
        case Rule::HealthDrop: {
            bool flag = false;
            if (!ReadFlag(value, name, flag, why)) return false;
            field.As<SettingKind::Bool>().In(settings_) = entry.rule == Rule::Inverted ? !flag : flag;
            return true;
        }
        case Rule::Optional: {
            std::int32_t number = 0;
            if (!ReadWhole(value, name, number, why)) return false;
            if (number < 0) {
                why = name + ": server.cfg writes no line for a negative value";
                return false;
            }
            field.As<SettingKind::Int>().In(settings_) = number;
            return true;
        }
        case Rule::Choice: {
            std::string written;
            for (std::size_t i = 0; i < entry.choices.count; ++i) {
                const char* text = entry.choices.texts[i];
                if (text == nullptr) continue;
                if (value == text) {
                    SetChoice(entry, static_cast<std::int32_t>(i));
                    return true;
                }
                written += written.empty() ? text : std::string(", ") + text;
            }
            why = name + ": " + Quoted(value) + " is not one of the values server.cfg writes (" + written + ")";
            return false;
        }
        }
        return false;
    }

    void SetChoice(const ConfigEntry& entry, std::int32_t index) {
        if (entry.field.kind == SettingKind::Bool) {
            entry.field.As<SettingKind::Bool>().In(settings_) = index != 0;
        } else {
            entry.field.As<SettingKind::Int>().In(settings_) = index;
        }
    }

    // Sets a row to a value for which the writer writes no value line:
    // -1 for a count, an index without a text for a choice. A flag cannot be
    // left out and keeps its value.
    void LeaveOut(const ConfigEntry& entry) {
        if (entry.field.kind != SettingKind::Int) return;
        if (entry.rule == Rule::Optional) {
            entry.field.As<SettingKind::Int>().In(settings_) = -1;
        } else if (entry.rule == Rule::Choice) {
            std::int32_t index = -1;
            for (std::size_t i = 0; i < entry.choices.count && index < 0; ++i) {
                if (entry.choices.texts[i] == nullptr) index = static_cast<std::int32_t>(i);
            }
            entry.field.As<SettingKind::Int>().In(settings_) = index;
        }
    }

    // Health Drop is written as one of two cvars, chosen by the game type and
    // the classes setting: a line of the other cvar is the server's own
    // setting that the record cannot hold, and is carried.
    void ResolveHealthDrop() {
        for (std::size_t u = 0; u < index_.uses.size(); ++u) {
            const Use& use = index_.uses[u];
            if (last_[u] == kNone || use.entry == nullptr || use.entry->rule != Rule::HealthDrop) continue;
            const std::string written =
                FormatName(WritesClassesHealthDrop(settings_) ? kClassesHealthDropLine : use.entry->line);
            Item& item = items_[last_[u]];
            std::string why = item.why;
            if (!ascii::EqualNoCase(use.name, written)) {
                Carry(item, use.name + ": with this game type and classes setting server.cfg writes Health Drop as " +
                                written);
            } else if (!item.parsed || !ApplyRow(*use.entry, use.name, item.value, why)) {
                Carry(item, why);
            }
        }
    }

    // A choice of whole lines (the skins) is applied when the file's last
    // lines for its names together are one of its texts.
    void ResolveLineChoices() {
        for (const auto& [entry, choices] : index_.lineChoices) {
            std::unordered_map<std::string, std::string> values;
            std::vector<std::size_t> found;
            bool allParsed = true;
            for (std::size_t u = 0; u < index_.uses.size(); ++u) {
                if (index_.uses[u].entry != entry || last_[u] == kNone) continue;
                const Item& item = items_[last_[u]];
                found.push_back(last_[u]);
                allParsed = allParsed && item.parsed;
                values[ascii::Lowered(index_.uses[u].name)] = item.value;
            }
            if (found.empty()) continue;
            std::size_t chosen = kNone;
            for (std::size_t i = 0; allParsed && chosen == kNone && i < choices.size(); ++i) {
                if (choices[i].empty() || choices[i].size() != values.size()) continue;
                bool same = true;
                for (const auto& [name, value] : choices[i]) {
                    const auto it = values.find(name);
                    same = same && it != values.end() && it->second == value;
                }
                if (same) chosen = i;
            }
            if (chosen != kNone) {
                SetChoice(*entry, static_cast<std::int32_t>(chosen));
                continue;
            }
            for (std::size_t k : found) {
                Item& item = items_[k];
                Carry(item, item.parsed ? NameOf(item) + ": with the lines for the other names it is not one of the "
                                                         "choices server.cfg writes"
                                        : item.why);
            }
            LeaveOut(*entry);
        }
    }

    std::size_t LastOf(Target target) const {
        for (std::size_t u = 0; u < index_.uses.size(); ++u) {
            if (index_.uses[u].target == target) return last_[u];
        }
        return kNone;
    }

    void ResolveMaps() {
        const std::size_t start = LastOf(Target::StartMap);
        if (start != kNone) {
            Item& item = items_[start];
            std::string why = item.why;
            if (!item.parsed || !ReadText(item.value, NameOf(item), settings_.MapName, why)) Carry(item, why);
        }
        // The rotation is the file's: the default one would add a map list
        // that the server never had.
        const std::size_t rotation = LastOf(Target::Rotation);
        if (rotation == kNone) {
            if (onto_) return;
            settings_.MapRotationList[0] = '\0';
            report_.notes.push_back("no sv_maplist line: the map rotation is left empty");
            return;
        }
        // A carried list must not be overruled by the record's own.
        settings_.MapRotationList[0] = '\0';
        Item& item = items_[rotation];
        std::string text, why = item.why;
        if (item.parsed && ReadRotation(item.value, GameTypePrefix(settings_.GameType), text, why)) {
            std::memcpy(settings_.MapRotationList, text.c_str(), text.size() + 1);
        } else {
            Carry(item, (item.parsed ? NameOf(item) + ": " + why : why) + "; the map rotation is left empty");
        }
    }

    void ResolveDeathmatchFlags() {
        const std::size_t k = LastOf(Target::DeathmatchFlags);
        if (k == kNone) return;
        Item& item = items_[k];
        std::string why = item.why;
        std::int32_t mask = 0;
        if (!item.parsed || !ReadWhole(item.value, NameOf(item), mask, why)) {
            Carry(item, why);
            return;
        }
        const DeathmatchFlagTable table = DeathmatchFlagRows();
        std::uint32_t known = 0;
        for (std::size_t i = 0; i < table.count; ++i) {
            const DeathmatchFlag& flag = table.flags[i];
            known |= static_cast<std::uint32_t>(flag.bit);
            flag.field.As<SettingKind::Bool>().In(settings_) = (static_cast<std::uint32_t>(mask) & flag.bit) != 0;
        }
        const std::uint32_t unknown = static_cast<std::uint32_t>(mask) & ~known;
        if (unknown != 0) {
            char bits[16];
            std::snprintf(bits, sizeof bits, "0x%x", static_cast<unsigned>(unknown));
            Carry(item, NameOf(item) + ": bits " + bits + " have no setting here");
        }
    }

    // -- The additional options --

    void CollectOptions() {
        std::string options = onto_ ? settings_.AdditionalOptions : "";
        bool any = !options.empty();
        int overflow = 0;
        for (Item& item : items_) {
            if (item.kind != ItemKind::Options && item.outcome != ImportReport::Kind::Carried) continue;
            if (item.text.find('\0') != std::string::npos) {
                item.outcome = ImportReport::Kind::Dropped;
                item.why = "it holds a NUL byte, which no text of the record can hold";
                continue;
            }
            if (options.size() + (any ? 2 : 0) + item.text.size() > kMaxTextLength) {
                item.outcome = ImportReport::Kind::Dropped;
                item.why = "the additional options are full (4095 characters)";
                overflow += static_cast<int>(item.count);
                continue;
            }
            if (any) options += "\r\n";
            options += item.text;
            any = true;
        }
        std::memcpy(settings_.AdditionalOptions, options.c_str(), options.size() + 1);
        if (overflow > 0) {
            report_.additionalOptionsOverflow = true;
            report_.notes.push_back("the additional options are full (4095 characters): " + std::to_string(overflow) +
                                    (overflow == 1 ? " line" : " lines") + " could not be kept");
        }
    }

    void NoteOverruled() {
        std::unordered_set<std::string> later;
        bool computed = false;
        for (Item& item : items_) {
            if (item.kind != ItemKind::Setting || item.outcome != ImportReport::Kind::Carried) continue;
            if (!computed) {
                later = NamesWrittenAfterOptions(index_, settings_);
                computed = true;
            }
            if (later.count(ascii::Lowered(NameOf(item)))) {
                item.why += "; server.cfg sets " + NameOf(item) +
                            " again after the additional options, so the server will not keep this value";
            }
        }
    }

    // -- What the server is told --

    struct Final {
        std::string spelled;
        std::string value;
        std::size_t line;
    };

    // Each variable's last value, and the variables in the order of their
    // last assignment.
    static std::vector<std::string> FinalValues(std::string_view bytes, std::unordered_map<std::string, Final>& out,
                                                int* assignments = nullptr) {
        std::vector<std::string> order;
        for (Assignment& a : ConsoleAssignments(bytes)) {
            if (assignments != nullptr) ++*assignments;
            out[a.name] = Final{std::move(a.spelled), std::move(a.value), a.line};
        }
        for (const auto& [name, final] : out) order.push_back(name);
        std::sort(order.begin(), order.end(),
                  [&out](const std::string& a, const std::string& b) { return out[a].line < out[b].line; });
        return order;
    }

    // The file's line for a variable may sit in the additional options,
    // where a row written after them overrules it: the row takes the value
    // when it can hold it.
    bool Mend(const std::string& name, const std::string& value) {
        const auto found = index_.usesByName.find(name);
        if (found == index_.usesByName.end()) return false;
        std::string why;
        for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
            const Use& use = index_.uses[*it];
            switch (use.target) {
            case Target::Row:
                if (index_.lineChoices.count(use.entry)) return false;
                if (use.entry->rule == Rule::HealthDrop &&
                    !ascii::EqualNoCase(use.name, FormatName(WritesClassesHealthDrop(settings_) ? kClassesHealthDropLine
                                                                                               : use.entry->line))) {
                    continue;
                }
                return ApplyRow(*use.entry, use.name, value, why);
            case Target::StartMap: return ReadText(value, use.name, settings_.MapName, why);
            case Target::Rotation: {
                std::string text;
                if (!ReadRotation(value, GameTypePrefix(settings_.GameType), text, why)) return false;
                std::memcpy(settings_.MapRotationList, text.c_str(), text.size() + 1);
                return true;
            }
            case Target::DeathmatchFlags: {
                std::int32_t mask = 0;
                if (!ReadWhole(value, use.name, mask, why)) return false;
                const DeathmatchFlagTable table = DeathmatchFlagRows();
                std::uint32_t known = 0;
                for (std::size_t i = 0; i < table.count; ++i) known |= static_cast<std::uint32_t>(table.flags[i].bit);
                if ((static_cast<std::uint32_t>(mask) & ~known) != 0) return false;
                for (std::size_t i = 0; i < table.count; ++i) {
                    const DeathmatchFlag& flag = table.flags[i];
                    flag.field.As<SettingKind::Bool>().In(settings_) =
                        (static_cast<std::uint32_t>(mask) & flag.bit) != 0;
                }
                return true;
            }
            }
        }
        return false;
    }

    // The file's reading and server.cfg's, variable by variable; rows take
    // what they can of the differences, and the rest is reported.
    void Compare() {
        std::unordered_map<std::string, Final> file;
        const std::vector<std::string> order = FinalValues(bytes_, file, &report_.assignments);
        std::unordered_map<std::string, Final> written;
        std::vector<std::string> writtenOrder;
        // A mended row can change how another is written (the game type
        // numbers the rotation's maps), so a few rounds are allowed.
        for (int round = 0;; ++round) {
            written.clear();
            writtenOrder = FinalValues(BuildServerConfig(settings_), written);
            if (round == 4) break;
            bool mended = false;
            for (const std::string& name : order) {
                const auto w = written.find(name);
                if (w != written.end() && SameValueFor(name, w->second.value, file[name].value)) continue;
                mended = Mend(name, file[name].value) || mended;
            }
            if (!mended) break;
        }
        for (const std::string& name : order) {
            const Final& f = file[name];
            const auto w = written.find(name);
            const bool isWritten = w != written.end();
            if (isWritten && SameValueFor(name, w->second.value, f.value)) continue;
            report_.differences.push_back(ImportReport::Difference{
                f.spelled, static_cast<int>(f.line + 1), f.value, isWritten, isWritten ? w->second.value : "",
                WhyDiffers(name, f.line, isWritten ? &w->second.value : nullptr)});
        }
        for (const std::string& name : writtenOrder) {
            if (!file.count(name)) report_.serverDefaults.push_back(written[name].spelled);
        }
    }

    std::string WhyDiffers(const std::string& name, std::size_t line, const std::string* writtenValue) {
        if (itemAtLine_.empty()) {
            // Per line, its first item: the items of a line follow each other.
            itemAtLine_.assign(lines_.size(), kNone);
            for (std::size_t k = items_.size(); k-- > 0;) {
                for (std::size_t l = items_[k].first; l < items_[k].first + items_[k].count; ++l) itemAtLine_[l] = k;
            }
        }
        const Item* source = nullptr;
        for (std::size_t k = line < itemAtLine_.size() ? itemAtLine_[line] : kNone;
             k < items_.size() && items_[k].first <= line && line < items_[k].first + items_[k].count; ++k) {
            const Item& item = items_[k];
            if (item.kind != ItemKind::Comment && (item.kind == ItemKind::Options || item.name == name)) source = &item;
        }
        if (source != nullptr && source->kind != ItemKind::Options &&
            (source->outcome == ImportReport::Kind::Carried || source->outcome == ImportReport::Kind::Dropped)) {
            return source->why;
        }
        if (writtenValue == nullptr) return "server.cfg does not set it";
        if (source != nullptr && source->kind == ItemKind::Options) {
            return "server.cfg sets it again after the additional options, and the setting cannot hold this value";
        }
        const auto uses = index_.usesByName.find(name);
        if (uses != index_.usesByName.end()) {
            for (std::size_t u : uses->second) {
                const Use& use = index_.uses[u];
                if (use.target == Target::Row && !index_.rowsAfterOptions.count(use.entry) &&
                    use.entry != index_.additionalOptions) {
                    return "a line of the additional options, which server.cfg writes after its row, sets it again";
                }
            }
        }
        return "the setting holds it as " + Quoted(*writtenValue);
    }

    void Count() {
        // A line counts once: as applied when all its commands are, as a
        // comment when it is one, otherwise as its first command that is not
        // applied.
        for (std::size_t k = 0; k < items_.size();) {
            std::size_t end = k + 1;
            while (end < items_.size() && items_[end].first == items_[k].first) ++end;
            ImportReport::Kind kind = items_[k].outcome;
            for (std::size_t j = k; j < end; ++j) {
                if (items_[j].outcome != ImportReport::Kind::Applied) {
                    kind = items_[j].outcome;
                    break;
                }
            }
            const int lines = static_cast<int>(items_[k].count);
            switch (kind) {
            case ImportReport::Kind::Applied: report_.applied += lines; break;
            case ImportReport::Kind::Comment: report_.comments += lines; break;
            case ImportReport::Kind::Carried: report_.carried += lines; break;
            case ImportReport::Kind::Superseded: report_.superseded += lines; break;
            case ImportReport::Kind::Dropped: report_.dropped += lines; break;
            }
            for (; k < end; ++k) {
                Item& item = items_[k];
                if (item.outcome == ImportReport::Kind::Applied || item.outcome == ImportReport::Kind::Comment) continue;
                report_.lines.push_back(ImportReport::Line{static_cast<int>(item.first + 1), item.outcome,
                                                           std::move(item.text), item.why, item.part});
            }
        }
    }

    const ConfigIndex& index_;
    const std::string_view bytes_;
    const std::vector<ScriptLine> lines_;
    ServerSettings& settings_;
    ImportReport& report_;
    const bool onto_;  // onto the record as it is, not the defaults
    std::vector<Item> items_;
    std::vector<std::size_t> runEnd_;                 // per line, the last line of its CR CR LF run
    std::vector<std::size_t> itemAtLine_;             // per line, its first item; made when first needed
    std::vector<std::size_t> last_;                   // per use, its last item
    std::unordered_set<const ConfigEntry*> leftOut_;  // rows whose comment came without the value line
};

}  // namespace

ImportReport ImportServerConfig(const std::string& bytes, ServerSettings& settings, ImportBase base) {
    ImportReport report;
    if (base == ImportBase::Defaults) settings.SetDefaults();
    std::string_view view(bytes);
    static const char kByteOrderMark[] = "\xEF\xBB\xBF";
    if (view.compare(0, 3, kByteOrderMark) == 0) {
        view.remove_prefix(3);
        report.notes.push_back("the file starts with a UTF-8 byte order mark, which was skipped; texts are taken "
                               "byte for byte");
    }
    Importer(view, settings, report, base == ImportBase::Current).Run();
    if (report.assignments == 0) report.notes.push_back("the file assigns no setting");
    return report;
}

bool ImportKeptEverything(const ImportReport& report) {
    return report.differences.empty() && report.dropped == 0 && report.assignments > 0;
}

std::string WhyNotText(const std::string& bytes) {
    if (bytes.find('\0') != std::string::npos) return "it holds NUL bytes";
    // Control characters other than the blanks and line ends of a text; a
    // few may be typed by mistake, many are no text at all.
    std::size_t control = 0;
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || u == 0x7F) ++control;
    }
    if (control > 0 && control * 20 > bytes.size()) return "most of it is not text";
    return std::string();
}

std::vector<std::string> DescribeImport(const ImportReport& report) {
    std::vector<std::string> out;
    for (const ImportReport::Line& line : report.lines) {
        const char* what = line.kind == ImportReport::Kind::Carried      ? "carried into additional options"
                           : line.kind == ImportReport::Kind::Superseded ? "superseded"
                                                                         : "dropped";
        out.push_back("line " + std::to_string(line.number) + ": " + what + ": " + line.why);
    }
    for (const ImportReport::Difference& d : report.differences) {
        out.push_back("line " + std::to_string(d.line) + ": " + d.name + ": the file gives " + Quoted(d.fileValue) +
                      ", server.cfg " + (d.written ? "will give " + Quoted(d.writtenValue) : "will not set it") +
                      ": " + d.why);
    }
    out.insert(out.end(), report.notes.begin(), report.notes.end());
    if (!report.serverDefaults.empty()) {
        out.push_back("server.cfg will set " + std::to_string(report.serverDefaults.size()) +
                      " settings that the file never set (the server used its own defaults for those)");
    }
    out.push_back("applied " + std::to_string(report.applied) + ", carried " + std::to_string(report.carried) +
                  ", superseded " + std::to_string(report.superseded) + ", dropped " +
                  std::to_string(report.dropped) + ", comments and blank lines " + std::to_string(report.comments));
    return out;
}
