// Letter case as Windows' file systems fold it for names in the ANSI code
// page, Windows-1252: two names that fold alike are one file there. Beyond
// A-Z this takes in the accented capitals (É and é, À-Þ and à-þ, but not ×
// and ÷, which have no case), Š, Œ, Ž and Ÿ.
#pragma once

#include <string>
#include <string_view>

namespace platform {

constexpr char FoldFileNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 0x20);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 0x20);
    switch (u) {
        case 0x8A: return static_cast<char>(0x9A);  // Š
        case 0x8C: return static_cast<char>(0x9C);  // Œ
        case 0x8E: return static_cast<char>(0x9E);  // Ž
        case 0x9F: return static_cast<char>(0xFF);  // Ÿ
        default: return c;
    }
}

inline std::string FoldedFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = FoldFileNameChar(c);
    return out;
}

}  // namespace platform
