// The About window ("バージョン情報") and the help command.
#pragma once

#include <windows.h>

#include <string>

// Opens the About window over `owner`, which stays disabled until the window
// closes (OK, Close, Enter or Escape). Shows "メモリ確保に失敗しました。" when
// the window's state cannot be allocated.
void openAboutWindow(HWND owner);

// The About window while it is open, else null.
HWND aboutWindow();

// The help file of a program file: its path with the extension replaced by
// ".chm" (empty when that does not fit a path).
std::wstring helpFilePath(const wchar_t* programPath);

// Opens the help file beside the running program in the help viewer.
void showHelp();
