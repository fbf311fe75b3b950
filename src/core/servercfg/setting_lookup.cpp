#include "core/servercfg/setting_lookup.h"

#include "core/common/ui_text.h"
#include "core/servercfg/config_index.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool SameField(AnyField a, AnyField b) { return a.kind == b.kind && a.offset == b.offset; }

void AddOnce(std::vector<AnyField>& found, AnyField field) {
    for (AnyField known : found) {
        if (SameField(known, field)) return;
    }
    found.push_back(field);
}

// The fields each server variable sets, from the rows of server.cfg.
std::vector<AnyField> FieldsOfVariable(const std::string& name) {
    const servercfg::ConfigIndex& index = servercfg::TheConfigIndex();
    std::vector<AnyField> found;
    const auto uses = index.usesByName.find(Lower(name));
    if (uses == index.usesByName.end()) return found;
    for (std::size_t i : uses->second) {
        const servercfg::Use& use = index.uses[i];
        switch (use.target) {
        case servercfg::Target::Row: AddOnce(found, use.entry->field); break;
        case servercfg::Target::StartMap: AddOnce(found, fields::MapName); break;
        case servercfg::Target::Rotation: AddOnce(found, fields::MapRotationList); break;
        case servercfg::Target::DeathmatchFlags: {
            const servercfg::DeathmatchFlagTable flags = servercfg::DeathmatchFlagRows();
            for (std::size_t f = 0; f < flags.count; ++f) AddOnce(found, flags.flags[f].field);
            break;
        }
        }
    }
    return found;
}

}  // namespace

SettingRef SettingRefOf(const SettingKey& key) {
    SettingRef setting;
    setting.key = &key;
    setting.row = FindPageField(key.field, &setting.page);
    return setting;
}

SettingLookup FindSettingByName(const std::string& name, SettingRef& setting,
                                std::vector<const SettingKey*>& candidates) {
    candidates.clear();
    const SettingKey* keys = SettingKeys();
    const std::string wanted = Lower(name);
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        if (Lower(keys[i].key) == wanted) {
            setting = SettingRefOf(keys[i]);
            return SettingLookup::Found;
        }
    }
    const std::vector<AnyField> fieldsOfName = FieldsOfVariable(name);
    if (fieldsOfName.size() > 1) {
        // Listed by field first, as the variable's uses name them.
        for (AnyField field : fieldsOfName) {
            for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
                if (SameField(keys[i].field, field)) candidates.push_back(&keys[i]);
            }
        }
        return SettingLookup::Ambiguous;
    }
    if (fieldsOfName.size() == 1) {
        for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
            if (SameField(keys[i].field, fieldsOfName.front())) {
                setting = SettingRefOf(keys[i]);
                return SettingLookup::Found;
            }
        }
        return SettingLookup::NoKey;
    }
    return SettingLookup::Unknown;
}

std::vector<std::string> VariablesOfField(AnyField field) {
    const servercfg::ConfigIndex& index = servercfg::TheConfigIndex();
    std::vector<std::string> names;
    for (const servercfg::Use& use : index.uses) {
        bool writes = false;
        switch (use.target) {
        case servercfg::Target::Row: writes = SameField(use.entry->field, field); break;
        case servercfg::Target::StartMap: writes = SameField(fields::MapName, field); break;
        case servercfg::Target::Rotation: writes = SameField(fields::MapRotationList, field); break;
        case servercfg::Target::DeathmatchFlags: {
            const servercfg::DeathmatchFlagTable flags = servercfg::DeathmatchFlagRows();
            for (std::size_t f = 0; f < flags.count; ++f) writes = writes || SameField(flags.flags[f].field, field);
            break;
        }
        }
        bool seen = false;
        for (const std::string& name : names) seen = seen || name == use.name;
        if (writes && !seen) names.push_back(use.name);
    }
    return names;
}

std::string PageLabelText(const PageField& row) {
    std::string label = LoadUIText(row.label);
    while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
    return label;
}
