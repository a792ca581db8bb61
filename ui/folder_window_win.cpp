// The registered-folder window: its class, layout, the two-rooted tree and
// the commands that act on a tree item. Tree contents are made lazily: only
// expanded items have children, and collapsing discards them.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <cstring>
#include <string>

#include "base/app_heap.h"
#include "settings/settings.h"
#include "ui/folder_window.h"

namespace {

constexpr size_t kMaxRegistered = 100;
constexpr int kDragCursorId = IDCUR_DRAG_FOLDER;

// Attached to every tree item as its item data; freed when the item goes.
struct TreeNode {
    int kind;                // 0 = shell namespace item, 1 = file-system path item
    IShellFolder* folder;    // shell item: its own folder, bound on first expansion
    LPITEMIDLIST relative;   // shell item: owned, released with CoTaskMemFree
    LPITEMIDLIST absolute;   // shell item: application heap
    int level;               // path item: 0 root, 1 registered, 2 below
    wchar_t path[MAX_PATH];  // path item
};

struct FolderWindowState {
    FolderWindowHost host;
    HWND window = nullptr;
    HWND tree = nullptr;
    HWND combo = nullptr;
    HWND label = nullptr;
    HWND addToList = nullptr;
    HWND registerButton = nullptr;
    HWND unregisterButton = nullptr;
    HWND tooltip = nullptr;
    HTREEITEM desktopRoot = nullptr;
    HTREEITEM registeredRoot = nullptr;
    HTREEITEM dragItem = nullptr;
    bool dragging = false;
};

FolderWindowState g_folder;

TreeNode* nodeOf(HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!TreeView_GetItem(g_folder.tree, &tv)) return nullptr;
    return reinterpret_cast<TreeNode*>(tv.lParam);
}

TreeNode* newNode() {
    auto* node = static_cast<TreeNode*>(heapAlloc(sizeof(TreeNode)));
    if (node) std::memset(node, 0, sizeof *node);
    return node;
}

void freeNode(TreeNode* node) {
    if (!node) return;
    if (node->folder) node->folder->Release();
    if (node->relative) CoTaskMemFree(node->relative);
    if (node->absolute) heapFree(node->absolute);
    heapFree(node);
}

// Bytes of an identifier list without its 2-byte terminator.
size_t idListBytes(LPCITEMIDLIST list) {
    size_t total = 0;
    const BYTE* p = reinterpret_cast<const BYTE*>(list);
    for (;;) {
        USHORT cb;
        std::memcpy(&cb, p + total, sizeof cb);
        if (cb == 0) return total;
        total += cb;
    }
}

LPITEMIDLIST concatIdLists(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    const size_t a = parent ? idListBytes(parent) : 0;
    const size_t b = idListBytes(child);
    auto* out = static_cast<BYTE*>(heapAlloc(a + b + 2));
    if (!out) return nullptr;
    if (a) std::memcpy(out, parent, a);
    std::memcpy(out + a, child, b);
    out[a + b] = out[a + b + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(out);
}

bool isDirectory(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder an item stands for: a shell item's file-system path, a
// registered folder or one below it; the "登録フォルダ" root has none.
bool folderOf(const TreeNode* node, wchar_t (&path)[MAX_PATH]) {
    path[0] = 0;
    if (!node) return false;
    if (node->kind == 0) {
        if (!node->absolute || !SHGetPathFromIDListW(node->absolute, path)) return false;
    } else {
        if (node->level == 0) return false;
        lstrcpynW(path, node->path, MAX_PATH);
    }
    return path[0] != 0;
}

bool standsForFolder(const TreeNode* node) {
    wchar_t path[MAX_PATH];
    return folderOf(node, path) && isDirectory(path);
}

void setChildrenIndicator(HTREEITEM item, bool has) {
    TVITEMW tv = {};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    tv.cChildren = has ? 1 : 0;
    TreeView_SetItem(g_folder.tree, &tv);
}

HTREEITEM insertItem(HTREEITEM parent, HTREEITEM after, const wchar_t* text, int icon, int openIcon,
                     bool hasChildren, TreeNode* node, UINT state = 0) {
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    ins.item.pszText = const_cast<wchar_t*>(text);
    ins.item.iImage = icon;
    ins.item.iSelectedImage = openIcon;
    ins.item.cChildren = hasChildren ? 1 : 0;
    ins.item.lParam = reinterpret_cast<LPARAM>(node);
    if (state) {
        ins.item.mask |= TVIF_STATE;
        ins.item.state = state;
        ins.item.stateMask = TVIS_OVERLAYMASK;
    }
    return TreeView_InsertItem(g_folder.tree, &ins);
}

// --- path items ------------------------------------------------------------

bool listableSubfolder(const WIN32_FIND_DATAW& found) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    return found.cFileName[0] != L'.';
}

bool hasListableSubfolder(const wchar_t* folder) {
    const std::wstring pattern = std::wstring(folder) + L"\\*";
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool any = false;
    do any = listableSubfolder(found);
    while (!any && FindNextFileW(find, &found));
    FindClose(find);
    return any;
}

HTREEITEM insertPathItem(HTREEITEM parent, HTREEITEM after, int level, const wchar_t* path) {
    TreeNode* node = newNode();
    if (!node) return nullptr;
    node->kind = 1;
    node->level = level;
    lstrcpynW(node->path, path, MAX_PATH);
    SHFILEINFOW info = {}, open = {};
    SHGetFileInfoW(path, 0, &info, sizeof info,
                   SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHGetFileInfoW(path, 0, &open, sizeof open,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    const wchar_t* text = info.szDisplayName[0] ? info.szDisplayName : PathFindFileNameW(path);
    HTREEITEM item =
        insertItem(parent, after, text, info.iIcon, open.iIcon, hasListableSubfolder(path), node);
    if (!item) freeNode(node);
    return item;
}

bool expandRegisteredRoot(HTREEITEM root) {
    auto& folders = g_settings.registeredFolders;
    bool any = false;
    for (size_t i = 0; i < folders.size();) {
        if (!isDirectory(folders[i].c_str())) {
            // Gone since it was registered: dropped, the later ones move up.
            folders.erase(folders.begin() + static_cast<ptrdiff_t>(i));
            continue;
        }
        if (insertPathItem(root, TVI_LAST, 1, folders[i].c_str())) any = true;
        ++i;
    }
    return any;
}

bool expandPathItem(HTREEITEM item, const TreeNode* node) {
    const std::wstring pattern = std::wstring(node->path) + L"\\*";
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool any = false;
    do {
        if (!listableSubfolder(found)) continue;
        const std::wstring child = std::wstring(node->path) + L"\\" + found.cFileName;
        if (child.size() >= MAX_PATH) continue;
        if (insertPathItem(item, TVI_SORT, 2, child.c_str())) any = true;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return any;
}

// --- shell items -----------------------------------------------------------

int CALLBACK compareShellChildren(LPARAM a, LPARAM b, LPARAM folder) {
    auto* shell = reinterpret_cast<IShellFolder*>(folder);
    const auto* na = reinterpret_cast<const TreeNode*>(a);
    const auto* nb = reinterpret_cast<const TreeNode*>(b);
    const HRESULT hr = shell->CompareIDs(0, na->relative, nb->relative);
    return static_cast<short>(HRESULT_CODE(hr));
}

bool hiddenInFileSystem(LPCITEMIDLIST absolute) {
    wchar_t path[MAX_PATH];
    if (!SHGetPathFromIDListW(absolute, path) || !path[0]) return false;
    if (PathIsRootW(path)) return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

bool expandShellItem(HTREEITEM item, TreeNode* node) {
    if (!node->folder) {
        IShellFolder* desktop = nullptr;
        if (FAILED(SHGetDesktopFolder(&desktop))) return false;
        desktop->BindToObject(node->absolute, nullptr, IID_IShellFolder,
                              reinterpret_cast<void**>(&node->folder));
        desktop->Release();
        if (!node->folder) return false;
    }
    IEnumIDList* children = nullptr;
    if (node->folder->EnumObjects(g_folder.window, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN,
                                  &children) != S_OK ||
        !children)
        return false;
    bool any = false;
    LPITEMIDLIST child = nullptr;
    while (children->Next(1, &child, nullptr) == S_OK) {
        LPCITEMIDLIST list = child;
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_SHARE;
        TreeNode* childNode = nullptr;
        if (SUCCEEDED(node->folder->GetAttributesOf(1, &list, &attributes)) &&
            (attributes & SFGAO_FOLDER) && (childNode = newNode())) {
            childNode->kind = 0;
            childNode->relative = child;
            childNode->absolute = concatIdLists(node->absolute, child);
        }
        if (!childNode || !childNode->absolute || hiddenInFileSystem(childNode->absolute)) {
            if (childNode)
                freeNode(childNode);  // releases `child` with it
            else
                CoTaskMemFree(child);
            continue;
        }
        STRRET name = {};
        wchar_t text[MAX_PATH] = L"";
        if (SUCCEEDED(node->folder->GetDisplayNameOf(child, SHGDN_NORMAL, &name)))
            StrRetToBufW(&name, child, text, MAX_PATH);
        SHFILEINFOW info = {}, open = {};
        const auto pidl = reinterpret_cast<LPCWSTR>(childNode->absolute);
        SHGetFileInfoW(pidl, 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        SHGetFileInfoW(pidl, 0, &open, sizeof open,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
        const UINT overlay = (attributes & SFGAO_SHARE) ? INDEXTOOVERLAYMASK(1) : 0;
        if (insertItem(item, TVI_LAST, text, info.iIcon, open.iIcon,
                       (attributes & SFGAO_HASSUBFOLDER) != 0, childNode, overlay))
            any = true;
        else
            freeNode(childNode);
    }
    children->Release();
    if (any) {
        TVSORTCB sort = {};
        sort.hParent = item;
        sort.lpfnCompare = compareShellChildren;
        sort.lParam = reinterpret_cast<LPARAM>(node->folder);
        TreeView_SortChildrenCB(g_folder.tree, &sort, FALSE);
    }
    return any;
}

// --- expansion and the roots ----------------------------------------------

void onItemExpanding(const NMTREEVIEWW* nm) {
    if (!(nm->action & TVE_EXPAND)) return;
    HTREEITEM item = nm->itemNew.hItem;
    if (TreeView_GetChild(g_folder.tree, item)) return;  // already listed
    auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
    if (!node) return;
    bool any;
    if (node->kind == 0)
        any = expandShellItem(item, node);
    else if (node->level == 0)
        any = expandRegisteredRoot(item);
    else
        any = expandPathItem(item, node);
    if (!any) setChildrenIndicator(item, false);
}

void collapseReset(HTREEITEM item) {
    TreeView_Expand(g_folder.tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
}

void createRoots() {
    HIMAGELIST systemIcons = nullptr;
    SHFILEINFOW info = {};
    systemIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (systemIcons) TreeView_SetImageList(g_folder.tree, systemIcons, TVSIL_NORMAL);

    // The desktop: its own folder is the desktop folder.
    TreeNode* desktop = newNode();
    LPITEMIDLIST desktopList = nullptr;
    if (desktop && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopList))) {
        desktop->kind = 0;
        desktop->relative = desktopList;
        desktop->absolute = concatIdLists(nullptr, desktopList);
        SHGetDesktopFolder(&desktop->folder);
        SHFILEINFOW d = {}, o = {};
        const auto pidl = reinterpret_cast<LPCWSTR>(desktopList);
        SHGetFileInfoW(pidl, 0, &d, sizeof d,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        SHGetFileInfoW(pidl, 0, &o, sizeof o,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
        if (desktop->absolute)
            g_folder.desktopRoot =
                insertItem(TVI_ROOT, TVI_LAST, d.szDisplayName, d.iIcon, o.iIcon, true, desktop);
        if (!g_folder.desktopRoot) freeNode(desktop);
    } else if (desktop) {
        freeNode(desktop);
    }

    TreeNode* registered = newNode();
    if (registered) {
        registered->kind = 1;
        registered->level = 0;
        int icon = 0;
        LPITEMIDLIST favourites = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, &favourites))) {
            SHFILEINFOW f = {};
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(favourites), 0, &f, sizeof f,
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
            icon = f.iIcon;
            CoTaskMemFree(favourites);
        }
        g_folder.registeredRoot =
            insertItem(TVI_ROOT, TVI_LAST, L"登録フォルダ", icon, icon, true, registered);
        if (!g_folder.registeredRoot) freeNode(registered);
    }
}

// --- commands --------------------------------------------------------------

bool isRegisteredLevel(const TreeNode* node, int level) {
    return node && node->kind == 1 && node->level == level;
}

bool canRegister(const TreeNode* node) {
    return isRegisteredLevel(node, 2) || (node && node->kind == 0 && standsForFolder(node));
}

void addFolderOf(const TreeNode* node) {
    wchar_t path[MAX_PATH];
    if (!folderOf(node, path) || !isDirectory(path)) return;
    if (g_folder.host.owner) {
        SetForegroundWindow(g_folder.host.owner);
        SetFocus(g_folder.host.owner);
    }
    if (g_folder.host.addFolder) g_folder.host.addFolder(path);
}

void registerFolderOf(const TreeNode* node) {
    wchar_t path[MAX_PATH];
    if (!folderOf(node, path) || !isDirectory(path)) return;
    HTREEITEM root = g_folder.registeredRoot;
    TreeView_Expand(g_folder.tree, root, TVE_EXPAND);
    auto& folders = g_settings.registeredFolders;
    for (const std::wstring& known : folders)
        if (lstrcmpiW(known.c_str(), path) == 0) return;
    if (folders.size() < kMaxRegistered) {
        folders.emplace_back(path);
        if (folders.size() == 1) {
            // The root was listed empty and lost its button: list it anew.
            setChildrenIndicator(root, true);
            collapseReset(root);
            TreeView_Expand(g_folder.tree, root, TVE_EXPAND);
            return;
        }
    }
    // With every slot taken the folder is shown until exit but not stored.
    insertPathItem(root, TVI_SORT, 1, path);
}

void unregisterItem(HTREEITEM item, const TreeNode* node) {
    if (!isRegisteredLevel(node, 1)) return;
    auto& folders = g_settings.registeredFolders;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (lstrcmpiW(folders[i].c_str(), node->path) == 0) {
            folders.erase(folders.begin() + static_cast<ptrdiff_t>(i));
            break;
        }
    }
    TreeView_SelectItem(g_folder.tree, nullptr);
    TreeView_DeleteItem(g_folder.tree, item);
    HTREEITEM root = g_folder.registeredRoot;
    if (!TreeView_GetChild(g_folder.tree, root)) {
        // An item without children may refuse to collapse: its state is
        // cleared directly so that it is saved as not expanded.
        collapseReset(root);
        TreeView_SetItemState(g_folder.tree, root, 0, TVIS_EXPANDED | TVIS_EXPANDEDONCE);
        setChildrenIndicator(root, false);
    }
}

void explore(const TreeNode* node) {
    if (!node || isRegisteredLevel(node, 0)) return;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"explore";
    sei.nShow = SW_SHOWNORMAL;
    if (node->kind == 0) {
        sei.fMask |= SEE_MASK_IDLIST;
        sei.lpIDList = node->absolute;
    } else {
        sei.lpFile = node->path;
    }
    if (!ShellExecuteExW(&sei) && g_folder.host.showError)
        g_folder.host.showError(g_folder.host.owner, L"ファイル実行に失敗しました。");
}

void updateButtons() {
    HTREEITEM item = TreeView_GetSelection(g_folder.tree);
    if (item) TreeView_EnsureVisible(g_folder.tree, item);
    const TreeNode* node = nodeOf(item);
    EnableWindow(g_folder.registerButton, canRegister(node));
    EnableWindow(g_folder.unregisterButton, isRegisteredLevel(node, 1));
    const bool addable =
        node && !isRegisteredLevel(node, 0) && !(node->kind == 0 && !standsForFolder(node));
    EnableWindow(g_folder.addToList, addable);
}

void onContextMenu() {
    POINT screen;
    GetCursorPos(&screen);
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(g_folder.tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(g_folder.tree, &hit);
    HMENU menu = g_folder.host.popupMenu ? g_folder.host.popupMenu() : nullptr;
    if (!item || !menu) return;
    TreeView_SelectDropTarget(g_folder.tree, item);
    prepareFolderMenu(menu, item);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, g_folder.window, nullptr));
    TreeView_SelectDropTarget(g_folder.tree, nullptr);
    if (command) runFolderCommand(item, command);
}

void beginDrag(HTREEITEM item) {
    g_folder.dragItem = item;
    g_folder.dragging = true;
    TreeView_SelectDropTarget(g_folder.tree, item);
    HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDragCursorId));
    SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
    SetCapture(g_folder.window);
}

void endDrag(POINT screen, bool drop) {
    if (!g_folder.dragging) return;
    g_folder.dragging = false;
    HTREEITEM item = g_folder.dragItem;
    g_folder.dragItem = nullptr;
    if (GetCapture() == g_folder.window) ReleaseCapture();
    TreeView_SelectDropTarget(g_folder.tree, nullptr);
    if (!drop || !g_folder.host.overLists || !g_folder.host.overLists(screen)) return;
    const TreeNode* node = nodeOf(item);
    if (standsForFolder(node) && g_folder.host.addFolder) {
        wchar_t path[MAX_PATH];
        folderOf(node, path);
        g_folder.host.addFolder(path);
    }
}

void onSizeChosen() {
    const int index = static_cast<int>(SendMessageW(g_folder.combo, CB_GETCURSEL, 0, 0));
    if (index >= 0 && index < 5) {
        g_settings.AddImgSize = index;
        g_settings.minAddWidth = g_settings.PresetW[index];
        g_settings.minAddHeight = g_settings.PresetH[index];
    } else if (index == 5) {
        runSizeDialog(g_folder.window, g_folder.combo);
        SendMessageW(g_folder.combo, CB_SETCURSEL, g_settings.AddImgSize, 0);
    }
}

LRESULT onNotify(NMHDR* hdr) {
    if (hdr->idFrom != kIdFolderTree) return 0;
    auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
    switch (hdr->code) {
        case TVN_ITEMEXPANDINGW:
            onItemExpanding(nm);
            break;
        case TVN_ITEMEXPANDEDW:
            if (nm->action & TVE_COLLAPSE) collapseReset(nm->itemNew.hItem);
            break;
        case TVN_DELETEITEMW:
            freeNode(reinterpret_cast<TreeNode*>(nm->itemOld.lParam));
            break;
        case TVN_SELCHANGEDW:
            updateButtons();
            break;
        case TVN_BEGINDRAGW:
            beginDrag(nm->itemNew.hItem);
            break;
        case NM_RCLICK:
            onContextMenu();
            return 1;
    }
    return 0;
}

// The label "登録フォルダ" is wider than 60 pixels in the stand-in fonts, so
// it gets room for its six characters and the buttons move right by as much.
constexpr int kLabelWidth = 70;
constexpr int kButtonLeft = 77;

void layout(int width, int height) {
    MoveWindow(g_folder.tree, 0, 25, width, height - 50, TRUE);
    MoveWindow(g_folder.label, 6, height - 19, kLabelWidth, 18, TRUE);
    MoveWindow(g_folder.registerButton, kButtonLeft, height - 24, 40, 22, TRUE);
    MoveWindow(g_folder.unregisterButton, kButtonLeft + 40, height - 24, 40, 22, TRUE);
}

HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w,
           int h, int id) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                g_folder.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd && g_folder.host.font)
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_folder.host.font), FALSE);
    return hwnd;
}

void addTip(HWND control, const wchar_t* text) {
    if (!g_folder.tooltip || !control) return;
    TOOLINFOW ti = {};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = g_folder.window;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(g_folder.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void createChildren() {
    RECT client;
    GetClientRect(g_folder.window, &client);
    g_folder.tooltip = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, g_folder.window, nullptr, GetModuleHandleW(nullptr), nullptr);
    g_folder.addToList =
        child(L"BUTTON", L"リストに追加", BS_PUSHBUTTON, 0, 2, 2, 75, 22, kIdFolderAddToList);
    g_folder.combo = child(L"COMBOBOX", nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 78,
                           3, 110, 96, kIdFolderSize);
    SendMessageW(g_folder.combo, CB_SETEXTENDEDUI, TRUE, 0);
    g_folder.tree = child(WC_TREEVIEWW, nullptr,
                          TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                          WS_EX_STATICEDGE, 0, 25, client.right, client.bottom - 50, kIdFolderTree);
    g_folder.label = child(L"STATIC", L"登録フォルダ", SS_LEFTNOWORDWRAP, 0, 6, client.bottom - 19,
                           kLabelWidth, 18, kIdFolderLabel);
    g_folder.registerButton = child(L"BUTTON", L"追加", BS_PUSHBUTTON, 0, kButtonLeft,
                                    client.bottom - 24, 40, 22, kIdFolderRegister);
    g_folder.unregisterButton = child(L"BUTTON", L"削除", BS_PUSHBUTTON, 0, kButtonLeft + 40,
                                      client.bottom - 24, 40, 22, kIdFolderUnregister);
    addTip(g_folder.addToList, L"フォルダを選択してからクリックします");
    addTip(g_folder.combo, L"追加する画像サイズを指定します");
    addTip(g_folder.registerButton, L"登録フォルダに追加します");
    addTip(g_folder.unregisterButton, L"登録フォルダから削除します");
    fillSizeCombo(g_folder.combo);
}

LRESULT CALLBACK folderWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            layout(LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_NOTIFY:
            return onNotify(reinterpret_cast<NMHDR*>(lp));
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            HTREEITEM selected = TreeView_GetSelection(g_folder.tree);
            if (id == kIdFolderAddToList)
                runFolderCommand(selected, kFolderCmdAddToList);
            else if (id == kIdFolderRegister)
                runFolderCommand(selected, kFolderCmdRegister);
            else if (id == kIdFolderUnregister)
                runFolderCommand(selected, kFolderCmdUnregister);
            else if (id == kIdFolderSize && HIWORD(wp) == CBN_SELCHANGE)
                onSizeChosen();
            return 0;
        }
        case WM_MOUSEMOVE:
            if (g_folder.dragging) {
                HCURSOR cursor =
                    LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDragCursorId));
                SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
            }
            break;
        case WM_LBUTTONUP:
            if (g_folder.dragging) {
                POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                ClientToScreen(hwnd, &pt);
                endDrag(pt, true);
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            if (g_folder.dragging && reinterpret_cast<HWND>(lp) != hwnd) endDrag(POINT{}, false);
            break;
        case WM_MEASUREITEM:
            if (g_folder.host.measureMenuItem &&
                g_folder.host.measureMenuItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_DRAWITEM:
            if (g_folder.host.drawMenuItem &&
                g_folder.host.drawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_CLOSE:
            // Closing only hides; the main window comes to the front.
            ShowWindow(hwnd, SW_HIDE);
            if (g_folder.host.owner) SetForegroundWindow(g_folder.host.owner);
            return 0;
        case WM_DESTROY:
            // The tree frees every node as its items are deleted.
            if (g_folder.tree) TreeView_DeleteAllItems(g_folder.tree);
            break;
        case WM_NCDESTROY:
            // Destroyed with its owner or on its own: a later creation starts afresh.
            g_folder = FolderWindowState();
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool registerClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = folderWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFolderWindowClass;
    registered = RegisterClassExW(&wc) != 0;
    return registered;
}

}  // namespace

HWND createFolderWindow(const FolderWindowHost& host) {
    if (g_folder.window) return g_folder.window;
    if (!registerClass()) return nullptr;
    g_folder = FolderWindowState();
    g_folder.host = host;
    RECT main = {0, 0, 600, 500};
    if (host.owner) GetWindowRect(host.owner, &main);
    int left = main.right;
    const int screenWidth =
        g_settings.screenWidth > 0 ? g_settings.screenWidth : GetSystemMetrics(SM_CXSCREEN);
    if (left > screenWidth - kFolderWindowWidth) left = screenWidth - kFolderWindowWidth;
    g_folder.window = CreateWindowExW(WS_EX_DLGMODALFRAME, kFolderWindowClass, L"フォルダ選択",
                                      WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                      left, main.top, kFolderWindowWidth, main.bottom - main.top,
                                      host.owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!g_folder.window) return nullptr;
    createChildren();
    createRoots();
    TreeView_SelectItem(g_folder.tree, g_folder.registeredRoot);
    updateButtons();
    if (g_settings.DTExpand && g_folder.desktopRoot)
        TreeView_Expand(g_folder.tree, g_folder.desktopRoot, TVE_EXPAND);
    if (g_settings.LRExpand && g_folder.registeredRoot)
        TreeView_Expand(g_folder.tree, g_folder.registeredRoot, TVE_EXPAND);
    return g_folder.window;
}

void destroyFolderWindow() {
    if (g_folder.window) DestroyWindow(g_folder.window);
}

void showFolderWindow() {
    if (!g_folder.window) return;
    ShowWindow(g_folder.window, SW_SHOWNORMAL);
    SetForegroundWindow(g_folder.window);
}

void saveFolderWindowState() {
    if (!g_folder.tree) return;
    auto expanded = [](HTREEITEM item) -> uint8_t {
        return item && (TreeView_GetItemState(g_folder.tree, item, TVIS_EXPANDED) & TVIS_EXPANDED)
                   ? 1
                   : 0;
    };
    g_settings.DTExpand = expanded(g_folder.desktopRoot);
    g_settings.LRExpand = expanded(g_folder.registeredRoot);
}

FolderWindowParts folderWindowParts() {
    return {g_folder.window, g_folder.tree, g_folder.combo, g_folder.desktopRoot,
            g_folder.registeredRoot};
}

void prepareFolderMenu(HMENU menu, HTREEITEM item) {
    const TreeNode* node = nodeOf(item);
    const bool canExplore = node && !isRegisteredLevel(node, 0);
    const bool canAdd = canRegister(node);
    const bool canRemove = isRegisteredLevel(node, 1);
    auto set = [&](UINT id, bool on) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    set(kFolderCmdExplore, canExplore);
    set(kFolderCmdRegister, canAdd);
    set(kFolderCmdUnregister, canRemove);
    set(kFolderCmdAddToList, canAdd || canRemove);
}

void runFolderCommand(HTREEITEM item, UINT command) {
    const TreeNode* node = nodeOf(item);
    if (!node) return;
    switch (command) {
        case kFolderCmdAddToList:
            addFolderOf(node);
            break;
        case kFolderCmdRegister:
            registerFolderOf(node);
            break;
        case kFolderCmdUnregister:
            unregisterItem(item, node);
            break;
        case kFolderCmdExplore:
            explore(node);
            break;
    }
}
