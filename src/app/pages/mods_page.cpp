// The Mods page: the mods found in the mods folder, the mods in use with
// their order and download marks, and the four death-match switches. Every
// change goes into ServerSettings at once.
#include <string>

#include "app/pages/marked_list_box.h"
#include "core/discovery/mod_discovery.h"
#include "page_ids.h"
#include "ui_text_ids.h"
#include "app/pages/page_helpers.h"
#include "app/pages/pages.h"
#include "app/shell/app_state.h"
#include "core/settings/server_settings.h"

namespace {

const RefusalTexts kModsRefusal = {IDS_MODS_REFUSED_CAPTION, IDS_MODS_REFUSED_BLANK, IDS_MODS_REFUSED_FULL};

const ControlText kPageTexts[] = {
    {IDS_MODS_FOUND, IDS_MODS_FOUND}, {IDS_MODS_IN_USE, IDS_MODS_IN_USE},
    {IDC_MODS_ADD, IDS_ADD_BUTTON}, {IDC_MODS_REMOVE, IDS_REMOVE_BUTTON},
    {IDC_MODS_UP, IDS_UP_BUTTON}, {IDC_MODS_DOWN, IDS_DOWN_BUTTON},
    {IDC_MODS_NO_HEALTH, IDS_NO_HEALTH}, {IDC_MODS_NO_ARMOR, IDS_NO_ARMOR},
    {IDC_MODS_NO_POWERUPS, IDS_NO_POWERUPS}, {IDC_MODS_INSTANT_ITEMS, IDS_INSTANT_ITEMS},
    {IDC_MODS_HINT, IDS_MODS_DOWNLOAD_HINT},
};

// The four switches and their fields.
const struct {
    int control;
    bool ServerSettings::*field;
} kSwitches[] = {
    {IDC_MODS_NO_HEALTH, &ServerSettings::NoHealth},
    {IDC_MODS_NO_ARMOR, &ServerSettings::NoArmor},
    {IDC_MODS_NO_POWERUPS, &ServerSettings::NoPowerups},
    {IDC_MODS_INSTANT_ITEMS, &ServerSettings::InstantItems},
};

void FillModsFoundList(HWND list) {
    UniqueTextList mods;
    FillModsFound(AppContext().places, mods);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& mod : mods.Items()) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mod.c_str()));
    }
}

}  // namespace

INT_PTR CALLBACK ModsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        ServerSettings* settings = GetServerSettings();
        SetControlTexts(dialog, kPageTexts);
        for (const auto& item : kSwitches) {
            CheckDlgButton(dialog, item.control, settings->*item.field ? BST_CHECKED : BST_UNCHECKED);
        }
        FillModsFoundList(GetDlgItem(dialog, IDC_MODS_FOUND));
        LoadFlaggedList(GetDlgItem(dialog, IDC_MODS_IN_USE), settings->ModuleUseList);
        return FALSE;
    }
    case WM_COMMAND: {
        ServerSettings* settings = GetServerSettings();
        if (DispatchMarkedListCommand(wParam, GetDlgItem(dialog, IDC_MODS_FOUND),
                                      GetDlgItem(dialog, IDC_MODS_IN_USE), settings->ModuleUseList,
                                      kModsRefusal)) {
            return FALSE;
        }
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        for (const auto& item : kSwitches) {
            if (item.control == LOWORD(wParam)) {
                settings->*item.field = IsDlgButtonChecked(dialog, item.control) == BST_CHECKED;
            }
        }
        return FALSE;
    }
    case WM_MEASUREITEM:
        if (wParam == IDC_MODS_IN_USE || wParam == IDC_MODS_FOUND) {
            MeasureListItem(dialog, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        }
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_MODS_IN_USE && wParam != IDC_MODS_FOUND) return FALSE;
        if (wParam == IDC_MODS_FOUND) return DrawPlainItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return DrawMarkedItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), GetServerSettings()->ModuleUseList);
    default:
        return FALSE;
    }
}
