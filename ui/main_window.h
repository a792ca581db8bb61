// The main window: its class, its state and the operations other windows
// call. The list boxes hold each list's entries while the window exists;
// Settings holds the rest (counts, positions, names, flags).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "res/control_ids.h"  // the control identifiers (kIdTab...)
#include "settings/settings.h"
#include "ui/folder_window.h"
#include "ui/main_window_menu.h"
#include "ui/preview.h"

// The main window's record: one per windowed run, made by its creator
// before the window (the program's entry, or a test) and living until the
// window has gone. The window, its list boxes and its preview pane reach it
// through their user data; the operations below take it.
struct MainWindow {
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd = nullptr;
    HWND tab = nullptr;
    HWND lists[kListCount] = {};
    HWND tooltip = nullptr;
    HWND previewPane = nullptr;
    HWND sizeText = nullptr;
    HWND folderWindow = nullptr;       // the registered-folder window, when it exists
    int widestEntry[kListCount] = {};  // pixels, for the horizontal extent
    WNDPROC previousListProc[kListCount] = {};
    std::wstring lastFolder;  // where the open-file dialog starts
    bool startupEnabled = false;
    PreviewImage preview;   // what the preview pane shows
    FolderMenu folderMenu;  // the folder window's context menu, made before the window
    // What the folder window asks of this window (createFolderWindowForMain).
    std::unique_ptr<FolderWindowHost> folderHost;
    // In resident mode, the window told (kMainWindowGone) when this one has
    // gone; the process then goes on. Without one, the process ends with it.
    HWND residentOwner = nullptr;
};

// Posted to MainWindow::residentOwner once the main window is destroyed:
// the record may be let go of then.
inline constexpr UINT kMainWindowGone = WM_APP + 0x50;

inline constexpr int kMainClientWidth = 612;
inline constexpr int kMainClientHeight = 475;

// Registers "Tolvex_main_class" and the preview's "Tolvex_prv_class".
bool registerMainWindowClass(HINSTANCE instance);
// Creates the window over `w`, which must outlive it.
HWND createMainWindow(HINSTANCE instance, MainWindow& w);
// The windowed start's sequence: the folder settings read, the window made
// over `w` and shown as `showCommand` asks, its lists filled and the
// registered-folder window made. Null when the window could not be made.
HWND openMainWindow(HINSTANCE instance, MainWindow& w, int showCommand);
// Fills the lists from the settings file (after the window is shown): files
// that no longer exist are dropped with the position kept on its file.
void loadMainWindowLists(MainWindow& w);
// Creates the registered-folder window for the main window, as the start-up
// does once the main window exists.
HWND createFolderWindowForMain(MainWindow& w);

// The list box of the shown list.
HWND shownListBox(const MainWindow& w);
// Makes list `index` the shown one and previews its caret entry (or clears).
void showList(MainWindow& w, int index);
// "現在の壁紙": selects every list's current entry and shows the active list.
void showCurrentWallpapers(MainWindow& w);
// Each list's entries as its list box holds them.
std::vector<std::wstring> listBoxEntries(HWND listBox);
// Widens the list's horizontal extent for `text` when it is the widest yet.
void widenListExtent(MainWindow& w, int list, const wchar_t* text);

// Implemented in main_window_commands_win.cpp: the command table and the
// enabled-state rules that follow the check boxes.
void onMainCommand(MainWindow& w, int id, int code);
void applyInitialEnabledStates(const MainWindow& w);
