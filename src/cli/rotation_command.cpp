// servolt-cli rotation, and the editing subcommands of servolt-cli mods: the
// Rotation list of the Maps page and the Mods In Use list of the Mods page,
// edited with the pages' rules. Names come only from what discovery finds,
// as the pages offer only those; every change of one command line is
// written to the settings file at once, and nothing when one is refused.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_output.h"
#include "cli/command.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"
#include "core/discovery/list_rules.h"
#include "core/settings/server_settings.h"

namespace {

enum class Edit { None, List, Add, Remove, Move, Mark };

using ListRules = MarkedListRules;

// The command that lists what the list may take.
const char* FoundCommand(const ListRules& rules) { return rules.mapsFound ? "maps" : "mods"; }

struct EditOptions {
    Edit edit = Edit::None;
    std::vector<std::string> names;  // add, remove
    std::string name;                // move, mark
    std::string where;  // up, down or a position from 1
    std::string state;  // on or off
    bool json = false;
};

int FindEntry(const MarkedList& list, const std::string& name) {
    for (std::size_t i = 0; i < list.Size(); ++i) {
        if (list.At(i).text == name) return static_cast<int>(i);
    }
    return -1;
}

void PrintEntries(const MarkedList& list, const ListRules& rules, bool json) {
    if (json) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < list.Size(); ++i) {
            entries.push_back({{"name", list.At(i).text}, {rules.markName, list.At(i).marked}});
        }
        std::cout << entries.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    // The crossed box of the page's list, then the name.
    for (std::size_t i = 0; i < list.Size(); ++i) {
        std::cout << (list.At(i).marked ? "[x] " : "[ ] ") << ShownName(list.At(i).text) << '\n';
    }
}

// Applies the edit to `list`; false, having said why, when it is refused.
bool ApplyEdit(const EditOptions& options, const ListRules& rules, const ServerContext& context,
               const ServerSettings& settings, MarkedList& list) {
    bool ok = true;
    switch (options.edit) {
    case Edit::Add: {
        const std::vector<std::string> found = FoundListNames(rules, context.places, settings);
        for (const std::string& name : options.names) {
            bool known = false;
            for (const std::string& candidate : found) known = known || candidate == name;
            if (!known) {
                Say(std::string(rules.itemName) + " '" + ShownName(name) + "' is not among those found (see 'servolt-cli " +
                    FoundCommand(rules) + "')");
                ok = false;
                continue;
            }
            const AddResult result = list.AddOnce(name);
            switch (result) {
            case AddResult::Added: break;
            case AddResult::AlreadyPresent:
                Say(std::string(rules.itemName) + " '" + ShownName(name) + "' is in " + rules.listName + " already");
                break;
            case AddResult::HasBlank:
            case AddResult::TooLong: Say(ListRefusalText(rules, result, ShownName(name))); ok = false; break;
            }
        }
        return ok;
    }
    case Edit::Remove:
        for (const std::string& name : options.names) {
            const int index = FindEntry(list, name);
            if (index < 0) {
                Say(std::string(rules.itemName) + " '" + ShownName(name) + "' is not in " + rules.listName);
                ok = false;
                continue;
            }
            list.Remove(static_cast<std::size_t>(index));
        }
        return ok;
    case Edit::Move:
    case Edit::Mark: {
        const std::string& name = options.name;
        int index = FindEntry(list, name);
        if (index < 0) {
            Say(std::string(rules.itemName) + " '" + ShownName(name) + "' is not in " + rules.listName);
            return false;
        }
        if (options.edit == Edit::Mark) {
            if (list.At(static_cast<std::size_t>(index)).marked != (options.state == "on")) {
                list.ToggleMark(static_cast<std::size_t>(index));
            }
            return true;
        }
        // As the Up and Down buttons do: one step, none past either end.
        int target = index;
        if (options.where == "up") {
            target = index > 0 ? index - 1 : 0;
        } else if (options.where == "down") {
            target = index + 1 < static_cast<int>(list.Size()) ? index + 1 : index;
        } else {
            const std::string& where = options.where;
            bool digits = !where.empty() && where.size() <= 9;
            for (char c : where) digits = digits && c >= '0' && c <= '9';
            const long position = digits ? std::stol(where) : 0;
            if (position < 1 || position > static_cast<long>(list.Size())) {
                Say("'" + ShownName(where) + "' is not up, down or a position from 1 to " + std::to_string(list.Size()));
                return false;
            }
            target = static_cast<int>(position) - 1;
        }
        for (; index > target; --index) list.MoveUp(static_cast<std::size_t>(index));
        for (; index < target; ++index) list.MoveDown(static_cast<std::size_t>(index));
        return true;
    }
    case Edit::None:
    case Edit::List: break;
    }
    return true;
}

int RunEdit(const EditOptions& options, const ListRules& rules, const ServerContext& context, bool userFolder) {
    const auto settings = LoadSettings(context);
    char* field = rules.field.In(*settings);
    // What the page shows and stores: pairs that could not be kept are left out.
    MarkedList list = MarkedList::FromText(field);
    if (options.edit == Edit::List) {
        PrintEntries(list, rules, options.json);
        return 0;
    }
    const std::string before = list.ToText();
    if (!ApplyEdit(options, rules, context, *settings, list)) return kExitFailed;
    const std::string after = list.ToText();
    if (after == before && after == field) return 0;  // nothing to write
    // ToText always fits: the list refuses what would not.
    after.copy(field, after.size());
    field[after.size()] = '\0';
    if (userFolder) CreateUserFolders(context.places.userFolder);  // as the window does when it starts
    return settings->WriteSettings(context).Written() ? 0 : kExitFailed;
}

// The subcommands shared by both lists, each setting the options' edit.
void AddEditSubcommands(CLI::App* parent, const std::shared_ptr<EditOptions>& options, const char* addName,
                        const char* removeName, const char* markName, const ListRules& rules) {
    const std::string item = rules.itemName;
    // The parent's options (--ini, --game) may follow the subcommand too.
    parent->fallthrough();
    CLI::App* list = parent->add_subcommand("list", std::string("print ") + rules.listName + ", each " + item +
                                                        " with its " + rules.markName + " mark");
    list->add_flag("--json", options->json, "print a JSON array");
    list->callback([options] { options->edit = Edit::List; });

    CLI::App* add = parent->add_subcommand(addName, "append " + item + "s to " + rules.listName);
    add->add_option(item.c_str(), options->names, item + "s, as listed by 'servolt-cli " + FoundCommand(rules) + "'")
        ->required()
        ->option_text("NAME...");
    add->callback([options] { options->edit = Edit::Add; });

    CLI::App* remove = parent->add_subcommand(removeName, "take " + item + "s out of " + rules.listName);
    remove->add_option(item.c_str(), options->names, item + "s in " + rules.listName)->required()->option_text("NAME...");
    remove->callback([options] { options->edit = Edit::Remove; });

    CLI::App* move = parent->add_subcommand("move", "move a " + item + " one place up or down, or to a position");
    move->add_option(item.c_str(), options->name, "the " + item)->required()->option_text("NAME");
    move->add_option("WHERE", options->where, "up, down or a position from 1")->required()->option_text("up|down|N");
    move->callback([options] { options->edit = Edit::Move; });

    CLI::App* mark = parent->add_subcommand(markName, std::string("set or clear a ") + item + "'s " +
                                                          rules.markName + " mark");
    mark->add_option(item.c_str(), options->name, "the " + item)->required()->option_text("NAME");
    mark->add_option("STATE", options->state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
    mark->callback([options] { options->edit = Edit::Mark; });
}

const ListRules& RotationRules() { return RotationListRules(); }
const ListRules& ModsRules() { return ModsListRules(); }

class ModsEditor : public ModsEditing {
public:
    ModsEditor(std::shared_ptr<EditOptions> options, const CliPlaces& places)
        : options_(std::move(options)), places_(places) {}
    bool Chosen() const override { return options_->edit != Edit::None; }
    int Run(const ServerContext& context) const override {
        return RunEdit(*options_, ModsRules(), context, places_.ini.empty());
    }

private:
    std::shared_ptr<EditOptions> options_;
    const CliPlaces& places_;
};

}  // namespace

void AddRotationCommand(CommandSet& commands) {
    const auto options = MakeOptions<EditOptions>();
    CLI::App* rotation = commands.App().add_subcommand("rotation", "edit the Maps page's rotation");
    commands.AddPlaceOptions(rotation, CommandSet::kIni | CommandSet::kGame | CommandSet::kPrefix);
    rotation->require_subcommand(1);
    AddEditSubcommands(rotation, options, "add", "remove", "swap", RotationRules());
    rotation->footer("Exit codes: 0 done; 2 a map refused (nothing written) or the file not written.\n"
                     "Example: servolt-cli rotation --game /srv/vantrel add maps/dm/harbor");
    const CliPlaces& places = commands.Places();
    commands.Add(rotation, [options, &places] {
        ServerContext context;
        if (!OpenServer(places, options->edit == Edit::List, context)) return kExitFailed;
        return RunEdit(*options, RotationRules(), context, places.ini.empty());
    });
}

std::shared_ptr<const ModsEditing> AddModsEditing(CommandSet& commands, CLI::App* mods) {
    const auto options = MakeOptions<EditOptions>();
    AddEditSubcommands(mods, options, "use", "unuse", "download", ModsRules());
    return std::make_shared<ModsEditor>(options, commands.Places());
}
