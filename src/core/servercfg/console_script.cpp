// The console's reading of a script line. A word ends where the console
// ends it: at a blank, a quote, a ';' (which separates commands) or "//".
#include "core/servercfg/console_script.h"

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
    if (ascii::EqualNoCase(head.word, "set")) {
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

}  // namespace servercfg
