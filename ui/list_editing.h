// Editing the shown list: every operation works on the shown list's list
// box, keeps Count/WPNum/selectedIndex in step and, where the order or the
// content changes wholesale, clears the date mark in the settings file.
#pragma once

#include <windows.h>
// (before every other system header, which all build on it)
#include <shellapi.h>

#include <string>
#include <vector>

struct MainWindow;

// Files dropped on the main window (only the first dropped item is used);
// the drop handle is finished here.
void dropFile(MainWindow& w, HDROP drop);
// Appends the folder's pictures (no subfolders) that pass the size filter.
void addFolderToShownList(MainWindow& w, const wchar_t* folder);
// Appends the given files, skipping those the list already holds.
void addFilesToShownList(MainWindow& w, const std::vector<std::wstring>& paths);
// "ファイル選択": the open-file dialog.
void addFiles(MainWindow& w);
void removeSelected(MainWindow& w);
void clearList(MainWindow& w);
void moveUp(MainWindow& w);
void moveDown(MainWindow& w);
void sortList(MainWindow& w);
void shuffleList(MainWindow& w);
// "リスト名変更": dialog 2000.
void renameList(MainWindow& w);

// Plug-ins count as switched on when SPI names an existing folder.
bool pluginsSwitchedOn();
// The plug-ins' file patterns ("*.pic"...), gathered afresh for each use.
std::vector<std::wstring> gatherPluginPatterns();
