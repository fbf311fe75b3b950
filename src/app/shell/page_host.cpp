// The tab control and the rule that keeps exactly one settings page alive
// inside it. A page is rebuilt from the settings record every time its tab
// is chosen, so it never carries state between visits.
#include "app/shell/shell.h"

#include "page_ids.h"
#include "app/pages/pages.h"
#include "core/common/ui_text.h"
#include "shell_ids.h"

#include <commctrl.h>

namespace {

struct SettingsPage {
    WORD templateId;
    DLGPROC procedure;
};

// One row per tab, in tab order; a tab's label is string IDS_TAB_BASIC
// plus its index. The template ids do not follow the tab order.
const SettingsPage kPages[kPageCount] = {
    {IDD_BASIC_PAGE, BasicPageProc},           {IDD_ADVANCED_PAGE, AdvancedPageProc},
    {IDD_ADVANCED2_PAGE, Advanced2PageProc},   {IDD_TEAM_PAGE, TeamPageProc},
    {IDD_LIMITS_PAGE, LimitsPageProc},         {IDD_MAPS_PAGE, MapsPageProc},
    {IDD_WEAPONS_PAGE, WeaponsPageProc},       {IDD_EXPLOSIVES_PAGE, ExplosivesPageProc},
    {IDD_MODS_PAGE, ModsPageProc},
};

const int kTabWidth = 616;
const int kTabHeight = 336;
const int kTabTop = 16;
const int kTabLabelPadding = 3;  // pixels left and right of a tab's label
const int kTabLabelPaddingHeight = 3;

// Builds a page inside the tab control and places it: centred across, its
// top at the sum of the first tab's top and bottom edges.
HWND CreateSettingsPage(HINSTANCE instance, HWND tabControl, const SettingsPage& row) {
    HWND page = CreateDialogParamA(instance, MAKEINTRESOURCEA(row.templateId), tabControl, row.procedure, 0);
    RECT firstTab = {}, pageClient = {}, tabClient = {};
    SendMessageA(tabControl, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstTab));
    GetClientRect(page, &pageClient);
    GetClientRect(tabControl, &tabClient);
    SetWindowPos(page, nullptr, (tabClient.right + tabClient.left - pageClient.right - pageClient.left) / 2,
                 firstTab.top + firstTab.bottom, 0, 0, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOSIZE);
    return page;
}

void DestroyCurrentPage() {
    if (g_currentPage) {
        // A click on a tab does not take the focus, so a box still being
        // edited would go down with its page before telling the record.
        // Taking the focus first lets the page store it (EN_KILLFOCUS).
        HWND focus = GetFocus();
        if (focus && (focus == g_currentPage || IsChild(g_currentPage, focus))) SetFocus(g_tabControl);
        DestroyWindow(g_currentPage);
        g_currentPage = nullptr;
    }
}

}  // namespace

std::string GetPageName(int index) {
    if (index < 0 || index >= kPageCount) return LoadUIText(IDS_NO_PAGE_NAME);
    return LoadUIText(IDS_TAB_BASIC + static_cast<unsigned>(index));
}

HWND CreatePageHost(HINSTANCE instance, HWND mainWindow) {
    InitCommonControls();
    RECT client = {};
    GetClientRect(mainWindow, &client);
    g_tabControl = CreateWindowExA(0, "SysTabControl32", "", WS_CHILD | WS_VISIBLE, (client.right - kTabWidth) / 2,
                                   kTabTop, kTabWidth, kTabHeight, mainWindow, nullptr, instance, nullptr);
    // The pages' own font rather than the bold system font, and a little
    // less room around each label: so all nine tabs fit in one row and none
    // hides behind scroll arrows.
    SendMessageA(g_tabControl, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageA(g_tabControl, TCM_SETPADDING, 0, MAKELPARAM(kTabLabelPadding, kTabLabelPaddingHeight));
    for (int index = 0; index < kPageCount; ++index) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.iImage = -1;
        // The tab control copies the label.
        std::string label = GetPageName(index);
        item.pszText = &label[0];
        SendMessageA(g_tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    ShowPage(instance, 0);
    return g_tabControl;
}

bool ShowPage(HINSTANCE instance, int index) {
    DestroyCurrentPage();
    if (index >= 0 && index < kPageCount) g_currentPage = CreateSettingsPage(instance, g_tabControl, kPages[index]);
    return true;
}
