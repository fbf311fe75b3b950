// The Maps/Rotation page: the maps discovery finds, the start map, and the
// rotation with its swap marks. Everything the operator changes goes into
// ServerSettings at once; the page keeps nothing of its own.
#include "app/pages/marked_list_box.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/discovery/map_discovery.h"
#include "page_ids.h"
#include "ui_text_ids.h"
#include "app/pages/page_helpers.h"
#include "app/pages/pages.h"
#include "app/shell/app_state.h"
#include "platform/platform.h"
#include "core/settings/server_settings.h"

namespace {

const RefusalTexts kRotationRefusal = {
    IDS_ROTATION_REFUSED_CAPTION, IDS_ROTATION_REFUSED_BLANK, IDS_ROTATION_REFUSED_FULL};

// Texts of the page's labels and buttons, by control id.
const ControlText kPageTexts[] = {
    {IDS_MAPS_FOUND, IDS_MAPS_FOUND}, {IDS_ROTATION, IDS_ROTATION},
    {IDC_MAPS_ADD, IDS_ADD_BUTTON}, {IDC_MAPS_REMOVE, IDS_REMOVE_BUTTON},
    {IDC_MAPS_UP, IDS_UP_BUTTON}, {IDC_MAPS_DOWN, IDS_DOWN_BUTTON}, {IDC_MAPS_USE_MAP, IDS_USE_MAP},
};

void FillMapsList(HWND list, const ServerSettings& settings) {
    UniqueTextList maps;
    FillMapList(AppContext().places, maps, settings.GameType, settings.ModuleUseList);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, maps.Size(), maps.Size() * 24);
    for (const std::string& map : maps.Items()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(map.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

// ---- The page ------------------------------------------------------------------

INT_PTR CALLBACK MapsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        ServerSettings* settings = GetServerSettings();
        SetControlTexts(dialog, kPageTexts);
        FillMapsList(GetDlgItem(dialog, IDC_MAPS_LIST), *settings);
        LoadFlaggedList(GetDlgItem(dialog, IDC_MAPS_ROTATION), settings->MapRotationList);
        SetDlgItemTextA(dialog, IDC_MAPS_START_MAP, settings->MapName);
        return FALSE;
    }
    case WM_COMMAND: {
        ServerSettings* settings = GetServerSettings();
        HWND maps = GetDlgItem(dialog, IDC_MAPS_LIST);
        HWND rotation = GetDlgItem(dialog, IDC_MAPS_ROTATION);
        if (DispatchMarkedListCommand(wParam, maps, rotation, settings->MapRotationList,
                                      kRotationRefusal)) {
            return FALSE;
        }
        switch (LOWORD(wParam)) {
        case IDC_MAPS_START_MAP:
            if (HIWORD(wParam) == EN_KILLFOCUS) {
                GetDlgItemTextA(dialog, IDC_MAPS_START_MAP, settings->MapName, kSettingsTextSize);
            }
            break;
        case IDC_MAPS_USE_MAP: {
            const int index = SelectedOrFirstItem(maps);
            if (index < 0) break;
            const std::string map = ListItemText(maps, index);
            SetDlgItemTextA(dialog, IDC_MAPS_START_MAP, map.c_str());
            CopyIntoField(settings->MapName, map);
            break;
        }
        default:
            break;
        }
        return FALSE;
    }
    case WM_MEASUREITEM:
        if (wParam == IDC_MAPS_ROTATION) MeasureListItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_MAPS_ROTATION) return FALSE;
        return DrawMarkedItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                              GetServerSettings()->MapRotationList);
    default:
        return FALSE;
    }
}
