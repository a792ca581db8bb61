// The settings file "Tolvex.ini": where it lies, how Settings is read from it
// and written back. The Windows half (settings_file_win.cpp) reads the file
// whole with the program's own reader; the headless runs' few keys are
// written through the single-key profile calls, and the closing save
// replaces the file whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_keys.h"

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

// Reads the file whole (one read) and fills Cal, WP, List..List8
// (Count/WPNum/Name) and Path, then today. The reads that follow in the same
// start (loadFolderSettings, loadListEntries, readListEntry, readDateMark)
// are served from this reading; any write through this module ends it.
void loadSettings();
void loadFolderSettings();  // TWin and FolderList
// A list's entries "0".."Count-1"; missing keys read as empty.
std::vector<std::wstring> loadListEntries(int list);
// One entry by key (headless runs); "" when missing.
std::wstring readListEntry(int list, int index);

struct DateMark {
    int y = 0, m = 0, d = 0;
};
DateMark readDateMark();  // WP/y, m, d, each default 0
void writeDateMark(int y, int m, int d);
void clearDateMark();  // WP/y = "0"

// Keys of sections kept for other modules (SpanStyle): read as the file is
// now ("" when missing), written through the profile calls; removing a
// section drops all its keys.
std::wstring readFileKey(const wchar_t* section, const wchar_t* key);
void writeFileKey(const wchar_t* section, const wchar_t* key, const std::wstring& value);
void removeFileSection(const wchar_t* section);

// After a successful change: ActList (unless ListHold), the active list's
// WPNum, then the date mark = today.
void recordWallpaperChoice();

// Why a closing save failed: the step, and the system's error code there.
struct SaveFailure {
    enum class Step : uint8_t {
        Folder,   // no new file could be made beside the settings file
        Write,    // the new copy could not be written whole (a full disk)
        Replace,  // the new copy could not take the old file's place (locked, read-only)
        Read,     // the file could not be read for the save (held by another program)
        // The file was there but could not be read at start (held by another
        // program, a read error, far too large): it is kept as it is, since
        // the lists in the window are not its lists.
        Unreadable,
    };
    Step step = Step::Write;
    uint32_t error = 0;  // the system's error code (GetLastError)
};

// The closing save: the folder window's keys, then the others, with the list
// entries as the window holds them. The file is replaced whole or not at all;
// false when the new copy could not be written or moved into place, with the
// reason in `why` (when given).
bool saveAllSettings(const std::vector<std::wstring> (&entries)[kListCount],
                     SaveFailure* why = nullptr);

// What the user is told about a failed closing save: one sentence naming the
// file or folder, then the system's own message for the error.
std::wstring describeSaveFailure(const SaveFailure& failure);

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
