// The shell shortcuts the program makes for itself: startup ("/s", minimized
// and not activated), Send To, and the two desktop shortcuts " Start" ("/s")
// and " Date" ("/d"). Every one starts the running program file and takes
// its icon from it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/startup_shortcut.h"

// Writes a shell link at `shortcutPath` (an existing file is overwritten):
// target, arguments (none when null), icon location (target, index 0) and
// show command. True when the file was saved.
bool createShortcut(const wchar_t* shortcutPath, const wchar_t* target, const wchar_t* arguments,
                    int showCommand);

enum class ShortcutFolder { Startup, SendTo, Desktop };

// Test seam: where the shortcut folders are looked up. The program always
// uses the user's known folders (null, the default); tests point them at
// folders of their own.
using ShortcutFolderLookup = std::wstring (*)(ShortcutFolder folder);
void setShortcutFoldersForTesting(ShortcutFolderLookup lookup);

// File name of a shortcut to the program at `programPath`: its file name
// with the extension replaced by `suffix` + ".lnk" ("Tolvex.exe", " Start" ->
// "Tolvex Start.lnk"; "" -> "Tolvex.lnk").
std::wstring shortcutFileName(const wchar_t* programPath, const wchar_t* suffix);

// Full path of each of the four shortcuts for the running program; empty when
// its folder cannot be had.
std::wstring startupShortcutPath();
std::wstring sendToShortcutPath();
std::wstring desktopStartShortcutPath();
std::wstring desktopDateShortcutPath();

bool sendToShortcutExists();
// Makes the Send To shortcut exist exactly when `wanted` (created when
// missing, deleted when present). Failures are not reported; the startup
// shortcut's twin is makeStartupShortcutAgree.
void settleSendToShortcut(bool wanted);
// Write (or overwrite) the desktop shortcuts.
void createDesktopStartShortcut();
void createDesktopDateShortcut();
