#include "app/pages/page_helpers.h"

#include <string>

#include "app/pages/page_conversions.h"
#include "core/common/ui_text.h"

void SetDlgItemFloat(HWND dialog, int id, float value) {
    SetDlgItemTextA(dialog, id, FormatFloatText(value).c_str());
}

double GetDlgItemFloat(HWND dialog, int id) {
    char text[pages::kFloatTextSize] = "";
    GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
    return ParseFloatText(text);
}

void SetDlgItemIntOrBlank(HWND dialog, int id, int value) {
    if (pages::ShowsBlank(value)) {
        SetDlgItemTextA(dialog, id, "");
    } else {
        SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE);
    }
}

int GetDlgItemIntOrBlank(HWND dialog, int id) {
    char text[pages::kEditTextSize] = "";
    GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
    return pages::ParseIntOrBlankText(text);
}

UINT GetDlgItemNumber(HWND dialog, int id, bool isSigned) {
    char text[pages::kEditTextSize] = "";
    GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
    return ParseIntegerText(text, isSigned);
}

void SetLabelTexts(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        GetClassNameA(child, className, static_cast<int>(sizeof className));
        if (lstrcmpiA(className, "Static") != 0) continue;
        int id = GetDlgCtrlID(child);
        // Unnamed statics (-1, stored as 0xFFFF) carry no text of the table.
        if (id <= 0 || id == 0xFFFF) continue;
        SetWindowTextA(child, LoadUIText(static_cast<unsigned>(id)).c_str());
    }
}

void SetDlgItemUIText(HWND dialog, int id, unsigned textId) {
    SetDlgItemTextA(dialog, id, LoadUIText(textId).c_str());
}
