// The one procedure behind the seven form pages: it walks the page's table
// to fill the controls from ServerSettings and to store each edit back.
#pragma once

#include <windows.h>

#include "app/pages/page_table.h"

namespace pages {

// Handles WM_INITDIALOG and WM_COMMAND for `page`; returns FALSE for every
// message, so the dialog manager leaves the focus where it is.
INT_PTR RunFormPage(const FormPage& page, HWND dialog, UINT message, WPARAM wParam);

}  // namespace pages
