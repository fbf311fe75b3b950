// Mods page: for now an empty page, so that its tab exists.
#include "pages/pages.h"

INT_PTR CALLBACK ModsPageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
