// The entry points of the seven form pages: each hands its table to the
// shared procedure.
#include "app/pages/form_page.h"
#include "app/pages/form_pages.h"
#include "app/pages/pages.h"

INT_PTR CALLBACK BasicPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kBasicPage, dialog, message, wParam);
}

INT_PTR CALLBACK AdvancedPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kAdvancedPage, dialog, message, wParam);
}

INT_PTR CALLBACK Advanced2PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kAdvanced2Page, dialog, message, wParam);
}

INT_PTR CALLBACK TeamPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kTeamPage, dialog, message, wParam);
}

INT_PTR CALLBACK LimitsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kLimitsPage, dialog, message, wParam);
}

INT_PTR CALLBACK WeaponsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kWeaponsPage, dialog, message, wParam);
}

INT_PTR CALLBACK ExplosivesPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(pages::kExplosivesPage, dialog, message, wParam);
}
