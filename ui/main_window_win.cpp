#include "ui/main_window.h"

#include "app/app_state.h"
#include "res/resource.h"
#include "settings/settings_file.h"

MainWindow g_mainWindow;

namespace {

void onCreate(HWND hwnd) {
    g_mainWindow.hwnd = hwnd;
    // The window keeps a fixed size: no maximize and no size entry.
    HMENU sys = GetSystemMenu(hwnd, FALSE);
    if (sys) {
        DeleteMenu(sys, 4, MF_BYPOSITION);
        DeleteMenu(sys, 2, MF_BYPOSITION);
    }
}

// The closing sequence: everything the window holds goes to the settings
// file, then the window goes.
void onClose(HWND hwnd) {
    saveAllSettings(g_mainWindow.entries);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            onCreate(hwnd);
            return 0;
        case WM_CLOSE:
            onClose(hwnd);
            return 0;
        case WM_DESTROY:
            g_mainWindow.hwnd = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVEX), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClassName;
    return RegisterClassExW(&wc) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_ACCEPTFILES;
    const int frameW = GetSystemMetrics(SM_CXDLGFRAME);
    const int frameH = GetSystemMetrics(SM_CYDLGFRAME);
    const int width = kMainClientWidth + 2 * frameW;
    const int height = kMainClientHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * frameH;
    const int left = (g_settings.screenWidth - width) / 2;
    const int top = (g_settings.screenHeight - height) / 2;
    return CreateWindowExW(exStyle, kMainClassName, kAppTitle, style, left, top, width, height,
                           nullptr, nullptr, instance, nullptr);
}

void loadMainWindowLists() {
    for (int i = 0; i < kListCount; ++i) g_mainWindow.entries[i] = loadListEntries(i);
}
