// The folder window beside the real main window, in this process: shown by
// "フォルダ選択", folders dragged from the tree onto the lists and filtered by
// the chosen size preset, and pictures of the test plug-in's format reaching
// the lists by drop, by folder and through the open-file dialog's filter.
#include <windows.h>
#include <gtest/gtest.h>
// (before every other system header, which all build on it)
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "support/plugin_fixture.h"
#include "support/ui_fixture.h"
#include "ui/folder_window.h"
#include "ui/list_editing.h"

using harness::TvxPicture;
using uitest::MainWindowInProcess;

namespace {

void drop(HWND target, const std::wstring& path) {
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
    ASSERT_NE(memory, nullptr);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(header + 1));
    GlobalUnlock(memory);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    uitest::pump();
}

std::vector<std::wstring> namesIn(HWND box) {
    std::vector<std::wstring> names;
    for (const std::wstring& e : listBoxEntries(box)) names.push_back(e.substr(e.rfind(L'\\') + 1));
    return names;
}

class FolderWindowWithMain : public ::testing::Test {
protected:
    void SetUp() override {
        spi_ = pictures_.file(L"spi");
        CreateDirectoryW(spi_.c_str(), nullptr);
        harness::installTestPlugins(spi_);
        folder_ = pictures_.file(L"holiday");
        CreateDirectoryW(folder_.c_str(), nullptr);
        uitest::writeBmp(folder_ + L"\\big.bmp", 900, 700);
        uitest::writeBmp(folder_ + L"\\small.bmp", 100, 80);
        TvxPicture large;
        large.width = 1000;
        large.height = 800;
        large.rows.assign(1000 * 800, '\x40');
        harness::writeBytes(folder_ + L"\\large.tvx", harness::tvxBytes(large));
        TvxPicture little;
        little.width = 20;
        little.height = 10;
        little.rows.assign(20 * 10, '\x40');
        harness::writeBytes(folder_ + L"\\little.tvx", harness::tvxBytes(little));
    }

    void open(bool withPlugins) {
        std::wstring ini =
            L"[WP]\r\nActList=0\r\n[TWin]\r\nDTExpand=0\r\nLRExpand=1\r\n"
            L"[FolderList]\r\n0=" +
            folder_ + L"\r\n";
        if (withPlugins) ini += L"[Path]\r\nSPI=" + spi_ + L"\r\n";
        main_ = std::make_unique<MainWindowInProcess>(ini);
        loadFolderSettings();
        ASSERT_NE(createFolderWindowForMain(main_->state()), nullptr);
        uitest::pump();
    }
    void TearDown() override { main_.reset(); }

    harness::TempFolder pictures_;
    std::wstring spi_, folder_;
    std::unique_ptr<MainWindowInProcess> main_;
};

}  // namespace

TEST_F(FolderWindowWithMain, TheButtonShowsItBesideTheMainWindowAndCloseHidesIt) {
    open(false);
    const FolderWindowParts w = folderWindowParts(main_->state().folderWindow);
    EXPECT_FALSE(IsWindowVisible(w.window));
    SendMessageW(main_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdAddFolder, BN_CLICKED),
                 reinterpret_cast<LPARAM>(main_->item(kIdAddFolder)));
    uitest::pump();
    EXPECT_TRUE(IsWindowVisible(w.window));
    EXPECT_EQ(GetWindow(w.window, GW_OWNER), main_->hwnd());
    RECT mainRect, mine;
    GetWindowRect(main_->hwnd(), &mainRect);
    GetWindowRect(w.window, &mine);
    EXPECT_EQ(mine.top, mainRect.top);
    EXPECT_EQ(mine.left, std::min<LONG>(mainRect.right, g_settings.screenWidth - 200));
    SendMessageW(w.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    uitest::pump();
    EXPECT_FALSE(IsWindowVisible(w.window));
    EXPECT_TRUE(IsWindow(w.window));
}

TEST_F(FolderWindowWithMain, AFolderDraggedOntoTheListsAddsPicturesOfTheChosenSize) {
    open(true);
    const FolderWindowParts w = folderWindowParts(main_->state().folderWindow);
    // 800x600 以上
    SendMessageW(w.sizeCombo, CB_SETCURSEL, 1, 0);
    SendMessageW(w.window, WM_COMMAND, MAKEWPARAM(kIdFolderSize, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w.sizeCombo));
    HTREEITEM holiday = TreeView_GetChild(w.tree, w.registeredRoot);
    ASSERT_NE(holiday, nullptr);

    NMTREEVIEWW nm = {};
    nm.hdr.hwndFrom = w.tree;
    nm.hdr.idFrom = kIdFolderTree;
    nm.hdr.code = TVN_BEGINDRAGW;
    nm.itemNew.hItem = holiday;
    SendMessageW(w.window, WM_NOTIFY, kIdFolderTree, reinterpret_cast<LPARAM>(&nm));
    RECT box;
    GetWindowRect(main_->shownList(), &box);
    POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ScreenToClient(w.window, &centre);
    SendMessageW(w.window, WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    uitest::pump();
    EXPECT_EQ(namesIn(main_->shownList()), (std::vector<std::wstring>{L"big.bmp", L"large.tvx"}));

    // The menu's "壁紙リストに追加" with no minimum adds the rest.
    SendMessageW(w.sizeCombo, CB_SETCURSEL, 0, 0);
    SendMessageW(w.window, WM_COMMAND, MAKEWPARAM(kIdFolderSize, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w.sizeCombo));
    runFolderCommand(w.window, holiday, kFolderCmdAddToList);
    uitest::pump();
    EXPECT_EQ(listBoxEntries(main_->shownList()).size(), 4u);
}

TEST_F(FolderWindowWithMain, APluginPictureIsDroppedOnlyWhenThePluginsAreOn) {
    open(false);
    drop(main_->shownList(), folder_ + L"\\little.tvx");
    EXPECT_TRUE(listBoxEntries(main_->shownList()).empty());
    main_.reset();
    open(true);
    drop(main_->shownList(), folder_ + L"\\little.tvx");
    EXPECT_EQ(namesIn(main_->shownList()), std::vector<std::wstring>{L"little.tvx"});
}

namespace {

// Picks the plug-in filter in the open-file dialog and opens one file.
std::wstring g_pickPath;
std::wstring g_filterSeen;
BOOL CALLBACK findDialog(HWND hwnd, LPARAM out) {
    wchar_t cls[16];
    GetClassNameW(hwnd, cls, 16);
    if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}
void CALLBACK driveOpenDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
    const int n = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[256] = L"";
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (wcsncmp(text, L"プラグイン対応", 7) == 0) g_filterSeen = text;
    }
    // The file name box (cmb13 in the explorer style, edt1 otherwise).
    if (!SetDlgItemTextW(dialog, 0x47c, g_pickPath.c_str()))
        SetDlgItemTextW(dialog, 0x480, g_pickPath.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(FolderWindowWithMain, TheOpenFileDialogOffersThePluginPatterns) {
    open(true);
    g_pickPath = folder_ + L"\\large.tvx";
    g_filterSeen.clear();
    SetTimer(nullptr, 0, 200, driveOpenDialog);
    addFiles(main_->state());
    uitest::pump();
    EXPECT_EQ(g_filterSeen, L"プラグイン対応 ファイル (*.tvx;*.pic;*.abc)");
    EXPECT_EQ(namesIn(main_->shownList()), std::vector<std::wstring>{L"large.tvx"});
}

TEST_F(FolderWindowWithMain, ClosingTheMainWindowSavesTheRootsAndTheRegisteredFolders) {
    open(false);
    const FolderWindowParts w = folderWindowParts(main_->state().folderWindow);
    HTREEITEM holiday = TreeView_GetChild(w.tree, w.registeredRoot);
    TreeView_Expand(w.tree, holiday, TVE_EXPAND);  // nothing below: no subfolders
    TreeView_Expand(w.tree, w.desktopRoot, TVE_EXPAND);
    TreeView_Expand(w.tree, w.registeredRoot, TVE_COLLAPSE);
    const std::wstring ini = main_->ini();
    main_->close();
    EXPECT_FALSE(IsWindow(w.window));  // went with its owner
    EXPECT_EQ(harness::iniValue(ini, L"TWin", L"DTExpand"), L"1");
    EXPECT_EQ(harness::iniValue(ini, L"TWin", L"LRExpand"), L"0");
    EXPECT_EQ(harness::iniValue(ini, L"FolderList", L"0"), folder_);
}
