// The form page tables: every row bound to the field and conversion of the
// layout, every bound control present in its template with the right kind,
// and every form setting reachable from some page.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/pages/form_pages.h"
#include "pages_rc_reader.h"

namespace {

using pages::Conversion;
using pages::FormPage;
using pages::PageControl;

// The string of the control's own text: a check box's or group box's.
// Edit boxes and lists are named by the label beside them, not by their own
// text, so they have none.
unsigned OwnText(const PageControl& c) {
    switch (c.row->conversion) {
    case Conversion::Flag:
    case Conversion::AllSkins:
    case Conversion::Caption: return c.row->label;
    default: return 0;
    }
}

const std::map<unsigned, std::string>& UiTexts() {
    static const std::map<unsigned, std::string> texts = {
#define UI_TEXT(name, id, text) {id, text},
#include "ui_texts.h"
#undef UI_TEXT
    };
    return texts;
}

// The name and section of each field, found by its handle.
struct FieldInfo {
    std::string name;
    std::string section;
    AnyField field;
};

const std::vector<FieldInfo>& Fields() {
    static const std::vector<FieldInfo> fields = {
#define SETTING(section, kind, name, def) {#name, #section, fields::name},
#include "core/settings/settings_fields.h"
#undef SETTING
    };
    return fields;
}

std::string ConversionName(const PageControl& c) {
    switch (c.row->conversion) {
    case Conversion::Text: return "Text";
    case Conversion::ServerName: return "ServerName";
    case Conversion::Unsigned: return "Unsigned";
    case Conversion::Signed: return "Signed";
    case Conversion::IntOrBlank: return "IntOrBlank";
    case Conversion::Float: return "Float";
    case Conversion::Flag: return c.row->hidden ? "HiddenFlag" : "Flag";
    case Conversion::AllSkins: return "AllSkins";
    case Conversion::Choice: return "Choice";
    case Conversion::Caption: return "Caption";
    case Conversion::MarkedList: return "MarkedList";
    }
    return "?";
}

std::string FieldName(const PageControl& c) {
    if (c.row->conversion == Conversion::Caption) return "-";
    for (const FieldInfo& info : Fields()) {
        if (info.field.offset == c.row->field.offset && info.field.kind == c.row->field.kind) return info.name;
    }
    return "?";
}

std::string Describe(const FormPage& page, const PageControl& c) {
    return std::to_string(page.templateId) + " " + std::to_string(c.id) + " " + ConversionName(c) + " " +
           FieldName(c) + " " + std::to_string(OwnText(c));
}

TEST(FormPageTables, BindEachControlToItsFieldWithItsConversionAndText) {
    std::vector<std::string> actual;
    for (const FormPage* page : pages::kFormPages) {
        for (std::size_t i = 0; i < page->controlCount; ++i) actual.push_back(Describe(*page, page->controls[i]));
    }
    std::vector<std::string> expected = pagetest::ReadGolden("pages_bindings.golden");
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);
}

TEST(FormPageTables, EveryBoundControlExistsInItsTemplateAsTheRightKind) {
    pagetest::RcReader rc;
    for (const FormPage* page : pages::kFormPages) {
        const pagetest::RcDialog* dialog = rc.Find(page->templateId);
        ASSERT_NE(dialog, nullptr) << page->name;
        std::set<int> seen;
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            const PageControl& c = page->controls[i];
            SCOPED_TRACE(std::string(page->name) + " control " + std::to_string(c.id));
            EXPECT_TRUE(seen.insert(c.id).second) << "bound twice";
            const pagetest::RcControl* control = dialog->Find(c.id);
            ASSERT_NE(control, nullptr);
            unsigned long kind = control->style & 0xFFFF;
            switch (c.row->conversion) {
            case Conversion::Choice:
                EXPECT_EQ(control->className, "ComboBox");
                EXPECT_EQ(kind & 0x3, 0x2ul) << "an editable drop-down";
                break;
            case Conversion::Flag:
            case Conversion::AllSkins:
                EXPECT_EQ(control->className, "Button");
                EXPECT_EQ(kind & 0xF, 0x3ul) << "an auto check box";
                break;
            case Conversion::Caption:
                EXPECT_EQ(control->className, "Button");
                EXPECT_EQ(kind & 0xF, 0x7ul) << "a group box";
                break;
            default:
                EXPECT_EQ(control->className, "Edit");
                if (c.row->conversion != Conversion::Text && c.row->conversion != Conversion::ServerName) {
                    EXPECT_EQ(control->style, 0x50810080ul) << "numbers go in plain single-line boxes";
                }
                break;
            }
        }
        // And the other way round: every control of the template that is not
        // a label is in the table, so nothing on the page is left unbound.
        for (const pagetest::RcControl& control : dialog->controls) {
            if (control.className == "Static") continue;
            EXPECT_TRUE(seen.count(static_cast<int>(control.id))) << page->name << " leaves control " << control.id
                                                                  << " unbound";
        }
    }
}

// Every setting of the seven form sections can be seen and changed on a
// page: nothing is written to server.cfg that the operator cannot reach.
// The two bleeding switches are bound too, though their boxes stay hidden.
TEST(FormPageTables, EveryFormSettingIsBoundExactlyOnce) {
    std::map<std::string, int> bound;
    for (const FormPage* page : pages::kFormPages) {
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            std::string name = FieldName(page->controls[i]);
            if (name != "-") ++bound[name];
        }
    }
    const std::set<std::string> formSections = {"Basic", "Advanced", "Advanced2", "Team",
                                                "Limits", "Weapons", "Explosives"};
    std::size_t formFields = 0;
    for (const FieldInfo& info : Fields()) {
        if (!formSections.count(info.section)) {
            EXPECT_EQ(bound.count(info.name), 0u) << info.name << " is not a form setting";
            continue;
        }
        ++formFields;
        EXPECT_EQ(bound[info.name], 1) << info.name;
    }
    EXPECT_EQ(formFields, 151u);  // all 158 but the two of Maps and the five of Mods
}

// An edit box or list is named by the static label whose id is the string
// its row names: that label is in the same template.
TEST(FormPageTables, EachValueBoxIsNamedByALabelOfItsTemplate) {
    pagetest::RcReader rc;
    for (const FormPage* page : pages::kFormPages) {
        const pagetest::RcDialog* dialog = rc.Find(page->templateId);
        ASSERT_NE(dialog, nullptr) << page->name;
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            const PageControl& c = page->controls[i];
            if (OwnText(c) != 0) continue;
            const pagetest::RcControl* label = dialog->Find(static_cast<int>(c.row->label));
            ASSERT_NE(label, nullptr) << page->name << " control " << c.id;
            EXPECT_EQ(label->className, "Static") << page->name << " control " << c.id;
        }
    }
}

// The combo boxes list these texts, in this order; the field is the index.
TEST(FormPageTables, ComboBoxesListTheirEntriesInOrder) {
    struct Expected {
        int templateId;
        int id;
        std::vector<std::string> texts;
    };
    const Expected expected[] = {
        {129, 1015, {"Free For All", "Team Deathmatch", "Invader"}},
        {129, 1128, {"Instant", "5 secs", "10 secs", "20 secs"}},
        {136, 1164, {"Network Speed", "GFX Ambience"}},
        {135, 1181,
         {"Default", "Random", "Farthest", "Team", "Not Visible", "Closest", "Group", "Not Facing",
          "Buffered Close"}},
        {135, 1130, {"Normal", "On Enter", "On Spawn"}},
    };
    std::size_t combos = 0;
    for (const FormPage* page : pages::kFormPages) {
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            const PageControl& c = page->controls[i];
            if (c.row->conversion != Conversion::Choice) continue;
            ++combos;
            const Expected* e = nullptr;
            for (const Expected& candidate : expected) {
                if (candidate.templateId == page->templateId && candidate.id == c.id) e = &candidate;
            }
            ASSERT_NE(e, nullptr) << page->name << " combo " << c.id;
            std::vector<std::string> texts;
            for (std::size_t k = 0; k < c.row->choiceCount; ++k) texts.push_back(UiTexts().at(c.row->choices[k]));
            EXPECT_EQ(texts, e->texts);
        }
    }
    EXPECT_EQ(combos, std::size(expected));
}

TEST(FormPageTables, CheckBoxAndGroupBoxTextsExist) {
    for (const FormPage* page : pages::kFormPages) {
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            const PageControl& c = page->controls[i];
            EXPECT_NE(c.row->label, 0u) << page->name << " control " << c.id;
            EXPECT_TRUE(UiTexts().count(c.row->label)) << c.row->label;
        }
    }
    // The Team page's warm-up pair reads as the operator expects.
    for (const PageControl& c : pages::kTeamControls) {
        if (c.id == 1132) {
            EXPECT_EQ(UiTexts().at(c.row->label), "Do Warm-Up");
        }
        if (c.id == 1133) {
            EXPECT_EQ(UiTexts().at(c.row->label), "Peace Warm-Up");
        }
    }
}

}  // namespace
