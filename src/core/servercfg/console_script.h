// server.cfg as the server's console reads a script: cut into lines, each
// line a comment, a blank or a command whose head (the first word, and the
// name after "set") and one value can be read. Only the forms the writer
// produces are told apart; what a line means is the importer's business.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace servercfg {

struct ScriptLine {
    std::string_view text;  // without its line end
    bool innerBreak;        // ended by CR CR LF
};

// LF, CR LF and a lone CR each end a line. CR CR LF is what a line break
// inside a value becomes on disk (a CR LF text written in text mode); it
// ends a line too, and is marked so that such a value can be joined again.
std::vector<ScriptLine> SplitScriptLines(std::string_view bytes);

// Without the blanks (spaces and tabs) at either end.
std::string_view Trim(std::string_view text);
std::size_t SkipBlanks(std::string_view s, std::size_t i);

// "set" and the forms the console takes for it ("seta", "sets", "setu"),
// in any letter case.
bool IsSetWord(std::string_view word);

// One line's commands: the console ends a command at a ';' that is neither
// between quotes nor inside a "//" comment. Empty commands are left out; a
// comment stays with the command it follows.
std::vector<std::string_view> SplitCommands(std::string_view line);

struct Head {
    enum Type { Blank, Comment, Command } type = Blank;
    std::string_view word;  // the first word
    std::string_view name;  // what the line sets or runs: the word after a set word, or the first word
    bool setForm = false;
    std::size_t valueAt = 0;  // where the value may begin
};

Head ReadHead(std::string_view s);

// The one value of a setting line from `i` on. A quoted value runs to the
// last quote of the line: the writer puts texts between quotes as they are,
// quotes included. An unquoted value is one word. Only blanks or a comment
// may follow; otherwise `why` tells what is wrong.
bool ParseValue(std::string_view s, std::size_t i, std::string& value, std::string& why);

// Whether a quoted value opened on an earlier line can close on `s`.
bool ClosesValue(std::string_view s);

// What the server's console is told by a script, assignment by assignment
// in order: a set word with a name and a value, or the bare form (a name
// and a value). A value is the command's words after the name joined by
// one blank, a quoted word running to the next quote or the command's end.
// Names are lower-case, as the console matches them. A command whose first
// word begins with '#' is no assignment: the console does not know it.
struct Assignment {
    std::string name;
    std::string spelled;  // the name as written
    std::string value;
    std::size_t line;     // from 0
};
std::vector<Assignment> ConsoleAssignments(std::string_view bytes);

// Whether the server gets the same from two values of one variable: the
// same text, or two decimal numbers with the same float value and the same
// whole part (the console keeps both).
bool SameConsoleValue(std::string_view a, std::string_view b);

}  // namespace servercfg
