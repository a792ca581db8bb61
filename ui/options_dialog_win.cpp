#include <windows.h>
#include <shlobj.h>

#include "res/dialog_ids.h"
#include "settings/settings.h"
#include "ui/color_swatch.h"
#include "ui/options_dialog.h"
#include "ui/plugin_folder.h"
#include "ui/shortcuts.h"
#include "ui/ui_resources.h"

namespace {

enum : int {
    kWheelScroll = 2402,
    kWheelSelect = 2403,
    kMarginSwatch = 2405,
    kMarginPick = 2406,
    kUsePlugins = 2407,
    kSendTo = 2408,
    kDesktopStart = 2410,
    kDesktopDate = 2412,
};

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

int CALLBACK browseCallback(HWND browser, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void onInit(HWND dlg) {
    CheckDlgButton(dlg, g_settings.WheelSel == 1 ? kWheelSelect : kWheelScroll, BST_CHECKED);
    CheckDlgButton(dlg, kUsePlugins, g_settings.SPI.empty() ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dlg, kSendTo, sendToShortcutExists() ? BST_CHECKED : BST_UNCHECKED);
}

void onUsePlugins(HWND dlg) {
    if (!checked(dlg, kUsePlugins)) {
        g_settings.SPI.clear();
        return;
    }
    // The browser may move the current directory; put it back afterwards.
    wchar_t current[MAX_PATH] = {};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring folder;
    if (pickPluginFolder(dlg, L"", &folder))
        g_settings.SPI = folder;
    else
        CheckDlgButton(dlg, kUsePlugins, BST_UNCHECKED);
    if (n > 0 && n < MAX_PATH) SetCurrentDirectoryW(current);
}

void onClose(HWND dlg) {
    settleSendToShortcut(checked(dlg, kSendTo));
    EndDialog(dlg, IDCANCEL);
}

INT_PTR CALLBACK optionsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dlg);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case kWheelScroll:
                    if (checked(dlg, kWheelScroll)) g_settings.WheelSel = 0;
                    break;
                case kWheelSelect:
                    if (checked(dlg, kWheelSelect)) g_settings.WheelSel = 1;
                    break;
                case kMarginPick:
                    if (pickColor(dlg, &g_settings.BgColor))
                        InvalidateRect(GetDlgItem(dlg, kMarginSwatch), nullptr, TRUE);
                    break;
                case kUsePlugins:
                    onUsePlugins(dlg);
                    break;
                case kDesktopStart:
                    createDesktopStartShortcut();
                    break;
                case kDesktopDate:
                    createDesktopDateShortcut();
                    break;
                case IDCANCEL:
                    onClose(dlg);
                    break;
                default:
                    break;
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool pickPluginFolder(HWND owner, const wchar_t* startFolder, std::wstring* chosen) {
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW bi = {};
    bi.hwndOwner = owner;
    bi.pszDisplayName = display;
    bi.lpszTitle = L"プラグインフォルダ選択";
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (startFolder && startFolder[0]) {
        bi.lpfn = browseCallback;
        bi.lParam = reinterpret_cast<LPARAM>(startFolder);
    }
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&bi);
    if (!item) return false;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(item, path) && path[0];
    CoTaskMemFree(item);
    if (ok) *chosen = path;
    return ok;
}

void openOptionsDialog(HWND owner) {
    registerSwatchClasses(g_instance);
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, optionsDialogProc, 0);
}
