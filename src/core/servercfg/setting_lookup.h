// A setting named as an operator names it: by its settings-file key, in any
// letter case, or by the one server variable that writes only it. Both
// front ends that edit single settings (get/set, the web page) look settings
// up the same way.
#pragma once

#include <string>
#include <vector>

#include "core/settings/page_fields.h"
#include "core/settings/settings_file.h"

// A setting with its place on a page.
struct SettingRef {
    const SettingKey* key = nullptr;
    const SettingsPage* page = nullptr;
    const PageField* row = nullptr;
};

SettingRef SettingRefOf(const SettingKey& key);

enum class SettingLookup {
    Found,
    Unknown,    // neither a settings key nor a server variable
    Ambiguous,  // a server variable written from several settings
    NoKey,      // a server variable whose one setting has no key (never, with today's tables)
};

// Looks `name` up. For Ambiguous, `candidates` receives the keys of the
// settings the variable is written from, in key order.
SettingLookup FindSettingByName(const std::string& name, SettingRef& setting,
                                std::vector<const SettingKey*>& candidates);

// The server variables a setting writes, in server.cfg's order.
std::vector<std::string> VariablesOfField(AnyField field);

// A row's label as the operator reads it: the string table's text without
// the colon a static label ends with.
std::string PageLabelText(const PageField& row);
