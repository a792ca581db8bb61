// Shows one window or dialog of the program long enough for a picture of it
// to be taken (scripts/dialog-screens.sh and scripts/help-screens.sh run it
// under Wine):
//   dialog_screens.exe calendar | small | large | options | options-resident
//                      | rename | sizes | folders | about | help
//   dialog_screens.exe resident-menu   (the real Tolvex.exe, resident, its
//                      icon's menu open)
// Once the window has painted, its screen rectangle is written to standard
// output as "x y width height", and it stays open a little longer so that
// the caller can cut that rectangle out of the screen.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "settings/settings.h"
#include "support/harness.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"
#include "ui/about_window.h"
#include "ui/calendar_dialog.h"
#include "ui/detail_dialogs.h"
#include "ui/folder_window.h"
#include "ui/help_win.h"
#include "ui/options_dialog.h"
#include "ui/rename_dialog.h"
#include "ui/resident.h"
#include "ui/ui_resources.h"

namespace {

constexpr UINT kPaintedMs = 1500;  // until the window has surely painted
constexpr UINT kHoldMs = 6000;     // until it is closed
constexpr UINT_PTR kReportTimer = 1;

HWND g_owner = nullptr;

// The folder window's needs, with nothing behind them: it only has to show.
class ScreenHost final : public FolderWindowHost {
public:
    explicit ScreenHost(HWND owner) : owner_(owner) {}
    HWND owner() const override { return owner_; }
    HFONT font() const override { return g_uiFont; }
    void addFolder(const wchar_t*) override {}
    bool overLists(POINT) const override { return false; }

private:
    HWND owner_;
};

void CALLBACK reportRect(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND shown = uitest::findOwnedBy(g_owner);
    if (!shown) shown = GetActiveWindow();
    RECT r{};
    if (shown && GetWindowRect(shown, &r))
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
}

void CALLBACK endHold(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND active = GetActiveWindow();
    if (active) PostMessageW(active, WM_COMMAND, IDCANCEL, 0);
    PostQuitMessage(0);
}

// A resident Tolvex.exe in a folder of its own, its icon's menu opened at
// the middle of the screen as a right click on the icon opens it.
int showResidentMenu() {
    harness::TempFolder dir;
    const std::wstring exe = harness::copyTolvex(dir.path());
    harness::writeUtf16File(dir.file(L"Tolvex.ini"), L"[Resident]\r\nOn=1\r\n");
    harness::Process tolvex = harness::Process::start(exe, L"/s");
    HWND resident =
        harness::waitForWindow(tolvex.id(), L"Tolvex_main_class", kResidentTitle, 20000);
    if (!resident) return 1;
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
    PostMessageW(resident, kResidentIconMessage, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
    Sleep(kHoldMs);
    tolvex.kill();
    return 0;
}

void runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int showScreen(const std::string& screen) {
    if (screen == "resident-menu") return showResidentMenu();
    uitest::setUpUiProcess();
    uitest::ShortcutFolders folders;
    g_settings = Settings{};
    g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_settings.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    g_settings.BgColor = 0x804020;
    g_settings.cal.CalPosX = g_settings.screenWidth - 136;  // as a new settings file has it
    HWND owner = uitest::createOwnerWindow();
    g_owner = owner;
    SetTimer(nullptr, kReportTimer, kPaintedMs, reportRect);
    SetTimer(nullptr, 0, kHoldMs, endHold);
    if (screen == "calendar") openCalendarDialog(owner);
    if (screen == "small") openSmallImageDialog(owner);
    if (screen == "large") openLargeImageDialog(owner);
    if (screen == "options") openOptionsDialog(owner);
    if (screen == "options-resident") {
        g_settings.On = 1;
        g_settings.Interval = 60;
        g_settings.HotKey = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'N';
        openOptionsDialog(owner);
    }
    if (screen == "rename") {
        std::wstring name = L"風景";
        runRenameDialog(owner, name);
    }
    if (screen == "sizes") {
        HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100,
                                     100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        fillSizeCombo(combo);
        runSizeDialog(owner, combo);
    }
    ScreenHost host(owner);
    if (screen == "folders") {
        HWND window = createFolderWindow(host);
        if (window) showFolderWindow(window);
        runMessageLoop();
    }
    HelpViewer help;
    if (screen == "about" || screen == "help") {
        if (screen == "about")
            openAboutWindow(owner);
        else
            callHelpViewer(nullptr, (harness::testFolder() + L"\\Tolvex.chm").c_str(),
                           kHelpDisplayTopic, 0);
        runMessageLoop();
    }
    DestroyWindow(owner);
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return showScreen(argc > 1 ? argv[1] : "calendar"); }
