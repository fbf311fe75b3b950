#include <cstring>

#include "core/archive/resource_archive.h"

namespace {

constexpr std::size_t kTokenLimit = 4095;

// Whether `rest` (a name after its folder) lies in a sub-folder: a "/"
// before its last character. A closing "/" marks a folder entry itself.
bool InSubfolder(const char* rest) {
    const std::size_t length = std::strlen(rest);
    return length > 1 && std::memchr(rest, '/', length - 1) != nullptr;
}

}  // namespace

std::set<std::string> ResourceArchive::Search(const char* folder, const char* extensions, const char* pattern,
                                              bool includeSubfolders) const {
    std::set<std::string> found;
    if (!folder) return found;
    const std::size_t folderLength = std::strlen(folder);
    const char* token = extensions ? extensions : "";
    for (;;) {
        const char* separator = std::strchr(token, ';');
        std::size_t length = separator ? std::size_t(separator - token) : std::strlen(token);
        if (length > kTokenLimit) length = kTokenLimit;
        char copy[kTokenLimit + 1];
        std::memcpy(copy, token, length);
        copy[length] = '\0';
        SearchPass(folder, folderLength, copy, pattern, includeSubfolders, found);
        if (!separator) break;
        token = separator + 1;
    }
    return found;
}

void ResourceArchive::SearchPass(const char* folder, std::size_t folderLength, const char* token,
                                 const char* pattern, bool includeSubfolders, std::set<std::string>& found) const {
    const std::size_t tokenLength = std::strlen(token);
    const bool folderEntries = std::strcmp(token, "/") == 0;
    // What a name adds depends on its text alone: a position whose place an
    // earlier one names adds nothing new, so a pass looks at each name once
    // however many records share it.
    for (std::uint32_t i = 0; i < namedEntryCount_; ++i) {
        if (repeatsPlace_ && (repeatsPlace_[i / 64] >> (i % 64) & 1)) continue;
        const char* name = index_[i].name;
        if (folderLength && CompareNoCaseN(name, folder, folderLength) != 0) continue;
        // The folder test passed, so the name is at least as long as the folder.
        const char* rest = name + folderLength;
        if (!includeSubfolders && InSubfolder(rest)) continue;
        if (pattern) {
            if (PathWildcardMatch(pattern, name, false)) found.insert(name);
            continue;
        }
        const std::size_t nameLength = folderLength + std::strlen(rest);
        if (nameLength < tokenLength || nameLength == folderLength) continue;
        if (CompareNoCase(name + nameLength - tokenLength, token) != 0) continue;
        std::size_t keep = nameLength - folderLength;
        if (folderEntries) --keep;  // the folder's name without its closing "/"
        if (keep) found.insert(std::string(rest, keep));
    }
}
