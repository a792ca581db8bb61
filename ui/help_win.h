// The HTML Help viewer, loaded on first use from the path the registry gives
// for its control (or "hhctrl.ocx" by name). Once loading has failed every
// call returns 0, so a system without it stays silent.
#pragma once

#include <windows.h>

inline constexpr UINT kHelpDisplayTopic = 0x0000;
inline constexpr UINT kHelpInitialize = 0x001C;
inline constexpr UINT kHelpUninitialize = 0x001D;

HWND callHelpViewer(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);

// Start-up and exit of the viewer, with the cookie it hands out.
void initializeHelp(DWORD_PTR* cookie);
void uninitializeHelp(DWORD_PTR cookie);
