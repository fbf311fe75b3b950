#include "core/settings/flagged_list.h"

std::vector<FlaggedItem> ParseFlaggedList(const char* text) {
    std::vector<FlaggedItem> items;
    if (text == nullptr) return items;
    bool expectMark = false;
    const char* p = text;
    while (*p) {
        while (*p == ' ') ++p;  // empty tokens between blanks are skipped
        if (*p == '\0') break;
        const char* start = p;
        while (*p && *p != ' ') ++p;
        std::string token(start, p);
        if (expectMark) {
            items.back().mark = token;
        } else {
            items.push_back(FlaggedItem{token, "0"});
        }
        expectMark = !expectMark;
    }
    return items;
}

void AppendFlaggedItem(std::string& text, const std::string& item, bool marked) {
    text += item;
    text += marked ? " 1 " : " 0 ";
}
