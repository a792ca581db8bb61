// The owner-drawn popup menu that the registered-folder window shows over its
// tree, and the GDI objects that draw it. Created before the main window,
// destroyed in its closing sequence.
#pragma once

#include <windows.h>

enum FolderMenuCommand : UINT {
    kMenuAddToList = 5000,
    kMenuAddRegistered = 5010,
    kMenuRemoveRegistered = 5011,
    kMenuOpenExplorer = 5020,
    kMenuSeparator = 6000,
};

void createMenuResources();
void destroyMenuResources();
// After a change of system settings: the menu font and background follow
// the system's.
void rebuildMenuFontAndBrush();

// The popup menu (null before createMenuResources or after destruction).
HMENU folderPopupMenu();

// Owner-drawing, for whichever window receives the menu's messages.
// Both return false for items that are not this menu's.
bool measureMenuItem(HWND owner, MEASUREITEMSTRUCT* item);
bool drawMenuItem(const DRAWITEMSTRUCT* item);
