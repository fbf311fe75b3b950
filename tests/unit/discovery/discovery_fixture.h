// Fixture folders for the discovery tests: a fresh temporary folder per
// test, files and archives written into it, and the paths in the form the
// platform interface takes (backslashes, as on Windows).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/discovery/unique_text_list.h"
#include "rez_builder.h"

// The list's texts in order.
inline std::vector<std::string> ListTexts(const UniqueTextList& list) {
    return std::vector<std::string>(list.Items().begin(), list.Items().end());
}

class FixtureFolder {
public:
    FixtureFolder();
    ~FixtureFolder();
    FixtureFolder(const FixtureFolder&) = delete;
    FixtureFolder& operator=(const FixtureFolder&) = delete;

    // The folder itself, as the platform interface names it.
    const std::string& Path() const { return path_; }
    // `relative` uses backslashes; the result is the interface's path.
    std::string PathOf(const std::string& relative) const;
    std::filesystem::path HostPathOf(const std::string& relative) const;

    void MakeFolder(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& bytes = "x") const;
    // An archive of the named entries; every second one LZSS-compressed, so
    // that reading the names never depends on the stored method.
    void WriteArchive(const std::string& relative, const std::vector<std::string>& names) const;
    // The names of a folder's entries in the order the file system gives
    // them, read without the platform interface.
    std::vector<std::string> NamesInFolderOrder(const std::string& relative) const;

private:
    std::filesystem::path root_;
    std::string path_;
};
