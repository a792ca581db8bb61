// The folder window wired to the main window: its owner, the UI font, the
// list the folders go to, and the owner-drawn context menu.
#include <windows.h>

#include "ui/folder_window.h"
#include "ui/list_editing.h"
#include "ui/main_window.h"
#include "ui/main_window_menu.h"
#include "ui/ui_resources.h"

namespace {

// The list boxes share one rectangle; the shown one stands for all.
bool overTheLists(POINT screen) {
    HWND box = shownListBox();
    RECT area;
    return box && GetWindowRect(box, &area) && PtInRect(&area, screen);
}

}  // namespace

HWND createFolderWindowForMain() {
    FolderWindowHost host;
    host.owner = g_mainWindow.hwnd;
    host.font = g_uiFont;
    host.addFolder = addFolderToShownList;
    host.overLists = overTheLists;
    host.popupMenu = folderPopupMenu;
    host.measureMenuItem = measureMenuItem;
    host.drawMenuItem = drawMenuItem;
    host.showError = showErrorMessage;
    g_mainWindow.folderWindow = createFolderWindow(host);
    return g_mainWindow.folderWindow;
}
