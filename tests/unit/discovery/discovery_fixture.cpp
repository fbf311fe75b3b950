#include "discovery_fixture.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string InterfacePath(const fs::path& path) {
    std::string text = path.string();
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

fs::path Relative(const std::string& relative) {
    std::string text = relative;
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return fs::path(text);
}

}  // namespace

FixtureFolder::FixtureFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() /
            ("servolt-discovery-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(root_);
    path_ = InterfacePath(root_);
}

FixtureFolder::~FixtureFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string FixtureFolder::PathOf(const std::string& relative) const {
    return path_ + "\\" + relative;
}

fs::path FixtureFolder::HostPathOf(const std::string& relative) const {
    return root_ / Relative(relative);
}

void FixtureFolder::MakeFolder(const std::string& relative) const {
    fs::create_directories(HostPathOf(relative));
}

void FixtureFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    const fs::path path = HostPathOf(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write fixture file " + path.string());
}

void FixtureFolder::WriteArchive(const std::string& relative,
                                 const std::vector<std::string>& names) const {
    const fs::path path = HostPathOf(relative);
    fs::create_directories(path.parent_path());
    std::vector<rezwriter::Entry> entries;
    for (std::size_t i = 0; i < names.size(); ++i) {
        rezwriter::Entry entry;
        entry.name = names[i];
        entry.data = "map data of " + names[i] + " map data map data map data";
        entry.method = i % 2 ? rezwriter::Method::Lzss : rezwriter::Method::None;
        entries.push_back(entry);
    }
    if (!rezwriter::WriteArchive(path.string(), entries)) {
        throw std::runtime_error("cannot write fixture archive " + path.string());
    }
}

std::vector<std::string> FixtureFolder::NamesInFolderOrder(const std::string& relative) const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(HostPathOf(relative))) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}
