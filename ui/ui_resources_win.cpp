// The process-wide resources of ui_resources.h. They live in the library
// rather than beside wWinMain so that tests can create the program's windows
// in their own process.
#include <windows.h>
#include <commctrl.h>

#include "ui/ui_resources.h"

HINSTANCE g_instance = nullptr;
HFONT g_uiFont = nullptr;

OsClass classifyWindowsVersion(DWORD major, DWORD minor) {
    if (major == 5) return minor == 1 ? OsClass::Xp : OsClass::Unsupported;
    if (major == 6) return OsClass::VistaTo81;
    if (major >= 7) return OsClass::Later;
    return OsClass::Unsupported;
}

void showErrorMessage(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, L"Error", MB_ICONERROR | MB_SETFOREGROUND);
}

void addToolTip(HWND tooltip, HWND owner, HWND control, const wchar_t* text) noexcept {
    if (!tooltip || !control || !text) return;
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}
