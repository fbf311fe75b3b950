// The server program's executable header, and the sign of Wine's 32-bit part.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/launch/program_header.h"

namespace {

std::string Program(std::uint32_t peAt, std::uint16_t machine, std::size_t size = 512) {
    std::string bytes(size, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>(peAt >> (8 * i));
    if (peAt + 6 <= size) {
        bytes.replace(peAt, 4, std::string("PE\0\0", 4));
        bytes[peAt + 4] = static_cast<char>(machine & 0xFF);
        bytes[peAt + 5] = static_cast<char>(machine >> 8);
    }
    return bytes;
}

TEST(ProgramHeader, KindsFromTheHeader) {
    struct Case {
        std::string bytes;
        ProgramKind kind;
    };
    const Case cases[] = {
        {Program(0x80, 0x014C), ProgramKind::Windows32},
        {Program(0x80, 0x8664), ProgramKind::Windows64},
        {Program(0x80, 0xAA64), ProgramKind::WindowsOther},
        {Program(0x1F0, 0x014C, 0x1F4), ProgramKind::NotWindows},  // the header runs past the end
        {Program(0xFFFFFFF0u, 0x014C), ProgramKind::NotWindows},   // e_lfanew far past the end
        {"\x7F" "ELF" + std::string(100, '\0'), ProgramKind::NotWindows},
        {"#!/bin/sh\nexec true\n", ProgramKind::NotWindows},
        {"MZ", ProgramKind::NotWindows},
        {"", ProgramKind::NotWindows},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseProgramHeader(c.bytes).kind, c.kind) << c.bytes.size();
    EXPECT_EQ(ParseProgramHeader(Program(0x80, 0xAA64)).machine, 0xAA64);
    EXPECT_EQ(ReadProgramHeader("Z:\\no\\such\\program.exe").kind, ProgramKind::Unreadable);
}

TEST(ProgramHeader, Wine32BitPartIsTheI386Ntdll) {
    // Debian's wine64 alone has an i386-windows folder without ntdll.dll.
    const auto none = [](const std::string&) { return false; };
    EXPECT_FALSE(WineHas32BitPart("/usr/bin/wine", none));
    for (const char* sign : {"/usr/lib/i386-linux-gnu/wine/i386-windows/ntdll.dll",
                             "/usr/lib/x86_64-linux-gnu/wine/i386-windows/ntdll.dll",
                             "/opt/wine-stable/lib/wine/i386-windows/ntdll.dll",
                             "/home/u/wine/bin/../lib/wine/i386-windows/ntdll.dll"}) {
        const std::string wanted = sign;
        EXPECT_TRUE(WineHas32BitPart("/home/u/wine/bin/wine", [&wanted](const std::string& path) {
            return path == wanted;
        })) << sign;
    }
}

}  // namespace
