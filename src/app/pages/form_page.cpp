#include "app/pages/form_page.h"

#include "app/pages/page_conversions.h"
#include "app/pages/page_helpers.h"
#include "app/shell/app_state.h"
#include "core/common/ui_text.h"

namespace pages {
namespace {

bool IsEditBox(Conversion conversion) {
    switch (conversion) {
    case Conversion::Text:
    case Conversion::ServerName:
    case Conversion::Unsigned:
    case Conversion::Signed:
    case Conversion::IntOrBlank:
    case Conversion::Float:
        return true;
    default:
        return false;
    }
}

void ShowValue(HWND dialog, const PageControl& control, const ServerSettings& settings) {
    const int id = control.id;
    switch (control.conversion) {
    case Conversion::Text:
    case Conversion::ServerName:
        // A longer name from the settings file is shown whole; it is only
        // cut once the operator has been in the box.
        SetDlgItemTextA(dialog, id, control.field.As<SettingKind::Text>().In(settings));
        break;
    case Conversion::Unsigned:
        SetDlgItemInt(dialog, id, IntToBits(control.field.As<SettingKind::Int>().In(settings)), FALSE);
        break;
    case Conversion::Signed:
        SetDlgItemInt(dialog, id, IntToBits(control.field.As<SettingKind::Int>().In(settings)), TRUE);
        break;
    case Conversion::IntOrBlank:
        SetDlgItemIntOrBlank(dialog, id, control.field.As<SettingKind::Int>().In(settings));
        break;
    case Conversion::Float:
        SetDlgItemFloat(dialog, id, control.field.As<SettingKind::Float>().In(settings));
        break;
    case Conversion::Choice: {
        HWND combo = GetDlgItem(dialog, id);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (std::size_t i = 0; i < control.entryCount; ++i) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadUIText(control.entries[i]).c_str()));
        }
        // An index outside the list leaves the box without a selection;
        // the field keeps its value until an entry is chosen.
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(control.field.As<SettingKind::Int>().In(settings)), 0);
        break;
    }
    case Conversion::Flag:
        CheckDlgButton(dialog, id, control.field.As<SettingKind::Bool>().In(settings) ? BST_CHECKED : BST_UNCHECKED);
        break;
    case Conversion::AllSkins:
        CheckDlgButton(dialog, id,
                       AllowAllSkinsChecked(control.field.As<SettingKind::Int>().In(settings)) ? BST_CHECKED : BST_UNCHECKED);
        break;
    case Conversion::Caption:
        break;
    }
}

void StoreEdit(HWND dialog, const PageControl& control, ServerSettings& settings) {
    const int id = control.id;
    switch (control.conversion) {
    case Conversion::Text:
        GetDlgItemTextA(dialog, id, control.field.As<SettingKind::Text>().In(settings), static_cast<int>(kSettingsTextSize));
        break;
    case Conversion::ServerName: {
        char* name = control.field.As<SettingKind::Text>().In(settings);
        GetDlgItemTextA(dialog, id, name, static_cast<int>(kSettingsTextSize));
        CutServerName(name);
        SetDlgItemTextA(dialog, id, name);  // show what was kept
        break;
    }
    case Conversion::Unsigned:
        control.field.As<SettingKind::Int>().In(settings) = BitsToInt(GetDlgItemNumber(dialog, id, false));
        break;
    case Conversion::Signed:
        control.field.As<SettingKind::Int>().In(settings) = BitsToInt(GetDlgItemNumber(dialog, id, true));
        break;
    case Conversion::IntOrBlank:
        control.field.As<SettingKind::Int>().In(settings) = GetDlgItemIntOrBlank(dialog, id);
        break;
    case Conversion::Float:
        control.field.As<SettingKind::Float>().In(settings) = NarrowToFloat(GetDlgItemFloat(dialog, id));
        break;
    default:
        break;
    }
}

void InitPage(const FormPage& page, HWND dialog, ServerSettings& settings) {
    SetLabelTexts(dialog);
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        const PageControl& control = page.controls[i];
        if (control.textId != 0) SetDlgItemUIText(dialog, control.id, control.textId);
    }
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        ShowValue(dialog, page.controls[i], settings);
    }
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        if (page.controls[i].hidden) ShowWindow(GetDlgItem(dialog, page.controls[i].id), SW_HIDE);
    }
}

void HandleCommand(const FormPage& page, HWND dialog, int id, UINT code, ServerSettings& settings) {
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        const PageControl& control = page.controls[i];
        if (control.id != id) continue;
        if (IsEditBox(control.conversion)) {
            // Typing reaches the record when the operator leaves the box.
            if (code == EN_KILLFOCUS) StoreEdit(dialog, control, settings);
        } else if (control.conversion == Conversion::Flag) {
            if (code == BN_CLICKED) {
                control.field.As<SettingKind::Bool>().In(settings) = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
            }
        } else if (control.conversion == Conversion::AllSkins) {
            if (code == BN_CLICKED) {
                std::int32_t& value = control.field.As<SettingKind::Int>().In(settings);
                value = NextAllowAllSkins(IsDlgButtonChecked(dialog, id) == BST_CHECKED, value);
            }
        } else if (control.conversion == Conversion::Choice) {
            // Only a choice from the list is stored, never text typed into
            // the box's edit part.
            if (code == CBN_SELCHANGE) {
                LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
                control.field.As<SettingKind::Int>().In(settings) = static_cast<std::int32_t>(index);
            }
        }
        return;
    }
}

}  // namespace

INT_PTR RunFormPage(const FormPage& page, HWND dialog, UINT message, WPARAM wParam) {
    if (message != WM_INITDIALOG && message != WM_COMMAND) return FALSE;
    ServerSettings& settings = *GetServerSettings();
    if (message == WM_INITDIALOG) {
        InitPage(page, dialog, settings);
    } else {
        HandleCommand(page, dialog, LOWORD(wParam), HIWORD(wParam), settings);
    }
    return FALSE;
}

}  // namespace pages
