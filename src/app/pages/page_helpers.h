// Control helpers shared by every settings page: number boxes shown and read
// with the conversions of page_conversions.h, and the labelling rule.
#pragma once

#include <windows.h>

#include <cstddef>

// Shows `value` with "%f" (10.0 shows as 10.000000).
void SetDlgItemFloat(HWND dialog, int id, float value);
// Reads at most 63 characters of the box the way atof does: the leading
// number, 0.0 when there is none.
double GetDlgItemFloat(HWND dialog, int id);
// A negative value (not set) shows as an empty box; others as a signed number.
void SetDlgItemIntOrBlank(HWND dialog, int id, int value);
// An empty box reads -1; any other text is read as a signed number ("abc" 0).
int GetDlgItemIntOrBlank(HWND dialog, int id);
// Reads a number box as GetDlgItemInt does, with the same rules on every
// system (see ParseIntegerText): text without a number and numbers out of
// range give 0, and an unsigned box takes no sign.
UINT GetDlgItemNumber(HWND dialog, int id, bool isSigned);

// Gives every static label of the page the string whose id is the label's
// own control id. Check boxes, group boxes and buttons keep theirs; the page
// sets those itself.
void SetLabelTexts(HWND dialog);
// The string `textId` as the text of control `id`.
void SetDlgItemUIText(HWND dialog, int id, unsigned textId);

// A control whose text comes from the string table, for pages and bars that
// list theirs in a table.
struct ControlText {
    int control;
    unsigned text;
};
template <std::size_t N>
void SetControlTexts(HWND dialog, const ControlText (&texts)[N]) {
    for (const ControlText& entry : texts) SetDlgItemUIText(dialog, entry.control, entry.text);
}
