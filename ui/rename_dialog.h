// Dialog IDD_RENAME "リスト名変更": asks for a list's new name.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog with `name` in its edit box; on "OK" puts the edit text
// (at most 260 characters, possibly empty) into `name` and returns true.
bool runRenameDialog(HWND owner, std::wstring& name);
