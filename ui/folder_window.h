// The registered-folder window ("フォルダ選択"): a tool window beside the main
// window with one tree of the shell namespace and one of the user's
// registered folders, from which whole folders are added to the shown list.
// It is created hidden once, shown on request and only hidden on close. The
// window owns its state; the functions below reach it through the window.
#pragma once

#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include "res/control_ids.h"  // the control and menu identifiers

class FolderMenu;

// What the window needs from the window it serves (the main window, or a
// stand-in in tests). It must outlive the folder window.
class FolderWindowHost {
public:
    virtual ~FolderWindowHost() = default;
    // The window it stands beside, owned by it (null: none).
    virtual HWND owner() const = 0;
    // The font every control gets (null: the system's).
    virtual HFONT font() const { return nullptr; }
    // Adds the folder's pictures to the shown list.
    virtual void addFolder(const wchar_t* folder) = 0;
    // Whether a screen point lies over the lists, where a dragged folder lands.
    virtual bool overLists(POINT screenPoint) const = 0;
    // The owner-drawn context menu (null: the tree has none).
    virtual const FolderMenu* menu() const { return nullptr; }
    // Tells the user of a failure.
    virtual void showError(const wchar_t* text) const {}
};

inline constexpr wchar_t kFolderWindowClass[] = L"Tolvex_trbase_class";
inline constexpr int kFolderWindowWidth = 200;

// Builds the window (hidden) and its two roots from Settings, selects the
// "登録フォルダ" root and expands the roots as DTExpand / LRExpand say. The
// window goes with its owner, or by DestroyWindow.
HWND createFolderWindow(FolderWindowHost& host);

// "フォルダ選択": shows the window.
void showFolderWindow(HWND window);
// Part of the closing sequence: the window's own settings into Settings
// (the expanded state of both roots; the registered folders are kept there
// all along).
void saveFolderWindowState(HWND window);

// The window's parts, for the main window and for tests.
struct FolderWindowParts {
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND sizeCombo = nullptr;
    HTREEITEM desktopRoot = nullptr;
    HTREEITEM registeredRoot = nullptr;
};
FolderWindowParts folderWindowParts(HWND window);

// What the context menu does for `item`: greys or enables the menu's items
// before it opens, and carries out one of its commands.
void prepareFolderMenu(HWND window, HMENU menu, HTREEITEM item);
void runFolderCommand(HWND window, HTREEITEM item, UINT command);

// "サイズ登録" (dialog 2500) over the size combo box; true when confirmed.
bool runSizeDialog(HWND owner, HWND sizeCombo);
// Refills the size combo box from the presets and selects AddImgSize.
void fillSizeCombo(HWND sizeCombo);
