// Shows one dialog of the program for a few seconds so that a picture of
// the screen can be taken (scripts/dialog-screens.sh runs it under Wine):
//   dialog_screens.exe calendar | small | large | options | about | help
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

namespace {

constexpr UINT kHoldMs = 6000;

void CALLBACK endHold(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND active = GetActiveWindow();
    if (active) PostMessageW(active, WM_COMMAND, IDCANCEL, 0);
    PostQuitMessage(0);
}

int showScreen(const std::string& screen) {
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
