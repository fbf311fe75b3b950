// Entry point, main window and message loop.
#include "app/shell/shell.h"

#include "platform/platform.h"
#include "app/shell/app_state.h"
#include "core/common/ui_text.h"
#include "core/common/user_folder.h"
#include "shell_ids.h"

#include <commctrl.h>

HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;
HWND g_tabControl = nullptr;
HWND g_currentPage = nullptr;
HWND g_controlBar = nullptr;

namespace {

const char kWindowClass[] = "VANTREL_SERVER_SETUP";
const int kWindowWidth = 640;
const int kWindowHeight = 480;
// A fixed frame: caption, system menu and minimise box, nothing to resize.
const DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Gap between the tab control's client bottom and the control bar.
const int kControlBarGap = 15;

}  // namespace

bool CreateMainWindow(HINSTANCE instance) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SERVOLT));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExA(&wc)) return false;

    // C++ division truncates toward zero, as the centring wants.
    g_mainWindow = CreateWindowExA(0, kWindowClass, LoadUIText(IDS_APP_TITLE).c_str(), kWindowStyle,
                                   (screenWidth - kWindowWidth) / 2, (screenHeight - kWindowHeight) / 2,
                                   kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (!g_mainWindow) return false;
    platform::SetMainWindowHandle(g_mainWindow);

    g_tabControl = CreatePageHost(instance, g_mainWindow);

    RECT tabClient = {};
    GetClientRect(g_tabControl, &tabClient);
    g_controlBar = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONTROL_BAR), g_mainWindow,
                                      ControlBarProc, 0);
    // Placed from the tab control's own client rectangle, so the bar's top
    // edge overlaps the tab control's bottom border by one pixel.
    SetWindowPos(g_controlBar, nullptr, tabClient.left, tabClient.top + tabClient.bottom + kControlBarGap, 0,
                 0, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOSIZE);

    ShowWindow(g_mainWindow, SW_SHOW);
    return true;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateUserFolders(AppContext().places.userFolder);
            break;
        case WM_CLOSE:
            // Closing never saves: unsaved edits are dropped on purpose.
            DestroyWindow(g_controlBar);
            DestroyWindow(window);
            PostQuitMessage(0);
            // The window is gone; there is nothing left for the default
            // handling to close.
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
                int index = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
                ShowPage(g_instance, index);
            }
            break;
        }
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    MSG msg;
    for (;;) {
        // Blocks until there is work: the utility uses no processor while
        // the operator is not doing anything.
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);  // WM_QUIT
        if (got == -1) return 0;
        // A WM_CLOSE posted to the queue ends the program without being
        // dispatched.
        if (msg.message == WM_CLOSE) return static_cast<int>(msg.wParam);
        // Dialog keyboard handling (Tab, arrow keys, mnemonics) for the live
        // page and the control bar; each call only takes messages meant for
        // that dialog or its controls.
        if (g_currentPage && IsDialogMessageA(g_currentPage, &msg)) continue;
        if (g_controlBar && IsDialogMessageA(g_controlBar, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    AppContext();  // the places of the server's files, asked once at start-up
    if (!CreateMainWindow(instance)) return 0;
    return RunMessageLoop();
}
