// The plug-in folder browser of the options dialog.
#pragma once

#include <windows.h>

#include <string>

// The system folder browser titled "プラグインフォルダ選択" (file-system folders
// only), opened on `startFolder` when that is not empty. False when cancelled
// or when the choice has no file-system path.
bool pickPluginFolder(HWND owner, const wchar_t* startFolder, std::wstring* chosen);
