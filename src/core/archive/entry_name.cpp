#include "core/archive/entry_name.h"

#include <cstddef>
#include <cstring>

#include "core/archive/archive_layout.h"
#include "platform/ascii.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The devices Windows opens whatever folder a name stands in, and whatever
// extension follows: COM and LPT take the digits 0-9 and the superscripts
// 1, 2 and 3 of the ANSI code page.
bool IsDeviceName(const std::string& part) {
    std::size_t end = part.find('.');
    if (end == std::string::npos) end = part.size();
    while (end > 0 && part[end - 1] == ' ') --end;
    std::string base;
    for (std::size_t i = 0; i < end; ++i) base += ascii::ToUpper(part[i]);
    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kPlain)
        if (base == device) return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        const unsigned char last = static_cast<unsigned char>(base[3]);
        return (last >= '0' && last <= '9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
    }
    return false;
}

std::string PartProblem(const std::string& part) {
    if (part.empty()) return "has an empty part";
    if (part == "..") return "climbs out of its folder with \"..\"";
    if (part == ".") return "has a \".\" part";
    if (IsDeviceName(part)) return "names a Windows device (\"" + part + "\")";
    const char last = part.back();
    if (last == '.' || last == ' ') return "has a part ending in a dot or a blank (\"" + part + "\")";
    return std::string();
}

}  // namespace

bool IsFolderEntryName(const std::string& name) { return !name.empty() && IsSeparator(name.back()); }

std::string EntryNameProblem(const std::string& name) {
    if (name.empty()) return "has no name";
    if (name.size() > kNameLengthLimit)
        return "is longer than " + std::to_string(kNameLengthLimit) + " bytes";
    if (IsSeparator(name[0])) return "is an absolute or UNC path";
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == ':') return "has a drive letter or a colon";
        if (u < 0x20 || std::strchr("<>\"|?*", c)) return "holds a character Windows does not allow in file names";
    }
    // A closing separator marks a folder entry; every other part must name
    // a file or folder on its own.
    const std::size_t end = IsFolderEntryName(name) ? name.size() - 1 : name.size();
    std::size_t start = 0;
    while (start <= end) {
        std::size_t stop = start;
        while (stop < end && !IsSeparator(name[stop])) ++stop;
        const std::string problem = PartProblem(name.substr(start, stop - start));
        if (!problem.empty()) return problem;
        start = stop + 1;
    }
    return std::string();
}
