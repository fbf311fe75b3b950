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
