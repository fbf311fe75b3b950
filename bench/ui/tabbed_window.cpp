// The second yardstick for Servolt's start-up time: the window every version
// of the utility has to show before the operator can do anything. The same
// main window (class, icon, title, frame), the tab control with its nine
// labelled tabs, and the Basic page built from the same dialog template with
// its texts and default values; linked with Servolt's own resources, so the
// template, the strings and the manifest (common controls 6) are the same.
// What it leaves out is Servolt's own work: no settings file, no user
// folder, no control bar.
#include <windows.h>

#include <commctrl.h>

#include "page_ids.h"
#include "shell_ids.h"
#include "ui_text_ids.h"

namespace {

const char kWindowClass[] = "SERVOLT_TABBED_WINDOW";
const int kPageCount = 9;

// Text and default value of each Basic page control that has one; labels
// take the string of their own control id and need no row.
struct BasicControl {
    int id;
    unsigned textId;     // check box text, 0 for none
    const char* text;    // edit box contents, null for none
    int check;           // check box state, or the combo box selection
};

const BasicControl kBasicControls[] = {
    {IDC_BASIC_SERVER_NAME, 0, "Nameless Battle", 0},
    {IDC_BASIC_SERVER_PASSWORD, 0, "", 0},
    {IDC_BASIC_WELCOME_MESSAGE, 0, "", 0},
    {IDC_BASIC_MAX_PLAYERS, 0, "16", 0},
    {IDC_BASIC_FRAG_LIMIT, 0, "0", 0},
    {IDC_BASIC_TIME_LIMIT, 0, "0", 0},
    {IDC_BASIC_HEALTH_DROP, 42, nullptr, 1},
    {IDC_BASIC_FAST_RUN_SPEED, 43, nullptr, 0},
    {IDC_BASIC_BACKPACK_DROP, 54, nullptr, 1},
    {IDC_BASIC_FRIENDLY_FIRE, 45, nullptr, 0},
    {IDC_BASIC_WEAPON_DROP, 55, nullptr, 1},
    {IDC_BASIC_NO_FALLING_DAMAGE, 46, nullptr, 0},
    {IDC_BASIC_REALISTIC_MODE, 44, nullptr, 0},
    {IDC_BASIC_INFINITE_AMMO, 48, nullptr, 1},
    {IDC_BASIC_ALLOW_LEAN, 195, nullptr, 0},
    {IDC_BASIC_WEAPON_STAY, 197, nullptr, 0},
    {IDC_BASIC_NO_FOOTSTEPS, 196, nullptr, 0},
    {IDC_BASIC_GAMESPY, 210, nullptr, 1},
};

struct BasicChoice {
    int id;
    unsigned firstText;
    int count;
    int selected;
};

const BasicChoice kBasicChoices[] = {
    {IDC_BASIC_GAME_TYPE, 22, 3, 2},   // Free For All, Team Deathmatch, Invader
    {IDC_BASIC_HEAL_RATE, 25, 4, 2},   // Instant, 5, 10, 20 secs
};

const char* Text(unsigned id) {
    static char text[1024];
    text[0] = '\0';
    LoadStringA(GetModuleHandleA(nullptr), id, text, static_cast<int>(sizeof text));
    return text;
}

void FillBasicPage(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = "";
        GetClassNameA(child, className, static_cast<int>(sizeof className));
        int id = GetDlgCtrlID(child);
        if (lstrcmpiA(className, "Static") == 0 && id > 0 && id != 0xFFFF)
            SetWindowTextA(child, Text(static_cast<unsigned>(id)));
    }
    for (const BasicControl& control : kBasicControls) {
        if (control.textId != 0) {
            SetDlgItemTextA(page, control.id, Text(control.textId));
            CheckDlgButton(page, control.id, control.check ? BST_CHECKED : BST_UNCHECKED);
        } else {
            SetDlgItemTextA(page, control.id, control.text);
        }
    }
    for (const BasicChoice& choice : kBasicChoices) {
        HWND combo = GetDlgItem(page, choice.id);
        for (int i = 0; i < choice.count; ++i)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(choice.firstText + i)));
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(choice.selected), 0);
    }
}

INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) FillBasicPage(page);
    return FALSE;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The tab control as Servolt lays it out, its tabs labelled from the string
// table, and the Basic page placed inside it.
HWND CreateTabsAndPage(HINSTANCE instance, HWND window) {
    InitCommonControls();
    RECT client = {};
    GetClientRect(window, &client);
    HWND tabs = CreateWindowExA(0, "SysTabControl32", "", WS_CHILD | WS_VISIBLE, (client.right - 616) / 2, 16,
                                616, 336, window, nullptr, instance, nullptr);
    SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageA(tabs, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
    for (int index = 0; index < kPageCount; ++index) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(Text(IDS_TAB_BASIC + static_cast<unsigned>(index)));
        SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    HWND page = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_BASIC_PAGE), tabs, BasicPageProc, 0);
    RECT firstTab = {}, pageClient = {}, tabClient = {};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstTab));
    GetClientRect(page, &pageClient);
    GetClientRect(tabs, &tabClient);
    SetWindowPos(page, nullptr, (tabClient.right + tabClient.left - pageClient.right - pageClient.left) / 2,
                 firstTab.top + firstTab.bottom, 0, 0, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOSIZE);
    return page;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SERVOLT));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc)) return 1;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND window = CreateWindowExA(0, kWindowClass, Text(IDS_APP_TITLE), style,
                                  (GetSystemMetrics(SM_CXSCREEN) - 640) / 2, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2,
                                  640, 480, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    HWND page = CreateTabsAndPage(instance, window);
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (page && IsDialogMessageA(page, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
