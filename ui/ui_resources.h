// The user interface's process-wide resources, set up by the program's entry
// at start (program/main_win.cpp) and by tests that open windows in their own
// process.
#pragma once

#include <windows.h>

extern HINSTANCE g_instance;
extern HFONT g_uiFont;  // "MS UI Gothic", 12 pixels, for every control; owned by the entry

// The Windows version as start-up judges it; only Unsupported refuses to run.
enum class OsClass { Unsupported, Xp, VistaTo81, Later };

// Version class from GetVersionExW's major and minor numbers.
OsClass classifyWindowsVersion(DWORD major, DWORD minor);

inline constexpr wchar_t kMainClassName[] = L"Tolvex_main_class";
inline constexpr wchar_t kAppTitle[] = L"Tolvex";

// The class style of every window class the program registers: redrawn
// whole on a change of size, double clicks reported as such.
inline constexpr UINT kWindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

// The program's one error box: no owner unless given, caption "Error",
// error icon, brought to the foreground.
void showErrorMessage(HWND owner, const wchar_t* text);

// Gives `control` (a child of `owner`) a tooltip with `text` in the tooltip
// window `tooltip`; nothing when any of them is missing.
void addToolTip(HWND tooltip, HWND owner, HWND control, const wchar_t* text) noexcept;
