#include "console_model.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace console_model {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> Lines(const std::string& script) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < script.size() && script[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// The commands of a line, each as its words.
std::vector<std::vector<std::string>> Commands(const std::string& line) {
    std::vector<std::vector<std::string>> commands(1);
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == ';') {
            commands.emplace_back();
            ++i;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == '"') {
            const std::size_t close = line.find('"', i + 1);
            commands.back().push_back(line.substr(i + 1, (close == std::string::npos ? line.size() : close) - i - 1));
            i = close == std::string::npos ? line.size() : close + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != ';' && line[end] != '"' &&
                   !(line[end] == '/' && end + 1 < line.size() && line[end + 1] == '/')) {
                ++end;
            }
            commands.back().push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return commands;
}

bool Number(const std::string& s, double& value, long long& whole) {
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0]))) return false;
    const char* begin = s.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end != begin + s.size()) return false;
    for (char c : s) {
        if (std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E') return false;  // no inf, nan, hex
    }
    whole = std::strtoll(begin, nullptr, 10);
    return true;
}

std::vector<std::string> Maps(const std::string& list) {
    std::vector<std::string> maps;
    std::string item;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] != ';') {
            item += list[i];
            continue;
        }
        const std::size_t b = item.find_first_not_of(' '), e = item.find_last_not_of(' ');
        if (b != std::string::npos) {
            const std::string trimmed = item.substr(b, e - b + 1);
            maps.push_back(Lower(trimmed) == "teamswap" ? "TeamSwap" : trimmed);
        }
        item.clear();
    }
    return maps;
}

}  // namespace

std::map<std::string, std::string> FinalValues(const std::string& script) {
    std::map<std::string, std::string> values;
    for (const std::string& line : Lines(script)) {
        for (const std::vector<std::string>& words : Commands(line)) {
            if (words.empty() || words[0].empty() || words[0][0] == '#') continue;
            const std::string head = Lower(words[0]);
            const std::size_t at = head == "set" || head == "seta" || head == "sets" || head == "setu" ? 1 : 0;
            if (words.size() < at + 2 || words[at].empty()) continue;
            std::string value = words[at + 1];
            for (std::size_t w = at + 2; w < words.size(); ++w) value += " " + words[w];
            values[Lower(words[at])] = value;
        }
    }
    return values;
}

bool SameForServer(const std::string& name, const std::string& a, const std::string& b) {
    if (a == b) return true;
    double x, y;
    long long wx, wy;
    if (Number(a, x, wx) && Number(b, y, wy)) return static_cast<float>(x) == static_cast<float>(y) && wx == wy;
    return Lower(name) == "sv_maplist" && Maps(a) == Maps(b);
}

}  // namespace console_model
