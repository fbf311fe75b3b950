// The console's reading of a script line. A word ends where the console
// ends it: at a blank, a quote, a ';' (which separates commands) or "//".
#include "core/servercfg/console_script.h"

#include <cstdlib>
#include <string>

#include "core/common/number_text.h"
#include "platform/ascii.h"

namespace servercfg {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool CommentAt(std::string_view s, std::size_t i) { return i + 1 < s.size() && s[i] == '/' && s[i + 1] == '/'; }

std::size_t WordEnd(std::string_view s, std::size_t i) {
    while (i < s.size() && !IsBlank(s[i]) && s[i] != '"' && s[i] != ';' && !CommentAt(s, i)) ++i;
    return i;
}

bool NothingAfter(std::string_view s, std::size_t i) {
    i = SkipBlanks(s, i);
    return i == s.size() || CommentAt(s, i);
}

}  // namespace

bool IsSetWord(std::string_view word) {
    return ascii::EqualNoCase(word, "set") || ascii::EqualNoCase(word, "seta") || ascii::EqualNoCase(word, "sets") ||
           ascii::EqualNoCase(word, "setu");
}

std::vector<std::string_view> SplitCommands(std::string_view line) {
    std::vector<std::string_view> commands;
    bool quoted = false;
    std::size_t start = 0, i = 0;
    for (; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && CommentAt(line, i)) {
            i = line.size();
            break;
        } else if (!quoted && line[i] == ';') {
            if (!Trim(line.substr(start, i - start)).empty()) commands.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    const std::string_view rest = line.substr(start);
    const std::size_t first = SkipBlanks(rest, 0);
    if (first < rest.size() && !CommentAt(rest, first)) commands.push_back(rest);
    return commands;
}

std::vector<ScriptLine> SplitScriptLines(std::string_view bytes) {
    std::vector<ScriptLine> lines;
    const std::size_t size = bytes.size();
    std::size_t start = 0, i = 0;
    while (i < size) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        ScriptLine line{bytes.substr(start, i - start), false};
        if (c == '\n') {
            i += 1;
        } else if (i + 2 < size && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') {
            line.innerBreak = true;
            i += 3;
        } else if (i + 1 < size && bytes[i + 1] == '\n') {
            i += 2;
        } else {
            i += 1;
        }
        lines.push_back(line);
        start = i;
    }
    if (start < size) lines.push_back(ScriptLine{bytes.substr(start), false});
    return lines;
}

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

Head ReadHead(std::string_view s) {
    Head head;
    std::size_t i = SkipBlanks(s, 0);
    if (i == s.size()) return head;
    if (CommentAt(s, i)) {
        head.type = Head::Comment;
        return head;
    }
    head.type = Head::Command;
    std::size_t end = WordEnd(s, i);
    head.word = head.name = s.substr(i, end - i);
    if (IsSetWord(head.word)) {
        const std::size_t at = SkipBlanks(s, end);
        end = WordEnd(s, at);
        head.setForm = true;
        head.name = s.substr(at, end - at);
    }
    head.valueAt = end;
    return head;
}

bool ParseValue(std::string_view s, std::size_t i, std::string& value, std::string& why) {
    i = SkipBlanks(s, i);
    if (i == s.size() || CommentAt(s, i)) {
        why = "no value";
        return false;
    }
    std::size_t end;
    if (s[i] == '"') {
        const std::size_t close = s.rfind('"');
        if (close == i) {
            why = "no closing quote";
            return false;
        }
        value.assign(s.substr(i + 1, close - i - 1));
        end = close + 1;
    } else {
        end = WordEnd(s, i);
        value.assign(s.substr(i, end - i));
    }
    if (!NothingAfter(s, end)) {
        const std::size_t next = SkipBlanks(s, end);
        why = value.empty() || s[next] == ';' ? "more than one command on the line" : "more than one value";
        return false;
    }
    return true;
}

bool ClosesValue(std::string_view s) {
    const std::size_t close = s.rfind('"');
    return close != std::string_view::npos && NothingAfter(s, close + 1);
}

namespace {

// The console's words of one command, up to a comment.
std::vector<std::string> ConsoleWords(std::string_view s) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (true) {
        i = SkipBlanks(s, i);
        if (i >= s.size() || CommentAt(s, i)) break;
        if (s[i] == '"') {
            std::size_t close = s.find('"', i + 1);
            if (close == std::string_view::npos) close = s.size();
            words.emplace_back(s.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        std::size_t end = i;
        while (end < s.size() && !IsBlank(s[end]) && s[end] != '"' && !CommentAt(s, end)) ++end;
        words.emplace_back(s.substr(i, end - i));
        i = end;
    }
    return words;
}

bool IsNumberText(std::string_view text) {
    std::size_t i = 0, digits = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == n;
}

}  // namespace

std::vector<Assignment> ConsoleAssignments(std::string_view bytes) {
    std::vector<Assignment> out;
    const std::vector<ScriptLine> lines = SplitScriptLines(bytes);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (std::string_view command : SplitCommands(lines[k].text)) {
            std::vector<std::string> words = ConsoleWords(command);
            if (words.empty() || words[0].empty() || words[0][0] == '#') continue;
            std::size_t at = IsSetWord(words[0]) ? 1 : 0;
            if (words.size() < at + 2 || words[at].empty()) continue;
            std::string value = words[at + 1];
            for (std::size_t w = at + 2; w < words.size(); ++w) value += " " + words[w];
            out.push_back(Assignment{ascii::Lowered(words[at]), words[at], std::move(value), k});
        }
    }
    return out;
}

bool SameConsoleValue(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (!IsNumberText(a) || !IsNumberText(b)) return false;
    const std::string x(a), y(b);
    return NarrowToFloat(ParseFloatText(x.c_str())) == NarrowToFloat(ParseFloatText(y.c_str())) && std::strtoll(x.c_str(), nullptr, 10) == std::strtoll(y.c_str(), nullptr, 10);
}

}  // namespace servercfg
