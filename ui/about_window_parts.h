// Pieces of the About window and the help command that tests look at.
#pragma once

#include <windows.h>

#include <string>

// The About window of this thread while it is open, else null.
HWND aboutWindow();

// The help file of a program file: its path with the extension replaced by
// ".chm" (empty when that does not fit a path).
std::wstring helpFilePath(const wchar_t* programPath);

// The About window's link text for a help file: "ヘルプ (name.chm)", or
// "ヘルプ" alone when there is no help file.
std::wstring helpLinkText(const std::wstring& helpFile);

// openAboutWindow with the help file its link opens given (the program's
// own is beside it, under its name).
bool openAboutWindowFor(HWND owner, const std::wstring& helpFile);

// The link text the open About window shows.
std::wstring aboutLinkText(HWND about);
