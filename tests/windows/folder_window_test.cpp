// The registered-folder window in this process: its roots, registering and
// unregistering, the size presets and their dialog, the context menu's
// states, dragging a folder onto the lists and hiding on close.
#include "ui/folder_window.h"

#include <windows.h>
#include <gtest/gtest.h>
// After windows.h:
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/harness.h"

namespace {

// Stands in for the main window: records the folders it is handed and
// takes drops over a fixed rectangle of the screen.
class FakeHost final : public FolderWindowHost {
public:
    HWND owner() const override { return owner_; }
    void addFolder(const wchar_t* folder) override { added.emplace_back(folder); }
    bool overLists(POINT pt) const override { return PtInRect(&listArea, pt) != 0; }

    HWND owner_ = nullptr;
    RECT listArea = {};
    std::vector<std::wstring> added;
};

std::wstring itemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    TreeView_GetItem(tree, &tv);
    return text;
}

int childrenIndicator(HWND tree, HTREEITEM item) {
    TVITEMW tv = {};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    TreeView_GetItem(tree, &tv);
    return tv.cChildren;
}

std::vector<HTREEITEM> childrenOf(HWND tree, HTREEITEM item) {
    std::vector<HTREEITEM> out;
    for (HTREEITEM c = TreeView_GetChild(tree, item); c; c = TreeView_GetNextSibling(tree, c))
        out.push_back(c);
    return out;
}

class FolderWindow : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        g_settings = Settings{};
        g_settings.screenWidth = GetSystemMetrics(SM_CXSCREEN);
        g_settings.DTExpand = 0;
        g_settings.LRExpand = 1;
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 10, 20, 300, 400,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        host_.owner_ = owner_;
        host_.listArea = RECT{10, 100, 310, 300};
        folderA_ = folder_.file(L"alpha");
        CreateDirectoryW(folderA_.c_str(), nullptr);
        for (const wchar_t* sub : {L"zeta", L"beta", L".dot", L"hidden", L"system"})
            CreateDirectoryW((folderA_ + L"\\" + sub).c_str(), nullptr);
        SetFileAttributesW((folderA_ + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW((folderA_ + L"\\system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    }
    void TearDown() override {
        DestroyWindow(window_);
        DestroyWindow(owner_);
        for (const wchar_t* sub : {L"hidden", L"system"})
            SetFileAttributesW((folderA_ + L"\\" + sub).c_str(), FILE_ATTRIBUTE_NORMAL);
        CoUninitialize();
    }

    FolderWindowParts create() {
        window_ = createFolderWindow(host_);
        EXPECT_NE(window_, nullptr);
        return folderWindowParts(window_);
    }

    harness::TempFolder folder_;
    std::wstring folderA_;
    HWND owner_ = nullptr;
    FakeHost host_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(FolderWindow, FirstRunShowsThePictureFolderUnderTheRegisteredRoot) {
    const harness::TempFolder settings;
    setSettingsFilePathForTesting(settings.file(L"Tolvex.ini"));
    loadFolderSettings();  // no file yet: first run
    wchar_t pictures[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(
        SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)));
    CreateDirectoryW(pictures, nullptr);
    g_settings.DTExpand = 0;
    const FolderWindowParts w = create();

    EXPECT_EQ(itemText(w.tree, w.registeredRoot), L"登録フォルダ");
    EXPECT_EQ(TreeView_GetSelection(w.tree), w.registeredRoot);
    const auto registered = childrenOf(w.tree, w.registeredRoot);
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(g_settings.registeredFolders, std::vector<std::wstring>{pictures});
    EXPECT_FALSE(IsWindowVisible(w.window));  // created hidden
}

TEST_F(FolderWindow, LayoutAndTheSizePresetsInTheCombo) {
    g_settings.AddImgSize = 1;
    const FolderWindowParts w = create();
    RECT owner, mine;
    GetWindowRect(owner_, &owner);
    GetWindowRect(w.window, &mine);
    EXPECT_EQ(mine.right - mine.left, kFolderWindowWidth);
    EXPECT_EQ(mine.left, owner.right);
    EXPECT_EQ(mine.top, owner.top);
    EXPECT_EQ(mine.bottom - mine.top, owner.bottom - owner.top);

    ASSERT_EQ(SendMessageW(w.sizeCombo, CB_GETCOUNT, 0, 0), 6);
    wchar_t text[64];
    SendMessageW(w.sizeCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"800x600 以上");
    SendMessageW(w.sizeCombo, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"サイズ登録");
    EXPECT_EQ(SendMessageW(w.sizeCombo, CB_GETCURSEL, 0, 0), 1);

    // The tree keeps 25 pixels above and below, whatever the size.
    SetWindowPos(w.window, nullptr, 0, 0, 200, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, tree;
    GetClientRect(w.window, &client);
    GetWindowRect(w.tree, &tree);
    EXPECT_EQ(tree.bottom - tree.top, client.bottom - 50);
}

TEST_F(FolderWindow, SubfoldersAreSortedWithoutHiddenSystemOrDotFolders) {
    g_settings.registeredFolders = {folderA_};
    const FolderWindowParts w = create();
    const auto registered = childrenOf(w.tree, w.registeredRoot);
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_EQ(childrenIndicator(w.tree, registered[0]), 1);
    TreeView_Expand(w.tree, registered[0], TVE_EXPAND);
    const auto subs = childrenOf(w.tree, registered[0]);
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(itemText(w.tree, subs[0]), L"beta");
    EXPECT_EQ(itemText(w.tree, subs[1]), L"zeta");
    EXPECT_EQ(childrenIndicator(w.tree, subs[0]), 0);

    // Collapsing discards the children; they are listed anew next time.
    TreeView_Expand(w.tree, registered[0], TVE_COLLAPSE | TVE_COLLAPSERESET);
    EXPECT_TRUE(childrenOf(w.tree, registered[0]).empty());
    TreeView_Expand(w.tree, registered[0], TVE_EXPAND);
    EXPECT_EQ(childrenOf(w.tree, registered[0]).size(), 2u);
}

TEST_F(FolderWindow, RegisteringTwiceChangesNothingAndRemovingTheLastClearsTheButton) {
    g_settings.registeredFolders = {folderA_};
    const FolderWindowParts w = create();
    HTREEITEM alpha = childrenOf(w.tree, w.registeredRoot).at(0);
    TreeView_Expand(w.tree, alpha, TVE_EXPAND);
    HTREEITEM beta = childrenOf(w.tree, alpha).at(0);

    runFolderCommand(w.window, beta, kFolderCmdRegister);
    runFolderCommand(w.window, beta, kFolderCmdRegister);
    const std::vector<std::wstring> both{folderA_, folderA_ + L"\\beta"};
    EXPECT_EQ(g_settings.registeredFolders, both);
    auto registered = childrenOf(w.tree, w.registeredRoot);
    ASSERT_EQ(registered.size(), 2u);

    for (HTREEITEM item : registered) runFolderCommand(w.window, item, kFolderCmdUnregister);
    EXPECT_TRUE(g_settings.registeredFolders.empty());
    EXPECT_TRUE(childrenOf(w.tree, w.registeredRoot).empty());
    EXPECT_EQ(childrenIndicator(w.tree, w.registeredRoot), 0);
    saveFolderWindowState(w.window);
    EXPECT_EQ(g_settings.LRExpand, 0);
}

TEST_F(FolderWindow, TheFirstRegisteredFolderMakesTheRootExpandable) {
    // The desktop root stands for the desktop folder: made when missing.
    wchar_t desktop[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE,
                                           nullptr, SHGFP_TYPE_CURRENT, desktop)));
    const DWORD attributes = GetFileAttributesW(desktop);
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "no desktop folder at " << testing::PrintToString(std::wstring(desktop));
    const FolderWindowParts w = create();  // nothing registered
    EXPECT_EQ(childrenIndicator(w.tree, w.registeredRoot), 0);
    runFolderCommand(w.window, w.desktopRoot, kFolderCmdRegister);  // a shell item
    ASSERT_EQ(g_settings.registeredFolders, std::vector<std::wstring>{desktop});
    EXPECT_EQ(childrenIndicator(w.tree, w.registeredRoot), 1);
    EXPECT_EQ(childrenOf(w.tree, w.registeredRoot).size(), 1u);
    saveFolderWindowState(w.window);
    EXPECT_EQ(g_settings.LRExpand, 1);
    EXPECT_EQ(g_settings.DTExpand, 0);
}

TEST_F(FolderWindow, MenuAndButtonStatesFollowTheItem) {
    g_settings.registeredFolders = {folderA_};
    const FolderWindowParts w = create();
    HTREEITEM alpha = childrenOf(w.tree, w.registeredRoot).at(0);
    TreeView_Expand(w.tree, alpha, TVE_EXPAND);
    HTREEITEM beta = childrenOf(w.tree, alpha).at(0);
    HMENU menu = CreatePopupMenu();
    for (UINT id :
         {kFolderCmdAddToList, kFolderCmdRegister, kFolderCmdUnregister, kFolderCmdExplore})
        AppendMenuW(menu, MF_STRING, id, L"x");
    auto greyed = [&](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };

    prepareFolderMenu(w.window, menu, w.registeredRoot);
    EXPECT_TRUE(greyed(kFolderCmdExplore));
    EXPECT_TRUE(greyed(kFolderCmdAddToList));
    prepareFolderMenu(w.window, menu, alpha);
    EXPECT_FALSE(greyed(kFolderCmdUnregister));
    EXPECT_TRUE(greyed(kFolderCmdRegister));
    EXPECT_FALSE(greyed(kFolderCmdAddToList));
    prepareFolderMenu(w.window, menu, beta);
    EXPECT_TRUE(greyed(kFolderCmdUnregister));
    EXPECT_FALSE(greyed(kFolderCmdRegister));
    EXPECT_FALSE(greyed(kFolderCmdExplore));
    DestroyMenu(menu);

    HWND add = GetDlgItem(w.window, kIdFolderRegister);
    HWND remove = GetDlgItem(w.window, kIdFolderUnregister);
    HWND toList = GetDlgItem(w.window, kIdFolderAddToList);
    EXPECT_FALSE(IsWindowEnabled(toList));  // the root is selected
    TreeView_SelectItem(w.tree, alpha);
    EXPECT_TRUE(IsWindowEnabled(remove));
    EXPECT_FALSE(IsWindowEnabled(add));
    EXPECT_TRUE(IsWindowEnabled(toList));
    TreeView_SelectItem(w.tree, beta);
    EXPECT_FALSE(IsWindowEnabled(remove));
    EXPECT_TRUE(IsWindowEnabled(add));

    SendMessageW(w.window, WM_COMMAND, kIdFolderAddToList, 0);
    EXPECT_EQ(host_.added, std::vector<std::wstring>{folderA_ + L"\\beta"});
}

namespace {

// Drives the modal size dialog from inside its own message loop.
struct DialogScript {
    bool confirm = false;
    std::vector<std::pair<int, const wchar_t*>> edits;
    bool seen = false;
};
DialogScript g_script;

void CALLBACK driveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(L"#32770", L"サイズ登録");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    g_script.seen = true;
    for (auto& [id, text] : g_script.edits) SetDlgItemTextW(dialog, id, text);
    PostMessageW(dialog, WM_COMMAND, g_script.confirm ? IDOK : IDCANCEL, 0);
}

void chooseSizeEntry(const FolderWindowParts& w, int index, const DialogScript& script) {
    g_script = script;
    if (index == 5) SetTimer(nullptr, 0, 50, driveDialog);
    SendMessageW(w.sizeCombo, CB_SETCURSEL, index, 0);
    SendMessageW(w.window, WM_COMMAND, MAKEWPARAM(kIdFolderSize, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w.sizeCombo));
}

}  // namespace

TEST_F(FolderWindow, SizeDialogCancelledKeepsTheChoiceAndZeroByZeroRemovesTheFilter) {
    g_settings.AddImgSize = 1;
    g_settings.minAddWidth = 800;
    g_settings.minAddHeight = 600;
    const FolderWindowParts w = create();

    DialogScript cancel;
    cancel.edits = {{IDC_SIZE_WIDTH_3, L"1"}};
    chooseSizeEntry(w, 5, cancel);
    EXPECT_TRUE(g_script.seen);
    EXPECT_EQ(SendMessageW(w.sizeCombo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(g_settings.AddImgSize, 1);
    EXPECT_EQ(g_settings.PresetW[2], 1024);

    DialogScript zero;
    zero.confirm = true;
    zero.edits = {
        {IDC_SIZE_WIDTH_3, L"0"}, {IDC_SIZE_HEIGHT_3, L""}, {IDC_SIZE_WIDTH_5, L"123456"}};
    chooseSizeEntry(w, 5, zero);
    EXPECT_TRUE(g_script.seen);
    EXPECT_EQ(g_settings.PresetW[2], 0);
    EXPECT_EQ(g_settings.PresetH[2], 0);
    EXPECT_EQ(g_settings.PresetW[4], 9999);  // clamped
    EXPECT_EQ(g_settings.minAddWidth, 800);  // changes only when chosen
    wchar_t text[64];
    SendMessageW(w.sizeCombo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"0x0 以上");

    chooseSizeEntry(w, 2, DialogScript{});
    EXPECT_EQ(g_settings.AddImgSize, 2);
    EXPECT_EQ(g_settings.minAddWidth, 0);
    EXPECT_EQ(g_settings.minAddHeight, 0);
}

TEST_F(FolderWindow, AFolderDraggedOntoTheListsIsAddedAndClosingHides) {
    g_settings.registeredFolders = {folderA_};
    const FolderWindowParts w = create();
    HTREEITEM alpha = childrenOf(w.tree, w.registeredRoot).at(0);

    auto dragTo = [&](POINT screen) {
        NMTREEVIEWW nm = {};
        nm.hdr.hwndFrom = w.tree;
        nm.hdr.idFrom = kIdFolderTree;
        nm.hdr.code = TVN_BEGINDRAGW;
        nm.itemNew.hItem = alpha;
        SendMessageW(w.window, WM_NOTIFY, kIdFolderTree, reinterpret_cast<LPARAM>(&nm));
        EXPECT_EQ(TreeView_GetDropHilight(w.tree), alpha);
        HCURSOR dragCursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(110));
        EXPECT_NE(dragCursor, nullptr);
        EXPECT_EQ(GetCursor(), dragCursor);
        POINT client = screen;
        ScreenToClient(w.window, &client);
        SendMessageW(w.window, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        EXPECT_EQ(TreeView_GetDropHilight(w.tree), nullptr);
    };
    dragTo(POINT{5, 5});  // outside the lists
    EXPECT_TRUE(host_.added.empty());
    dragTo(POINT{50, 150});
    EXPECT_EQ(host_.added, std::vector<std::wstring>{folderA_});

    showFolderWindow(w.window);
    EXPECT_TRUE(IsWindowVisible(w.window));
    SendMessageW(w.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(w.window));
    EXPECT_FALSE(IsWindowVisible(w.window));
}

TEST_F(FolderWindow, TheDesktopRootListsFoldersWhenExpandedAtStart) {
    g_settings.DTExpand = 1;
    const FolderWindowParts w = create();
    ASSERT_NE(w.desktopRoot, nullptr);
    EXPECT_FALSE(childrenOf(w.tree, w.desktopRoot).empty());
    saveFolderWindowState(w.window);
    EXPECT_EQ(g_settings.DTExpand, 1);
}
