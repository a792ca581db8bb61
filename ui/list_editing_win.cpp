#include <windows.h>
// (before every other system header, which all build on it)
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "base/owners_win.h"
#include "base/path.h"
#include "base/random.h"
#include "decode/image_format.h"
#include "decode/size_probe.h"
#include "settings/settings_file.h"
#include "ui/list_editing.h"
#include "ui/list_editing_rules.h"
#include "ui/main_window.h"
#include "ui/preview.h"
#include "ui/rename_dialog.h"
#include "ui/ui_resources.h"

namespace {

WallpaperList& shownList() { return g_settings.lists[g_settings.shownList]; }

void updateCount(HWND box) {
    const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    shownList().Count = count > 0 ? static_cast<int32_t>(count) : 0;
}

// The list box's exact search ignores letter case, so "A.JPG" and "a.jpg"
// count as the same entry.
bool listHolds(HWND box, const std::wstring& path) {
    return SendMessageW(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(path.c_str())) != LB_ERR;
}

void appendEntry(HWND box, const std::wstring& path) {
    SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void scanPattern(HWND box, const std::wstring& folder, const std::wstring& pattern) {
    const size_t extensionLength = pattern.size() - 1;  // without the star
    WIN32_FIND_DATAW found;
    const UniqueFind find(FindFirstFileW(joinPath(folder, pattern).c_str(), &found));
    if (!find) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!extensionHasLength(found.cFileName, extensionLength)) continue;
        const std::wstring path = joinPath(folder, found.cFileName);
        if (path.size() >= static_cast<size_t>(kMaxPathChars)) continue;
        if (!listHolds(box, path) &&
            passesSizeFilter(path.c_str(), {g_settings.minAddWidth, g_settings.minAddHeight,
                                            g_settings.SPI.c_str()}))
            appendEntry(box, path);
    } while (FindNextFileW(find.get(), &found));
}

bool isDirectory(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool resolveShortcut(const wchar_t* link, wchar_t (&target)[MAX_PATH]) {
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(shellLink.put()))))
        return false;
    const ComPtr<IPersistFile> file = queryInterface<IPersistFile>(shellLink.get());
    if (!file) return false;
    wchar_t resolved[MAX_PATH] = {};
    if (FAILED(file.get()->Load(link, STGM_READ)) ||
        shellLink.get()->GetPath(resolved, MAX_PATH, nullptr, SLGP_UNCPRIORITY) != S_OK ||
        !resolved[0])
        return false;
    lstrcpynW(target, resolved, MAX_PATH);
    return true;
}

// The first dropped item's path; false when there is none. The drop
// handle is finished on the way out.
bool firstDroppedPath(HDROP drop, wchar_t (&path)[MAX_PATH]) {
    const UniqueDrop owned(drop);
    return DragQueryFileW(owned.get(), 0, path, MAX_PATH) != 0;
}

bool isShortcut(const wchar_t* path) {
    SHFILEINFOW info = {};
    info.dwAttributes = SFGAO_LINK;
    if (SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED) &&
        (info.dwAttributes & SFGAO_LINK))
        return true;
    // Some shells do not report the attribute for a plain file path; the
    // extension says the same.
    const std::wstring_view ext = extensionOf(path);
    return ext.size() == 4 && CompareStringOrdinal(ext.data(), 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

bool acceptedByPlugins(const wchar_t* path) {
    if (!pluginsSwitchedOn()) return false;
    const std::wstring_view ext = extensionOf(path);
    for (const std::wstring& pattern : gatherPluginPatterns())
        if (extensionMatchesPattern(ext, pattern)) return true;
    return false;
}

void selectOnly(HWND box, int index) {
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    SendMessageW(box, LB_SETSEL, TRUE, index);
    SendMessageW(box, LB_SETCARETINDEX, index, FALSE);
}

// Sort, shuffle and clear leave no position and no preview behind.
void forgetPositions(MainWindow& w) {
    shownList().WPNum = -1;
    shownList().selectedIndex = -1;
    clearDateMark();
    clearPreview(w);
}

void refill(HWND box, const std::vector<std::wstring>& entries) {
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    SendMessageW(box, LB_INITSTORAGE, entries.size(), entries.size() * 64 * sizeof(wchar_t));
    for (const std::wstring& e : entries) appendEntry(box, e);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

// The one entry selected, or -1 when none or several are.
int singleSelection(HWND box) {
    if (SendMessageW(box, LB_GETSELCOUNT, 0, 0) != 1) return -1;
    int index = -1;
    if (SendMessageW(box, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index)) != 1) return -1;
    return index;
}

void moveEntry(HWND box, int from, int to) {
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, from, 0);
    if (length < 0) return;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendMessageW(box, LB_GETTEXT, from, reinterpret_cast<LPARAM>(text.data()));
    SendMessageW(box, LB_DELETESTRING, from, 0);
    SendMessageW(box, LB_INSERTSTRING, to, reinterpret_cast<LPARAM>(text.data()));
    SendMessageW(box, LB_SETSEL, TRUE, to);
    SendMessageW(box, LB_SETCARETINDEX, to, FALSE);
}

std::wstring buildFilter(const std::vector<std::wstring>& pluginPatterns) {
    std::wstring joined;
    for (const std::wstring& p : pluginPatterns) {
        if (!joined.empty()) joined += L';';
        joined += p;
    }
    std::wstring filter;
    const auto pair = [&](const std::wstring& text, const std::wstring& pattern) {
        filter += text;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    };
    std::wstring images = builtInPatternList();
    if (!joined.empty()) images += L";" + joined;
    pair(L"イメージ ファイル (*.bmp;*.png;*.jpg;*.tif;*.gif; etc)", images);
    pair(L"BMP (*.bmp)", L"*.bmp");
    pair(L"PNG (*.png)", L"*.png");
    pair(L"JPEG (*.jpg;*.jpeg;*.jpe)", L"*.jpg;*.jpeg;*.jpe");
    pair(L"TIFF (*.tif;*.tiff)", L"*.tif;*.tiff");
    pair(L"GIF (*.gif)", L"*.gif");
    pair(L"WebP (*.webp)", L"*.webp");
    pair(L"AVIF (*.avif)", L"*.avif");
    if (!joined.empty()) pair(L"プラグイン対応 ファイル (" + joined + L")", joined);
    pair(L"すべて (*.*)", L"*.*");
    filter += L'\0';
    return filter;
}

}  // namespace

void dropFile(MainWindow& w, HDROP drop) {
    wchar_t path[MAX_PATH] = {};
    const bool got = firstDroppedPath(drop, path);
    if (w.hwnd) SetForegroundWindow(w.hwnd);
    if (!got) return;
    if (isShortcut(path)) {
        wchar_t target[MAX_PATH];
        if (resolveShortcut(path, target)) lstrcpynW(path, target, MAX_PATH);
    }
    if (isDirectory(path)) {
        addFolderToShownList(w, path);
        return;
    }
    if (!hasBuiltInImageExtension(path) && !acceptedByPlugins(path)) return;
    HWND box = shownListBox(w);
    if (!listHolds(box, path)) appendEntry(box, path);
    updateCount(box);
}

void addFolderToShownList(MainWindow& w, const wchar_t* folder) {
    HWND box = shownListBox(w);
    w.lastFolder = folder;
    const std::wstring base = folder;
    for (const BuiltInExtension& e : kBuiltInExtensions) scanPattern(box, base, e.pattern);
    if (pluginsSwitchedOn())
        for (const std::wstring& pattern : gatherPluginPatterns())
            if (pattern.size() > 1) scanPattern(box, base, pattern);
    updateCount(box);
    SetFocus(box);
}

void addFilesToShownList(MainWindow& w, const std::vector<std::wstring>& paths) {
    HWND box = shownListBox(w);
    for (const std::wstring& path : paths)
        if (!path.empty() && path.size() < static_cast<size_t>(kMaxPathChars) &&
            !listHolds(box, path))
            appendEntry(box, path);
    updateCount(box);
}

void addFiles(MainWindow& w) {
    HWND box = shownListBox(w);
    wchar_t currentDirectory[MAX_PATH] = {};
    const DWORD haveDirectory = GetCurrentDirectoryW(MAX_PATH, currentDirectory);
    const std::wstring filter = buildFilter(gatherPluginPatterns());
    constexpr size_t kResultChars = 65534;
    std::vector<wchar_t> result(kResultChars + 1, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = w.hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = result.data();
    ofn.nMaxFile = static_cast<DWORD>(kResultChars);
    ofn.lpstrInitialDir = w.lastFolder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&ofn)) {
        InvalidateRect(w.hwnd, nullptr, TRUE);
        UpdateWindow(w.hwnd);
        OpenFileResult chosen;
        if (parseOpenFileResult(result.data(), result.size(), ofn.nFileOffset, chosen)) {
            w.lastFolder = chosen.folder;
            for (const std::wstring& path : chosen.paths)
                if (!listHolds(box, path)) appendEntry(box, path);
        }
        updateCount(box);
    }
    SetFocus(box);
    if (haveDirectory) SetCurrentDirectoryW(currentDirectory);
}

void removeSelected(MainWindow& w) {
    HWND box = shownListBox(w);
    WallpaperList& list = shownList();
    constexpr int kMaxFetched = 5001;
    const LRESULT selectedCount = SendMessageW(box, LB_GETSELCOUNT, 0, 0);
    if (selectedCount <= 0) {
        SetFocus(box);
        return;
    }
    std::vector<int> indices(static_cast<size_t>(std::min<LRESULT>(selectedCount, kMaxFetched)));
    const LRESULT fetched =
        SendMessageW(box, LB_GETSELITEMS, indices.size(), reinterpret_cast<LPARAM>(indices.data()));
    indices.resize(fetched > 0 ? static_cast<size_t>(fetched) : 0);
    std::sort(indices.begin(), indices.end());
    const bool many = indices.size() > 100;
    if (many) SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    int removedBeforePosition = 0;
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        SendMessageW(box, LB_DELETESTRING, *it, 0);
        if (*it == list.WPNum)
            list.WPNum = -1;
        else if (*it < list.WPNum)
            ++removedBeforePosition;
    }
    // The position follows its file down past the removed entries.
    if (list.WPNum >= 0) list.WPNum -= removedBeforePosition;
    if (many) {
        SendMessageW(box, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(box, nullptr, TRUE);
    }
    updateCount(box);
    if (list.WPNum >= list.Count) {
        list.WPNum = -1;
        clearDateMark();
    }
    if (list.selectedIndex >= list.Count) list.selectedIndex = -1;
    if (list.Count == 0) {
        clearPreview(w);
    } else if (!indices.empty()) {
        selectOnly(box, std::min(indices.front(), list.Count - 1));
        previewEntry(w);
    }
    SetFocus(box);
}

void clearList(MainWindow& w) {
    HWND box = shownListBox(w);
    if (SendMessageW(box, LB_GETCOUNT, 0, 0) <= 0) return;
    if (MessageBoxW(w.hwnd, L"選択している壁紙リストからすべてのファイルを除外しますか？",
                    kAppTitle, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    shownList().Count = 0;
    forgetPositions(w);
}

void moveUp(MainWindow& w) {
    HWND box = shownListBox(w);
    const int index = singleSelection(box);
    if (index <= 0) return;
    moveEntry(box, index, index - 1);
}

void moveDown(MainWindow& w) {
    HWND box = shownListBox(w);
    const int index = singleSelection(box);
    if (index < 0 || index + 1 >= shownList().Count) return;
    moveEntry(box, index, index + 1);
}

// The system locale's comparison ignoring case, through sort keys: one key
// per entry instead of a locale comparison per pair, with the same order.
std::string localeSortKey(const std::wstring& text) {
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int size = LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, text.c_str(),
                                  static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return {};
    std::string key(static_cast<size_t>(size), '\0');
    LCMapStringW(LOCALE_SYSTEM_DEFAULT, flags, text.c_str(), static_cast<int>(text.size()),
                 reinterpret_cast<wchar_t*>(key.data()), size);
    if (!key.empty() && key.back() == '\0') key.pop_back();
    return key;
}

void sortList(MainWindow& w) {
    HWND box = shownListBox(w);
    std::vector<std::wstring> entries = listBoxEntries(box);
    std::vector<std::pair<std::string, size_t>> keyed;
    keyed.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) keyed.emplace_back(localeSortKey(entries[i]), i);
    std::vector<std::wstring> order;
    order.reserve(entries.size());
    sortEntriesByKey(keyed);
    for (const auto& k : keyed) order.push_back(std::move(entries[k.second]));
    refill(box, order);
    updateCount(box);
    forgetPositions(w);
}

void shuffleList(MainWindow& w) {
    HWND box = shownListBox(w);
    std::vector<std::wstring> remaining = listBoxEntries(box);
    std::vector<std::wstring> shuffled;
    shuffled.reserve(remaining.size());
    while (!remaining.empty()) {
        const int pick = shufflePick(nextRandom(), static_cast<int>(remaining.size()));
        shuffled.push_back(std::move(remaining[static_cast<size_t>(pick)]));
        remaining.erase(remaining.begin() + pick);
    }
    refill(box, shuffled);
    updateCount(box);
    forgetPositions(w);
}

void renameList(MainWindow& w) {
    WallpaperList& list = shownList();
    std::wstring name = list.Name;
    if (!runRenameDialog(w.hwnd, name)) return;
    list.Name = name;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(list.Name.c_str());
    SendMessageW(w.tab, TCM_SETITEMW, g_settings.shownList, reinterpret_cast<LPARAM>(&item));
}
