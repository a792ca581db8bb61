// Shows one dialog of the program for a few seconds so that a picture of
// the screen can be taken (scripts/dialog-screens.sh runs it under Wine):
//   dialog_screens.exe calendar | small | large | options | options-resident | about | help
//   dialog_screens.exe resident-menu   (the real Tolvex.exe, resident, its icon's menu open)
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "settings/settings.h"
#include "support/harness.h"
#include "support/shell_links.h"
#include "support/ui_driver.h"
#include "ui/about_window.h"
#include "ui/calendar_dialog.h"
#include "ui/detail_dialogs.h"
#include "ui/help_win.h"
#include "ui/options_dialog.h"
#include "ui/resident.h"

namespace {

constexpr UINT kHoldMs = 6000;

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

int showScreen(const std::string& screen) {
    if (screen == "resident-menu") return showResidentMenu();
    uitest::setUpUiProcess();
    uitest::ShortcutFolders folders;
    g_settings = Settings{};
    g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    g_settings.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    g_settings.BgColor = 0x804020;
    HWND owner = uitest::createOwnerWindow();
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
    HelpViewer help;
    if (screen == "about" || screen == "help") {
        if (screen == "about")
            openAboutWindow(owner);
        else
            callHelpViewer(nullptr, (harness::testFolder() + L"\\Tolvex.chm").c_str(),
                           kHelpDisplayTopic, 0);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DestroyWindow(owner);
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return showScreen(argc > 1 ? argv[1] : "calendar"); }
