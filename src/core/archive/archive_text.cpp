#include "core/archive/archive_text.h"

#include <cstring>

#include "platform/ascii.h"

namespace {

inline const char* OrEmpty(const char* text) { return text ? text : ""; }

inline bool SameChar(char a, char b, bool exact) {
    if (exact) return a == b;
    return ascii::ToUpper(a) == ascii::ToUpper(b);
}

// Copies at most `limit` characters of `from` with path separators unified.
void CopyAsPath(const char* from, char* to, std::size_t limit) {
    std::size_t i = 0;
    for (; i < limit && from[i]; ++i) {
        const char c = from[i];
        to[i] = (c == '\\' || c == ':') ? '/' : c;
    }
    to[i] = '\0';
}

}  // namespace

int CompareNoCaseN(const char* a, const char* b, std::size_t n) {
    if (!a || !b) return -1;
    for (std::size_t i = 0; i < n; ++i) {
        signed char x = static_cast<signed char>(a[i]);
        signed char y = static_cast<signed char>(b[i]);
        if (x == y) {
            if (x == 0) return 0;
            continue;
        }
        x = static_cast<signed char>(ascii::ToUpper(static_cast<char>(x)));
        y = static_cast<signed char>(ascii::ToUpper(static_cast<char>(y)));
        if (x < y) return -1;
        if (x > y) return 1;
    }
    return 0;
}

int CompareNoCase(const char* a, const char* b) { return CompareNoCaseN(a, b, 4096); }

const char* FindSubstring(const char* text, const char* part, bool exact) {
    text = OrEmpty(text);
    part = OrEmpty(part);
    const std::size_t textLength = std::strlen(text);
    const std::size_t partLength = std::strlen(part);
    if (partLength > textLength) return nullptr;
    for (std::size_t start = 0; start + partLength <= textLength; ++start) {
        std::size_t i = 0;
        while (i < partLength && SameChar(text[start + i], part[i], exact)) ++i;
        if (i == partLength) return text + start;
    }
    return nullptr;
}

bool WildcardMatch(const char* pattern, const char* text, bool exact) {
    pattern = OrEmpty(pattern);
    const char* at = OrEmpty(text);
    while (*pattern) {
        if (*pattern == '*') {
            ++pattern;
            char run[kLiteralRunLimit + 1];
            std::size_t length = 0;
            while (length < kLiteralRunLimit && *pattern && *pattern != '*' && *pattern != '?')
                run[length++] = *pattern++;
            run[length] = '\0';
            if (length == 0) continue;
            const char* found = FindSubstring(at, run, exact);
            if (!found) return false;
            at = found + length;
        } else if (*pattern == '?') {
            // One character, whatever it is; there is none past the end.
            if (!*at) return false;
            ++at;
            ++pattern;
        } else {
            if (!*at || !SameChar(*pattern, *at, exact)) return false;
            ++at;
            ++pattern;
        }
    }
    return true;
}

bool PathWildcardMatch(const char* pattern, const char* text, bool exact) {
    char patternCopy[kMatchTextLimit + 1];
    char textCopy[kMatchTextLimit + 1];
    CopyAsPath(OrEmpty(pattern), patternCopy, kMatchTextLimit);
    CopyAsPath(OrEmpty(text), textCopy, kMatchTextLimit);
    return WildcardMatch(patternCopy, textCopy, exact);
}
