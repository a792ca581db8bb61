// The registered-folder window, as the main window sees it.
#pragma once

#include <windows.h>

// "フォルダ選択": shows the window (creating it when needed).
void showFolderWindow();
// Part of the closing sequence: the window's own settings into Settings.
void saveFolderWindowState();
