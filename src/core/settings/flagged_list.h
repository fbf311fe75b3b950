// The flagged-list text form of MapRotationList and ModuleUseList: for each
// item its text, a blank, its mark, a blank ("maps/dm/a 0 maps/dm/b 1 ").
#pragma once

#include <string>
#include <vector>

struct FlaggedItem {
    std::string item;
    std::string mark;  // the mark token as written; "0" when the text ended without one
};

// Splits the text into pairs. Runs of blanks count as one separator and
// leading or trailing blanks are ignored, so no empty item is produced; a
// final item without its mark gets the mark "0".
std::vector<FlaggedItem> ParseFlaggedList(const char* text);

// How the two readers of the form interpret a mark: list boxes and
// usedmods.cfg treat everything but "0" as set; the rotation's swap marker
// needs exactly "1".
inline bool IsMarkSet(const std::string& mark) { return mark != "0"; }
inline bool IsMarkOne(const std::string& mark) { return mark == "1"; }

// Appends one pair in the form's layout: item, blank, "1" or "0", blank.
void AppendFlaggedItem(std::string& text, const std::string& item, bool marked);
