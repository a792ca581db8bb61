// Presses "ヘルプ" in a running Tolvex main window and waits for the help
// viewer to show the help file (scripts/dist-check.sh runs it under Wine
// beside the program unpacked from the download):
//   open_help.exe
// Prints the viewer's title and ends with 0 when it showed, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kTries = 150;  // of kPauseMs each
constexpr DWORD kPauseMs = 100;

struct Found {
    const wchar_t* className;
    HWND window;
};

BOOL CALLBACK matchClass(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!IsWindowVisible(window) || std::wcscmp(name, found->className) != 0) return TRUE;
    found->window = window;
    return FALSE;
}

HWND waitForTopLevel(const wchar_t* className) {
    for (int i = 0; i < kTries; ++i) {
        Found found{className, nullptr};
        EnumWindows(matchClass, reinterpret_cast<LPARAM>(&found));
        if (found.window) return found.window;
        Sleep(kPauseMs);
    }
    return nullptr;
}

}  // namespace

int main() {
    HWND main = waitForTopLevel(L"Tolvex_main_class");
    if (!main) {
        std::puts("no main window");
        return 1;
    }
    HWND help = FindWindowExW(main, nullptr, L"Button", L"ヘルプ");
    if (!help) {
        std::puts("no help button");
        return 1;
    }
    SendMessageW(help, BM_CLICK, 0, 0);
    HWND viewer = waitForTopLevel(L"HH Parent");
    if (!viewer) {
        std::puts("no help viewer");
        return 1;
    }
    wchar_t text[128] = {};
    GetWindowTextW(viewer, text, 128);
    char title[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, title, sizeof title, nullptr, nullptr);
    std::printf("help viewer: %s\n", title);
    return 0;
}
