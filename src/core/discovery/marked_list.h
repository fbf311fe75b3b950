// The Rotation list and the Mods In Use list as the pages edit them: an
// ordered list of texts, each with a mark (swap mark, download mark), that
// is kept in a settings text of the flagged-list form. Every edit keeps the
// list storable: whole pairs only, never more than the field can hold, never
// a text whose blank would split the pairs.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/settings/server_settings.h"

struct MarkedEntry {
    std::string text;
    bool marked = false;
};

enum class AddResult {
    Added,
    AlreadyPresent,  // an equal text (exact, case-sensitive) is in the list
    HasBlank,        // the text form cannot carry a blank inside a name
    TooLong,         // the list's text would no longer fit its field
};

class MarkedList {
public:
    // Characters the text form may take: a settings text less its zero.
    static constexpr std::size_t kTextLimit = kSettingsTextSize - 1;

    MarkedList() = default;
    // Reads the flagged-list form; every mark other than "0" counts as set.
    // Pairs that would not fit the field once written back are left out, so
    // what the page shows is always what it stores.
    static MarkedList FromText(const char* text);
    // The form: for each entry its text, a blank, "1" or "0", a blank.
    std::string ToText() const;
    // Length of ToText(), kept as the list changes.
    std::size_t TextLength() const { return textLength_; }

    std::size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const MarkedEntry& At(std::size_t i) const { return entries_[i]; }
    bool Contains(const std::string& text) const { return counts_.count(text) != 0; }

    // Appends the text unmarked unless it is present, holds a blank, or
    // would make the text form longer than kTextLimit.
    AddResult AddOnce(const std::string& text);
    // Appends without the duplicate test (for reading a stored list); false
    // when it holds a blank or does not fit.
    bool Append(const std::string& text, bool marked);
    bool Remove(std::size_t i);
    // Exchange the entry with its neighbour; both keep their marks.
    bool MoveUp(std::size_t i);
    bool MoveDown(std::size_t i);
    bool ToggleMark(std::size_t i);

private:
    static std::size_t PairLength(const std::string& text) { return text.size() + 3; }
    static bool HasBlank(const std::string& text) { return text.find(' ') != std::string::npos; }

    std::vector<MarkedEntry> entries_;
    std::unordered_map<std::string, std::size_t> counts_;  // duplicates may come from a stored text
    std::size_t textLength_ = 0;
};
