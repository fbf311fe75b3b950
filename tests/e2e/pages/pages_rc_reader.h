// Reads the page templates out of resources/pages.rc (with the names of
// resources/page_ids.h and the string names of resources/ui_texts.h) and the golden files beside the tests, so that the
// tests can hold them against each other and against the page tables.
// Knows just the statements pages.rc uses: #define, DIALOGEX, STYLE, FONT
// and CONTROL.
#pragma once

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pagetest {

inline std::string SourcePath(const std::string& relative) {
    const char* root = std::getenv("SERVOLT_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Golden lines without comments and blank lines.
inline std::vector<std::string> ReadGolden(const std::string& name) {
    std::vector<std::string> rows;
    for (const std::string& line : ReadLines(SourcePath("tests/e2e/pages/" + name))) {
        if (line.empty() || line[0] == '#') continue;
        rows.push_back(line);
    }
    return rows;
}

struct RcControl {
    std::string text;
    long id = 0;
    std::string className;
    unsigned long style = 0;
    long x = 0, y = 0, width = 0, height = 0;
};

struct RcDialog {
    long id = 0;
    long x = 0, y = 0, width = 0, height = 0;
    unsigned long style = 0;
    std::string font;  // the FONT statement's arguments as written
    std::vector<RcControl> controls;

    const RcControl* Find(long controlId) const {
        for (const RcControl& c : controls) {
            if (c.id == controlId) return &c;
        }
        return nullptr;
    }
};

class RcReader {
public:
    RcReader() {
        for (const std::string& line : ReadLines(SourcePath("resources/page_ids.h"))) {
            std::istringstream words(line);
            std::string directive, name, value;
            if (words >> directive >> name >> value && directive == "#define") names_[name] = value;
        }
        // Labels are named after their strings: X(NAME, id, "text") lines.
        for (const std::string& line : ReadLines(SourcePath("resources/ui_texts.h"))) {
            const std::string::size_type open = line.find("X(IDS_");
            if (open == std::string::npos) continue;
            std::istringstream words(line.substr(open + 2));
            std::string name, value;
            if (std::getline(words, name, ',') && std::getline(words, value, ',')) names_[name] = Trim(value);
        }
        RcDialog* current = nullptr;
        for (const std::string& raw : ReadLines(SourcePath("resources/pages.rc"))) {
            std::string line = Trim(raw);
            if (line.empty() || line.compare(0, 2, "//") == 0 || line[0] == '#') continue;
            std::vector<std::string> args;
            if (Keyword(line, "CONTROL", args)) {
                if (!current || args.size() != 8) throw std::runtime_error("bad CONTROL: " + line);
                RcControl c;
                c.text = Unquote(args[0]);
                c.id = Number(args[1]);
                c.className = Unquote(args[2]);
                c.style = static_cast<unsigned long>(Number(args[3]));
                c.x = Number(args[4]);
                c.y = Number(args[5]);
                c.width = Number(args[6]);
                c.height = Number(args[7]);
                current->controls.push_back(c);
            } else if (Keyword(line, "STYLE", args)) {
                if (!current) throw std::runtime_error("STYLE outside a dialog");
                current->style = static_cast<unsigned long>(Number(args.at(0)));
            } else if (Keyword(line, "FONT", args)) {
                if (!current) throw std::runtime_error("FONT outside a dialog");
                current->font = line.substr(5);
            } else if (line.find(" DIALOGEX ") != std::string::npos) {
                std::size_t at = line.find(" DIALOGEX ");
                RcDialog d;
                d.id = Number(line.substr(0, at));
                std::vector<std::string> rect = Split(line.substr(at + 10));
                if (rect.size() != 4) throw std::runtime_error("bad DIALOGEX: " + line);
                d.x = Number(rect[0]);
                d.y = Number(rect[1]);
                d.width = Number(rect[2]);
                d.height = Number(rect[3]);
                dialogs_.push_back(d);
                current = &dialogs_.back();
            }
        }
    }

    const std::vector<RcDialog>& Dialogs() const { return dialogs_; }
    const RcDialog* Find(long templateId) const {
        for (const RcDialog& d : dialogs_) {
            if (d.id == templateId) return &d;
        }
        return nullptr;
    }

private:
    static std::string Trim(const std::string& s) {
        std::size_t b = s.find_first_not_of(" \t");
        if (b == std::string::npos) return "";
        std::size_t e = s.find_last_not_of(" \t");
        return s.substr(b, e - b + 1);
    }
    static std::string Unquote(const std::string& s) {
        if (s.size() < 2 || s.front() != '"' || s.back() != '"') throw std::runtime_error("not a string: " + s);
        return s.substr(1, s.size() - 2);
    }
    // Comma-separated arguments; commas inside quotes stay.
    static std::vector<std::string> Split(const std::string& s) {
        std::vector<std::string> parts;
        std::string part;
        bool quoted = false;
        for (char c : s) {
            if (c == '"') quoted = !quoted;
            if (c == ',' && !quoted) {
                parts.push_back(Trim(part));
                part.clear();
            } else {
                part += c;
            }
        }
        parts.push_back(Trim(part));
        return parts;
    }
    static bool Keyword(const std::string& line, const char* keyword, std::vector<std::string>& args) {
        std::string k = std::string(keyword) + " ";
        if (line.compare(0, k.size(), k) != 0) return false;
        args = Split(line.substr(k.size()));
        return true;
    }
    long Number(const std::string& token) const {
        std::string t = Trim(token);
        auto named = names_.find(t);
        if (named != names_.end()) t = named->second;
        char* end = nullptr;
        long value = std::strtol(t.c_str(), &end, 0);
        if (t.empty() || *end != '\0') throw std::runtime_error("not a number: " + token);
        return value;
    }

    std::map<std::string, std::string> names_;
    std::vector<RcDialog> dialogs_;
};

}  // namespace pagetest
