// The settings file "Tolvex.ini": where it lies, how Settings is read from it
// and written back. The Windows half (settings_file_win.cpp) works through
// the private-profile calls; lists are read and written as whole sections.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

// Full path of the settings file, fixed by locateSettingsFile.
const std::wstring& settingsFilePath();
// Folder of the settings file, with a trailing backslash ("save_wp.bmp" goes here).
std::wstring settingsFolder();

// Finds the file: beside the executable when it exists there, else
// <application data>\Tolvex\Tolvex.ini (the folder created). False when the
// executable is not named "Tolvex.exe" (any letter case).
[[nodiscard]] bool locateSettingsFile();
// Test hook: use this path instead (no file-name check).
void setSettingsFilePathForTesting(const std::wstring& path);

void loadSettings();        // Cal, WP, List..List8 (Count/WPNum/Name), Path, then today
void loadFolderSettings();  // TWin and FolderList
// Reads a list's entries "0".."Count-1" in one go; missing keys read as empty.
std::vector<std::wstring> loadListEntries(int list);
// One entry by key, straight from the file (headless runs); "" when missing.
std::wstring readListEntry(int list, int index);

struct DateMark {
    int y = 0, m = 0, d = 0;
};
DateMark readDateMark();  // WP/y, m, d, each default 0
void writeDateMark(int y, int m, int d);
void clearDateMark();  // WP/y = "0"

// After a successful change: ActList (unless ListHold), the active list's
// WPNum, then the date mark = today.
void recordWallpaperChoice();

// The closing save: saveFolderSettings then saveSettings, with the list
// entries as the window holds them. The file is replaced whole or not at all;
// false when the new copy could not be written or moved into place.
bool saveAllSettings(const std::vector<std::wstring> (&entries)[kListCount]);

// The settings file an executable at `exePath` uses (creating the
// application-data folder when that is the one); empty when the executable
// is not named "Tolvex.exe".
std::wstring settingsFileFor(const std::wstring& exePath);

// Test hook: called after the new copy is complete and before it replaces
// the file; returning true abandons the save there, as a killed process would.
using SaveInterruptHook = bool (*)();
void setSaveInterruptHookForTesting(SaveInterruptHook hook);

// Reads the local date and time into g_settings.today.
void readToday();

// Section name of a list: "List", "List2" ... "List8".
std::wstring listSectionName(int list);
