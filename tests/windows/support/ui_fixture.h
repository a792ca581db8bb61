// The main window created in the test's own process, over a settings file in
// a temporary folder, so that tests can hand it real drops and read Settings
// directly. Closing it runs the real closing sequence.
#pragma once

#include <windows.h>
// (before every other system header, which all build on it)
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/harness.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/ui_resources.h"

namespace uitest {

// A 24-bit BMP of one colour (blue, green, red).
inline void writeBmp(const std::wstring& path, int width, int height, uint8_t b = 40,
                     uint8_t g = 90, uint8_t r = 200) {
    const int stride = (width * 3 + 3) & ~3;
    std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
            bytes[at] = static_cast<char>(b);
            bytes[at + 1] = static_cast<char>(g);
            bytes[at + 2] = static_cast<char>(r);
        }
    harness::writeBytes(path, bytes);
}

// One list section's text for the settings file.
inline std::wstring listSection(int list, const std::vector<std::wstring>& entries, int wpNum,
                                const std::wstring& name = L"") {
    std::wstring text = L"[" + listSectionName(list) + L"]\r\n";
    text += L"Count=" + std::to_wstring(entries.size()) + L"\r\nWPNum=" + std::to_wstring(wpNum) +
            L"\r\n";
    if (!name.empty()) text += L"Name=" + name + L"\r\n";
    for (size_t i = 0; i < entries.size(); ++i)
        text += std::to_wstring(i) + L"=" + entries[i] + L"\r\n";
    return text;
}

inline std::vector<std::wstring> entriesOf(HWND box) { return listBoxEntries(box); }

// WM_GETTEXT, so that a control of another process answers with its text.
inline std::wstring windowText(HWND w) {
    wchar_t buf[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Handles every pending message of this thread (a quit message included).
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class MainWindowInProcess {
public:
    // Writes `ini` as the settings file and opens the window over it.
    explicit MainWindowInProcess(const std::wstring& ini) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        iniPath_ = folder_.file(L"Tolvex.ini");
        harness::writeUtf16File(iniPath_, ini);
        setSettingsFilePathForTesting(iniPath_);
        g_instance = GetModuleHandleW(nullptr);
        g_settings = Settings{};
        g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        g_settings.screenHeight = GetSystemMetrics(SM_CYSCREEN);
        loadSettings();
        state_.folderMenu.create();
        registerMainWindowClass(g_instance);
        hwnd_ = createMainWindow(g_instance, state_);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
        loadMainWindowLists(state_);
        pump();
    }
    ~MainWindowInProcess() {
        close();
        CoUninitialize();
    }
    MainWindowInProcess(const MainWindowInProcess&) = delete;
    MainWindowInProcess& operator=(const MainWindowInProcess&) = delete;

    void close() {
        if (hwnd_ && IsWindow(hwnd_)) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        // A window that refused to close must not outlive its record.
        if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        pump();
    }
    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    HWND list(int i) const { return state_.lists[i]; }
    HWND shownList() const { return shownListBox(state_); }
    // The window's record, as its operations take it.
    MainWindow& state() { return state_; }
    const PreviewImage& preview() const { return state_.preview; }
    const std::wstring& ini() const { return iniPath_; }
    const harness::TempFolder& folder() const { return folder_; }
    std::wstring file(const std::wstring& name) const { return folder_.file(name); }

    void click(int id) {
        SendMessageW(item(id), BM_CLICK, 0, 0);
        pump();
    }
    // Selects entry `index` of the shown list alone, as a click would.
    void select(int index) {
        HWND box = list(g_settings.shownList);
        SendMessageW(box, LB_SETSEL, FALSE, -1);
        SendMessageW(box, LB_SETSEL, TRUE, index);
        SendMessageW(box, LB_SETCARETINDEX, index, FALSE);
        SendMessageW(hwnd_, WM_COMMAND,
                     MAKEWPARAM(kIdFirstList + g_settings.shownList, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        pump();
    }

private:
    harness::TempFolder folder_;
    std::wstring iniPath_;
    MainWindow state_;  // outlives the window
    HWND hwnd_ = nullptr;
};

}  // namespace uitest
