// A form page as the window builds it: each control of its template that
// carries a value or a text of its own, bound to the core's row for it
// (core/settings/page_fields.h), which says what the control edits and how.
// One shared procedure walks these tables (form_page.cpp); the tables
// themselves are in form_pages.h.
//
// Static labels are not listed: each takes the string whose id is its own
// control id, so the procedure finds them in the dialog itself (the rows
// name the same strings as their labels).
#pragma once

#include <cstddef>

#include "core/settings/page_fields.h"

namespace pages {

using Conversion = PageConversion;

struct PageControl {
    int id;                // control id in the page's template
    const PageField* row;  // what it shows, from the core's page data
};

struct FormPage {
    const char* name;      // for messages of the tests and tools
    int templateId;
    const PageControl* controls;
    std::size_t controlCount;
};

// Binds control `id` to the row of `rows` that edits `field`. A field the
// page does not show makes the table fail to compile.
template <std::size_t N, SettingKind K>
constexpr PageControl Bind(int id, const PageField (&rows)[N], Field<K> field) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].conversion != Conversion::Caption && rows[i].field.kind == K &&
            rows[i].field.offset == field.offset) {
            return {id, &rows[i]};
        }
    }
    throw "the page shows no such field";
}
// Binds a group box to the caption row with its text.
template <std::size_t N>
constexpr PageControl BindCaption(int id, const PageField (&rows)[N], unsigned label) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].conversion == Conversion::Caption && rows[i].label == label) return {id, &rows[i]};
    }
    throw "the page has no such caption";
}

template <std::size_t N>
constexpr FormPage MakeFormPage(const char* name, int templateId, const PageControl (&controls)[N]) {
    return {name, templateId, controls, N};
}

}  // namespace pages
