// Process entry: start-up, the single-instance rule, the command line and the
// message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <ctime>

#include "app/command_line.h"
#include "app/headless_runs.h"
#include "base/app_heap.h"
#include "base/random.h"
#include "settings/settings_file.h"
#include "ui/folder_window.h"
#include "ui/help_win.h"
#include "ui/main_window.h"
#include "ui/main_window_menu.h"
#include "ui/ui_resources.h"

namespace {

int determineOsClass() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
    return classifyWindowsVersion(info.dwMajorVersion, info.dwMinorVersion);
}

bool pathExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

LRESULT CALLBACK headlessWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A headless run keeps a hidden window of the main class while it works, so
// that any further start only activates it and leaves.
void runHeadless(RunKind kind, const wchar_t* argument) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = headlessWindowProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = kMainClassName;
    RegisterClassExW(&wc);
    HWND hidden = CreateWindowExW(0, kMainClassName, kAppTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, g_instance, nullptr);
    switch (kind) {
        case RunKind::Change:
            changeWallpaper();
            break;
        case RunKind::CalendarOnly:
            updateCalendarOnly();
            break;
        case RunKind::SetFile:
            makeWallpaper(argument);
            break;
        case RunKind::Windowed:
            break;
    }
    if (hidden)
        DestroyWindow(hidden);
    else
        PostQuitMessage(0);
}

void runWindowed(int showCommand) {
    INITCOMMONCONTROLSEX icc = {sizeof icc,
                                ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    loadFolderSettings();
    createMenuResources();
    if (!registerMainWindowClass(g_instance)) {
        PostQuitMessage(0);
        return;
    }
    HWND main = createMainWindow(g_instance);
    if (!main) {
        PostQuitMessage(0);
        return;
    }
    // A maximised start shows the window in its normal state: it has no
    // maximised form.
    if (showCommand == SW_SHOWMAXIMIZED) {
        ShowWindow(main, SW_SHOWMINIMIZED);
        ShowWindow(main, SW_SHOWNORMAL);
    } else {
        ShowWindow(main, showCommand);
    }
    UpdateWindow(main);
    loadMainWindowLists();
    createFolderWindowForMain();
}

void runStartProper(int showCommand) {
    seedRandom(startupSeed(static_cast<uint32_t>(std::time(nullptr))));
    g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_settings.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    loadSettings();

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* first = argv && argc > 1 ? argv[1] : nullptr;
    const RunKind kind = classifyFirstArgument(first, pathExists);
    if (kind != RunKind::Windowed) {
        runHeadless(kind, first);
        LocalFree(argv);
        return;
    }
    LocalFree(argv);
    runWindowed(showCommand);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    if (!createAppHeap()) return 0;
    g_instance = instance;
    g_osClass = determineOsClass();
    g_uiFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                           L"MS UI Gothic");
    DWORD_PTR helpCookie = 0;
    initializeHelp(&helpCookie);

    int exitCode = 0;
    bool started = false;
    if (g_osClass == 0 || !locateSettingsFile()) {
        showErrorMessage(nullptr, L"ファイル実行に失敗しました。");
    } else if (HWND running = FindWindowW(kMainClassName, nullptr)) {
        // Another instance owns the stage: bring it forward and change nothing.
        if (IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
        SetForegroundWindow(running);
    } else {
        // The folder window lists the shell namespace while it is built, so
        // the apartment comes first.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        runStartProper(showCommand);
        started = true;
    }

    if (started) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
        CoUninitialize();
    }

    uninitializeHelp(helpCookie);
    if (g_uiFont) DeleteObject(g_uiFont);
    destroyAppHeap();
    return exitCode;
}
