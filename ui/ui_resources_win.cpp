// The process-wide resources of app_state.h. They live in the library rather
// than beside wWinMain so that tests can create the program's windows in
// their own process.
#include "ui/ui_resources.h"

HINSTANCE g_instance = nullptr;
HFONT g_uiFont = nullptr;
int g_osClass = 0;

int classifyWindowsVersion(DWORD major, DWORD minor) {
    if (major == 5) return minor == 1 ? 1 : 0;
    if (major == 6) return 2;
    if (major >= 7) return 3;
    return 0;
}

void showErrorMessage(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, L"Error", MB_ICONERROR | MB_SETFOREGROUND);
}
