#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "base/owners_win.h"
#include "res/control_ids.h"
#include "settings/settings.h"
#include "ui/color_swatch.h"
#include "ui/options_dialog.h"
#include "ui/plugin_folder.h"
#include "ui/shortcuts.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

// The automatic change's choices, in minutes; a value the file holds that is
// none of them is shown as one more choice, so that opening the dialog
// changes nothing.
struct IntervalChoice {
    int32_t minutes;
    const wchar_t* text;
};
constexpr IntervalChoice kIntervals[] = {
    {0, L"なし"},     {15, L"15 分"},   {30, L"30 分"},  {60, L"1 時間"},
    {180, L"3 時間"}, {360, L"6 時間"}, {1440, L"1 日"},
};

void fillIntervals(HWND dlg, int32_t current) {
    HWND combo = GetDlgItem(dlg, IDC_OPT_INTERVAL);
    int selected = -1;
    for (const IntervalChoice& c : kIntervals) {
        const auto at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.text));
        SendMessageW(combo, CB_SETITEMDATA, at, c.minutes);
        if (c.minutes == current) selected = static_cast<int>(at);
    }
    if (selected < 0) {
        const std::wstring text = std::to_wstring(current) + L" 分";
        selected = static_cast<int>(
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
        SendMessageW(combo, CB_SETITEMDATA, selected, current);
    }
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

// The interval and the hotkey mean something only with resident mode on.
void enableResidentControls(HWND dlg) {
    const BOOL on = checked(dlg, IDC_OPT_RESIDENT);
    for (int id : {IDC_OPT_INTERVAL_LABEL, IDC_OPT_INTERVAL, IDC_OPT_HOTKEY_LABEL, IDC_OPT_HOTKEY})
        EnableWindow(GetDlgItem(dlg, id), on);
}

void initResident(HWND dlg, const Settings& settings) {
    CheckDlgButton(dlg, IDC_OPT_RESIDENT, settings.On ? BST_CHECKED : BST_UNCHECKED);
    fillIntervals(dlg, settings.Interval);
    HWND hotKey = GetDlgItem(dlg, IDC_OPT_HOTKEY);
    // A key alone or with Shift only would take the key from every program.
    SendMessageW(hotKey, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                 MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    SendMessageW(hotKey, HKM_SETHOTKEY, static_cast<WPARAM>(settings.HotKey & 0xFFFF), 0);
    enableResidentControls(dlg);
}

int CALLBACK browseCallback(HWND browser, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// The multi-monitor choices, in the order of the Monitors values.
const wchar_t* const kMonitorChoices[] = {L"オフ", L"すべて同じ画像", L"モニターごとに次の画像"};

void onInit(HWND dlg, const Settings& settings) {
    for (const wchar_t* choice : kMonitorChoices)
        SendDlgItemMessageW(dlg, IDC_OPT_MONITORS, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(choice));
    SendDlgItemMessageW(dlg, IDC_OPT_MONITORS, CB_SETCURSEL, settings.Monitors, 0);
    CheckDlgButton(dlg, settings.WheelSel == 1 ? IDC_OPT_WHEEL_SELECT : IDC_OPT_WHEEL_SCROLL,
                   BST_CHECKED);
    CheckDlgButton(dlg, IDC_OPT_USE_PLUGINS, settings.SPI.empty() ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(dlg, IDC_OPT_SEND_TO, sendToShortcutExists() ? BST_CHECKED : BST_UNCHECKED);
    initResident(dlg, settings);
}

void onUsePlugins(HWND dlg, Settings& settings) {
    if (!checked(dlg, IDC_OPT_USE_PLUGINS)) {
        settings.SPI.clear();
        return;
    }
    // The browser may move the current directory; put it back afterwards.
    wchar_t current[MAX_PATH] = {};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring folder;
    if (pickPluginFolder(dlg, L"", &folder))
        settings.SPI = folder;
    else
        CheckDlgButton(dlg, IDC_OPT_USE_PLUGINS, BST_UNCHECKED);
    if (n > 0 && n < MAX_PATH) SetCurrentDirectoryW(current);
}

void onClose(HWND dlg) {
    settleSendToShortcut(checked(dlg, IDC_OPT_SEND_TO));
    EndDialog(dlg, IDCANCEL);
}

void onCommand(HWND dlg, Settings& settings, int id, int code) {
    switch (id) {
        case IDC_OPT_RESIDENT:
            settings.On = checked(dlg, IDC_OPT_RESIDENT) ? 1 : 0;
            enableResidentControls(dlg);
            break;
        case IDC_OPT_INTERVAL:
            if (code == CBN_SELCHANGE) {
                HWND combo = GetDlgItem(dlg, IDC_OPT_INTERVAL);
                const auto at = SendMessageW(combo, CB_GETCURSEL, 0, 0);
                if (at >= 0)
                    settings.Interval =
                        static_cast<int32_t>(SendMessageW(combo, CB_GETITEMDATA, at, 0));
            }
            break;
        case IDC_OPT_HOTKEY:
            if (code == EN_CHANGE)
                settings.HotKey = static_cast<int32_t>(
                    LOWORD(SendDlgItemMessageW(dlg, IDC_OPT_HOTKEY, HKM_GETHOTKEY, 0, 0)));
            break;
        case IDC_OPT_WHEEL_SCROLL:
            if (checked(dlg, IDC_OPT_WHEEL_SCROLL)) settings.WheelSel = 0;
            break;
        case IDC_OPT_WHEEL_SELECT:
            if (checked(dlg, IDC_OPT_WHEEL_SELECT)) settings.WheelSel = 1;
            break;
        case IDC_OPT_MARGIN_PICK:
            if (pickColor(dlg, &settings.BgColor, settings.CRGB))
                InvalidateRect(GetDlgItem(dlg, IDC_OPT_MARGIN_SWATCH), nullptr, TRUE);
            break;
        case IDC_OPT_USE_PLUGINS:
            onUsePlugins(dlg, settings);
            break;
        case IDC_OPT_DESKTOP_START:
            createDesktopStartShortcut();
            break;
        case IDC_OPT_DESKTOP_DATE:
            createDesktopDateShortcut();
            break;
        case IDC_OPT_MONITORS: {
            // Takes effect with the next wallpaper; turned off, that one
            // also puts the desktop's own style back.
            const LRESULT choice = SendDlgItemMessageW(dlg, IDC_OPT_MONITORS, CB_GETCURSEL, 0, 0);
            if (choice >= kMonitorsOff && choice <= kMonitorsEach)
                settings.Monitors = static_cast<int32_t>(choice);
            break;
        }
        case IDCANCEL:
            onClose(dlg);
            break;
        default:
            break;
    }
}

// The margin swatch paints the margin colour.
void onSwatchQuery(const Settings& settings, SwatchQuery& query) {
    if (query.which != SwatchColor::Margin) return;
    query.color = settings.BgColor;
    query.answered = true;
}

INT_PTR CALLBACK optionsDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* settings = bindDialogState<Settings>(dlg, msg, lp);
    if (!settings) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            onInit(dlg, *settings);
            return TRUE;
        case WM_COMMAND:
            onCommand(dlg, *settings, LOWORD(wp), HIWORD(wp));
            return TRUE;
        case kSwatchColorQuery:
            onSwatchQuery(*settings, *reinterpret_cast<SwatchQuery*>(lp));
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
    const CoTaskMem<ITEMIDLIST_ABSOLUTE> item{SHBrowseForFolderW(&bi)};
    if (!item) return false;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item.get(), path) || !path[0]) return false;
    *chosen = path;
    return true;
}

void openOptionsDialog(HWND owner) {
    registerSwatchClasses(g_instance);
    DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, optionsDialogProc,
                    reinterpret_cast<LPARAM>(&g_settings));
}
