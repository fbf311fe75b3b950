#include "app/pages/form_page.h"

#include "app/pages/page_conversions.h"
#include "app/pages/page_helpers.h"
#include "app/shell/app_state.h"
#include "core/common/ui_text.h"

namespace pages {
namespace {

bool IsEditBox(Conversion conversion) {
    return KindOf(conversion) == PageControlKind::TextBox || KindOf(conversion) == PageControlKind::NumberBox;
}

void ShowValue(HWND dialog, const PageControl& control, const ServerSettings& settings) {
    const PageField& row = *control.row;
    const int id = control.id;
    switch (row.conversion) {
    case Conversion::Choice: {
        HWND combo = GetDlgItem(dialog, id);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (std::size_t i = 0; i < row.choiceCount; ++i) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadUIText(row.choices[i]).c_str()));
        }
        // An index outside the list leaves the box without a selection;
        // the field keeps its value until an entry is chosen.
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(row.field.As<SettingKind::Int>().In(settings)), 0);
        break;
    }
    case Conversion::Flag:
        CheckDlgButton(dialog, id, row.field.As<SettingKind::Bool>().In(settings) ? BST_CHECKED : BST_UNCHECKED);
        break;
    case Conversion::AllSkins:
        CheckDlgButton(dialog, id,
                       AllowAllSkinsChecked(row.field.As<SettingKind::Int>().In(settings)) ? BST_CHECKED : BST_UNCHECKED);
        break;
    case Conversion::Caption:
    case Conversion::MarkedList:
        break;
    default:
        SetDlgItemTextA(dialog, id, ShowPageValue(row, settings).c_str());
        break;
    }
}

void StoreEdit(HWND dialog, const PageControl& control, ServerSettings& settings) {
    const PageField& row = *control.row;
    char text[kEditTextSize] = "";
    GetDlgItemTextA(dialog, control.id, text, static_cast<int>(sizeof text));
    StorePageText(row, text, settings);
    if (row.conversion == Conversion::ServerName) {
        SetDlgItemTextA(dialog, control.id, row.field.As<SettingKind::Text>().In(settings));  // show what was kept
    }
}

void InitPage(const FormPage& page, HWND dialog, ServerSettings& settings) {
    SetLabelTexts(dialog);
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        const PageControl& control = page.controls[i];
        // Edit boxes and lists are named by their static labels, which
        // SetLabelTexts has filled; the others carry their own text.
        const PageControlKind kind = KindOf(control.row->conversion);
        if (kind == PageControlKind::CheckBox || kind == PageControlKind::ThreeValuedCheckBox ||
            kind == PageControlKind::GroupCaption) {
            SetDlgItemUIText(dialog, control.id, control.row->label);
        }
    }
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        ShowValue(dialog, page.controls[i], settings);
    }
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        if (page.controls[i].row->hidden) ShowWindow(GetDlgItem(dialog, page.controls[i].id), SW_HIDE);
    }
}

void HandleCommand(const FormPage& page, HWND dialog, int id, UINT code, ServerSettings& settings) {
    for (std::size_t i = 0; i < page.controlCount; ++i) {
        const PageControl& control = page.controls[i];
        if (control.id != id) continue;
        const PageField& row = *control.row;
        if (IsEditBox(row.conversion)) {
            // Typing reaches the record when the operator leaves the box.
            if (code == EN_KILLFOCUS) StoreEdit(dialog, control, settings);
        } else if (row.conversion == Conversion::Flag) {
            if (code == BN_CLICKED) {
                row.field.As<SettingKind::Bool>().In(settings) = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
            }
        } else if (row.conversion == Conversion::AllSkins) {
            if (code == BN_CLICKED) {
                std::int32_t& value = row.field.As<SettingKind::Int>().In(settings);
                value = NextAllowAllSkins(IsDlgButtonChecked(dialog, id) == BST_CHECKED, value);
            }
        } else if (row.conversion == Conversion::Choice) {
            // Only a choice from the list is stored, never text typed into
            // the box's edit part.
            if (code == CBN_SELCHANGE) {
                LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
                row.field.As<SettingKind::Int>().In(settings) = static_cast<std::int32_t>(index);
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
