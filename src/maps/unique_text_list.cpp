#include "maps/unique_text_list.h"

bool UniqueTextList::AppendOnce(const std::string& text) {
    if (!index_.insert(text).second) return false;
    items_.push_back(text);
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
