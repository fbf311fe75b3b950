// The strip under the tabs: banner and the four actions, and the server
// launch.
#include "app/shell/shell.h"

#include "app/pages/page_helpers.h"
#include "app/shell/app_state.h"
#include "platform/platform.h"
#include "core/history/config_history.h"
#include "core/servercfg/save_configuration.h"
#include "core/settings/server_settings.h"
#include "core/common/ui_text.h"
#include "core/launch/launch_paths.h"
#include "shell_ids.h"

#include <commctrl.h>

#include <ctime>
#include <string>

namespace {

// The buttons get their texts from the string table, in this order.
const ControlText kButtonTexts[] = {
    {IDC_EXIT, IDS_EXIT},
    {IDC_LAUNCH_SERVER, IDS_LAUNCH_SERVER},
    {IDC_SAVE_CONFIG, IDS_SAVE_CONFIG},
    {IDC_USE_DEFAULTS, IDS_USE_DEFAULTS},
};

// A message box owned by the main window.
int ShowWarning(const std::string& text, unsigned captionId, unsigned style) {
    return platform::ShowMessageBox(platform::BoxOwner::MainWindow, text.c_str(), LoadUIText(captionId).c_str(),
                                    style);
}

// Starts the server from the game folder. False when it could not be
// started, with the path it was looked for under.
bool StartServer(std::string& executableShown) {
    ServerLaunchPaths paths = ComposeServerLaunchPaths(AppContext().places.gameFolder);
    executableShown = paths.executable;
    // A path that does not fit MAX_PATH is never cut short: the shortened
    // name could start some other program.
    if (!paths.fits) return false;

    // CreateProcessA may write into the command line, so it gets a copy.
    char commandLine[] = " +exec server.cfg";

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(paths.executable.c_str(), commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, paths.folder.c_str(), &startup, &process))
        return false;
    // The server runs on its own; nothing here waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

// A save first keeps the files it replaces in the history beside the
// settings file. The window has no box for a history that cannot be kept:
// the save itself, which is what the operator asked for, goes on as before.
static SaveResult SaveWithHistory(const ServerSettings& settings) {
    KeepHistory(AppContext().places, "Save Config", std::time(nullptr));
    return SaveConfiguration(settings, AppContext());
}

void LaunchServer() {
    ServerSettings* settings = GetServerSettings();
    if (settings->MapName[0] == '\0' && settings->MapRotationList[0] == '\0') {
        std::string text = LoadUIText(IDS_NO_MAP_TEXT);
        if (ShowWarning(text, IDS_NO_MAP_CAPTION, MB_OKCANCEL | MB_ICONWARNING) != IDOK) return;
    }
    if (!SaveWithHistory(*settings).serverConfigWritten) return;

    std::string executable;
    if (StartServer(executable)) {
        SendMessageA(g_mainWindow, WM_CLOSE, 0, 0);
        return;
    }
    ShowWarning(ComposeLaunchFailureText(LoadUIText(IDS_LAUNCH_FAILED_TEXT).c_str(), executable),
                IDS_LAUNCH_FAILED_CAPTION, MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK ControlBarProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetControlTexts(dialog, kButtonTexts);
            break;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_LAUNCH_SERVER:
                    LaunchServer();
                    break;
                case IDC_EXIT:
                    // Leaves without saving.
                    SendMessageA(g_mainWindow, WM_CLOSE, 0, 0);
                    break;
                case IDC_SAVE_CONFIG:
                    SaveWithHistory(*GetServerSettings());
                    break;
                case IDC_USE_DEFAULTS:
                    // Only the record and the page on show change; the files
                    // keep their contents until the next save.
                    GetServerSettings()->SetDefaults();
                    ShowPage(g_instance, static_cast<int>(SendMessageA(g_tabControl, TCM_GETCURSEL, 0, 0)));
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return 0;
}
