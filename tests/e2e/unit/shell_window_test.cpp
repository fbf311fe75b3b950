// The shell inside this test process: main window, page host, control bar
// and message loop, driven through their own functions and messages. Needs
// a display (the suite runs under Wine with the one scripts/test provides).
//
// The window is created once for the whole suite (its class can be
// registered once per process); the tests run in the order written and the
// last one closes it.
#include "page_ids.h"
#include "app/shell/app_state.h"
#include "app/shell/shell.h"
#include "shell_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int CountPages() {
    int n = 0;
    for (HWND w = FindWindowExA(g_tabControl, nullptr, "#32770", nullptr); w;
         w = FindWindowExA(g_tabControl, w, "#32770", nullptr))
        ++n;
    return n;
}

RECT ClientRectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Ends the message loop from inside it after `ms` of idleness.
void CALLBACK QuitLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(5);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& f) {
        return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

class Shell : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!g_mainWindow) {
            g_instance = GetModuleHandleA(nullptr);
            created_ = CreateMainWindow(g_instance);
        }
    }
    static bool created_;
};
bool Shell::created_ = false;

TEST_F(Shell, MainWindowIsCentredWithItsClassAndFrame) {
    ASSERT_TRUE(created_);
    char name[64] = "";
    GetClassNameA(g_mainWindow, name, sizeof name);
    EXPECT_STREQ(name, "VANTREL_SERVER_SETUP");
    EXPECT_EQ(GetClassLongA(g_mainWindow, GCL_STYLE), 0x2B);
    const LONG style = GetWindowLongA(g_mainWindow, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_TRUE(IsWindowVisible(g_mainWindow));
    RECT r;
    GetWindowRect(g_mainWindow, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 640) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 480) / 2);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
    char title[128] = "";
    GetWindowTextA(g_mainWindow, title, sizeof title);
    EXPECT_STREQ(title, "Vantrel(tm) Server Launch Utility");
}

TEST_F(Shell, TabControlHoldsNineTabsAndTheBasicPage) {
    ASSERT_TRUE(created_);
    EXPECT_EQ(SendMessageA(g_tabControl, TCM_GETITEMCOUNT, 0, 0), kPageCount);
    EXPECT_EQ(SendMessageA(g_tabControl, TCM_GETCURSEL, 0, 0), 0);
    RECT client;
    GetClientRect(g_mainWindow, &client);
    RECT tab = ClientRectIn(g_tabControl, g_mainWindow);
    EXPECT_EQ(tab.left, (client.right - 616) / 2);
    EXPECT_EQ(tab.top, 16);
    EXPECT_EQ(tab.right - tab.left, 616);
    EXPECT_EQ(tab.bottom - tab.top, 336);
    ASSERT_NE(g_currentPage, nullptr);
    EXPECT_NE(GetDlgItem(g_currentPage, IDC_BASIC_SERVER_NAME), nullptr);
    EXPECT_EQ(CountPages(), 1);

    // Placed centred across the tab control, its top at the first tab's
    // top plus bottom.
    RECT first, page = ClientRectIn(g_currentPage, g_tabControl), pageClient, tabClient;
    SendMessageA(g_tabControl, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    GetClientRect(g_currentPage, &pageClient);
    GetClientRect(g_tabControl, &tabClient);
    EXPECT_EQ(page.left, (tabClient.right + tabClient.left - pageClient.right - pageClient.left) / 2);
    EXPECT_EQ(page.top, first.top + first.bottom);
}

TEST_F(Shell, TabLabelsAndTheNameOutsideTheTable) {
    const char* labels[kPageCount] = {"Basic", "Advanced", "Advanced2", "Team", "Limits/Restrictions",
                                      "Maps/Rotation", "Weapons/Ammo", "Explosives", "Mods"};
    for (int i = 0; i < kPageCount; ++i) {
        EXPECT_EQ(GetPageName(i), labels[i]) << i;
        char text[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(g_tabControl, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, labels[i]) << i;
    }
    EXPECT_EQ(GetPageName(9), "No page name!");
    EXPECT_EQ(GetPageName(-1), "No page name!");
    EXPECT_EQ(GetPageName(1000), "No page name!");
}

TEST_F(Shell, ControlBarSitsUnderTheTabs) {
    ASSERT_NE(g_controlBar, nullptr);
    RECT bar = ClientRectIn(g_controlBar, g_mainWindow);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.top, 351);
    EXPECT_TRUE(IsWindowVisible(g_controlBar));
    const struct {
        int id;
        const char* text;
    } buttons[] = {{IDC_LAUNCH_SERVER, "Launch Server"}, {IDC_EXIT, "Exit"}, {IDC_SAVE_CONFIG, "Save Config"},
                   {IDC_USE_DEFAULTS, "Use Defaults"}};
    for (const auto& b : buttons) {
        char text[64] = "";
        GetDlgItemTextA(g_controlBar, b.id, text, sizeof text);
        EXPECT_STREQ(text, b.text);
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(g_controlBar, b.id), GWL_STYLE) & WS_TABSTOP);
    }
}

TEST_F(Shell, OnePageAliveAtATime) {
    HWND before = g_currentPage;
    EXPECT_TRUE(ShowPage(g_instance, 3));
    EXPECT_FALSE(IsWindow(before));
    ASSERT_NE(g_currentPage, nullptr);
    EXPECT_NE(GetDlgItem(g_currentPage, IDC_TEAM_PEACE_WARMUP), nullptr);
    EXPECT_EQ(CountPages(), 1);

    for (int outside : {9, -1}) {
        HWND live = g_currentPage;
        EXPECT_TRUE(ShowPage(g_instance, outside));
        EXPECT_EQ(g_currentPage, nullptr) << outside;
        EXPECT_FALSE(IsWindow(live));
        EXPECT_EQ(CountPages(), 0);
    }
    for (int i = 0; i < kPageCount; ++i) {
        EXPECT_TRUE(ShowPage(g_instance, i));
        EXPECT_NE(g_currentPage, nullptr) << i;
        EXPECT_EQ(CountPages(), 1) << i;
    }
}

TEST_F(Shell, SelectionChangeBuildsThatPageAndOtherNotificationsDoNothing) {
    SendMessageA(g_tabControl, TCM_SETCURSEL, 4, 0);  // no notification of its own
    NMHDR header = {g_tabControl, 0, static_cast<UINT>(TCN_SELCHANGING)};
    HWND live = g_currentPage;
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(g_currentPage, live);
    header.code = static_cast<UINT>(NM_CLICK);
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(g_currentPage, live);

    header.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(g_mainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_NE(g_currentPage, live);
    ASSERT_NE(g_currentPage, nullptr);
    EXPECT_NE(GetDlgItem(g_currentPage, IDC_LIMITS_MIN_TEAM_BONUS), nullptr);
}

TEST_F(Shell, UseDefaultsResetsTheRecordAndRebuildsThePageOnShow) {
    SendMessageA(g_tabControl, TCM_SETCURSEL, 0, 0);
    ShowPage(g_instance, 0);
    ServerSettings* settings = GetServerSettings();
    settings->MaxPlayers = 3;
    std::strcpy(settings->ServerName, "Changed");
    HWND live = g_currentPage;
    SendMessageA(g_controlBar, WM_COMMAND, MAKEWPARAM(IDC_USE_DEFAULTS, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(g_controlBar, IDC_USE_DEFAULTS)));
    EXPECT_EQ(settings->MaxPlayers, 16);
    EXPECT_STREQ(settings->ServerName, "Nameless Battle");
    EXPECT_NE(g_currentPage, live);
    EXPECT_EQ(SendMessageA(g_tabControl, TCM_GETCURSEL, 0, 0), 0);
    char text[64] = "";
    GetDlgItemTextA(g_currentPage, IDC_BASIC_MAX_PLAYERS, text, sizeof text);
    EXPECT_STREQ(text, "16");
}

TEST_F(Shell, EditStillInItsBoxIsKeptWhenThePageIsReplaced) {
    ShowPage(g_instance, 0);
    HWND box = GetDlgItem(g_currentPage, IDC_BASIC_MAX_PLAYERS);
    SetFocus(box);
    SetWindowTextA(box, "28");
    ShowPage(g_instance, 1);  // as a click on a tab: the box never lost the focus before
    EXPECT_EQ(GetServerSettings()->MaxPlayers, 28);
    EXPECT_EQ(GetFocus(), g_tabControl);
}

TEST_F(Shell, LoopWaitsAndEndsOnWMQuitWithItsCode) {
    MSG stale;
    while (PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&stale);
        DispatchMessageA(&stale);
    }
    const double cpuBefore = ProcessCpuSeconds();
    const DWORD wallBefore = GetTickCount();
    SetTimer(nullptr, 0, 600, QuitLater);
    EXPECT_EQ(RunMessageLoop(), 5);
    const double wall = (GetTickCount() - wallBefore) / 1000.0;
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    EXPECT_GE(wall, 0.5);
    // Blocked in GetMessageA, not polling: far less processor than time.
    EXPECT_LT(cpu, wall / 2) << "cpu " << cpu << " s over " << wall << " s";
}

TEST_F(Shell, QueuedCloseEndsTheLoopWithoutBeingDispatched) {
    PostMessageA(g_mainWindow, WM_CLOSE, 7, 0);
    EXPECT_EQ(RunMessageLoop(), 7);
    EXPECT_TRUE(IsWindow(g_mainWindow));
    EXPECT_TRUE(IsWindow(g_controlBar));
}

TEST_F(Shell, TabKeyThroughTheLoopMovesTheFocus) {
    ShowPage(g_instance, 0);
    SetFocus(GetDlgItem(g_currentPage, IDC_BASIC_SERVER_NAME));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(g_mainWindow, WM_CLOSE, 0, 0);  // ends the loop once the key is handled
    RunMessageLoop();
    EXPECT_EQ(GetFocus(), GetDlgItem(g_currentPage, IDC_BASIC_SERVER_PASSWORD));

    SetFocus(GetDlgItem(g_controlBar, IDC_SAVE_CONFIG));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(g_mainWindow, WM_CLOSE, 0, 0);
    RunMessageLoop();
    HWND focus = GetFocus();
    EXPECT_NE(focus, GetDlgItem(g_controlBar, IDC_SAVE_CONFIG));
    EXPECT_EQ(GetParent(focus), g_controlBar);
}

TEST_F(Shell, CloseDestroysEverythingAndQuitsWithZero) {
    HWND bar = g_controlBar, main = g_mainWindow;
    SendMessageA(g_mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(RunMessageLoop(), 0);
}

}  // namespace
