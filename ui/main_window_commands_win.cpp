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

HWND item(const MainWindow& w, int id) { return GetDlgItem(w.hwnd, id); }

bool isChecked(const MainWindow& w, int id) {
    return SendMessageW(item(w, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void enable(const MainWindow& w, int id, bool on) { EnableWindow(item(w, id), on ? TRUE : FALSE); }

void applyOrderButtons(const MainWindow& w) {
    const bool ordered = !(g_settings.Random & 1);
    for (int id : {kIdMoveUp, kIdMoveDown, kIdSort, kIdShuffle}) enable(w, id, ordered);
}

// "カレンダーのみ" is open only with "スタートアップ", "カレンダー" and
// "日付制限" all checked; it keeps its check while closed.
void applyCalendarOnlyRule(const MainWindow& w) {
    enable(w, kIdCalendarOnly,
           w.startupEnabled && (g_settings.Calendar & 1) && (g_settings.Cycle & 1));
}

void activateTips(const MainWindow& w) {
    if (w.tooltip)
        SendMessageW(w.tooltip, TTM_ACTIVATE, (g_settings.ToolTip & 1) ? TRUE : FALSE, 0);
}

void onListCommand(MainWindow& w, int code) {
    if (code == LBN_SELCHANGE) {
        previewEntry(w);
    } else if (code == LBN_DBLCLK) {
        previewEntry(w);
        setPreviewAsWallpaper(w);
    }
}

void onComboCommand(const MainWindow& w, int id, int code) {
    if (code != CBN_SELCHANGE) return;
    const LRESULT selected = SendMessageW(item(w, id), CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    if (id == kIdSmallStyle)
        g_settings.StyleS = static_cast<int32_t>(selected);
    else
        g_settings.StyleB = static_cast<uint8_t>(selected & 1);
}

}  // namespace

void applyInitialEnabledStates(const MainWindow& w) {
    applyOrderButtons(w);
    enable(w, kIdCustomize, g_settings.Calendar & 1);
    enable(w, kIdCycle, w.startupEnabled);
    applyCalendarOnlyRule(w);
    activateTips(w);
}

void onMainCommand(MainWindow& w, int id, int code) {
    if (id >= kIdFirstList && id < kIdFirstList + kListCount) {
        onListCommand(w, code);
        return;
    }
    HWND hwnd = w.hwnd;
    switch (id) {
        case kIdSetWallpaper:
            setPreviewAsWallpaper(w);
            break;
        case kIdCurrentWallpaper:
            showCurrentWallpapers(w);
            break;
        case kIdRename:
            renameList(w);
            break;
        case kIdAddFiles:
            addFiles(w);
            break;
        case kIdAddFolder:
            showFolderWindow(w.folderWindow);
            break;
        case kIdRemove:
            removeSelected(w);
            break;
        case kIdClear:
            clearList(w);
            break;
        case kIdRandom:
            g_settings.Random = isChecked(w, kIdRandom);
            applyOrderButtons(w);
            break;
        case kIdMoveUp:
            moveUp(w);
            break;
        case kIdMoveDown:
            moveDown(w);
            break;
        case kIdSort:
            sortList(w);
            break;
        case kIdShuffle:
            shuffleList(w);
            break;
        case kIdCalendar:
            g_settings.Calendar = isChecked(w, kIdCalendar);
            enable(w, kIdCustomize, g_settings.Calendar);
            applyCalendarOnlyRule(w);
            break;
        case kIdCustomize:
            openCalendarDialog(hwnd);
            break;
        case kIdSmallStyle:
        case kIdLargeStyle:
            onComboCommand(w, id, code);
            break;
        case kIdSmallDetail:
            openSmallImageDialog(hwnd);
            break;
        case kIdLargeDetail:
            openLargeImageDialog(hwnd);
            break;
        case kIdStartup:
            w.startupEnabled = isChecked(w, kIdStartup);
            enable(w, kIdCycle, w.startupEnabled);
            applyCalendarOnlyRule(w);
            break;
        case kIdCycle:
            g_settings.Cycle = isChecked(w, kIdCycle);
            applyCalendarOnlyRule(w);
            break;
        case kIdCalendarOnly:
            g_settings.WpNoChg = isChecked(w, kIdCalendarOnly);
            break;
        case kIdListHold:
            g_settings.ListHold = isChecked(w, kIdListHold);
            break;
        case kIdOptions:
            openOptionsDialog(hwnd);
            break;
        case kIdToolTip:
            g_settings.ToolTip = isChecked(w, kIdToolTip);
            activateTips(w);
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
