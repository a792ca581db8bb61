// The main window over long lists: start-up with eight lists of 5,000
// existing files each (target: window shown and filled in under 2 s) and
// sorting 5,000 entries (target: under 1 s), through the real window.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "ui/list_editing.h"
#include "ui/main_window.h"
#include "ui/main_window_menu.h"
#include "ui/ui_resources.h"

namespace {

constexpr int kEntries = 5000;

double now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool writeUtf16(const std::wstring& path, const std::wstring& text) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const wchar_t bom = 0xFEFF;
    bool ok = WriteFile(f, &bom, 2, &written, nullptr) &&
              WriteFile(f, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
    CloseHandle(f);
    return ok;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tolvex_main_window_bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    // Names in a scrambled order so that the sort has work to do.
    std::vector<std::wstring> paths;
    for (int i = 0; i < kEntries; ++i) {
        wchar_t name[64];
        wsprintfW(name, L"\\holiday photo %05d from the summer.bmp", (i * 7919) % kEntries);
        paths.push_back(folder + name);
        HANDLE f =
            CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
    std::wstring ini = L"[WP]\r\nActList=0\r\n";
    for (int l = 0; l < kListCount; ++l) {
        ini += L"[" + listSectionName(l) + L"]\r\nCount=" + std::to_wstring(kEntries) +
               L"\r\nWPNum=-1\r\n";
        for (int i = 0; i < kEntries; ++i) ini += std::to_wstring(i) + L"=" + paths[i] + L"\r\n";
    }
    const std::wstring iniPath = folder + L"\\Tolvex.ini";
    if (!writeUtf16(iniPath, ini)) return 1;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    setSettingsFilePathForTesting(iniPath);
    g_instance = GetModuleHandleW(nullptr);
    g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_settings.screenHeight = GetSystemMetrics(SM_CYSCREEN);

    const double t0 = now();
    loadSettings();
    const double tRead = now();
    MainWindow window;
    window.folderMenu.create();
    registerMainWindowClass(g_instance);
    HWND main = createMainWindow(g_instance, window);
    ShowWindow(main, SW_SHOWNORMAL);
    UpdateWindow(main);
    const double tShown = now();
    loadMainWindowLists(window);
    const double tFilled = now();
    pump();
    const double t1 = now();
    std::printf("  settings read: %.3f s\n", tRead - t0);
    std::printf(
        "  settings read, window created and shown: %.3f s; lists filled: %.3f s; first paint: "
        "%.3f s\n",
        tShown - t0, tFilled - tShown, t1 - tFilled);
    size_t loaded = 0;
    for (int l = 0; l < kListCount; ++l) loaded += static_cast<size_t>(g_settings.lists[l].Count);

    const double t2 = now();
    sortList(window);
    const double t3 = now();
    shuffleList(window);
    const double t4 = now();

    std::printf("start with 8 x %d existing files: %.3f s (%u entries loaded; target < 2 s)\n",
                kEntries, t1 - t0, static_cast<unsigned>(loaded));
    std::printf("sort %d entries: %.3f s (target < 1 s)\n", kEntries, t3 - t2);
    std::printf("shuffle %d entries: %.3f s\n", kEntries, t4 - t3);

    const double t5 = now();
    SendMessageW(main, WM_CLOSE, 0, 0);
    pump();
    std::printf("closing save of 8 x %d entries: %.3f s\n", kEntries, now() - t5);
    CoUninitialize();
    for (const std::wstring& p : paths) DeleteFileW(p.c_str());
    DeleteFileW(iniPath.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
