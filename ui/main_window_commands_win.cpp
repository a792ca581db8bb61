// The main window's command table and the enabled states that follow its
// check boxes.

#include <windows.h>
// (before every other system header, which all build on it)
#include <commctrl.h>

#include "ui/about_window.h"
#include "ui/calendar_dialog.h"
#include "ui/detail_dialogs.h"
#include "ui/folder_window.h"
#include "ui/list_editing.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/preview.h"
#include "ui/ui_resources.h"

namespace {

HWND item(int id) { return GetDlgItem(g_mainWindow.hwnd, id); }

bool isChecked(int id) { return SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void enable(int id, bool on) { EnableWindow(item(id), on ? TRUE : FALSE); }

void applyOrderButtons() {
    const bool ordered = !(g_settings.Random & 1);
    for (int id : {kIdMoveUp, kIdMoveDown, kIdSort, kIdShuffle}) enable(id, ordered);
}

// "カレンダーのみ" is open only with "スタートアップ", "カレンダー" and
// "日付制限" all checked; it keeps its check while closed.
void applyCalendarOnlyRule() {
    enable(kIdCalendarOnly,
           g_mainWindow.startupEnabled && (g_settings.Calendar & 1) && (g_settings.Cycle & 1));
}

void activateTips() {
    if (g_mainWindow.tooltip)
        SendMessageW(g_mainWindow.tooltip, TTM_ACTIVATE, (g_settings.ToolTip & 1) ? TRUE : FALSE,
                     0);
}

void onListCommand(int code) {
    if (code == LBN_SELCHANGE) {
        previewEntry();
    } else if (code == LBN_DBLCLK) {
        previewEntry();
        setPreviewAsWallpaper();
    }
}

void onComboCommand(int id, int code) {
    if (code != CBN_SELCHANGE) return;
    const LRESULT selected = SendMessageW(item(id), CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    if (id == kIdSmallStyle)
        g_settings.StyleS = static_cast<int32_t>(selected);
    else
        g_settings.StyleB = static_cast<uint8_t>(selected & 1);
}

}  // namespace

void applyInitialEnabledStates() {
    applyOrderButtons();
    enable(kIdCustomize, g_settings.Calendar & 1);
    enable(kIdCycle, g_mainWindow.startupEnabled);
    applyCalendarOnlyRule();
    activateTips();
}

void onMainCommand(HWND hwnd, int id, int code, HWND /*control*/) {
    if (id >= kIdFirstList && id < kIdFirstList + kListCount) {
        onListCommand(code);
        return;
    }
    switch (id) {
        case kIdSetWallpaper:
            setPreviewAsWallpaper();
            break;
        case kIdCurrentWallpaper:
            showCurrentWallpapers();
            break;
        case kIdRename:
            renameList();
            break;
        case kIdAddFiles:
            addFiles();
            break;
        case kIdAddFolder:
            showFolderWindow();
            break;
        case kIdRemove:
            removeSelected();
            break;
        case kIdClear:
            clearList();
            break;
        case kIdRandom:
            g_settings.Random = isChecked(kIdRandom);
            applyOrderButtons();
            break;
        case kIdMoveUp:
            moveUp();
            break;
        case kIdMoveDown:
            moveDown();
            break;
        case kIdSort:
            sortList();
            break;
        case kIdShuffle:
            shuffleList();
            break;
        case kIdCalendar:
            g_settings.Calendar = isChecked(kIdCalendar);
            enable(kIdCustomize, g_settings.Calendar);
            applyCalendarOnlyRule();
            break;
        case kIdCustomize:
            openCalendarDialog(hwnd);
            break;
        case kIdSmallStyle:
        case kIdLargeStyle:
            onComboCommand(id, code);
            break;
        case kIdSmallDetail:
            openSmallImageDialog(hwnd);
            break;
        case kIdLargeDetail:
            openLargeImageDialog(hwnd);
            break;
        case kIdStartup:
            g_mainWindow.startupEnabled = isChecked(kIdStartup);
            enable(kIdCycle, g_mainWindow.startupEnabled);
            applyCalendarOnlyRule();
            break;
        case kIdCycle:
            g_settings.Cycle = isChecked(kIdCycle);
            applyCalendarOnlyRule();
            break;
        case kIdCalendarOnly:
            g_settings.WpNoChg = isChecked(kIdCalendarOnly);
            break;
        case kIdListHold:
            g_settings.ListHold = isChecked(kIdListHold);
            break;
        case kIdOptions:
            openOptionsDialog(hwnd);
            break;
        case kIdToolTip:
            g_settings.ToolTip = isChecked(kIdToolTip);
            activateTips();
            break;
        case kIdExit:
            SendMessageW(hwnd, WM_CLOSE, 0, 0);
            break;
        case kIdHelp:
            openHelpFile(hwnd);
            break;
        case kIdAbout:
            if (!openAboutWindow(hwnd)) showErrorMessage(nullptr, L"メモリ確保に失敗しました。");
            break;
        default:
            break;
    }
}
