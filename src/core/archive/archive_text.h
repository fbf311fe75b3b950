// Text routines of the archive entry-name search. A missing (null) text is
// read as the empty text unless a routine says otherwise.
#pragma once

#include <cstddef>

// Compares at most `n` characters as signed 8-bit values, folding only
// "a".."z" to upper case where the two differ: -1, 0 or 1. n = 0 gives 0.
int CompareNoCaseN(const char* a, const char* b, std::size_t n);
// CompareNoCaseN over 4096 characters; -1 when either text is missing.
int CompareNoCase(const char* a, const char* b);

// The first occurrence of `part` in `text` (an empty part is found at the
// start), or nullptr. With `exact` false both sides go through toupper.
const char* FindSubstring(const char* text, const char* part, bool exact);

// "*" skips ahead to the first occurrence of the literal run that follows it
// (no backtracking; a run holds at most 2047 characters), "?" takes one
// character and fails at the end of the text, any other character must
// match. A used-up pattern matches whatever text is left.
bool WildcardMatch(const char* pattern, const char* text, bool exact);
// WildcardMatch on copies of both texts (each cut to 4095 characters) in
// which every "\" and ":" has become "/".
bool PathWildcardMatch(const char* pattern, const char* text, bool exact);

constexpr std::size_t kMatchTextLimit = 4095;
constexpr std::size_t kLiteralRunLimit = 2047;
