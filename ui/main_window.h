// The main window: its class, its state and the closing sequence.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings.h"

struct MainWindow {
    HWND hwnd = nullptr;
    // Each list's entries while the window exists.
    std::vector<std::wstring> entries[kListCount];
};

extern MainWindow g_mainWindow;

inline constexpr int kMainClientWidth = 612;
inline constexpr int kMainClientHeight = 475;

bool registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
// Fills the lists from the settings file (after the window is shown).
void loadMainWindowLists();
