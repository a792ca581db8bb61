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
#include <memory>
#include <new>
#include <string>

#include "base/app_heap.h"
#include "base/owners_win.h"
#include "settings/settings.h"
#include "ui/folder_window.h"
#include "ui/main_window_menu.h"
#include "ui/ui_resources.h"
#include "ui/window_state.h"

namespace {

constexpr size_t kMaxRegistered = 100;
constexpr int kDragCursorId = IDCUR_DRAG_FOLDER;

// A tree item stands for an item of the shell namespace (the desktop and
// what lies below it) or for a file-system path (the "登録フォルダ" root, a
// registered folder, or a folder below one).
enum class NodeKind { Shell, Path };
enum class PathLevel { Root, Registered, Below };

// Attached to every tree item as its item data; the tree owns it from the
// item's insertion and frees it when the item goes (TVN_DELETEITEM).
struct TreeNode {
    NodeKind kind = NodeKind::Path;
    ComPtr<IShellFolder> folder;        // shell item: its own folder, bound on first expansion
    CoTaskMem<ITEMIDLIST> relative;     // shell item: relative to its parent
    HeapPtr<ITEMIDLIST> absolute;       // shell item: from the desktop
    PathLevel level = PathLevel::Root;  // path item
    wchar_t path[MAX_PATH] = {};        // path item
};

// Nodes live on the application heap.
struct NodeDeleter {
    void operator()(TreeNode* node) const noexcept {
        node->~TreeNode();
        heapFree(node);
    }
};
using NodePtr = std::unique_ptr<TreeNode, NodeDeleter>;

NodePtr newNode(NodeKind kind) {
    void* block = heapAlloc(sizeof(TreeNode));
    if (!block) return nullptr;
    NodePtr node(new (block) TreeNode);
    node->kind = kind;
    return node;
}

struct FolderWindowState {
    FolderWindowHost* host = nullptr;
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
    // Set once the window exists: from then on the window frees the state
    // when it goes (WM_NCDESTROY); before, its creator does.
    bool ownedByWindow = false;
};

// The state of a folder window; null for any other window.
FolderWindowState* stateOf(HWND window) {
    wchar_t name[32] = {};
    if (!window || !GetClassNameW(window, name, 32) || lstrcmpW(name, kFolderWindowClass) != 0)
        return nullptr;
    return windowState<FolderWindowState>(window);
}

TreeNode* nodeOf(const FolderWindowState& s, HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMW tv = {};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!TreeView_GetItem(s.tree, &tv)) return nullptr;
    return reinterpret_cast<TreeNode*>(tv.lParam);
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

HeapPtr<ITEMIDLIST> concatIdLists(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    const size_t a = parent ? idListBytes(parent) : 0;
    const size_t b = idListBytes(child);
    auto* out = static_cast<BYTE*>(heapAlloc(a + b + 2));
    if (!out) return {};
    if (a) std::memcpy(out, parent, a);
    std::memcpy(out + a, child, b);
    out[a + b] = out[a + b + 1] = 0;
    return HeapPtr<ITEMIDLIST>(reinterpret_cast<LPITEMIDLIST>(out));
}

bool isDirectory(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isPathAt(const TreeNode* node, PathLevel level) {
    return node && node->kind == NodeKind::Path && node->level == level;
}

// The folder an item stands for: a shell item's file-system path, a
// registered folder or one below it; the "登録フォルダ" root has none.
bool folderOf(const TreeNode* node, wchar_t (&path)[MAX_PATH]) {
    path[0] = 0;
    if (!node) return false;
    if (node->kind == NodeKind::Shell) {
        if (!node->absolute || !SHGetPathFromIDListW(node->absolute.get(), path)) return false;
    } else {
        if (node->level == PathLevel::Root) return false;
        lstrcpynW(path, node->path, MAX_PATH);
    }
    return path[0] != 0;
}

bool standsForFolder(const TreeNode* node) {
    wchar_t path[MAX_PATH];
    return folderOf(node, path) && isDirectory(path);
}

void setChildrenIndicator(const FolderWindowState& s, HTREEITEM item, bool has) {
    TVITEMW tv = {};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    tv.cChildren = has ? 1 : 0;
    TreeView_SetItem(s.tree, &tv);
}

// Inserts an item that takes `node` over; a node the tree refuses goes at once.
HTREEITEM insertItem(const FolderWindowState& s, HTREEITEM parent, HTREEITEM after,
                     const wchar_t* text, int icon, int openIcon, bool hasChildren, NodePtr node,
                     UINT state = 0) {
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    ins.item.pszText = const_cast<wchar_t*>(text);
    ins.item.iImage = icon;
    ins.item.iSelectedImage = openIcon;
    ins.item.cChildren = hasChildren ? 1 : 0;
    ins.item.lParam = reinterpret_cast<LPARAM>(node.get());
    if (state) {
        ins.item.mask |= TVIF_STATE;
        ins.item.state = state;
        ins.item.stateMask = TVIS_OVERLAYMASK;
    }
    HTREEITEM item = TreeView_InsertItem(s.tree, &ins);
    if (item) (void)node.release();  // the tree holds it now
    return item;
}

void collapseReset(const FolderWindowState& s, HTREEITEM item) {
    TreeView_Expand(s.tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
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
    const UniqueFind find(FindFirstFileW(pattern.c_str(), &found));
    if (!find) return false;
    bool any = false;
    do any = listableSubfolder(found);
    while (!any && FindNextFileW(find.get(), &found));
    return any;
}

HTREEITEM insertPathItem(const FolderWindowState& s, HTREEITEM parent, HTREEITEM after,
                         PathLevel level, const wchar_t* path) {
    NodePtr node = newNode(NodeKind::Path);
    if (!node) return nullptr;
    node->level = level;
    lstrcpynW(node->path, path, MAX_PATH);
    SHFILEINFOW info = {}, open = {};
    SHGetFileInfoW(path, 0, &info, sizeof info,
                   SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHGetFileInfoW(path, 0, &open, sizeof open,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    const wchar_t* text = info.szDisplayName[0] ? info.szDisplayName : PathFindFileNameW(path);
    return insertItem(s, parent, after, text, info.iIcon, open.iIcon, hasListableSubfolder(path),
                      std::move(node));
}

bool expandRegisteredRoot(const FolderWindowState& s, HTREEITEM root) {
    auto& folders = g_settings.registeredFolders;
    bool any = false;
    for (size_t i = 0; i < folders.size();) {
        if (!isDirectory(folders[i].c_str())) {
            // Gone since it was registered: dropped, the later ones move up.
            folders.erase(folders.begin() + static_cast<ptrdiff_t>(i));
            continue;
        }
        if (insertPathItem(s, root, TVI_LAST, PathLevel::Registered, folders[i].c_str()))
            any = true;
        ++i;
    }
    return any;
}

bool expandPathItem(const FolderWindowState& s, HTREEITEM item, const TreeNode& node) {
    const std::wstring pattern = std::wstring(node.path) + L"\\*";
    WIN32_FIND_DATAW found;
    const UniqueFind find(FindFirstFileW(pattern.c_str(), &found));
    if (!find) return false;
    bool any = false;
    do {
        if (!listableSubfolder(found)) continue;
        const std::wstring child = std::wstring(node.path) + L"\\" + found.cFileName;
        if (child.size() >= MAX_PATH) continue;
        if (insertPathItem(s, item, TVI_SORT, PathLevel::Below, child.c_str())) any = true;
    } while (FindNextFileW(find.get(), &found));
    return any;
}

// --- shell items -----------------------------------------------------------

int CALLBACK compareShellChildren(LPARAM a, LPARAM b, LPARAM folder) {
    auto* shell = reinterpret_cast<IShellFolder*>(folder);
    const auto* na = reinterpret_cast<const TreeNode*>(a);
    const auto* nb = reinterpret_cast<const TreeNode*>(b);
    const HRESULT hr = shell->CompareIDs(0, na->relative.get(), nb->relative.get());
    return static_cast<short>(HRESULT_CODE(hr));
}

bool hiddenInFileSystem(LPCITEMIDLIST absolute) {
    wchar_t path[MAX_PATH];
    if (!SHGetPathFromIDListW(absolute, path) || !path[0]) return false;
    if (PathIsRootW(path)) return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

// One child of a shell folder as a tree item; false when it is no folder,
// is hidden, or cannot be listed.
bool insertShellChild(const FolderWindowState& s, HTREEITEM parent, const TreeNode& parentNode,
                      CoTaskMem<ITEMIDLIST> child) {
    LPCITEMIDLIST list = child.get();
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_SHARE;
    if (FAILED(parentNode.folder.get()->GetAttributesOf(1, &list, &attributes)) ||
        !(attributes & SFGAO_FOLDER))
        return false;
    NodePtr node = newNode(NodeKind::Shell);
    if (!node) return false;
    node->absolute = concatIdLists(parentNode.absolute.get(), list);
    if (!node->absolute || hiddenInFileSystem(node->absolute.get())) return false;
    node->relative = std::move(child);
    STRRET name = {};
    wchar_t text[MAX_PATH] = L"";
    if (SUCCEEDED(parentNode.folder.get()->GetDisplayNameOf(list, SHGDN_NORMAL, &name)))
        StrRetToBufW(&name, list, text, MAX_PATH);
    SHFILEINFOW info = {}, open = {};
    const auto pidl = reinterpret_cast<LPCWSTR>(node->absolute.get());
    SHGetFileInfoW(pidl, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHGetFileInfoW(pidl, 0, &open, sizeof open,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    const UINT overlay = (attributes & SFGAO_SHARE) ? INDEXTOOVERLAYMASK(1) : 0;
    return insertItem(s, parent, TVI_LAST, text, info.iIcon, open.iIcon,
                      (attributes & SFGAO_HASSUBFOLDER) != 0, std::move(node), overlay) != nullptr;
}

bool expandShellItem(const FolderWindowState& s, HTREEITEM item, TreeNode& node) {
    if (!node.folder) {
        ComPtr<IShellFolder> desktop;
        if (FAILED(SHGetDesktopFolder(desktop.put()))) return false;
        desktop.get()->BindToObject(node.absolute.get(), nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(node.folder.put()));
        if (!node.folder) return false;
    }
    ComPtr<IEnumIDList> children;
    if (node.folder.get()->EnumObjects(s.window, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN,
                                       children.put()) != S_OK ||
        !children)
        return false;
    bool any = false;
    CoTaskMem<ITEMIDLIST> child;
    while (children.get()->Next(1, child.put(), nullptr) == S_OK)
        if (insertShellChild(s, item, node, std::move(child))) any = true;
    if (any) {
        TVSORTCB sort = {};
        sort.hParent = item;
        sort.lpfnCompare = compareShellChildren;
        sort.lParam = reinterpret_cast<LPARAM>(node.folder.get());
        TreeView_SortChildrenCB(s.tree, &sort, FALSE);
    }
    return any;
}

// --- expansion and the roots ----------------------------------------------

void onItemExpanding(const FolderWindowState& s, const NMTREEVIEWW* nm) {
    if (!(nm->action & TVE_EXPAND)) return;
    HTREEITEM item = nm->itemNew.hItem;
    if (TreeView_GetChild(s.tree, item)) return;  // already listed
    auto* node = reinterpret_cast<TreeNode*>(nm->itemNew.lParam);
    if (!node) return;
    bool any;
    if (node->kind == NodeKind::Shell)
        any = expandShellItem(s, item, *node);
    else if (node->level == PathLevel::Root)
        any = expandRegisteredRoot(s, item);
    else
        any = expandPathItem(s, item, *node);
    if (!any) setChildrenIndicator(s, item, false);
}

void createRoots(FolderWindowState& s) {
    SHFILEINFOW info = {};
    auto* systemIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (systemIcons) TreeView_SetImageList(s.tree, systemIcons, TVSIL_NORMAL);

    // The desktop: its own folder is the desktop folder.
    NodePtr desktop = newNode(NodeKind::Shell);
    if (desktop &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktop->relative.put()))) {
        desktop->absolute = concatIdLists(nullptr, desktop->relative.get());
        SHGetDesktopFolder(desktop->folder.put());
        SHFILEINFOW d = {}, o = {};
        const auto pidl = reinterpret_cast<LPCWSTR>(desktop->relative.get());
        SHGetFileInfoW(pidl, 0, &d, sizeof d,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        SHGetFileInfoW(pidl, 0, &o, sizeof o,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
        if (desktop->absolute)
            s.desktopRoot = insertItem(s, TVI_ROOT, TVI_LAST, d.szDisplayName, d.iIcon, o.iIcon,
                                       true, std::move(desktop));
    }

    NodePtr registered = newNode(NodeKind::Path);
    if (registered) {
        registered->level = PathLevel::Root;
        int icon = 0;
        CoTaskMem<ITEMIDLIST> favourites;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favourites.put()))) {
            SHFILEINFOW f = {};
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(favourites.get()), 0, &f, sizeof f,
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
            icon = f.iIcon;
        }
        s.registeredRoot = insertItem(s, TVI_ROOT, TVI_LAST, L"登録フォルダ", icon, icon, true,
                                      std::move(registered));
    }
}

// --- commands --------------------------------------------------------------

bool canRegister(const TreeNode* node) {
    return isPathAt(node, PathLevel::Below) ||
           (node && node->kind == NodeKind::Shell && standsForFolder(node));
}

void addFolderOf(const FolderWindowState& s, const TreeNode* node) {
    wchar_t path[MAX_PATH];
    if (!folderOf(node, path) || !isDirectory(path)) return;
    if (HWND owner = s.host->owner()) {
        SetForegroundWindow(owner);
        SetFocus(owner);
    }
    s.host->addFolder(path);
}

void registerFolderOf(const FolderWindowState& s, const TreeNode* node) {
    wchar_t path[MAX_PATH];
    if (!folderOf(node, path) || !isDirectory(path)) return;
    HTREEITEM root = s.registeredRoot;
    TreeView_Expand(s.tree, root, TVE_EXPAND);
    auto& folders = g_settings.registeredFolders;
    for (const std::wstring& known : folders)
        if (lstrcmpiW(known.c_str(), path) == 0) return;
    if (folders.size() < kMaxRegistered) {
        folders.emplace_back(path);
        if (folders.size() == 1) {
            // The root was listed empty and lost its button: list it anew.
            setChildrenIndicator(s, root, true);
            collapseReset(s, root);
            TreeView_Expand(s.tree, root, TVE_EXPAND);
            return;
        }
    }
    // With every slot taken the folder is shown until exit but not stored.
    insertPathItem(s, root, TVI_SORT, PathLevel::Registered, path);
}

void unregisterItem(const FolderWindowState& s, HTREEITEM item, const TreeNode* node) {
    if (!isPathAt(node, PathLevel::Registered)) return;
    auto& folders = g_settings.registeredFolders;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (lstrcmpiW(folders[i].c_str(), node->path) == 0) {
            folders.erase(folders.begin() + static_cast<ptrdiff_t>(i));
            break;
        }
    }
    TreeView_SelectItem(s.tree, nullptr);
    TreeView_DeleteItem(s.tree, item);  // frees `node`
    HTREEITEM root = s.registeredRoot;
    if (!TreeView_GetChild(s.tree, root)) {
        // An item without children may refuse to collapse: its state is
        // cleared directly so that it is saved as not expanded.
        collapseReset(s, root);
        TreeView_SetItemState(s.tree, root, 0, TVIS_EXPANDED | TVIS_EXPANDEDONCE);
        setChildrenIndicator(s, root, false);
    }
}

void explore(const FolderWindowState& s, const TreeNode* node) {
    if (!node || isPathAt(node, PathLevel::Root)) return;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"explore";
    sei.nShow = SW_SHOWNORMAL;
    if (node->kind == NodeKind::Shell) {
        sei.fMask |= SEE_MASK_IDLIST;
        sei.lpIDList = node->absolute.get();
    } else {
        sei.lpFile = node->path;
    }
    if (!ShellExecuteExW(&sei)) s.host->showError(L"ファイル実行に失敗しました。");
}

void prepareMenu(const FolderWindowState& s, HMENU menu, HTREEITEM item) {
    const TreeNode* node = nodeOf(s, item);
    const bool canExplore = node && !isPathAt(node, PathLevel::Root);
    const bool canAdd = canRegister(node);
    const bool canRemove = isPathAt(node, PathLevel::Registered);
    auto set = [&](UINT id, bool on) {
        EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    set(kFolderCmdExplore, canExplore);
    set(kFolderCmdRegister, canAdd);
    set(kFolderCmdUnregister, canRemove);
    set(kFolderCmdAddToList, canAdd || canRemove);
}

void runCommand(const FolderWindowState& s, HTREEITEM item, UINT command) {
    const TreeNode* node = nodeOf(s, item);
    if (!node) return;
    switch (command) {
        case kFolderCmdAddToList:
            addFolderOf(s, node);
            break;
        case kFolderCmdRegister:
            registerFolderOf(s, node);
            break;
        case kFolderCmdUnregister:
            unregisterItem(s, item, node);
            break;
        case kFolderCmdExplore:
            explore(s, node);
            break;
    }
}

void updateButtons(const FolderWindowState& s) {
    HTREEITEM item = TreeView_GetSelection(s.tree);
    if (item) TreeView_EnsureVisible(s.tree, item);
    const TreeNode* node = nodeOf(s, item);
    EnableWindow(s.registerButton, canRegister(node));
    EnableWindow(s.unregisterButton, isPathAt(node, PathLevel::Registered));
    const bool addable = node && !isPathAt(node, PathLevel::Root) &&
                         !(node->kind == NodeKind::Shell && !standsForFolder(node));
    EnableWindow(s.addToList, addable);
}

void onContextMenu(const FolderWindowState& s) {
    POINT screen;
    GetCursorPos(&screen);
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(s.tree, &hit.pt);
    HTREEITEM item = TreeView_HitTest(s.tree, &hit);
    const FolderMenu* menu = s.host->menu();
    HMENU popup = menu ? menu->popup() : nullptr;
    if (!item || !popup) return;
    TreeView_SelectDropTarget(s.tree, item);
    prepareMenu(s, popup, item);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, s.window, nullptr));
    TreeView_SelectDropTarget(s.tree, nullptr);
    if (command) runCommand(s, item, command);
}

void showDragCursor() {
    HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDragCursorId));
    SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

void beginDrag(FolderWindowState& s, HTREEITEM item) {
    s.dragItem = item;
    s.dragging = true;
    TreeView_SelectDropTarget(s.tree, item);
    showDragCursor();
    SetCapture(s.window);
}

void endDrag(FolderWindowState& s, POINT screen, bool drop) {
    if (!s.dragging) return;
    s.dragging = false;
    HTREEITEM item = s.dragItem;
    s.dragItem = nullptr;
    if (GetCapture() == s.window) ReleaseCapture();
    TreeView_SelectDropTarget(s.tree, nullptr);
    if (!drop || !s.host->overLists(screen)) return;
    const TreeNode* node = nodeOf(s, item);
    if (standsForFolder(node)) {
        wchar_t path[MAX_PATH];
        folderOf(node, path);
        s.host->addFolder(path);
    }
}

// The button released at `client` (client coordinates) ends a drag.
void onDrop(FolderWindowState& s, POINT client) {
    ClientToScreen(s.window, &client);
    endDrag(s, client, true);
}

// Closing only hides; the main window comes to the front.
void onClose(const FolderWindowState& s) {
    ShowWindow(s.window, SW_HIDE);
    if (HWND owner = s.host->owner()) SetForegroundWindow(owner);
}

void onSizeChosen(const FolderWindowState& s) {
    const int index = static_cast<int>(SendMessageW(s.combo, CB_GETCURSEL, 0, 0));
    if (index >= 0 && index < 5) {
        g_settings.AddImgSize = index;
        g_settings.minAddWidth = g_settings.PresetW[index];
        g_settings.minAddHeight = g_settings.PresetH[index];
    } else if (index == 5) {
        runSizeDialog(s.window, s.combo);
        SendMessageW(s.combo, CB_SETCURSEL, g_settings.AddImgSize, 0);
    }
}

LRESULT onNotify(FolderWindowState& s, NMHDR* hdr) {
    if (hdr->idFrom != kIdFolderTree) return 0;
    auto* nm = reinterpret_cast<NMTREEVIEWW*>(hdr);
    switch (hdr->code) {
        case TVN_ITEMEXPANDINGW:
            onItemExpanding(s, nm);
            break;
        case TVN_ITEMEXPANDEDW:
            if (nm->action & TVE_COLLAPSE) collapseReset(s, nm->itemNew.hItem);
            break;
        case TVN_DELETEITEMW:
            NodePtr(reinterpret_cast<TreeNode*>(nm->itemOld.lParam)).reset();
            break;
        case TVN_SELCHANGEDW:
            updateButtons(s);
            break;
        case TVN_BEGINDRAGW:
            beginDrag(s, nm->itemNew.hItem);
            break;
        case NM_RCLICK:
            onContextMenu(s);
            return 1;
    }
    return 0;
}

void onCommand(const FolderWindowState& s, int id, int code) {
    HTREEITEM selected = TreeView_GetSelection(s.tree);
    if (id == kIdFolderAddToList)
        runCommand(s, selected, kFolderCmdAddToList);
    else if (id == kIdFolderRegister)
        runCommand(s, selected, kFolderCmdRegister);
    else if (id == kIdFolderUnregister)
        runCommand(s, selected, kFolderCmdUnregister);
    else if (id == kIdFolderSize && code == CBN_SELCHANGE)
        onSizeChosen(s);
}

// The label "登録フォルダ" is wider than 60 pixels in the stand-in fonts, so
// it gets room for its six characters and the buttons move right by as much.
constexpr int kLabelWidth = 70;
constexpr int kButtonLeft = 77;

void layout(const FolderWindowState& s, int width, int height) {
    MoveWindow(s.tree, 0, 25, width, height - 50, TRUE);
    MoveWindow(s.label, 6, height - 19, kLabelWidth, 18, TRUE);
    MoveWindow(s.registerButton, kButtonLeft, height - 24, 40, 22, TRUE);
    MoveWindow(s.unregisterButton, kButtonLeft + 40, height - 24, 40, 22, TRUE);
}

HWND child(const FolderWindowState& s, const wchar_t* cls, const wchar_t* text, DWORD style,
           DWORD exStyle, int x, int y, int w, int h, int id) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                s.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd && s.host->font())
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(s.host->font()), FALSE);
    return hwnd;
}

void addTip(const FolderWindowState& s, HWND control, const wchar_t* text) {
    addToolTip(s.tooltip, s.window, control, text);
}

void createChildren(FolderWindowState& s) {
    RECT client;
    GetClientRect(s.window, &client);
    s.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                s.window, nullptr, GetModuleHandleW(nullptr), nullptr);
    s.addToList =
        child(s, L"BUTTON", L"リストに追加", BS_PUSHBUTTON, 0, 2, 2, 75, 22, kIdFolderAddToList);
    s.combo = child(s, L"COMBOBOX", nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 78, 3,
                    110, 96, kIdFolderSize);
    SendMessageW(s.combo, CB_SETEXTENDEDUI, TRUE, 0);
    s.tree = child(s, WC_TREEVIEWW, nullptr,
                   TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                   WS_EX_STATICEDGE, 0, 25, client.right, client.bottom - 50, kIdFolderTree);
    s.label = child(s, L"STATIC", L"登録フォルダ", SS_LEFTNOWORDWRAP, 0, 6, client.bottom - 19,
                    kLabelWidth, 18, kIdFolderLabel);
    s.registerButton = child(s, L"BUTTON", L"追加", BS_PUSHBUTTON, 0, kButtonLeft,
                             client.bottom - 24, 40, 22, kIdFolderRegister);
    s.unregisterButton = child(s, L"BUTTON", L"削除", BS_PUSHBUTTON, 0, kButtonLeft + 40,
                               client.bottom - 24, 40, 22, kIdFolderUnregister);
    addTip(s, s.addToList, L"フォルダを選択してからクリックします");
    addTip(s, s.combo, L"追加する画像サイズを指定します");
    addTip(s, s.registerButton, L"登録フォルダに追加します");
    addTip(s, s.unregisterButton, L"登録フォルダから削除します");
    fillSizeCombo(s.combo);
}

LRESULT CALLBACK folderWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    FolderWindowState* s = bindWindowState<FolderWindowState>(hwnd, msg, lp);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_NCCREATE:
            s->window = hwnd;
            break;
        case WM_SIZE:
            layout(*s, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_NOTIFY:
            return onNotify(*s, reinterpret_cast<NMHDR*>(lp));
        case WM_COMMAND:
            onCommand(*s, LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_MOUSEMOVE:
            if (s->dragging) showDragCursor();
            break;
        case WM_LBUTTONUP:
            if (s->dragging) {
                onDrop(*s, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
                return 0;
            }
            break;
        case WM_CAPTURECHANGED:
            if (s->dragging && reinterpret_cast<HWND>(lp) != hwnd) endDrag(*s, POINT{}, false);
            break;
        case WM_MEASUREITEM:
            if (const FolderMenu* menu = s->host->menu();
                menu && menu->measureItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_DRAWITEM:
            if (const FolderMenu* menu = s->host->menu();
                menu && menu->drawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)))
                return TRUE;
            break;
        case WM_CLOSE:
            onClose(*s);
            return 0;
        case WM_DESTROY:
            // The tree frees every node as its items are deleted.
            if (s->tree) TreeView_DeleteAllItems(s->tree);
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            if (s->ownedByWindow) delete s;
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool registerClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = kWindowClassStyle;
    wc.lpfnWndProc = folderWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFolderWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND createFolderWindow(FolderWindowHost& host) {
    if (!registerClass()) return nullptr;
    std::unique_ptr<FolderWindowState> state(new (std::nothrow) FolderWindowState);
    if (!state) return nullptr;
    state->host = &host;
    RECT main = {0, 0, 600, 500};
    if (HWND owner = host.owner()) GetWindowRect(owner, &main);
    int left = main.right;
    const int screenWidth = windowScreenWidth(g_settings) > 0 ? windowScreenWidth(g_settings)
                                                              : GetSystemMetrics(SM_CXSCREEN);
    if (left > screenWidth - kFolderWindowWidth) left = screenWidth - kFolderWindowWidth;
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kFolderWindowClass, L"フォルダ選択",
                                  WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, left,
                                  main.top, kFolderWindowWidth, main.bottom - main.top,
                                  host.owner(), nullptr, GetModuleHandleW(nullptr), state.get());
    if (!window) return nullptr;
    FolderWindowState& s = *state.release();
    s.ownedByWindow = true;
    createChildren(s);
    createRoots(s);
    TreeView_SelectItem(s.tree, s.registeredRoot);
    updateButtons(s);
    if (g_settings.DTExpand && s.desktopRoot) TreeView_Expand(s.tree, s.desktopRoot, TVE_EXPAND);
    if (g_settings.LRExpand && s.registeredRoot)
        TreeView_Expand(s.tree, s.registeredRoot, TVE_EXPAND);
    return window;
}

void showFolderWindow(HWND window) {
    if (!stateOf(window)) return;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
}

void saveFolderWindowState(HWND window) {
    const FolderWindowState* s = stateOf(window);
    if (!s || !s->tree) return;
    auto expanded = [s](HTREEITEM item) -> uint8_t {
        return item && (TreeView_GetItemState(s->tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) ? 1
                                                                                             : 0;
    };
    g_settings.DTExpand = expanded(s->desktopRoot);
    g_settings.LRExpand = expanded(s->registeredRoot);
}

FolderWindowParts folderWindowParts(HWND window) {
    const FolderWindowState* s = stateOf(window);
    if (!s) return {};
    return {s->window, s->tree, s->combo, s->desktopRoot, s->registeredRoot};
}

void prepareFolderMenu(HWND window, HMENU menu, HTREEITEM item) {
    if (const FolderWindowState* s = stateOf(window)) prepareMenu(*s, menu, item);
}

void runFolderCommand(HWND window, HTREEITEM item, UINT command) {
    if (const FolderWindowState* s = stateOf(window)) runCommand(*s, item, command);
}
