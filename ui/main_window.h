// The main window: its class, its state and the operations other windows
// call. The list boxes hold each list's entries while the window exists;
// Settings holds the rest (counts, positions, names, flags).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "res/control_ids.h"  // the control identifiers (kIdTab...)
#include "settings/settings.h"

struct MainWindow {
    HWND hwnd = nullptr;
    HWND tab = nullptr;
    HWND lists[kListCount] = {};
    HWND tooltip = nullptr;
    HWND preview = nullptr;
    HWND sizeText = nullptr;
    HWND folderWindow = nullptr;       // the registered-folder window, when it exists
    int widestEntry[kListCount] = {};  // pixels, for the horizontal extent
    WNDPROC previousListProc[kListCount] = {};
    std::wstring lastFolder;  // where the open-file dialog starts
    bool startupEnabled = false;
};

extern MainWindow g_mainWindow;

inline constexpr int kMainClientWidth = 612;
inline constexpr int kMainClientHeight = 475;

// Registers "Tolvex_main_class" and the preview's "Tolvex_prv_class".
bool registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
// Fills the lists from the settings file (after the window is shown): files
// that no longer exist are dropped with the position kept on its file.
void loadMainWindowLists();

// The list box of the shown list.
HWND shownListBox();
// Makes list `index` the shown one and previews its caret entry (or clears).
void showList(int index);
// "現在の壁紙": selects every list's current entry and shows the active list.
void showCurrentWallpapers();
// Each list's entries as its list box holds them.
std::vector<std::wstring> listBoxEntries(HWND listBox);
// Widens the list's horizontal extent for `text` when it is the widest yet.
void widenListExtent(int list, const wchar_t* text);

// Implemented in main_window_commands_win.cpp: the command table and the
// enabled-state rules that follow the check boxes.
void onMainCommand(HWND hwnd, int id, int code, HWND control);
void applyInitialEnabledStates();
