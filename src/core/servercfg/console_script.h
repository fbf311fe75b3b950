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

struct Head {
    enum Type { Blank, Comment, Command } type = Blank;
    std::string_view word;  // the first word
    std::string_view name;  // what the line sets or runs: the word after "set", or the first word
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

}  // namespace servercfg
