// Process entry: start-up, the single-instance rule, the command line and the
// message loop. Everything set up here is held by a small owner, so that
// each way out of wWinMain lets go of it in the reverse order.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <ctime>

#include "app/command_line.h"
#include "app/headless_runs.h"
#include "app/screen_size.h"
#include "base/app_heap.h"
#include "base/owners_win.h"
#include "base/random.h"
#include "settings/settings_file.h"
#include "ui/help_win.h"
#include "ui/main_window.h"
#include "ui/resident.h"
#include "ui/ui_resources.h"

namespace {

// The application heap, for the process's life.
class AppHeap {
public:
    AppHeap() noexcept : created_(createAppHeap()) {}
    ~AppHeap() {
        if (created_) destroyAppHeap();
    }
    AppHeap(const AppHeap&) = delete;
    AppHeap& operator=(const AppHeap&) = delete;
    explicit operator bool() const noexcept { return created_; }

private:
    bool created_;
};

// The UI font every control gets through g_uiFont.
class UiFont {
public:
    UiFont() noexcept
        : font_(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                            L"MS UI Gothic")) {
        g_uiFont = font_.get();
    }
    ~UiFont() { g_uiFont = nullptr; }
    UiFont(const UiFont&) = delete;
    UiFont& operator=(const UiFont&) = delete;

private:
    UniqueFont font_;
};

// COM for this thread as a single-threaded apartment.
class ComApartment {
public:
    ComApartment() noexcept
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

OsClass determineOsClass() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return OsClass::Unsupported;
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
    wc.style = kWindowClassStyle;
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

void runWindowed(int showCommand, MainWindow& w) {
    if (!openMainWindow(g_instance, w, showCommand)) PostQuitMessage(0);
}

// The first command-line argument and what it asks for.
struct FirstArgument {
    LocalMemory arguments;
    const wchar_t* text = nullptr;
    RunKind kind = RunKind::Windowed;
};

void readFirstArgument(FirstArgument& first) {
    int argc = 0;
    first.arguments.reset(CommandLineToArgvW(GetCommandLineW(), &argc));
    const auto* argv = static_cast<const LPWSTR*>(first.arguments.get());
    first.text = argv && argc > 1 ? argv[1] : nullptr;
    first.kind = classifyFirstArgument(first.text, pathExists);
}

void runStartProper(int showCommand, const FirstArgument& first, MainWindow& w,
                    Resident& resident) {
    seedRandom(startupSeed(static_cast<uint32_t>(std::time(nullptr))));
    readScreenSize(g_settings);
    loadSettings();

    // In resident mode the run stays, with its icon, instead of ending.
    if (g_settings.On && resident.start(first.kind, first.text, showCommand)) return;
    if (first.kind != RunKind::Windowed)
        runHeadless(first.kind, first.text);
    else
        runWindowed(showCommand, w);
}

int runMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const AppHeap heap;
    if (!heap) return 0;
    g_instance = instance;
    const OsClass os = determineOsClass();
    const UiFont font;
    HelpViewer help;  // the process's help viewer, until exit

    if (os == OsClass::Unsupported || !locateSettingsFile()) {
        showErrorMessage(nullptr, L"ファイル実行に失敗しました。");
        return 0;
    }
    FirstArgument first;
    readFirstArgument(first);
    // A resident process takes the request over; this start ends.
    if (handOverToResident(first.kind, first.text)) return 0;
    if (HWND running = FindWindowW(kMainClassName, nullptr)) {
        // Another instance owns the stage: bring it forward and change nothing.
        if (IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 0;
    }
    // The folder window lists the shell namespace while it is built, so
    // the apartment comes first.
    const ComApartment com;
    MainWindow mainWindow;  // the windowed run's record, until the loop has ended
    Resident resident;      // resident mode's window, icon and timer, until the loop has ended
    runStartProper(showCommand, first, mainWindow, resident);
    return runMessageLoop();
}
