// The placement detail dialogs for small ("小さい画像 詳細設定") and large
// ("大きい画像 詳細設定") pictures. Every click lands in the settings at once;
// "閉じる" or Escape closes.
#pragma once

#include <windows.h>

INT_PTR openSmallImageDialog(HWND owner);
INT_PTR openLargeImageDialog(HWND owner);
