// The registered-folder window ("フォルダ選択"): a tool window beside the main
// window with one tree of the shell namespace and one of the user's
// registered folders, from which whole folders are added to the shown list.
// It is created hidden once, shown on request and only hidden on close.
#pragma once

#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include "res/control_ids.h"  // the control and menu identifiers

// "フォルダ選択": shows the window (creating it when needed).
void showFolderWindow();
// Part of the closing sequence: the window's own settings into Settings
// (the expanded state of both roots; the registered folders are kept there
// all along).
void saveFolderWindowState();

// What the window needs from the main window; the start-up fills it.
struct FolderWindowHost {
    HWND owner = nullptr;                                // the main window
    HFONT font = nullptr;                                // the UI font every control gets
    void (*addFolder)(const wchar_t* folder) = nullptr;  // adds to the shown list
    bool (*overLists)(POINT screenPoint) = nullptr;      // within the list area
    HMENU (*popupMenu)() = nullptr;                      // the owner-drawn context menu
    bool (*measureMenuItem)(HWND owner, MEASUREITEMSTRUCT* item) = nullptr;
    bool (*drawMenuItem)(const DRAWITEMSTRUCT* item) = nullptr;
    void (*showError)(HWND owner, const wchar_t* text) = nullptr;
};

inline constexpr wchar_t kFolderWindowClass[] = L"Tolvex_trbase_class";
inline constexpr int kFolderWindowWidth = 200;

// Builds the window (hidden) and its two roots from Settings, selects the
// "登録フォルダ" root and expands the roots as DTExpand / LRExpand say.
HWND createFolderWindow(const FolderWindowHost& host);
// Creates the window for the main window (g_mainWindow), as the start-up
// does once the main window exists.
HWND createFolderWindowForMain();
// Destroys the window (at exit; also used by tests).
void destroyFolderWindow();

// The window's parts, for the main window and for tests.
struct FolderWindowParts {
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND sizeCombo = nullptr;
    HTREEITEM desktopRoot = nullptr;
    HTREEITEM registeredRoot = nullptr;
};
FolderWindowParts folderWindowParts();

// What the context menu does for `item`: greys or enables the menu's items
// before it opens, and carries out one of its commands.
void prepareFolderMenu(HMENU menu, HTREEITEM item);
void runFolderCommand(HTREEITEM item, UINT command);

// "サイズ登録" (dialog 2500) over the size combo box; true when confirmed.
bool runSizeDialog(HWND owner, HWND sizeCombo);
// Refills the size combo box from the presets and selects AddImgSize.
void fillSizeCombo(HWND sizeCombo);
