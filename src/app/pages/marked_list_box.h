// Win32 side of the marked lists (Rotation, Mods In Use): the converters
// between an owner-drawn list box and its flagged-list text, the editing
// commands both pages share, and the drawing of their items. The rules of
// each edit live in MarkedList; these routines only mirror it in the box.
//
// The settings text is the truth and the list box its picture: texts are
// read back from the settings text, never from the box. (Wine hands an ANSI
// LB_GETTEXT to the control through a fixed 512-character buffer and
// overruns its stack on longer items, and a stored list may hold any text.)
#pragma once

#include <windows.h>

#include <string>

#include "core/discovery/marked_list.h"

// The text of an item of a Maps Found or Mods Found list, whose texts are
// short; longer items read as empty (see ListItemText's definition).
std::string ListItemText(HWND list, int index);
// Copies `text` into a settings text field, cut to 4095 characters.
void CopyIntoField(char* field, const std::string& text);

// Fills an empty list box from the flagged-list text; each item's item data
// is its mark, 1 or 0.
void LoadFlaggedList(HWND list, const char* text);
// Writes the flagged-list text of the list the box shows into `output`, a
// settings text of kSettingsTextSize bytes.
void StoreFlaggedList(const MarkedList& shown, char* output);

// The selected item; with none, the first item is selected and taken; -1 when
// the list is empty.
int SelectedOrFirstItem(HWND list);

enum class MarkedListCommand { Add, Remove, Up, Down, ToggleMark };

// What the operator is told when an addition is refused, as strings; each
// text holds one %s for the name.
struct RefusalTexts {
    unsigned caption;
    unsigned hasBlank;
    unsigned tooLong;
};

// Runs one editing command on the list kept in `field` and shown in
// `marked` (Add takes its text from `source`); when the list changed, the
// box and the field are updated at once.
void RunMarkedListCommand(MarkedListCommand command, HWND source, HWND marked, char* field,
                          const RefusalTexts& refusal);

// Routes a WM_COMMAND of the four list buttons (ids 1152 to 1155 on both
// pages) or of the marked list itself; false when it is none of them.
bool DispatchMarkedListCommand(WPARAM wParam, HWND source, HWND marked, char* field,
                               const RefusalTexts& refusal);

// Item height of the owner-drawn lists: the text height of the page's
// window device context.
void MeasureListItem(HWND dialog, MEASUREITEMSTRUCT* item);
// Draws one item: highlight or window colour, then the box at the left,
// crossed when the item data is 1, and the text beside it; the text is taken
// from `field`, the settings text the list shows.
BOOL DrawMarkedItem(const DRAWITEMSTRUCT* item, const char* field);
// Draws one item of a plain owner-drawn list: the text near the left edge.
BOOL DrawPlainItem(const DRAWITEMSTRUCT* item);
