// The options dialog ("オプション"): wheel behaviour, margin colour, plug-ins
// and their folder, the Send To entry and the two desktop shortcuts.
#pragma once

#include <windows.h>

#include <string>

INT_PTR openOptionsDialog(HWND owner);

// The system folder browser titled "プラグインフォルダ選択" (file-system folders
// only), opened on `startFolder` when that is not empty. False when cancelled
// or when the choice has no file-system path.
bool pickPluginFolder(HWND owner, const wchar_t* startFolder, std::wstring* chosen);
