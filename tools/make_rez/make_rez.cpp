// make_rez OUT.rez [ENTRY ...] [-f LIST]
//
// Each ENTRY is [METHOD:]NAME=FILE: the archive entry NAME gets the bytes of
// FILE, stored with METHOD (none, lzss or rle; none when left out). NAME= alone
// makes an empty entry. A LIST file holds one ENTRY per line; blank lines and
// lines starting with "#" are skipped.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "rez_builder.h"

namespace {

bool ReadWholeFile(const std::string& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    data = all.str();
    return true;
}

bool ParseEntry(const std::string& text, rezwriter::Entry& entry) {
    std::string rest = text;
    entry.method = rezwriter::Method::None;
    const std::size_t colon = rest.find(':');
    const std::size_t equals = rest.find('=');
    if (colon != std::string::npos && colon < equals) {
        const std::string method = rest.substr(0, colon);
        if (method == "none") entry.method = rezwriter::Method::None;
        else if (method == "lzss") entry.method = rezwriter::Method::Lzss;
        else if (method == "rle") entry.method = rezwriter::Method::Rle;
        else {
            std::cerr << "make_rez: unknown method '" << method << "'\n";
            return false;
        }
        rest = rest.substr(colon + 1);
    }
    const std::size_t split = rest.find('=');
    if (split == std::string::npos || split == 0) {
        std::cerr << "make_rez: expected NAME=FILE, got '" << text << "'\n";
        return false;
    }
    entry.name = rest.substr(0, split);
    const std::string file = rest.substr(split + 1);
    entry.data.clear();
    if (!file.empty() && !ReadWholeFile(file, entry.data)) {
        std::cerr << "make_rez: cannot read '" << file << "'\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_rez OUT.rez [[none|lzss|rle:]NAME=FILE ...] [-f LIST]\n";
        return 2;
    }
    std::vector<rezwriter::Entry> entries;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-f") {
            if (++i >= argc) {
                std::cerr << "make_rez: -f needs a list file\n";
                return 2;
            }
            std::ifstream list(argv[i]);
            if (!list) {
                std::cerr << "make_rez: cannot read list '" << argv[i] << "'\n";
                return 1;
            }
            std::string line;
            while (std::getline(list, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line.empty() || line[0] == '#') continue;
                rezwriter::Entry entry;
                if (!ParseEntry(line, entry)) return 1;
                entries.push_back(std::move(entry));
            }
            continue;
        }
        rezwriter::Entry entry;
        if (!ParseEntry(arg, entry)) return 1;
        entries.push_back(std::move(entry));
    }
    if (!rezwriter::WriteArchive(argv[1], entries)) {
        std::cerr << "make_rez: cannot write '" << argv[1] << "'\n";
        return 1;
    }
    return 0;
}
