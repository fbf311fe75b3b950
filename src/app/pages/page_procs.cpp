// The entry points of the seven form pages: each hands its table to the
// shared procedure.
#include "app/pages/form_page.h"
#include "app/pages/form_pages.h"
#include "app/pages/pages.h"

namespace {
// One procedure per form page, each bound to its table.
template <const pages::FormPage& Page>
INT_PTR CALLBACK FormPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return pages::RunFormPage(Page, dialog, message, wParam);
}
}  // namespace

DLGPROC const BasicPageProc = FormPageProc<pages::kBasicPage>;
DLGPROC const AdvancedPageProc = FormPageProc<pages::kAdvancedPage>;
DLGPROC const Advanced2PageProc = FormPageProc<pages::kAdvanced2Page>;
DLGPROC const TeamPageProc = FormPageProc<pages::kTeamPage>;
DLGPROC const LimitsPageProc = FormPageProc<pages::kLimitsPage>;
DLGPROC const WeaponsPageProc = FormPageProc<pages::kWeaponsPage>;
DLGPROC const ExplosivesPageProc = FormPageProc<pages::kExplosivesPage>;
