// Letter case as Windows' file system and the server's console fold it for
// the names this program compares: A-Z only, whatever the C locale says.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ascii {

constexpr char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ToLower(c);
    return out;
}

// Whether two texts are equal when A-Z and a-z count as one.
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

// Orders two zero-terminated texts by their unsigned bytes once A-Z are
// folded to a-z (so "_" sorts before every letter): -1, 0 or 1.
inline int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(ToLower(*a));
        const unsigned char y = static_cast<unsigned char>(ToLower(*b));
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

}  // namespace ascii
