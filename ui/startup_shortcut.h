// The startup shortcut that runs the program with "/s" when Windows starts.
#pragma once

bool startupShortcutExists();
// Creates the shortcut when `enabled` and it is missing, deletes it when
// not `enabled` and it exists.
void makeStartupShortcutAgree(bool enabled);
