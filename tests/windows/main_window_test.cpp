// The real Tolvex.exe with its main window, driven from outside as a user
// drives it: start-up filling of the lists, the enabled-state rules of the
// check boxes, keys and the wheel in a list, "現在の壁紙", renaming, and the
// settings file written at close.
#include <gtest/gtest.h>

#include "base/owners_win.h"
#include "support/harness.h"
#include "support/ui_fixture.h"
#include "ui/main_window_menu.h"

using harness::Process;
using harness::TempFolder;

namespace {

constexpr DWORD kWait = 20000;

class RunningProgram {
public:
    // Copies Tolvex.exe beside `ini` and starts it; waits for the window.
    explicit RunningProgram(const std::wstring& ini) {
        exe_ = harness::copyTolvex(folder_.path());
        iniPath_ = folder_.file(L"Tolvex.ini");
        harness::writeUtf16File(iniPath_, ini);
        process_ = std::make_unique<Process>(Process::start(exe_));
        main_ = harness::waitForWindow(process_->id(), L"Tolvex_main_class", L"Tolvex", kWait);
        // The lists are filled after the window shows: wait until the
        // program answers messages again.
        if (main_) SendMessageW(main_, WM_NULL, 0, 0);
    }
    ~RunningProgram() {
        if (process_ && !closed_) process_->kill();
    }
    HWND main() const { return main_; }
    HWND item(int id) const { return GetDlgItem(main_, id); }
    HWND list(int i) const { return item(kIdFirstList + i); }
    const TempFolder& folder() const { return folder_; }
    std::wstring file(const std::wstring& n) const { return folder_.file(n); }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool checked(int id) const { return SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void click(int id) { SendMessageW(item(id), BM_CLICK, 0, 0); }
    std::wstring sizeText() const { return uitest::windowText(item(kIdSizeText)); }
    std::wstring ini(const wchar_t* section, const wchar_t* key) const {
        return harness::iniValue(iniPath_, section, key);
    }
    // "終了", then the exit code.
    std::optional<DWORD> exitByButton() {
        PostMessageW(item(kIdExit), BM_CLICK, 0, 0);
        closed_ = true;
        return process_->wait(kWait);
    }
    DWORD id() const { return process_->id(); }

private:
    TempFolder folder_;
    std::wstring exe_, iniPath_;
    std::unique_ptr<Process> process_;
    HWND main_ = nullptr;
    bool closed_ = false;
};

std::vector<std::wstring> listEntries(HWND box) {
    std::vector<std::wstring> out;
    const LRESULT n = SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[MAX_PATH + 1] = {};
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

// Pictures on disk for the lists; the folder outlives the program.
struct Pictures {
    TempFolder folder;
    std::wstring make(const std::wstring& name, int w = 8, int h = 6) {
        uitest::writeBmp(folder.file(name), w, h);
        return folder.file(name);
    }
    std::wstring missing(const std::wstring& name) { return folder.file(name); }
};

TEST(MainWindowStart, MissingFilesAreDroppedAndThePositionKeepsItsFile) {
    Pictures pics;
    const std::vector<std::wstring> stored = {pics.missing(L"gone0.bmp"), pics.make(L"a.bmp"),
                                              pics.missing(L"gone2.bmp"), pics.make(L"b.bmp"),
                                              pics.make(L"c.bmp", 33, 22)};
    const std::vector<std::wstring> three = {pics.make(L"x.bmp"), pics.make(L"y.bmp"),
                                             pics.make(L"z.bmp")};
    RunningProgram p(L"[WP]\r\nActList=0\r\n" + uitest::listSection(0, stored, 4, L"風景") +
                     uitest::listSection(1, three, 3) + uitest::listSection(2, three, -1));
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(listEntries(p.list(0)), (std::vector<std::wstring>{stored[1], stored[3], stored[4]}));
    EXPECT_EQ(SendMessageW(p.list(0), LB_GETSEL, 2, 0), 1);
    EXPECT_EQ(p.sizeText(), L"33 x 22") << "the position's entry is previewed at start";
    EXPECT_TRUE(IsWindowVisible(p.list(0)));
    EXPECT_FALSE(IsWindowVisible(p.list(1)));
    // Position past the end: entry 0 selected. No position: nothing selected.
    EXPECT_EQ(SendMessageW(p.list(1), LB_GETSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(p.list(2), LB_GETSELCOUNT, 0, 0), 0);

    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"List", L"Count"), L"3");
    EXPECT_EQ(p.ini(L"List", L"WPNum"), L"2");
    EXPECT_EQ(p.ini(L"List", L"Name"), L"風景");
    EXPECT_EQ(p.ini(L"List", L"0"), stored[1]);
    EXPECT_EQ(p.ini(L"List", L"2"), stored[4]);
    EXPECT_EQ(p.ini(L"List", L"3"), L"<missing>");
    EXPECT_EQ(p.ini(L"List2", L"WPNum"), L"0");
    EXPECT_EQ(p.ini(L"List3", L"WPNum"), L"-1");
}

TEST(MainWindowStart, ControlsShowTheSettings) {
    RunningProgram p(
        L"[WP]\r\nRandom=1\r\nCalendar=0\r\nStyleS=2\r\nStyleB=0\r\nListHold=1\r\nToolTip=0\r\n");
    ASSERT_NE(p.main(), nullptr);
    RECT client;
    GetClientRect(p.main(), &client);
    EXPECT_EQ(client.right, 612);
    EXPECT_EQ(client.bottom, 475);
    EXPECT_EQ(GetWindowLongW(p.main(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_TRUE(GetWindowLongW(p.main(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(uitest::windowText(p.item(kIdSetWallpaper)), L"壁紙に設定");
    EXPECT_EQ(uitest::windowText(p.item(kIdToolTip)), L"ツールチップ表示");
    EXPECT_TRUE(p.checked(kIdRandom));
    EXPECT_FALSE(p.checked(kIdCalendar));
    EXPECT_FALSE(p.enabled(kIdCustomize));
    EXPECT_EQ(SendMessageW(p.item(kIdSmallStyle), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageW(p.item(kIdLargeStyle), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(p.item(kIdSmallStyle), CB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(p.checked(kIdListHold));
    EXPECT_FALSE(p.checked(kIdToolTip));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(IsWindowVisible(p.list(i)) != FALSE, i == 0) << i;
    EXPECT_EQ(p.exitByButton(), 0u);
}

TEST(MainWindowCommands, RandomDisablesTheOrderingButtonsUntilUnchecked) {
    RunningProgram p(L"[WP]\r\nRandom=1\r\n");
    ASSERT_NE(p.main(), nullptr);
    const int ordering[] = {kIdMoveUp, kIdMoveDown, kIdSort, kIdShuffle};
    for (int id : ordering) EXPECT_FALSE(p.enabled(id)) << id;
    p.click(kIdCalendar);
    for (int id : ordering) EXPECT_FALSE(p.enabled(id)) << "still, after another click " << id;
    p.click(kIdRandom);
    for (int id : ordering) EXPECT_TRUE(p.enabled(id)) << id;
    p.click(kIdRandom);
    for (int id : ordering) EXPECT_FALSE(p.enabled(id)) << id;
    p.click(kIdRandom);
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"WP", L"Random"), L"0");
    EXPECT_EQ(p.ini(L"WP", L"Calendar"), L"0");
}

TEST(MainWindowCommands, CalendarOnlyIsOpenExactlyWithAllThreeChecked) {
    // The startup shortcut does not exist in a fresh prefix: "スタートアップ"
    // starts unchecked, and with it "日付制限" disabled.
    RunningProgram p(L"[WP]\r\nCalendar=1\r\nCycle=1\r\nWpNoChg=1\r\n");
    ASSERT_NE(p.main(), nullptr);
    ASSERT_FALSE(p.checked(kIdStartup));
    EXPECT_FALSE(p.enabled(kIdCycle));
    EXPECT_FALSE(p.enabled(kIdCalendarOnly));
    EXPECT_TRUE(p.checked(kIdCalendarOnly)) << "keeps its check while disabled";

    struct Step {
        int click;
        bool open;
    };
    // Every box unchecked and checked again, in different orders.
    const Step steps[] = {{kIdStartup, true},   {kIdCalendar, false}, {kIdCalendar, true},
                          {kIdCycle, false},    {kIdStartup, false},  {kIdStartup, false},
                          {kIdCalendar, false}, {kIdCycle, false},    {kIdCalendar, true},
                          {kIdStartup, false},  {kIdCalendar, false}, {kIdStartup, false},
                          {kIdCalendar, true}};
    // Step 4 disables "日付制限" (no startup) until step 5 checks startup
    // again; step 7 checks it.
    int n = 0;
    for (const Step& s : steps) {
        p.click(s.click);
        EXPECT_EQ(p.enabled(kIdCalendarOnly), s.open) << "after step " << n;
        EXPECT_EQ(p.enabled(kIdCycle), p.checked(kIdStartup)) << "after step " << n;
        EXPECT_EQ(p.enabled(kIdCustomize), p.checked(kIdCalendar)) << "after step " << n;
        ++n;
    }
    EXPECT_TRUE(p.checked(kIdCalendarOnly));
    p.click(kIdCalendarOnly);
    // Closing with "スタートアップ" checked would make the real startup
    // shortcut, which later runs in this prefix would then find.
    if (p.checked(kIdStartup)) p.click(kIdStartup);
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"WP", L"WpNoChg"), L"0");
    EXPECT_EQ(p.ini(L"WP", L"Cycle"), L"1");
    EXPECT_EQ(p.ini(L"WP", L"Calendar"), L"1");
}

TEST(MainWindowCommands, CombosAndBoxesLandInTheSettingsFile) {
    RunningProgram p(L"[WP]\r\nStyleS=0\r\nStyleB=1\r\n");
    ASSERT_NE(p.main(), nullptr);
    SendMessageW(p.item(kIdSmallStyle), CB_SETCURSEL, 1, 0);
    SendMessageW(p.main(), WM_COMMAND, MAKEWPARAM(kIdSmallStyle, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(p.item(kIdSmallStyle)));
    SendMessageW(p.item(kIdLargeStyle), CB_SETCURSEL, 0, 0);
    SendMessageW(p.main(), WM_COMMAND, MAKEWPARAM(kIdLargeStyle, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(p.item(kIdLargeStyle)));
    p.click(kIdListHold);
    p.click(kIdToolTip);
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"WP", L"StyleS"), L"1");
    EXPECT_EQ(p.ini(L"WP", L"StyleB"), L"0");
    EXPECT_EQ(p.ini(L"WP", L"ListHold"), L"1");
    EXPECT_EQ(p.ini(L"WP", L"ToolTip"), L"0");
}

TEST(MainWindowLists, DeleteKeyRemovesTheSelectedEntries) {
    Pictures pics;
    const std::vector<std::wstring> e = {pics.make(L"a.bmp"), pics.make(L"b.bmp"),
                                         pics.make(L"c.bmp")};
    RunningProgram p(uitest::listSection(0, e, -1));
    ASSERT_NE(p.main(), nullptr);
    SendMessageW(p.list(0), LB_SETSEL, TRUE, 1);
    SendMessageW(p.list(0), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(listEntries(p.list(0)), (std::vector<std::wstring>{e[0], e[2]}));
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"List", L"Count"), L"2");
    EXPECT_EQ(p.ini(L"List", L"1"), e[2]);
}

TEST(MainWindowLists, WheelMovesTheSelectionOnlyWithWheelSel) {
    Pictures pics;
    const std::vector<std::wstring> e = {pics.make(L"a.bmp", 10, 10), pics.make(L"b.bmp", 20, 20),
                                         pics.make(L"c.bmp", 30, 30)};
    for (int wheelSel : {1, 0}) {
        SCOPED_TRACE(wheelSel);
        RunningProgram p(L"[WP]\r\nWheelSel=" + std::to_wstring(wheelSel) + L"\r\n" +
                         uitest::listSection(0, e, 0));
        ASSERT_NE(p.main(), nullptr);
        EXPECT_EQ(p.sizeText(), L"10 x 10");
        SendMessageW(p.list(0), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                     MAKELPARAM(100, 100));
        SendMessageW(p.main(), WM_NULL, 0, 0);
        if (wheelSel) {
            EXPECT_EQ(SendMessageW(p.list(0), LB_GETCARETINDEX, 0, 0), 1);
            EXPECT_EQ(SendMessageW(p.list(0), LB_GETSEL, 1, 0), 1);
            EXPECT_EQ(p.sizeText(), L"20 x 20");
            SendMessageW(p.list(0), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                         MAKELPARAM(100, 100));
            SendMessageW(p.main(), WM_NULL, 0, 0);
            EXPECT_EQ(p.sizeText(), L"10 x 10");
        } else {
            EXPECT_EQ(SendMessageW(p.list(0), LB_GETSEL, 0, 0), 1);
            EXPECT_EQ(p.sizeText(), L"10 x 10");
        }
        EXPECT_EQ(p.exitByButton(), 0u);
    }
}

TEST(MainWindowLists, CurrentWallpaperShowsTheActiveListsPosition) {
    Pictures pics;
    const std::vector<std::wstring> e = {pics.make(L"a.bmp", 10, 10), pics.make(L"b.bmp", 20, 20)};
    {
        RunningProgram p(L"[WP]\r\nActList=2\r\n" + uitest::listSection(0, e, 0) +
                         uitest::listSection(2, e, 1));
        ASSERT_NE(p.main(), nullptr);
        EXPECT_TRUE(IsWindowVisible(p.list(2))) << "the active list is shown at start";
        // Select another entry in the shown list and none in the first.
        SendMessageW(p.list(2), LB_SETSEL, FALSE, -1);
        SendMessageW(p.list(2), LB_SETSEL, TRUE, 0);
        SendMessageW(p.list(2), LB_SETCARETINDEX, 0, 0);
        SendMessageW(p.main(), WM_COMMAND, MAKEWPARAM(kIdFirstList + 2, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(p.list(2)));
        SendMessageW(p.list(0), LB_SETSEL, FALSE, -1);
        EXPECT_EQ(p.sizeText(), L"10 x 10");
        p.click(kIdCurrentWallpaper);
        EXPECT_TRUE(IsWindowVisible(p.list(2)));
        EXPECT_EQ(SendMessageW(p.item(kIdTab), TCM_GETCURSEL, 0, 0), 2);
        EXPECT_EQ(SendMessageW(p.list(2), LB_GETSEL, 1, 0), 1);
        EXPECT_EQ(SendMessageW(p.list(2), LB_GETSELCOUNT, 0, 0), 1);
        EXPECT_EQ(SendMessageW(p.list(0), LB_GETSEL, 0, 0), 1);
        EXPECT_EQ(p.sizeText(), L"20 x 20");
        EXPECT_EQ(p.exitByButton(), 0u);
    }
    {
        // No list has a position: only the selections are cleared.
        RunningProgram p(uitest::listSection(0, e, -1));
        ASSERT_NE(p.main(), nullptr);
        SendMessageW(p.list(0), LB_SETSEL, TRUE, 1);
        p.click(kIdCurrentWallpaper);
        EXPECT_EQ(SendMessageW(p.list(0), LB_GETSELCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageW(p.item(kIdTab), TCM_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(p.exitByButton(), 0u);
    }
}

TEST(MainWindowLists, RenameTakesTheEditTextEvenWhenEmpty) {
    RunningProgram p(uitest::listSection(0, {}, -1, L"旅行"));
    ASSERT_NE(p.main(), nullptr);
    for (const wchar_t* newName : {L"家族の写真", L""}) {
        PostMessageW(p.item(kIdRename), BM_CLICK, 0, 0);
        HWND dialog = harness::waitForWindow(p.id(), L"#32770", L"リスト名変更", kWait);
        ASSERT_NE(dialog, nullptr);
        HWND edit = GetDlgItem(dialog, IDC_RENAME_EDIT);
        EXPECT_EQ(uitest::windowText(GetDlgItem(dialog, IDC_RENAME_LABEL)), L"新しい名前:");
        EXPECT_EQ(uitest::windowText(GetDlgItem(dialog, IDCANCEL)), L"キャンセル");
        SetWindowTextW(edit, newName);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(20);
        EXPECT_FALSE(IsWindow(dialog));
    }
    // Cancel changes nothing.
    PostMessageW(p.item(kIdRename), BM_CLICK, 0, 0);
    HWND dialog = harness::waitForWindow(p.id(), L"#32770", L"リスト名変更", kWait);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(uitest::windowText(GetDlgItem(dialog, IDC_RENAME_EDIT)), L"");
    SetWindowTextW(GetDlgItem(dialog, IDC_RENAME_EDIT), L"ignored");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(20);
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"List", L"Name"), L"");
}

TEST(MainWindowClose, CloseBoxSavesLikeTheExitButton) {
    Pictures pics;
    const std::vector<std::wstring> e = {pics.make(L"a.bmp")};
    RunningProgram p(L"[WP]\r\nActList=3\r\nListHold=1\r\n" + uitest::listSection(3, e, 0) +
                     uitest::listSection(4, e, 0, L"残す"));
    ASSERT_NE(p.main(), nullptr);
    EXPECT_TRUE(IsWindowVisible(p.list(3)));
    p.click(kIdRandom);
    HWND gone = p.main();
    PostMessageW(gone, WM_CLOSE, 0, 0);
    for (int i = 0; i < 500 && IsWindow(gone); ++i) Sleep(20);
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(p.ini(L"WP", L"ActList"), L"3");
    EXPECT_EQ(p.ini(L"WP", L"Random"), L"1");
    EXPECT_EQ(p.ini(L"List4", L"0"), e[0]);
    EXPECT_EQ(p.ini(L"List5", L"Name"), L"残す");
    EXPECT_EQ(p.ini(L"List6", L"Name"), L"6");
}

// Another program holds the settings file open without sharing it: the
// closing save cannot replace it.
TEST(MainWindowClose, AFailedSaveIsToldAndTheWindowStaysOpenUntilASaveSucceeds) {
    RunningProgram p(L"[WP]\r\nRandom=0\r\n");
    ASSERT_NE(p.main(), nullptr);
    p.click(kIdRandom);
    {
        const UniqueFile lock(CreateFileW(p.file(L"Tolvex.ini").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        PostMessageW(p.main(), WM_CLOSE, 0, 0);
        HWND box = harness::waitForWindow(p.id(), L"#32770", L"Error", kWait);
        ASSERT_NE(box, nullptr) << "the failure passed silently";
        const std::wstring text = harness::messageBoxText(box);
        EXPECT_EQ(text.rfind(L"設定を保存できませんでした。", 0), 0u) << text;
        EXPECT_NE(text.find(p.file(L"Tolvex.ini")), std::wstring::npos) << text;
        EXPECT_EQ(GetWindow(box, GW_OWNER), p.main());
        harness::dismissMessageBox(box);
        for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
        SendMessageW(p.main(), WM_NULL, 0, 0);
        EXPECT_TRUE(IsWindow(p.main()));
        EXPECT_TRUE(IsWindowVisible(p.main()));
        EXPECT_TRUE(IsWindowEnabled(p.main()));
        EXPECT_TRUE(p.checked(kIdRandom)) << "nothing was let go";
    }
    EXPECT_EQ(p.ini(L"WP", L"Random"), L"0") << "the old file stays whole";
    // With the file free again, closing saves and ends the program.
    EXPECT_EQ(p.exitByButton(), 0u);
    EXPECT_EQ(p.ini(L"WP", L"Random"), L"1");
}

TEST(WindowClasses, EveryWindowedClassRedrawsOnResizeAndReportsDoubleClicks) {
    uitest::MainWindowInProcess w(L"[WP]\r\n");
    ASSERT_NE(createFolderWindowForMain(w.state()), nullptr);
    for (const wchar_t* name :
         {L"Tolvex_main_class", L"Tolvex_prv_class", L"Tolvex_trbase_class"}) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) << name;
        EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS)) << name;
    }
}

int localYear() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wYear;
}

TEST(MainWindowSetWallpaper, ButtonAndDoubleClickMakeThePreviewedFileTheWallpaper) {
    Pictures pics;
    const std::vector<std::wstring> e = {pics.make(L"a.bmp", 16, 12), pics.make(L"b.bmp", 24, 18)};
    RunningProgram p(L"[WP]\r\nActList=1\r\nCalendar=0\r\n" + uitest::listSection(1, e, -1));
    ASSERT_NE(p.main(), nullptr);
    // Nothing previewed: the button does nothing.
    p.click(kIdSetWallpaper);
    EXPECT_FALSE(harness::fileExists(p.file(L"save_wp.bmp")));

    // The second list is shown (the active one); pick its entry 1.
    SendMessageW(p.list(1), LB_SETSEL, TRUE, 1);
    SendMessageW(p.list(1), LB_SETCARETINDEX, 1, 0);
    SendMessageW(p.main(), WM_COMMAND, MAKEWPARAM(kIdFirstList + 1, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(p.list(1)));
    EXPECT_EQ(p.sizeText(), L"24 x 18");
    p.click(kIdSetWallpaper);
    EXPECT_TRUE(harness::fileExists(p.file(L"save_wp.bmp")));
    // The choice is recorded at once: the list's position and the active list.
    EXPECT_EQ(p.ini(L"List2", L"WPNum"), L"1");
    EXPECT_EQ(p.ini(L"WP", L"ActList"), L"1");
    EXPECT_EQ(p.ini(L"WP", L"y"), std::to_wstring(localYear()));

    DeleteFileW(p.file(L"save_wp.bmp").c_str());
    SendMessageW(p.list(1), LB_SETSEL, FALSE, -1);
    SendMessageW(p.list(1), LB_SETSEL, TRUE, 0);
    SendMessageW(p.list(1), LB_SETCARETINDEX, 0, 0);
    SendMessageW(p.main(), WM_COMMAND, MAKEWPARAM(kIdFirstList + 1, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(p.list(1)));
    EXPECT_TRUE(harness::fileExists(p.file(L"save_wp.bmp")));
    EXPECT_EQ(p.ini(L"List2", L"WPNum"), L"0");
    EXPECT_EQ(p.exitByButton(), 0u);
}

TEST(MainWindowTips, EveryControlWithATipIsRegistered) {
    uitest::MainWindowInProcess w(L"[WP]\r\nToolTip=1\r\n");
    HWND tips = w.state().tooltip;
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 28);
    wchar_t text[128] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = w.hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(w.item(kIdRandom));
    info.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"壁紙はランダムで決定されますが同一壁紙が続く場合もあります");
    EXPECT_EQ(SendMessageW(tips, TTM_GETTIPBKCOLOR, 0, 0), 0xFFFFFF);
    w.click(kIdToolTip);
    EXPECT_EQ(g_settings.ToolTip, 0);
    w.click(kIdToolTip);
    EXPECT_EQ(g_settings.ToolTip, 1);
}

// One owner-drawn item of the folder menu, drawn into a 32-bit DIB that
// starts filled with 0x123456.
class MenuItemPicture {
public:
    MenuItemPicture(const FolderMenu& menu, UINT id, UINT state) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kW;
        bi.bmiHeader.biHeight = -kH;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < kW * kH; ++i) bits_[i] = 0x123456;
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_DATA;
        GetMenuItemInfoW(menu.popup(), id, FALSE, &mi);
        DRAWITEMSTRUCT di = {};
        di.CtlType = ODT_MENU;
        di.itemID = id;
        di.itemState = state;
        di.hDC = dc_;
        di.rcItem = {0, 0, kW, kH};
        di.itemData = mi.dwItemData;
        drawn = menu.drawItem(&di);
        GdiFlush();
    }
    ~MenuItemPicture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    uint32_t at(int x, int y) const { return bits_[y * kW + x] & 0xFFFFFF; }
    bool drawn = false;
    static constexpr int kW = 180, kH = 24;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    uint32_t* bits_ = nullptr;
};

TEST(FolderMenu, ItemsAndTheirDrawing) {
    FolderMenu folderMenu;
    folderMenu.create();
    HMENU menu = folderMenu.popup();
    ASSERT_NE(menu, nullptr);
    const UINT ids[] = {kFolderCmdAddToList,  kFolderCmdSeparator, kFolderCmdRegister,
                        kFolderCmdUnregister, kFolderCmdSeparator, kFolderCmdExplore};
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, i), ids[i]) << i;
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, i, TRUE, &mi);
        EXPECT_EQ((mi.fType & MFT_SEPARATOR) != 0, ids[i] == kFolderCmdSeparator) << i;
        EXPECT_EQ((mi.fType & MFT_OWNERDRAW) != 0, ids[i] != kFolderCmdSeparator) << i;
    }

    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, kFolderCmdAddToList, FALSE, &mi);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemID = kFolderCmdAddToList;
    measure.itemData = mi.dwItemData;
    ASSERT_TRUE(folderMenu.measureItem(nullptr, &measure));
    EXPECT_GT(measure.itemWidth, 20u + 60u);
    EXPECT_GT(measure.itemHeight, 6u + 8u);

    {
        MenuItemPicture item(folderMenu, kFolderCmdRegister, ODS_SELECTED | ODS_CHECKED);
        ASSERT_TRUE(item.drawn);
        EXPECT_EQ(item.at(0, 0), 0x489090u) << "highlight frame";
        EXPECT_EQ(item.at(MenuItemPicture::kW - 1, 1), 0x489090u);
        EXPECT_EQ(item.at(16, 1), 0xE8FFFFu) << "highlight fill";
        EXPECT_EQ(item.at(4, 4), 0xC060C0u) << "check box frame";
        EXPECT_EQ(item.at(6, 9), 0xFFFFFFu) << "check box fill";
        EXPECT_EQ(item.at(9, 9), 0xC060C0u) << "cross";
    }
    {
        MenuItemPicture item(folderMenu, kFolderCmdUnregister, 0);
        const COLORREF menu = GetSysColor(COLOR_MENU);
        EXPECT_EQ(item.at(1, 1),
                  (GetRValue(menu) << 16u) | (GetGValue(menu) << 8u) | GetBValue(menu));
    }
    {
        MenuItemPicture item(folderMenu, 5020, ODS_GRAYED | ODS_SELECTED);
        EXPECT_EQ(item.at(1, 1), 0x123456u) << "a disabled item paints no background";
    }
    folderMenu.destroy();
    EXPECT_EQ(folderMenu.popup(), nullptr);
}

}  // namespace
