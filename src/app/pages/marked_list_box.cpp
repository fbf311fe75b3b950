// The owner-drawn marked lists of the Maps/Rotation and Mods pages: the
// list box kept in line with its flagged-list text, the editing commands,
// and the drawing of items.
#include "app/pages/marked_list_box.h"

#include <cstring>
#include <string>
#include <vector>

#include "page_ids.h"
#include "core/common/ui_text.h"
#include "platform/platform.h"
#include "core/discovery/unique_text_list.h"
#include "core/settings/server_settings.h"

namespace {

// More than the widest list can show.
constexpr std::size_t kMaxDrawnCharacters = 256;

void InsertMarkedItem(HWND list, int index, const MarkedEntry& entry) {
    const LRESULT at = SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(entry.text.c_str()));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), entry.marked ? 1 : 0);
}

// Brings the list box, which shows `shown`, in line with `wanted`, touching
// only the items that differ, and selects `selection` (-1: none).
void ShowMarkedList(HWND list, const MarkedList& shown, const MarkedList& wanted, int selection) {
    const int shownCount = static_cast<int>(shown.Size());
    const int wantedCount = static_cast<int>(wanted.Size());
    for (int i = 0; i < wantedCount; ++i) {
        if (i < shownCount && shown.At(i).text == wanted.At(i).text) {
            if (shown.At(i).marked != wanted.At(i).marked) {
                SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(i), wanted.At(i).marked ? 1 : 0);
            }
            continue;
        }
        if (i < shownCount) SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
        InsertMarkedItem(list, i, wanted.At(i));
    }
    for (int i = shownCount - 1; i >= wantedCount; --i) {
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(i), 0);
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    InvalidateRect(list, nullptr, FALSE);
}

void Refuse(const RefusalTexts& refusal, unsigned textId, const std::string& name) {
    // The shared text buffer holds one text at a time: the message is
    // composed before the caption is loaded.
    std::string text = LoadUIText(textId);
    const std::string::size_type at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    platform::ShowMessageBox(platform::BoxOwner::MainWindow, text.c_str(), LoadUIText(refusal.caption).c_str(),
                             MB_ICONWARNING);
}

}  // namespace

// The text of an item of the Maps or Mods Found list, whose texts are at
// most kMaxListTextLength characters. Longer items are not read: under Wine
// an ANSI LB_GETTEXT of 512 characters or more overruns the stack.
std::string ListItemText(HWND list, int index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length > static_cast<LRESULT>(kMaxListTextLength)) return std::string();
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

void CopyIntoField(char* field, const std::string& text) {
    const std::size_t length = text.size() < kSettingsTextSize - 1 ? text.size() : kSettingsTextSize - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}


// ---- Marked lists ------------------------------------------------------------

void LoadFlaggedList(HWND list, const char* text) {
    const MarkedList items = MarkedList::FromText(text);
    for (std::size_t i = 0; i < items.Size(); ++i) {
        InsertMarkedItem(list, -1, items.At(i));
    }
}

void StoreFlaggedList(const MarkedList& shown, char* output) {
    CopyIntoField(output, shown.ToText());
}

int SelectedOrFirstItem(HWND list) {
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR) return static_cast<int>(selected);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) <= 0) return -1;
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    return 0;
}

void RunMarkedListCommand(MarkedListCommand command, HWND source, HWND marked, char* field,
                          const RefusalTexts& refusal) {
    const MarkedList before = MarkedList::FromText(field);
    MarkedList items = before;
    const LRESULT selected = SendMessageA(marked, LB_GETCURSEL, 0, 0);
    int selection = selected == LB_ERR ? -1 : static_cast<int>(selected);
    bool changed = false;
    switch (command) {
    case MarkedListCommand::Add: {
        const int index = SelectedOrFirstItem(source);
        if (index < 0) return;
        const std::string text = ListItemText(source, index);
        switch (items.AddOnce(text)) {
        case AddResult::Added: changed = true; break;
        case AddResult::AlreadyPresent: break;
        case AddResult::HasBlank: Refuse(refusal, refusal.hasBlank, text); break;
        case AddResult::TooLong: Refuse(refusal, refusal.tooLong, text); break;
        }
        break;
    }
    case MarkedListCommand::Remove: {
        const int index = SelectedOrFirstItem(marked);
        if (index < 0) return;
        changed = items.Remove(static_cast<std::size_t>(index));
        // The entry that moves into the gap is selected, so that "<<" pressed
        // again takes the next one rather than jumping to the top.
        selection = items.Empty() ? -1
                    : index < static_cast<int>(items.Size()) ? index
                                                             : static_cast<int>(items.Size()) - 1;
        break;
    }
    case MarkedListCommand::Up:
        if (selection > 0 && items.MoveUp(static_cast<std::size_t>(selection))) {
            --selection;
            changed = true;
        }
        break;
    case MarkedListCommand::Down:
        if (selection >= 0 && items.MoveDown(static_cast<std::size_t>(selection))) {
            ++selection;
            changed = true;
        }
        break;
    case MarkedListCommand::ToggleMark:
        changed = selection >= 0 && items.ToggleMark(static_cast<std::size_t>(selection));
        break;
    }
    if (!changed) return;
    ShowMarkedList(marked, before, items, selection);
    StoreFlaggedList(items, field);
}

bool DispatchMarkedListCommand(WPARAM wParam, HWND source, HWND marked, char* field,
                               const RefusalTexts& refusal) {
    // The same buttons sit under the same ids on both pages; the marked
    // list itself reacts to double-clicks only.
    static const struct {
        int control;
        MarkedListCommand command;
    } kButtons[] = {
        {IDC_MAPS_ADD, MarkedListCommand::Add},
        {IDC_MAPS_REMOVE, MarkedListCommand::Remove},
        {IDC_MAPS_UP, MarkedListCommand::Up},
        {IDC_MAPS_DOWN, MarkedListCommand::Down},
    };
    const int control = LOWORD(wParam);
    if (control == GetDlgCtrlID(marked)) {
        if (HIWORD(wParam) == LBN_DBLCLK) {
            RunMarkedListCommand(MarkedListCommand::ToggleMark, source, marked, field, refusal);
        }
        return true;
    }
    for (const auto& button : kButtons) {
        if (button.control != control) continue;
        RunMarkedListCommand(button.command, source, marked, field, refusal);
        return true;
    }
    return false;
}

void MeasureListItem(HWND dialog, MEASUREITEMSTRUCT* item) {
    HDC dc = GetWindowDC(dialog);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(dialog, dc);
    item->itemHeight = static_cast<UINT>(metrics.tmHeight);
}

namespace {

// Fills the item's background and sets the text colour; true when the item
// is to be drawn at all.
bool BeginItem(const DRAWITEMSTRUCT* item, BOOL& result) {
    if (item->itemID == static_cast<UINT>(-1)) {
        result = FALSE;
        return false;
    }
    result = TRUE;
    if (item->itemAction != ODA_DRAWENTIRE && item->itemAction != ODA_SELECT) return false;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    SetBkMode(item->hDC, TRANSPARENT);
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item->hDC, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    return true;
}

void EndItem(const DRAWITEMSTRUCT* item) {
    if (item->itemState & ODS_SELECTED) DrawFocusRect(item->hDC, &item->rcItem);
}

// Only the start of a long text can be seen in the list's width.
int DrawnLength(const std::string& text) {
    return static_cast<int>(text.size() < kMaxDrawnCharacters ? text.size() : kMaxDrawnCharacters);
}

}  // namespace

BOOL DrawMarkedItem(const DRAWITEMSTRUCT* item, const char* field) {
    BOOL result = TRUE;
    if (!BeginItem(item, result)) return result;
    const MarkedList shown = MarkedList::FromText(field);
    const std::string text = item->itemID < shown.Size() ? shown.At(item->itemID).text : std::string();

    HDC dc = item->hDC;
    const int left = item->rcItem.left;
    const int top = item->rcItem.top;
    const int h = item->rcItem.bottom - item->rcItem.top;
    const int s = h - 6;
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, pen);
    const POINT box[5] = {{left + 3, top + 2}, {left + s + 3, top + 2}, {left + s + 3, top + 2 + s},
                          {left + 3, top + 2 + s}, {left + 3, top + 2}};
    Polyline(dc, box, 5);
    if (item->itemData == 1) {
        const POINT down[2] = {{left + 3, top + 2}, {left + s + 3, top + 2 + s}};
        const POINT up[2] = {{left + 3, top + 2 + s}, {left + s + 3, top + 2}};
        Polyline(dc, down, 2);
        Polyline(dc, up, 2);
    }
    TextOutA(dc, left + h, top, text.c_str(), DrawnLength(text));
    SelectObject(dc, previous);
    DeleteObject(pen);
    EndItem(item);
    return result;
}

BOOL DrawPlainItem(const DRAWITEMSTRUCT* item) {
    BOOL result = TRUE;
    if (!BeginItem(item, result)) return result;
    const std::string text = ListItemText(item->hwndItem, static_cast<int>(item->itemID));
    TextOutA(item->hDC, item->rcItem.left + 2, item->rcItem.top, text.c_str(), DrawnLength(text));
    EndItem(item);
    return result;
}
