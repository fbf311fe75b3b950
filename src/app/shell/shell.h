// The application shell: main window, message loop, page host and control
// bar. One thread; the handles below are set once during start-up.
#pragma once

#include <windows.h>

#include <string>

extern HINSTANCE g_instance;     // set first thing by WinMain
extern HWND g_mainWindow;        // owner of the program's message boxes
extern HWND g_tabControl;        // the page host
extern HWND g_currentPage;       // null while no page exists
extern HWND g_controlBar;        // the strip of action buttons

// Main window (main_window.cpp).
bool CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Waits for and dispatches messages until WM_QUIT or a queued WM_CLOSE;
// returns that message's wParam.
int RunMessageLoop();

// Page host (page_host.cpp).
constexpr int kPageCount = 9;
HWND CreatePageHost(HINSTANCE instance, HWND mainWindow);
// The label of a tab; "No page name!" outside 0 to 8.
std::string GetPageName(int index);
// Destroys the live page and builds the page of `index` (none for an index
// outside 0 to 8). Always true.
bool ShowPage(HINSTANCE instance, int index);

// Control bar (control_bar.cpp).
INT_PTR CALLBACK ControlBarProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void LaunchServer();
