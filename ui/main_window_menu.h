// The owner-drawn popup menu that the registered-folder window shows over its
// tree, and the GDI objects that draw it. The main window's record holds one;
// it is created before the main window and destroyed in its closing sequence.
#pragma once

#include <windows.h>

#include <string>

#include "base/owners_win.h"
#include "res/control_ids.h"  // the menu's commands (kFolderCmd...)

class FolderMenu {
public:
    FolderMenu() = default;
    // The menu's items point at its texts: it stays where it was made.
    FolderMenu(const FolderMenu&) = delete;
    FolderMenu& operator=(const FolderMenu&) = delete;

    // Makes the popup menu, its font, brushes and pens.
    void create();
    // Lets all of them go (also when the object goes).
    void destroy();
    // After a change of system settings: the menu font and background follow
    // the system's.
    void rebuildFontAndBackground();

    // The popup menu (null before create or after destroy).
    HMENU popup() const { return popup_.get(); }

    // Owner-drawing, for whichever window receives the menu's messages.
    // Both return false for items that are not this menu's.
    bool measureItem(HWND owner, MEASUREITEMSTRUCT* item) const;
    bool drawItem(const DRAWITEMSTRUCT* item) const;

private:
    // The texts of one owner-drawn item: label, prefix and trailing text.
    // This program's items only use the label.
    struct ItemText {
        std::wstring label;
        std::wstring prefix;
        std::wstring trailing;
    };

    void createFontAndBackground();
    void appendOwnerDrawn(UINT id, int index, const wchar_t* label);
    const ItemText* itemText(ULONG_PTR data) const;
    HGDIOBJ fontOrDefault() const;

    ItemText items_[4];  // the popup's items point here
    UniqueFont font_;
    UniqueBrush background_;
    UniqueBrush highlightBrush_;
    UniquePen highlightPen_;
    UniqueBrush checkBrush_;
    UniquePen checkPen_;
    UniqueMenu popup_;
};
