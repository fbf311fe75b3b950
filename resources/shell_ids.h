// Resource ids of the application shell: the icon, the banner and the
// control bar under the tabs. Shared by the resource script and the code.
#pragma once

#define IDI_SERVOLT 128
#define IDB_BANNER 130
#define IDD_CONTROL_BAR 134

#define IDC_LAUNCH_SERVER 1119
#define IDC_EXIT 1120
#define IDC_SAVE_CONFIG 1158
#define IDC_USE_DEFAULTS 1159

// Texts of the shell (string table).
#define IDS_APP_TITLE 1
#define IDS_NO_MAP_TEXT 2
#define IDS_NO_MAP_CAPTION 3
#define IDS_LAUNCH_FAILED_TEXT 4
#define IDS_LAUNCH_FAILED_CAPTION 5
#define IDS_FIRST_PAGE_NAME 12
#define IDS_NO_PAGE_NAME 21
#define IDS_LAUNCH_SERVER 35
#define IDS_EXIT 36
#define IDS_SAVE_CONFIG 37
#define IDS_USE_DEFAULTS 38
