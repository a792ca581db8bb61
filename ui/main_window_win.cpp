#include <windows.h>
// (before every other system header, which all build on it)
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <unordered_map>
#include <unordered_set>

#include "app/screen_size.h"
#include "base/owners_win.h"
#include "res/control_ids.h"
#include "settings/settings_file.h"
#include "ui/folder_window.h"
#include "ui/list_editing.h"
#include "ui/list_editing_rules.h"
#include "ui/main_window.h"
#include "ui/main_window_menu.h"
#include "ui/preview.h"
#include "ui/startup_shortcut.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

// One row of the control table: class, caption, place, style and tip.
struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    int x, y, width, height;
    DWORD style;
    DWORD exStyle;
    const wchar_t* tip;
    // Check boxes may grow up to this x when their caption needs more room
    // than the design font took (a substitute font can be wider); 0 = fixed.
    int growTo = 0;
};

constexpr DWORD kPush = BS_PUSHBUTTON;
constexpr DWORD kCheck = BS_AUTOCHECKBOX;
constexpr DWORD kGroup = BS_GROUPBOX;
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_VSCROLL;

// Everything after the tab control and the list boxes, in creation order.
const ControlSpec kControls[] = {
    {kIdPreview, kPreviewClassName, L"", 8, 323, 142, 107, 0, WS_EX_STATICEDGE,
     L"クリックすると関連付けられたプログラムで開きます"},
    {kIdSizeText, L"EDIT", L"", 8, 430, 142, 15, ES_READONLY | ES_CENTER, WS_EX_STATICEDGE,
     nullptr},
    {kIdSetWallpaper, L"BUTTON", L"壁紙に設定", 8, 445, 71, 22, kPush, 0,
     L"プレビューされているファイルを即座に壁紙に設定します"},
    {kIdCurrentWallpaper, L"BUTTON", L"現在の壁紙", 79, 445, 71, 22, kPush, 0,
     L"壁紙として設定されているファイルを表示します"},
    {kIdRename, L"BUTTON", L"リスト名変更", 517, 2, 87, 22, kPush, 0,
     L"選択されているリスト名を変更します"},
    {kIdAddFiles, L"BUTTON", L"ファイル選択", 517, 36, 87, 26, kPush, 0,
     L"ファイルをリストに追加します"},
    {kIdAddFolder, L"BUTTON", L"フォルダ選択", 517, 66, 87, 26, kPush, 0,
     L"フォルダ内のファイルを一括してリストに追加します"},
    {kIdRemove, L"BUTTON", L"除外", 517, 102, 87, 24, kPush, 0,
     L"選択したファイルをリストから除外します"},
    {kIdClear, L"BUTTON", L"すべてクリア", 517, 130, 87, 24, kPush, 0,
     L"すべてのファイルを選択しているリストから除外します"},
    {kIdOrderGroup, L"BUTTON", L"壁紙順序", 517, 166, 87, 150, kGroup, WS_EX_TRANSPARENT, nullptr},
    {kIdRandom, L"BUTTON", L"ランダム", 532, 185, 55, 16, kCheck, 0,
     L"壁紙はランダムで決定されますが同一壁紙が続く場合もあります", 602},
    {kIdMoveUp, L"BUTTON", L"上へ", 525, 208, 71, 22, kPush, 0,
     L"選択中のファイル順序を上に移動します"},
    {kIdMoveDown, L"BUTTON", L"下へ", 525, 234, 71, 22, kPush, 0,
     L"選択中のファイル順序を下に移動します"},
    {kIdSort, L"BUTTON", L"ソート", 525, 260, 71, 22, kPush, 0,
     L"リストのファイル順序を名前順にに並べます"},
    {kIdShuffle, L"BUTTON", L"シャッフル", 525, 286, 71, 22, kPush, 0,
     L"リストのファイル順序をランダムに並べ替えます"},
    {kIdDisplayGroup, L"BUTTON", L"表示オプション", 159, 326, 185, 140, kGroup, WS_EX_TRANSPARENT,
     nullptr},
    {kIdCalendar, L"BUTTON", L"カレンダー", 173, 355, 70, 16, kCheck, 0,
     L"壁紙にカレンダーを表示します", 251},
    {kIdCustomize, L"BUTTON", L"カスタマイズ", 253, 352, 80, 22, kPush, 0,
     L"カレンダーの色をカスタマイズします"},
    {kIdSmallLabel, L"STATIC", L"小さい画像", 173, 395, 58, 12, SS_LEFT | SS_ENDELLIPSIS, 0,
     nullptr},
    {kIdSmallStyle, L"COMBOBOX", L"", 232, 391, 60, 96, kCombo, 0,
     L"画面より小さい画像の表示方法を選択します"},
    {kIdSmallDetail, L"BUTTON", L"詳細", 293, 390, 40, 22, kPush, 0, L"拡大方法の詳細を設定します"},
    {kIdLargeLabel, L"STATIC", L"大きい画像", 173, 430, 58, 12, SS_LEFT | SS_ENDELLIPSIS, 0,
     nullptr},
    {kIdLargeStyle, L"COMBOBOX", L"", 232, 426, 60, 96, kCombo, 0,
     L"画面より大きい画像の表示方法を選択します"},
    {kIdLargeDetail, L"BUTTON", L"詳細", 293, 425, 40, 22, kPush, 0, L"縮小方法の詳細を設定します"},
    {kIdAutoGroup, L"BUTTON", L"自動起動", 354, 326, 116, 106, kGroup, WS_EX_TRANSPARENT, nullptr},
    {kIdStartup, L"BUTTON", L"スタートアップ", 368, 350, 80, 16, kCheck, 0,
     L"Windowsの起動時に壁紙を変更します", 466},
    {kIdCycle, L"BUTTON", L"日付制限", 368, 376, 70, 16, kCheck, 0,
     L"壁紙の変更を一日一回に制限します", 466},
    {kIdCalendarOnly, L"BUTTON", L"カレンダーのみ", 368, 402, 90, 16, kCheck, 0,
     L"壁紙を変更せずにカレンダーだけを更新します", 466},
    {kIdOtherGroup, L"BUTTON", L"その他", 480, 326, 124, 106, kGroup, WS_EX_TRANSPARENT, nullptr},
    {kIdListHold, L"BUTTON", L"リスト制限", 494, 350, 80, 16, kCheck, 0,
     L"選択しているリストのみを使用して壁紙を変更します", 602},
    {kIdToolTip, L"BUTTON", L"ツールチップ表示", 494, 376, 100, 16, kCheck, 0,
     L"ツールチップの表示を切り替えます", 602},
    {kIdOptions, L"BUTTON", L"オプション", 494, 400, 100, 22, kPush, 0, nullptr},
    {kIdExit, L"BUTTON", L"終了", 354, 442, 116, 24, kPush, 0, L"プログラムを終了します"},
    {kIdHelp, L"BUTTON", L"ヘルプ", 480, 442, 64, 24, kPush, 0, L"ヘルプファイルを表示します"},
    {kIdAbout, L"BUTTON", L"Ver.", 554, 442, 50, 24, kPush, 0, L"バージョン情報を表示します"},
};

HWND createChild(HWND parent, int id, const wchar_t* className, const wchar_t* caption, int x,
                 int y, int width, int height, DWORD style, DWORD exStyle, void* state = nullptr) {
    HWND child =
        CreateWindowExW(exStyle, className, caption, WS_CHILD | style, x, y, width, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, state);
    if (child && g_uiFont)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_uiFont), FALSE);
    return child;
}

void addTip(const MainWindow& w, HWND control, const wchar_t* tip) {
    addToolTip(w.tooltip, w.hwnd, control, tip);
}

void createTabAndLists(MainWindow& w) {
    w.tab =
        createChild(w.hwnd, kIdTab, WC_TABCONTROLW, L"", 8, 3, 505, 20,
                    WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK, 0);
    for (int i = 0; i < kListCount; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(g_settings.lists[i].Name.c_str());
        SendMessageW(w.tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // Short list names ("1" ... "8") get narrow tabs, so all eight fit.
    SendMessageW(w.tab, TCM_SETMINTABWIDTH, 0, 24);
    SendMessageW(w.tab, TCM_SETCURSEL, g_settings.shownList, 0);
    addTip(w, w.tab, L"壁紙リストを選択します");
    for (int i = 0; i < kListCount; ++i) {
        const DWORD visible = i == g_settings.shownList ? WS_VISIBLE : 0;
        w.lists[i] = createChild(
            w.hwnd, kIdFirstList + i, L"LISTBOX", L"", 8, 25, 501, 292,
            visible | WS_VSCROLL | WS_HSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
            WS_EX_CLIENTEDGE);
    }
}

// A check box's width: as designed, or wide enough for its caption (box,
// gap and text) within `limit`.
int fittingWidth(HWND hwnd, const wchar_t* caption, int designed, int limit) {
    const WindowDc dc(hwnd);
    if (!dc) return designed;
    SIZE size = {};
    {
        const SelectGuard font(
            dc.get(), g_uiFont ? static_cast<HGDIOBJ>(g_uiFont) : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.get(), caption, lstrlenW(caption), &size);
    }
    const int needed = size.cx + GetSystemMetrics(SM_CXMENUCHECK) + 8;
    return needed <= designed ? designed : (needed < limit ? needed : limit);
}

void createOtherControls(MainWindow& w) {
    HWND hwnd = w.hwnd;
    for (const ControlSpec& c : kControls) {
        const int width =
            c.growTo ? fittingWidth(hwnd, c.caption, c.width, c.growTo - c.x) : c.width;
        // The preview pane gets its record at creation.
        void* state = c.id == kIdPreview ? &w.preview : nullptr;
        HWND child = createChild(hwnd, c.id, c.className, c.caption, c.x, c.y, width, c.height,
                                 WS_VISIBLE | WS_CLIPSIBLINGS | c.style, c.exStyle, state);
        addTip(w, child, c.tip);
    }
    w.previewPane = GetDlgItem(hwnd, kIdPreview);
    w.sizeText = GetDlgItem(hwnd, kIdSizeText);
    SendMessageW(w.sizeText, EM_SETLIMITTEXT, 20, 0);
    SendMessageW(GetDlgItem(hwnd, kIdSmallStyle), CB_SETEXTENDEDUI, TRUE, 0);
    SendMessageW(GetDlgItem(hwnd, kIdLargeStyle), CB_SETEXTENDEDUI, TRUE, 0);
    for (const wchar_t* item : {L"等倍", L"拡大", L"並列"})
        SendMessageW(GetDlgItem(hwnd, kIdSmallStyle), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item));
    for (const wchar_t* item : {L"等倍", L"縮小"})
        SendMessageW(GetDlgItem(hwnd, kIdLargeStyle), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item));
    SendMessageW(GetDlgItem(hwnd, kIdSmallStyle), CB_SETCURSEL, g_settings.StyleS, 0);
    SendMessageW(GetDlgItem(hwnd, kIdLargeStyle), CB_SETCURSEL, g_settings.StyleB & 1, 0);
    const auto check = [&](int id, bool on) {
        SendMessageW(GetDlgItem(hwnd, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    check(kIdRandom, g_settings.Random & 1);
    check(kIdCalendar, g_settings.Calendar & 1);
    check(kIdStartup, w.startupEnabled);
    check(kIdCycle, g_settings.Cycle & 1);
    check(kIdCalendarOnly, g_settings.WpNoChg & 1);
    check(kIdListHold, g_settings.ListHold & 1);
    check(kIdToolTip, g_settings.ToolTip & 1);
}

void onCreate(MainWindow& w) {
    HWND hwnd = w.hwnd;
    // The window keeps a fixed size: no maximize and no size entry.
    if (HMENU sys = GetSystemMenu(hwnd, FALSE)) {
        DeleteMenu(sys, 4, MF_BYPOSITION);
        DeleteMenu(sys, 2, MF_BYPOSITION);
    }
    w.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                                nullptr, g_instance, nullptr);
    if (w.tooltip) SendMessageW(w.tooltip, TTM_SETTIPBKCOLOR, 0xFFFFFF, 0);
    w.startupEnabled = startupShortcutExists();
    createTabAndLists(w);
    createOtherControls(w);
    applyInitialEnabledStates(w);
    wchar_t documents[MAX_PATH] = {};
    if (SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        w.lastFolder = documents;
}

// The closing sequence: the startup shortcut made to agree, the folder
// window's state into Settings, then the save. Only a save that succeeded
// lets the preview's pixel block and the menu's resources go and destroys
// the window; a failed one (disk full, file locked, folder read-only) is
// told with its reason and leaves the window as it was, so nothing is lost
// and closing can be tried again.
void onClose(MainWindow& w) {
    makeStartupShortcutAgree(w.startupEnabled);
    saveFolderWindowState(w.folderWindow);
    std::vector<std::wstring> entries[kListCount];
    for (int i = 0; i < kListCount; ++i) entries[i] = listBoxEntries(w.lists[i]);
    SaveFailure why;
    if (!saveAllSettings(entries, &why)) {
        showErrorMessage(w.hwnd, describeSaveFailure(why).c_str());
        // Nothing is released: the window stays, with everything in it, so
        // closing can be tried again. A file that could not be read is kept
        // as it was (the window never held its lists), and the window goes.
        if (why.step != SaveFailure::Step::Unreadable) return;
    }
    releasePreview(w.preview);
    w.folderMenu.destroy();
    DestroyWindow(w.hwnd);
}

void onNotify(MainWindow& w, const NMHDR* header) {
    if (header->idFrom == kIdTab && header->code == TCN_SELCHANGE)
        showList(w, static_cast<int>(SendMessageW(w.tab, TCM_GETCURSEL, 0, 0)));
}

// A change of system settings: the screen size is read again, and the menu
// font and background follow the system's.
void onSettingChange(MainWindow& w) {
    readScreenSize(g_settings);
    w.folderMenu.rebuildFontAndBackground();
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MainWindow* w = bindWindowState<MainWindow>(hwnd, msg, lp);
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_NCCREATE:
            w->hwnd = hwnd;
            break;
        case WM_CREATE:
            onCreate(*w);
            return 0;
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
            SetFocus(hwnd);
            break;
        case WM_SETTINGCHANGE:
            onSettingChange(*w);
            break;
        case WM_DISPLAYCHANGE:  // a new resolution or scale: the wallpaper's size follows
            readScreenSize(g_settings);
            break;
        case WM_DROPFILES:
            dropFile(*w, reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_NOTIFY:
            onNotify(*w, reinterpret_cast<const NMHDR*>(lp));
            return 0;
        case WM_COMMAND:
            onMainCommand(*w, LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_MEASUREITEM:
            if (w->folderMenu.measureItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_DRAWITEM:
            if (w->folderMenu.drawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
            break;
        case WM_CLOSE:
            onClose(*w);
            return 0;
        case WM_DESTROY:
            // The list boxes are destroyed after this and still reach the
            // record for their previous procedures: only the window handle goes.
            w->hwnd = nullptr;
            if (w->residentOwner)
                PostMessageW(w->residentOwner, kMainWindowGone, 0, 0);
            else
                PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int listIndexOf(const MainWindow& w, HWND listBox) {
    for (int i = 0; i < kListCount; ++i)
        if (w.lists[i] == listBox) return i;
    return -1;
}

// Each list box: Delete removes like "除外"; with WheelSel the wheel moves the
// selection as the arrow keys do. The list box's user data is the record.
LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MainWindow* w = windowState<MainWindow>(hwnd);
    const int list = w ? listIndexOf(*w, hwnd) : -1;
    WNDPROC previous = list >= 0 ? w->previousListProc[list] : nullptr;
    if (!previous) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_KEYDOWN && wp == VK_DELETE) {
        removeSelected(*w);
        return 0;
    }
    if (msg == WM_MOUSEWHEEL && (g_settings.WheelSel & 1)) {
        const int delta = GET_WHEEL_DELTA_WPARAM(wp);
        return CallWindowProcW(previous, hwnd, WM_KEYDOWN, delta > 0 ? VK_UP : VK_DOWN, 0);
    }
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}

// Whether list entries still exist, answered from one listing per folder:
// lists hold thousands of files of a few folders, and a listing costs far
// less than asking for each file. A name the listing does not show (a short
// name alias, an odd path form) is asked for directly.
class ExistingFiles {
public:
    bool exists(const std::wstring& path) {
        const size_t slash = path.find_last_of(L"\\/");
        if (slash != std::wstring::npos && slash + 1 < path.size()) {
            const std::wstring folder = upper(path.substr(0, slash));
            auto found = folders_.find(folder);
            if (found == folders_.end())
                found = folders_.emplace(folder, listFolder(path.substr(0, slash))).first;
            if (found->second.count(upper(path.substr(slash + 1)))) return true;
        }
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    static std::wstring upper(std::wstring text) {
        if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }
    static std::unordered_set<std::wstring> listFolder(const std::wstring& folder) {
        std::unordered_set<std::wstring> names;
        WIN32_FIND_DATAW data;
        const UniqueFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                               FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
        if (!find) return names;
        do names.insert(upper(data.cFileName));
        while (FindNextFileW(find.get(), &data));
        return names;
    }
    std::unordered_map<std::wstring, std::unordered_set<std::wstring>> folders_;
};

void fillList(MainWindow& w, int i, ExistingFiles& files) {
    WallpaperList& list = g_settings.lists[i];
    std::vector<std::wstring> stored = loadListEntries(i);
    if (stored.size() > static_cast<size_t>(list.Count > 0 ? list.Count : 0))
        stored.resize(list.Count > 0 ? list.Count : 0);
    LoadedList loaded = keepExistingEntries(std::move(stored), list.WPNum,
                                            [&](const std::wstring& p) { return files.exists(p); });
    HWND box = w.lists[i];
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_INITSTORAGE, loaded.entries.size(),
                 loaded.entries.size() * 64 * sizeof(wchar_t));
    for (const std::wstring& e : loaded.entries)
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    list.Count = loaded.count;
    list.WPNum = loaded.position;
    list.selectedIndex = loaded.position;
    if (loaded.position >= 0) SendMessageW(box, LB_SETSEL, TRUE, loaded.position);
    if (loaded.position >= 0) SendMessageW(box, LB_SETCARETINDEX, loaded.position, FALSE);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&w));
    w.previousListProc[i] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listBoxProc)));
}

}  // namespace

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = kWindowClassStyle;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVEX), IMAGE_ICON, 0,
                                             0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClassName;
    const bool mainOk = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return mainOk && registerPreviewClass(instance);
}

HWND createMainWindow(HINSTANCE instance, MainWindow& w) {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_ACCEPTFILES;
    const int frameW = GetSystemMetrics(SM_CXDLGFRAME);
    const int frameH = GetSystemMetrics(SM_CYDLGFRAME);
    const int width = kMainClientWidth + 2 * frameW;
    const int height = kMainClientHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * frameH;
    const int left = (windowScreenWidth(g_settings) - width) / 2;
    const int top = (windowScreenHeight(g_settings) - height) / 2;
    return CreateWindowExW(exStyle, kMainClassName, kAppTitle, style, left, top, width, height,
                           nullptr, nullptr, instance, &w);
}

HWND openMainWindow(HINSTANCE instance, MainWindow& w, int showCommand) {
    INITCOMMONCONTROLSEX icc = {
        sizeof icc, ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&icc);
    loadFolderSettings();
    w.folderMenu.create();
    if (!registerMainWindowClass(instance)) return nullptr;
    HWND main = createMainWindow(instance, w);
    if (!main) return nullptr;
    // A maximised start shows the window in its normal state: it has no
    // maximised form.
    if (showCommand == SW_SHOWMAXIMIZED) {
        ShowWindow(main, SW_SHOWMINIMIZED);
        ShowWindow(main, SW_SHOWNORMAL);
    } else {
        ShowWindow(main, showCommand);
    }
    UpdateWindow(main);
    loadMainWindowLists(w);
    createFolderWindowForMain(w);
    return main;
}

void loadMainWindowLists(MainWindow& w) {
    ExistingFiles files;
    for (int i = 0; i < kListCount; ++i) fillList(w, i, files);
    const int shown = g_settings.shownList;
    if (g_settings.lists[shown].WPNum >= 0) previewEntry(w);
    SetFocus(w.lists[shown]);
}

HWND shownListBox(const MainWindow& w) { return w.lists[g_settings.shownList]; }

void showList(MainWindow& w, int index) {
    if (index < 0 || index >= kListCount) return;
    g_settings.shownList = index;
    for (HWND box : w.lists) ShowWindow(box, SW_HIDE);
    ShowWindow(w.lists[index], SW_SHOW);
    if (g_settings.lists[index].selectedIndex >= 0)
        previewEntry(w);
    else
        clearPreview(w);
}

void showCurrentWallpapers(MainWindow& w) {
    int counted = 0;
    for (int i = 0; i < kListCount; ++i) {
        HWND box = w.lists[i];
        SendMessageW(box, LB_SETSEL, FALSE, -1);
        WallpaperList& list = g_settings.lists[i];
        if (list.WPNum >= 0) {
            SendMessageW(box, LB_SETSEL, TRUE, list.WPNum);
            SendMessageW(box, LB_SETCARETINDEX, list.WPNum, FALSE);
            list.selectedIndex = list.WPNum;
            ++counted;
        }
    }
    if (counted == 0) return;
    SendMessageW(w.tab, TCM_SETCURSEL, g_settings.activeList, 0);
    showList(w, g_settings.activeList);
}

std::vector<std::wstring> listBoxEntries(HWND listBox) {
    std::vector<std::wstring> out;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    if (count <= 0) return out;
    out.reserve(static_cast<size_t>(count));
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, i, 0);
        std::wstring text(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
        if (length > 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
            const LRESULT got =
                SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            text.assign(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
        }
        out.push_back(std::move(text));
    }
    return out;
}

void widenListExtent(MainWindow& w, int list, const wchar_t* text) {
    if (list < 0 || list >= kListCount) return;
    HWND box = w.lists[list];
    SIZE size = {};
    {
        const WindowDc dc(box);
        if (!dc) return;
        const SelectGuard font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &size);
    }
    if (size.cx > w.widestEntry[list]) {
        w.widestEntry[list] = size.cx;
        SendMessageW(box, LB_SETHORIZONTALEXTENT, size.cx + 4, 0);
    }
}
