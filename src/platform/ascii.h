// Letter case as Windows' file system and the server's console fold it for
// the names this program compares: A-Z only, whatever the C locale says.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ascii {

constexpr char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string Lowered(std::string text) {
    for (char& c : text) c = ToLower(c);
    return text;
}

// Whether two texts are equal when A-Z and a-z count as one.
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

}  // namespace ascii
