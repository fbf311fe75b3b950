// The lists that discovery fills (the Maps list, Mods Found): texts in the
// order they were found, each held once. Large installs list thousands of
// maps, so the duplicate test goes through a hash set kept beside the list
// instead of reading every item back.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>

// A map text or mod name is at most this long: longer ones are not listed.
// (No file name is longer; an archive entry name could be, but no map's is.)
constexpr std::size_t kMaxListTextLength = 255;

class UniqueTextList {
public:
    // Exact, case-sensitive, byte-wise equality; no length bound.
    bool Contains(std::string_view text) const { return index_.count(text) != 0; }
    // Appends the text unless an equal one is present or it is longer than
    // kMaxListTextLength; true when appended.
    bool AppendOnce(std::string_view text);
    void Clear();
    std::size_t Size() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const std::string& At(std::size_t i) const { return items_[i]; }
    const std::deque<std::string>& Items() const { return items_; }

private:
    // The index points into the items, which a deque never moves.
    std::deque<std::string> items_;
    std::unordered_set<std::string_view> index_;
};

bool ListContainsText(const UniqueTextList& list, const char* text);
void AddListItemOnce(UniqueTextList& list, const char* text);
