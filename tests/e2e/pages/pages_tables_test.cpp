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
    switch (c.conversion) {
    case Conversion::Text: return "Text";
    case Conversion::ServerName: return "ServerName";
    case Conversion::Unsigned: return "Unsigned";
    case Conversion::Signed: return "Signed";
    case Conversion::IntOrBlank: return "IntOrBlank";
    case Conversion::Float: return "Float";
    case Conversion::Flag: return c.hidden ? "HiddenFlag" : "Flag";
    case Conversion::AllSkins: return "AllSkins";
    case Conversion::Choice: return "Choice";
    case Conversion::Caption: return "Caption";
    }
    return "?";
}

std::string FieldName(const PageControl& c) {
    if (c.conversion == Conversion::Caption) return "-";
    for (const FieldInfo& info : Fields()) {
        if (info.field.offset == c.field.offset && info.field.kind == c.field.kind) return info.name;
    }
    return "?";
}

std::string Describe(const FormPage& page, const PageControl& c) {
    return std::to_string(page.templateId) + " " + std::to_string(c.id) + " " + ConversionName(c) + " " +
           FieldName(c) + " " + std::to_string(c.textId);
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
            switch (c.conversion) {
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
                if (c.conversion != Conversion::Text && c.conversion != Conversion::ServerName) {
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
            if (c.conversion != Conversion::Choice) continue;
            ++combos;
            const Expected* e = nullptr;
            for (const Expected& candidate : expected) {
                if (candidate.templateId == page->templateId && candidate.id == c.id) e = &candidate;
            }
            ASSERT_NE(e, nullptr) << page->name << " combo " << c.id;
            std::vector<std::string> texts;
            for (std::size_t k = 0; k < c.entryCount; ++k) texts.push_back(UiTexts().at(c.entries[k]));
            EXPECT_EQ(texts, e->texts);
        }
    }
    EXPECT_EQ(combos, std::size(expected));
}

TEST(FormPageTables, CheckBoxAndGroupBoxTextsExist) {
    for (const FormPage* page : pages::kFormPages) {
        for (std::size_t i = 0; i < page->controlCount; ++i) {
            const PageControl& c = page->controls[i];
            bool needsText = c.conversion == Conversion::Flag || c.conversion == Conversion::AllSkins ||
                             c.conversion == Conversion::Caption;
            EXPECT_EQ(needsText, c.textId != 0) << page->name << " control " << c.id;
            if (needsText) {
                EXPECT_TRUE(UiTexts().count(c.textId)) << c.textId;
            }
        }
    }
    // The Team page's warm-up pair reads as the operator expects.
    for (const PageControl& c : pages::kTeamControls) {
        if (c.id == 1132) {
            EXPECT_EQ(UiTexts().at(c.textId), "Do Warm-Up");
        }
        if (c.id == 1133) {
            EXPECT_EQ(UiTexts().at(c.textId), "Peace Warm-Up");
        }
    }
}

}  // namespace
