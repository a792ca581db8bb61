// Pieces of the About window and the help command that tests look at.
#pragma once

#include <windows.h>

#include <string>

// The About window while it is open, else null.
HWND aboutWindow();

// The help file of a program file: its path with the extension replaced by
// ".chm" (empty when that does not fit a path).
std::wstring helpFilePath(const wchar_t* programPath);
