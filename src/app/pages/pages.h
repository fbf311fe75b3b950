// Dialog procedures of the nine settings pages, as the page host creates
// them (CreateDialogParamA with the page's template). Each fills its
// controls from ServerSettings when built and writes every edit back into
// the record as the operator leaves the control; all return FALSE.
#pragma once

#include <windows.h>

INT_PTR CALLBACK BasicPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancedPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Advanced2PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TeamPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LimitsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MapsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WeaponsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExplosivesPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ModsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
