// Stand-ins for the dialogs, the About window, the help file and the startup
// shortcut until their own files replace them: each does nothing.
#include "ui/about_window.h"
#include "ui/calendar_dialog.h"
#include "ui/detail_dialogs.h"
#include "ui/options_dialog.h"
#include "ui/startup_shortcut.h"

void openCalendarDialog(HWND) {}
void openSmallImageDialog(HWND) {}
void openLargeImageDialog(HWND) {}
void openOptionsDialog(HWND) {}
bool openAboutWindow(HWND) { return true; }
void openHelpFile(HWND) {}
bool startupShortcutExists() { return false; }
void makeStartupShortcutAgree(bool) {}
