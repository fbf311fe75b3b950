// What kind of program a file is, from its executable header: whether it is
// a Windows program at all, and for which processor. A server of that era is
// usually a 32-bit program, which Wine on a 64-bit host starts only when its
// 32-bit part is installed.
#pragma once

#include <cstdint>
#include <string>

enum class ProgramKind {
    Unreadable,  // missing, or cannot be read
    NotWindows,  // no MZ header leading to a PE signature
    Windows32,   // PE, machine i386
    Windows64,   // PE, machine amd64
    WindowsOther // PE for another processor (machine in `machine`)
};

struct ProgramHeader {
    ProgramKind kind = ProgramKind::Unreadable;
    std::uint16_t machine = 0;
};

// Reads the header of the file at `path` (a path of the platform interface).
ProgramHeader ReadProgramHeader(const std::string& path);

// The same for a file's first bytes (as many as the header needs, or the
// whole file).
ProgramHeader ParseProgramHeader(const std::string& bytes);

// Whether the Wine found at `wineProgram` (empty: not found) has its 32-bit
// part: the 32-bit ntdll.dll in one of the folders Wine's packages put it
// in, or in the lib folders beside the folder of `wineProgram`. `exists`
// answers whether a path (with / separators, the host's) is a file.
template <class Exists>
bool WineHas32BitPart(const std::string& wineProgram, Exists exists);

// The folders WineHas32BitPart looks in, for `wineProgram`.
std::string Wine32BitSign(const std::string& libFolder);  // libFolder + "/wine/i386-windows/ntdll.dll"
const char* const* WineLibFolders();                      // null-terminated
std::string WineLibFolderBeside(const std::string& wineProgram, const char* lib);  // "<bin>/../<lib>"

template <class Exists>
bool WineHas32BitPart(const std::string& wineProgram, Exists exists) {
    for (const char* const* folder = WineLibFolders(); *folder != nullptr; ++folder) {
        if (exists(Wine32BitSign(*folder))) return true;
    }
    if (wineProgram.empty()) return false;
    for (const char* lib : {"lib", "lib32", "lib64", "lib/i386-linux-gnu", "lib/x86_64-linux-gnu"}) {
        if (exists(Wine32BitSign(WineLibFolderBeside(wineProgram, lib)))) return true;
    }
    return false;
}
