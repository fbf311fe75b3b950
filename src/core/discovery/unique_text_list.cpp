#include "core/discovery/unique_text_list.h"

bool UniqueTextList::AppendOnce(std::string_view text) {
    if (text.size() > kMaxListTextLength || index_.count(text) != 0) return false;
    items_.emplace_back(text);
    index_.insert(items_.back());
    return true;
}

void UniqueTextList::Clear() {
    items_.clear();
    index_.clear();
}

bool ListContainsText(const UniqueTextList& list, const char* text) {
    return text != nullptr && list.Contains(text);
}

void AddListItemOnce(UniqueTextList& list, const char* text) {
    if (text != nullptr) list.AppendOnce(text);
}
