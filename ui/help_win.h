// The HTML Help viewer: the system's HTML Help control, loaded on first use
// from the path the registry gives for it (or "hhctrl.ocx" by name). Once
// loading has failed every call returns null, so a system without it stays
// silent.
#pragma once

#include <windows.h>

#include "base/owners_win.h"

inline constexpr UINT kHelpDisplayTopic = 0x0000;
inline constexpr UINT kHelpInitialize = 0x001C;
inline constexpr UINT kHelpUninitialize = 0x001D;

// The viewer for the life of the object: it initialises the control when it
// is made (holding on to the control's cookie), uninitialises it and frees
// the library when it goes. The program's entry holds one from start to
// exit; while it lives it is the process's viewer that callHelpViewer
// reaches.
class HelpViewer {
public:
    HelpViewer() noexcept;
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    HWND call(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data) noexcept;

private:
    using Entry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    Entry entry() noexcept;

    UniqueLibrary library_;  // first in, last out: freed after the uninitialising call
    Entry entry_ = nullptr;
    bool failed_ = false;
    DWORD_PTR cookie_ = 0;
    HelpViewer* outer_ = nullptr;  // the viewer this one stands in for while it lives
};

// Calls the process's viewer; null when no viewer lives.
HWND callHelpViewer(HWND owner, const wchar_t* file, UINT command, DWORD_PTR data);
