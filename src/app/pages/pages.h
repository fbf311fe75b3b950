// Dialog procedures of the nine settings pages, as the page host creates
// them (CreateDialogParamA with the page's template). Each fills its
// controls from ServerSettings when built and writes every edit back into
// the record as the operator leaves the control; all return FALSE.
#pragma once

#include <windows.h>

// The seven form pages: the shared form-page procedure, each on its table.
extern DLGPROC const BasicPageProc;
extern DLGPROC const AdvancedPageProc;
extern DLGPROC const Advanced2PageProc;
extern DLGPROC const TeamPageProc;
extern DLGPROC const LimitsPageProc;
extern DLGPROC const WeaponsPageProc;
extern DLGPROC const ExplosivesPageProc;

// The two list pages.
INT_PTR CALLBACK MapsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ModsPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
