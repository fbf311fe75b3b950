// A form page described as data: the controls of its template that carry a
// value or a text of their own, each bound to a field of ServerSettings with
// the conversion that shows and stores it. One shared procedure walks these
// tables (form_page.cpp); the tables themselves are in form_pages.h.
//
// Static labels are not listed: each takes the string whose id is its own
// control id, so the procedure finds them in the dialog itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/settings/server_settings.h"

namespace pages {

enum class Conversion : std::uint8_t {
    Text,        // edit box and text field, up to 4095 characters
    ServerName,  // as Text, but cut to 32 characters when stored
    Unsigned,    // edit box and integer field, unsigned conversion
    Signed,      // edit box and integer field, signed conversion
    IntOrBlank,  // signed, a negative value shows blank and blank reads -1
    Float,       // edit box and float field, "%f" and the atof reading
    Flag,        // auto check box and flag field
    AllSkins,    // auto check box and the three-valued AllowAllSkins
    Choice,      // drop-down combo box and the index of the chosen entry
    Caption,     // a group box: a text, no value
};

struct PageControl {
    int id;                    // control id in the page's template
    Conversion conversion;
    AnyField field;            // none for a caption
    unsigned textId;           // string of a check box or group box; 0: none
    const unsigned* entries;   // string ids of a combo box's entries, in list order
    std::size_t entryCount;
    bool hidden;               // filled like the others, then hidden
};

struct FormPage {
    const char* name;          // for messages of the tests and tools
    int templateId;
    const PageControl* controls;
    std::size_t controlCount;
};

// Row builders: each takes exactly the field type its conversion works on,
// so binding a control to a field of the wrong kind does not compile.
constexpr PageControl TextBox(int id, TextField field) {
    return {id, Conversion::Text, field, 0, nullptr, 0, false};
}
constexpr PageControl ServerNameBox(int id, TextField field) {
    return {id, Conversion::ServerName, field, 0, nullptr, 0, false};
}
constexpr PageControl UnsignedBox(int id, IntField field) {
    return {id, Conversion::Unsigned, field, 0, nullptr, 0, false};
}
constexpr PageControl SignedBox(int id, IntField field) {
    return {id, Conversion::Signed, field, 0, nullptr, 0, false};
}
constexpr PageControl IntOrBlankBox(int id, IntField field) {
    return {id, Conversion::IntOrBlank, field, 0, nullptr, 0, false};
}
constexpr PageControl FloatBox(int id, FloatField field) {
    return {id, Conversion::Float, field, 0, nullptr, 0, false};
}
constexpr PageControl CheckBox(int id, unsigned textId, FlagField field) {
    return {id, Conversion::Flag, field, textId, nullptr, 0, false};
}
constexpr PageControl HiddenCheckBox(int id, unsigned textId, FlagField field) {
    return {id, Conversion::Flag, field, textId, nullptr, 0, true};
}
constexpr PageControl AllSkinsCheckBox(int id, unsigned textId, IntField field) {
    return {id, Conversion::AllSkins, field, textId, nullptr, 0, false};
}
template <std::size_t N>
constexpr PageControl ChoiceBox(int id, IntField field, const unsigned (&entries)[N]) {
    return {id, Conversion::Choice, field, 0, entries, N, false};
}
constexpr PageControl GroupBox(int id, unsigned textId) {
    return {id, Conversion::Caption, AnyField(), textId, nullptr, 0, false};
}

template <std::size_t N>
constexpr FormPage MakeFormPage(const char* name, int templateId, const PageControl (&controls)[N]) {
    return {name, templateId, controls, N};
}

}  // namespace pages
