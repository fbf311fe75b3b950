// The page templates of pages.rc against the layout golden file, and the
// labelling rule against the string table.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "pages_rc_reader.h"

namespace {

const std::map<unsigned, std::string>& UiTexts() {
    static const std::map<unsigned, std::string> texts = {
#define UI_TEXT(name, id, text) {id, text},
#include "ui_texts.h"
#undef UI_TEXT
    };
    return texts;
}

std::string Describe(long templateId, const pagetest::RcControl& c) {
    char line[160];
    std::snprintf(line, sizeof line, "%ld %ld %s 0x%08lX %ld %ld %ld %ld", templateId, c.id,
                  c.className.c_str(), c.style, c.x, c.y, c.width, c.height);
    return line;
}

// In tab order, as the golden file lists them.
const long kAllTemplates[] = {129, 130, 136, 135, 131, 132, 138, 137, 133};
const long kFormTemplates[] = {129, 130, 131, 135, 136, 137, 138};

TEST(PageTemplates, EveryControlMatchesTheLayoutInTemplateOrder) {
    pagetest::RcReader rc;
    std::vector<std::string> actual;
    for (long id : kAllTemplates) {
        const pagetest::RcDialog* dialog = rc.Find(id);
        ASSERT_NE(dialog, nullptr) << "template " << id;
        for (const pagetest::RcControl& c : dialog->controls) actual.push_back(Describe(id, c));
    }
    std::vector<std::string> expected = pagetest::ReadGolden("pages_templates.golden");
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "row " << i;
    EXPECT_EQ(rc.Dialogs().size(), std::size(kAllTemplates)) << "no other templates in pages.rc";
}

TEST(PageTemplates, AllShareTheHiddenChildFrame) {
    pagetest::RcReader rc;
    for (const pagetest::RcDialog& d : rc.Dialogs()) {
        SCOPED_TRACE("template " + std::to_string(d.id));
        EXPECT_EQ(d.x, 0);
        EXPECT_EQ(d.y, 0);
        EXPECT_EQ(d.width, 405);
        EXPECT_EQ(d.height, 189);
        // WS_CHILD | DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK, and not WS_VISIBLE.
        EXPECT_EQ(d.style, 0x4000004Cul);
        EXPECT_EQ(d.font, "8, \"MS Shell Dlg\", 400, 0, 1");
    }
}

TEST(PageTemplates, ControlIdsAreUniqueWithinEachPage) {
    pagetest::RcReader rc;
    for (const pagetest::RcDialog& d : rc.Dialogs()) {
        std::set<long> seen;
        for (const pagetest::RcControl& c : d.controls) {
            EXPECT_TRUE(seen.insert(c.id).second) << "template " << d.id << " repeats control " << c.id;
        }
    }
}

// A static label shows the string whose id is its control id, so each must
// have one; the template's own text is an upper-case placeholder.
TEST(PageTemplates, EveryLabelHasTheStringOfItsOwnId) {
    pagetest::RcReader rc;
    for (long id : kAllTemplates) {
        for (const pagetest::RcControl& c : rc.Find(id)->controls) {
            if (c.className != "Static") continue;
            // The hint under the mods in use has text 202, set by the Mods page.
            if (id == 133 && c.id == 1106) continue;
            auto text = UiTexts().find(static_cast<unsigned>(c.id));
            ASSERT_NE(text, UiTexts().end()) << "template " << id << " label " << c.id;
            EXPECT_FALSE(text->second.empty());
            for (char ch : c.text) EXPECT_FALSE(ch >= 'a' && ch <= 'z') << "placeholder " << c.text;
        }
    }
}

// The hand-made Peace Warm-Up box lines up with Do Warm-Up, sits in the free
// row between it and Invert Objective Number, and overlaps nothing.
TEST(PageTemplates, TeamPageKeepsPeaceWarmUpInTheWarmUpColumnWithoutOverlap) {
    pagetest::RcReader rc;
    const pagetest::RcDialog* team = rc.Find(135);
    ASSERT_NE(team, nullptr);
    const pagetest::RcControl* peace = team->Find(1133);
    const pagetest::RcControl* doWarmup = team->Find(1132);
    ASSERT_NE(peace, nullptr);
    ASSERT_NE(doWarmup, nullptr);
    EXPECT_EQ(peace->x, doWarmup->x);
    EXPECT_GT(peace->y, doWarmup->y);
    for (const pagetest::RcControl& c : team->controls) {
        if (c.id == peace->id) continue;
        bool apart = c.x + c.width <= peace->x || peace->x + peace->width <= c.x ||
                     c.y + c.height <= peace->y || peace->y + peace->height <= c.y;
        EXPECT_TRUE(apart) << "Peace Warm-Up overlaps control " << c.id;
    }
    // Right after Do Warm-Up in the tab order.
    for (std::size_t i = 0; i + 1 < team->controls.size(); ++i) {
        if (team->controls[i].id == 1132) {
            EXPECT_EQ(team->controls[i + 1].id, 1133);
        }
    }
}

// A label or check box wide enough for its text must still leave the box
// beside it alone (group boxes frame others and do not count).
TEST(PageTemplates, TextsDoNotRunIntoOtherControls) {
    pagetest::RcReader rc;
    auto isGroupBox = [](const pagetest::RcControl& c) {
        return c.className == "Button" && (c.style & 0xF) == 0x7;
    };
    auto height = [](const pagetest::RcControl& c) { return c.className == "ComboBox" ? 14L : c.height; };
    for (long id : kAllTemplates) {
        const std::vector<pagetest::RcControl>& controls = rc.Find(id)->controls;
        for (const pagetest::RcControl& a : controls) {
            bool text = a.className == "Static" || (a.className == "Button" && (a.style & 0xF) == 0x3);
            if (!text) continue;
            for (const pagetest::RcControl& b : controls) {
                if (&a == &b || isGroupBox(b)) continue;
                bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                             b.y + height(b) <= a.y;
                EXPECT_TRUE(apart) << "template " << id << ": " << a.id << " runs into " << b.id;
            }
        }
    }
}

// Every control lies inside its 405 x 189 page.
TEST(PageTemplates, FormPageControlsStayInsideThePage) {
    pagetest::RcReader rc;
    for (long id : kFormTemplates) {
        for (const pagetest::RcControl& c : rc.Find(id)->controls) {
            if (c.className == "ComboBox") continue;  // the height is the dropped list's
            EXPECT_GE(c.x, 0);
            EXPECT_GE(c.y, 0);
            EXPECT_LE(c.x + c.width, 405) << "template " << id << " control " << c.id;
            EXPECT_LE(c.y + c.height, 189) << "template " << id << " control " << c.id;
        }
    }
}

}  // namespace
