// Process-wide resources set up at start (see app/main_win.cpp).
#pragma once

#include <windows.h>

extern HINSTANCE g_instance;
extern HFONT g_uiFont;  // "MS UI Gothic", 12 pixels, for every control
extern int g_osClass;   // 0 = unsupported, 1 = XP, 2 = Vista..8.1, 3 = later

inline constexpr wchar_t kMainClassName[] = L"Tolvex_main_class";
inline constexpr wchar_t kAppTitle[] = L"Tolvex";

// Version class from GetVersionExW's major and minor numbers.
int classifyWindowsVersion(DWORD major, DWORD minor);

// The program's one error box: no owner unless given, caption "Error",
// error icon, brought to the foreground.
void showErrorMessage(HWND owner, const wchar_t* text);
