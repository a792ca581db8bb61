// The About window and the help file.
#pragma once

#include <windows.h>

// False when the window could not be set up (the caller shows the message).
bool openAboutWindow(HWND owner);
// Opens the help file: the program's own path with the extension ".chm".
void openHelpFile(HWND owner);
