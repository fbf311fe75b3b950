// The writer's tables as the importer finds them: every row of every
// section, in the order the writer walks them, by its title and by the
// name of its value line in any letter case.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/servercfg/config_index.h"
#include "core/servercfg/config_tables.h"
#include "core/servercfg/console_script.h"
#include "platform/ascii.h"

using namespace servercfg;

namespace {

bool NameLeadsTo(const ConfigIndex& index, const std::string& name, Target target, const ConfigEntry* entry) {
    const auto found = index.usesByName.find(ascii::Lowered(name));
    if (found == index.usesByName.end()) return false;
    for (std::size_t use : found->second) {
        if (index.uses[use].target == target && index.uses[use].entry == entry) return true;
    }
    return false;
}

bool TitleLeadsTo(const ConfigIndex& index, const char* comment, Target target, const ConfigEntry* entry) {
    std::string_view text(comment);
    while (!text.empty() && Trim(text.substr(0, text.find('\n'))).empty()) text.remove_prefix(text.find('\n') + 1);
    const auto found = index.titleByText.find(std::string(Trim(text.substr(0, text.find('\n')))));
    return found != index.titleByText.end() && index.titles[found->second].target == target &&
           index.titles[found->second].entry == entry;
}

TEST(ConfigIndex, EverySectionIsFoundByItsTitlesAndNamesInTheWritersOrder) {
    const ConfigIndex& index = TheConfigIndex();
    EXPECT_EQ(&index, &TheConfigIndex());
    std::size_t row = 0, mapLines = 0, flags = 0;
    for (const Section& section : ServerConfigSections()) {
        switch (section.kind) {
        case SectionKind::Entries:
            for (const ConfigEntry& entry : section.rows) {
                ASSERT_LT(row, index.rows.size());
                EXPECT_EQ(index.rows[row++], &entry) << entry.comment;
                EXPECT_TRUE(TitleLeadsTo(index, entry.comment, Target::Row, &entry)) << entry.comment;
                const std::string name = FormatName(entry.line);
                if (!name.empty()) {
                    EXPECT_TRUE(NameLeadsTo(index, ascii::Lowered(name), Target::Row, &entry)) << name;
                    std::string upper = name;
                    for (char& c : upper) c = ascii::ToUpper(c);
                    EXPECT_TRUE(NameLeadsTo(index, upper, Target::Row, &entry)) << name;
                } else if (entry.rule != Rule::Choice) {
                    EXPECT_EQ(index.additionalOptions, &entry);
                } else {
                    EXPECT_EQ(index.lineChoices.count(&entry), 1u) << entry.comment;
                }
            }
            break;
        case SectionKind::MapLines:
            ++mapLines;
            EXPECT_TRUE(TitleLeadsTo(index, kStartMapComment, Target::StartMap, nullptr));
            EXPECT_TRUE(NameLeadsTo(index, "map", Target::StartMap, nullptr));
            EXPECT_TRUE(TitleLeadsTo(index, kRotationComment, Target::Rotation, nullptr));
            EXPECT_TRUE(NameLeadsTo(index, "SV_MAPLIST", Target::Rotation, nullptr));
            break;
        case SectionKind::DeathmatchFlags:
            ++flags;
            EXPECT_TRUE(TitleLeadsTo(index, kDeathmatchComment, Target::DeathmatchFlags, nullptr));
            EXPECT_TRUE(NameLeadsTo(index, "dmflags", Target::DeathmatchFlags, nullptr));
            break;
        }
    }
    EXPECT_EQ(row, index.rows.size());
    EXPECT_EQ(mapLines, 1u);
    EXPECT_EQ(flags, 1u);
    EXPECT_NE(index.additionalOptions, nullptr);
}

}  // namespace
