// The console's reading of script lines: line ends, heads and values, as the
// importer relies on them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "core/servercfg/console_script.h"

using namespace servercfg;

namespace {

TEST(ConsoleScript, EachLineEndEndsALineAndCrCrLfIsMarked) {
    const std::vector<ScriptLine> lines = SplitScriptLines("a\nb\r\nc\rd\r\r\ne\r\r\rf");
    const std::vector<std::string_view> texts = {"a", "b", "c", "d", "e", "", "", "f"};
    const std::vector<bool> inner = {false, false, false, true, false, false, false, false};
    ASSERT_EQ(lines.size(), texts.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, texts[i]) << i;
        EXPECT_EQ(lines[i].innerBreak, inner[i]) << i;
    }
    EXPECT_TRUE(SplitScriptLines("").empty());
    EXPECT_EQ(SplitScriptLines("x\n").size(), 1u);
}

TEST(ConsoleScript, HeadsAndValuesAsTheWriterProducesThem) {
    struct Case {
        const char* line;
        Head::Type type;
        const char* name;
        bool setForm;
        bool parsed;
        const char* valueOrWhy;
    };
    const Case cases[] = {
        {"", Head::Blank, "", false, false, "no value"},
        {" \t ", Head::Blank, "", false, false, "no value"},
        {"  // set x 1", Head::Comment, "", false, false, "no value"},
        {"set sv_maxclients 16", Head::Command, "sv_maxclients", true, true, "16"},
        {"\tSeT\tg_motd \"Hi there\" // note", Head::Command, "g_motd", true, true, "Hi there"},
        {"sv_hostname \"a \"quoted\" b\"", Head::Command, "sv_hostname", false, true, "a \"quoted\" b"},
        {"map\"dm/x\"", Head::Command, "map", false, true, "dm/x"},
        {"set timelimit//20", Head::Command, "timelimit", true, false, "no value"},
        {"set g_motd \"open", Head::Command, "g_motd", true, false, "no closing quote"},
        {"set fraglimit 10 20", Head::Command, "fraglimit", true, false, "more than one value"},
        {"set fraglimit 10; quit", Head::Command, "fraglimit", true, false, "more than one command on the line"},
        {"set ;quit", Head::Command, "", true, false, "more than one command on the line"},
        {"settings 1", Head::Command, "settings", false, true, "1"},
    };
    for (const Case& c : cases) {
        const Head head = ReadHead(c.line);
        EXPECT_EQ(head.type, c.type) << c.line;
        EXPECT_EQ(head.name, c.name) << c.line;
        EXPECT_EQ(head.setForm, c.setForm) << c.line;
        std::string value, why;
        EXPECT_EQ(ParseValue(c.line, head.valueAt, value, why), c.parsed) << c.line;
        EXPECT_EQ(c.parsed ? value : why, c.valueOrWhy) << c.line;
    }
}

TEST(ConsoleScript, AQuotedValueClosesOnALineWithNothingAfterItsLastQuote) {
    EXPECT_TRUE(ClosesValue("end\""));
    EXPECT_TRUE(ClosesValue("\"  // note"));
    EXPECT_FALSE(ClosesValue("no quote"));
    EXPECT_FALSE(ClosesValue("\" more"));
}

TEST(ConsoleScript, CommandsEndAtASemicolonOutsideQuotesAndSetHasItsForms) {
    const std::vector<std::pair<const char*, std::vector<std::string_view>>> cases = {
        {"set a 1; set b 2", {"set a 1", " set b 2"}},
        {"set g_motd \"a;b\"; x 1;", {"set g_motd \"a;b\"", " x 1"}},
        {";; set a 1 ;  ", {" set a 1 "}},
        {"set a 1 // c; set b 2", {"set a 1 // c; set b 2"}},
        {"set a 1; // c; set b 2", {"set a 1"}},
        {"set a \"open; b", {"set a \"open; b"}},
        {"// all comment; x", {}},
    };
    for (const auto& [line, commands] : cases) EXPECT_EQ(SplitCommands(line), commands) << line;
    for (const char* word : {"set", "SETA", "sets", "SetU"}) EXPECT_TRUE(IsSetWord(word)) << word;
    for (const char* word : {"setx", "se", "settings", ""}) EXPECT_FALSE(IsSetWord(word)) << word;

    std::string told;
    for (const Assignment& a :
         ConsoleAssignments("seta A 1;B \"two words\"\r\n# set c 3\nset d\nsetu E f g // h\rmap dm/x\n")) {
        told += a.name + "=" + a.value + "@" + std::to_string(a.line) + " ";
    }
    EXPECT_EQ(told, "a=1@0 b=two words@0 e=f g@3 map=dm/x@4 ");
}

}  // namespace
