#include "core/discovery/marked_list.h"

#include <utility>

#include "core/settings/flagged_list.h"

MarkedList MarkedList::FromText(const char* text) {
    MarkedList list;
    if (text == nullptr) return list;
    for (const FlaggedItem& pair : ParseFlaggedList(text)) {
        // Stop at the first pair that cannot be kept, so that the order of
        // the rest is never changed behind the operator's back.
        if (!list.Append(pair.item, IsMarkSet(pair.mark))) break;
    }
    return list;
}

std::string MarkedList::ToText() const {
    std::string text;
    text.reserve(textLength_);
    for (const MarkedEntry& entry : entries_) AppendFlaggedItem(text, entry.text, entry.marked);
    return text;
}

bool MarkedList::Append(const std::string& text, bool marked) {
    if (text.empty() || HasBlank(text)) return false;
    if (textLength_ + PairLength(text) > kTextLimit) return false;
    entries_.push_back(MarkedEntry{text, marked});
    ++counts_[text];
    textLength_ += PairLength(text);
    return true;
}

AddResult MarkedList::AddOnce(const std::string& text) {
    if (Contains(text)) return AddResult::AlreadyPresent;
    if (text.empty() || HasBlank(text)) return AddResult::HasBlank;
    if (!Append(text, false)) return AddResult::TooLong;
    return AddResult::Added;
}

bool MarkedList::Remove(std::size_t i) {
    if (i >= entries_.size()) return false;
    auto count = counts_.find(entries_[i].text);
    if (count != counts_.end() && --count->second == 0) counts_.erase(count);
    textLength_ -= PairLength(entries_[i].text);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

bool MarkedList::MoveUp(std::size_t i) {
    if (i == 0 || i >= entries_.size()) return false;
    std::swap(entries_[i - 1], entries_[i]);
    return true;
}

bool MarkedList::MoveDown(std::size_t i) {
    if (i + 1 >= entries_.size()) return false;
    std::swap(entries_[i], entries_[i + 1]);
    return true;
}

bool MarkedList::ToggleMark(std::size_t i) {
    if (i >= entries_.size()) return false;
    entries_[i].marked = !entries_[i].marked;
    return true;
}
