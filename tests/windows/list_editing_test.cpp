// List editing on the real main window, created in this process: real drops
// (an HDROP in global memory, shortcuts made through the shell-link object),
// folder scans, removal, clearing with its question, moving, sorting,
// shuffling, and what each leaves in Settings and the settings file.
#include <windows.h>
#include <gtest/gtest.h>
// (before every other system header, which all build on it)
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "support/ui_fixture.h"
#include "ui/list_editing.h"

using uitest::MainWindowInProcess;

namespace {

const wchar_t kIni[] = L"[WP]\r\nActList=0\r\ny=2026\r\nm=1\r\nd=2\r\n";

void drop(HWND target, const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    ASSERT_NE(memory, nullptr);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& p : paths) {
        std::copy(p.begin(), p.end(), out);
        out += p.size() + 1;
    }
    GlobalUnlock(memory);
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    uitest::pump();
}

bool makeShortcut(const std::wstring& link, const std::wstring& target) {
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    shellLink->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool ok =
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(link.c_str(), TRUE));
    if (file) file->Release();
    shellLink->Release();
    return ok;
}

void touch(const std::wstring& path) { harness::writeBytes(path, "x"); }

std::vector<std::wstring> shownEntries(const MainWindowInProcess& w) {
    return listBoxEntries(w.shownList());
}

// Answers the next "Tolvex" question box of this process with `answer`,
// recording its text; gives up after `ms`.
class QuestionAnswerer {
public:
    QuestionAnswerer(int answer, DWORD ms) {
        thread_ = std::thread([this, answer, ms] {
            HWND box = harness::waitForWindow(GetCurrentProcessId(), L"#32770", L"Tolvex", ms);
            if (!box) return;
            text_ = harness::messageBoxText(box);
            asked_ = true;
            PostMessageW(box, WM_COMMAND, answer, 0);
        });
    }
    ~QuestionAnswerer() { join(); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }
    bool asked() const { return asked_; }
    const std::wstring& text() const { return text_; }

private:
    std::thread thread_;
    std::atomic<bool> asked_{false};
    std::wstring text_;
};

TEST(ListDrop, OnlyTheFirstOfThreeDroppedFilesIsAdded) {
    MainWindowInProcess w(kIni);
    for (const wchar_t* n : {L"one.bmp", L"two.bmp", L"three.bmp"}) touch(w.file(n));
    drop(w.hwnd(), {w.file(L"one.bmp"), w.file(L"two.bmp"), w.file(L"three.bmp")});
    EXPECT_EQ(shownEntries(w), std::vector<std::wstring>{w.file(L"one.bmp")});
    EXPECT_EQ(g_settings.lists[0].Count, 1);
    // The same file again, in another letter case, is not added twice.
    std::wstring upper = w.file(L"ONE.BMP");
    drop(w.hwnd(), {upper});
    EXPECT_EQ(g_settings.lists[0].Count, 1);
}

TEST(ListDrop, ExtensionsDecideInAnyLetterCase) {
    MainWindowInProcess w(kIni);
    touch(w.file(L"photo.JPG"));
    touch(w.file(L"notes.txt"));
    drop(w.hwnd(), {w.file(L"notes.txt")});
    EXPECT_TRUE(shownEntries(w).empty());
    drop(w.hwnd(), {w.file(L"photo.JPG")});
    EXPECT_EQ(shownEntries(w), std::vector<std::wstring>{w.file(L"photo.JPG")});
}

TEST(ListDrop, ShortcutsAddTheirTargets) {
    MainWindowInProcess w(kIni);
    CreateDirectoryW(w.file(L"pics").c_str(), nullptr);
    touch(w.file(L"pics\\a.png"));
    touch(w.file(L"pics\\b.bmp"));
    touch(w.file(L"target.png"));
    ASSERT_TRUE(makeShortcut(w.file(L"to png.lnk"), w.file(L"target.png")));
    ASSERT_TRUE(makeShortcut(w.file(L"to folder.lnk"), w.file(L"pics")));

    drop(w.hwnd(), {w.file(L"to png.lnk")});
    ASSERT_EQ(shownEntries(w).size(), 1u);
    EXPECT_EQ(CompareStringOrdinal(shownEntries(w)[0].c_str(), -1, w.file(L"target.png").c_str(),
                                   -1, TRUE),
              CSTR_EQUAL)
        << shownEntries(w)[0];

    drop(w.hwnd(), {w.file(L"to folder.lnk")});
    const auto entries = shownEntries(w);
    ASSERT_EQ(entries.size(), 3u);
    // The folder scan goes pattern by pattern: "*.bmp" before "*.png".
    EXPECT_EQ(CompareStringOrdinal(PathFindFileNameW(entries[1].c_str()), -1, L"b.bmp", -1, TRUE),
              CSTR_EQUAL);
    EXPECT_EQ(CompareStringOrdinal(PathFindFileNameW(entries[2].c_str()), -1, L"a.png", -1, TRUE),
              CSTR_EQUAL);
}

TEST(ListFolder, FolderAddsItsPicturesOnceInPatternOrder) {
    MainWindowInProcess w(kIni);
    const std::wstring dir = w.file(L"folder");
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW((dir + L"\\sub.bmp").c_str(), nullptr);  // a folder is never an entry
    touch(dir + L"\\sub.bmp\\deep.bmp");                      // nor does the scan descend
    for (const wchar_t* n : {L"x.jpeg", L"y.gif", L"z.tiff", L"w.tif", L"v.jpe", L"u.jpg", L"t.png",
                             L"s.bmp", L"r.webp", L"readme.txt"})
        touch(dir + L"\\" + n);
    drop(w.hwnd(), {dir});
    std::vector<std::wstring> names;
    for (const auto& e : shownEntries(w)) names.push_back(PathFindFileNameW(e.c_str()));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"s.bmp", L"t.png", L"u.jpg", L"v.jpe", L"x.jpeg",
                                                L"w.tif", L"z.tiff", L"y.gif", L"r.webp"}));
    EXPECT_EQ(g_settings.lists[0].Count, 9);
    EXPECT_EQ(w.state().lastFolder, dir);

    addFolderToShownList(w.state(), dir.c_str());
    EXPECT_EQ(shownEntries(w).size(), 9u) << "the second time adds nothing";
    EXPECT_EQ(GetFocus(), w.shownList());
}

TEST(ListFolder, FilesFromOtherWindowsSkipEntriesAlreadyHeld) {
    MainWindowInProcess w(kIni);
    addFilesToShownList(w.state(), {L"C:\\p\\a.jpg", L"C:\\p\\b.jpg", L"c:\\P\\A.JPG", L""});
    EXPECT_EQ(shownEntries(w), (std::vector<std::wstring>{L"C:\\p\\a.jpg", L"C:\\p\\b.jpg"}));
    EXPECT_EQ(g_settings.lists[0].Count, 2);
}

class ListWithFiles : public ::testing::Test {
protected:
    // Five existing pictures in list 1, position `wpNum`.
    void open(int wpNum) {
        std::vector<std::wstring> paths;
        harness::TempFolder& f = pictures_;
        for (const wchar_t* n : {L"p0.bmp", L"p1.bmp", L"p2.bmp", L"p3.bmp", L"p4.bmp"}) {
            uitest::writeBmp(f.file(n), 4, 4);
            paths.push_back(f.file(n));
        }
        paths_ = paths;
        window_ = std::make_unique<MainWindowInProcess>(std::wstring(kIni) +
                                                        uitest::listSection(0, paths, wpNum));
    }
    MainWindowInProcess& w() { return *window_; }
    std::wstring dateMarkY() { return harness::iniValue(w().ini(), L"WP", L"y"); }

    harness::TempFolder pictures_;
    std::vector<std::wstring> paths_;
    std::unique_ptr<MainWindowInProcess> window_;
};

TEST_F(ListWithFiles, RemovingTheCurrentWallpaperForgetsThePosition) {
    open(2);
    w().select(2);
    w().click(kIdRemove);
    EXPECT_EQ(g_settings.lists[0].WPNum, -1);
    EXPECT_EQ(g_settings.lists[0].Count, 4);
    // The entry now at the removed place is selected and previewed.
    EXPECT_EQ(w().preview().path, paths_[3]);
    EXPECT_EQ(SendMessageW(w().shownList(), LB_GETSEL, 2, 0), 1);
}

TEST_F(ListWithFiles, RemovingEntriesBeforeThePositionKeepsItOnItsFile) {
    open(3);
    SendMessageW(w().shownList(), LB_SETSEL, FALSE, -1);
    SendMessageW(w().shownList(), LB_SETSEL, TRUE, 0);
    SendMessageW(w().shownList(), LB_SETSEL, TRUE, 1);
    w().click(kIdRemove);
    ASSERT_EQ(g_settings.lists[0].Count, 3);
    EXPECT_EQ(g_settings.lists[0].WPNum, 1);
    EXPECT_EQ(shownEntries(w())[1], paths_[3]);
    EXPECT_EQ(dateMarkY(), L"2026") << "the position still points into the list";
}

TEST_F(ListWithFiles, DeleteKeyRemovesLikeTheButtonAndTheLastEntryClearsThePreview) {
    open(-1);
    w().select(4);
    EXPECT_EQ(w().preview().path, paths_[4]);
    SendMessageW(w().shownList(), WM_KEYDOWN, VK_DELETE, 0);
    uitest::pump();
    EXPECT_EQ(g_settings.lists[0].Count, 4);
    // Past the end: the new last entry is selected.
    EXPECT_EQ(w().preview().path, paths_[3]);
    SendMessageW(w().shownList(), LB_SELITEMRANGEEX, 0, 3);
    SendMessageW(w().shownList(), WM_KEYDOWN, VK_DELETE, 0);
    uitest::pump();
    EXPECT_EQ(g_settings.lists[0].Count, 0);
    EXPECT_TRUE(w().preview().path.empty());
    EXPECT_FALSE(w().preview().picture);
    EXPECT_EQ(uitest::windowText(w().item(kIdSizeText)), L"");
}

TEST_F(ListWithFiles, ClearAsksAndOnlyYesEmptiesTheList) {
    open(1);
    {
        QuestionAnswerer no(IDNO, 10000);
        w().click(kIdClear);
        no.join();
        EXPECT_TRUE(no.asked());
        EXPECT_EQ(no.text(), L"選択している壁紙リストからすべてのファイルを除外しますか？");
    }
    EXPECT_EQ(g_settings.lists[0].Count, 5);
    EXPECT_EQ(dateMarkY(), L"2026");
    {
        QuestionAnswerer yes(IDYES, 10000);
        w().click(kIdClear);
        yes.join();
        EXPECT_TRUE(yes.asked());
    }
    EXPECT_EQ(g_settings.lists[0].Count, 0);
    EXPECT_EQ(g_settings.lists[0].WPNum, -1);
    EXPECT_EQ(g_settings.lists[0].selectedIndex, -1);
    EXPECT_EQ(dateMarkY(), L"0");
    EXPECT_TRUE(w().preview().path.empty());
    {
        // An empty list asks nothing.
        QuestionAnswerer none(IDYES, 1500);
        w().click(kIdClear);
        none.join();
        EXPECT_FALSE(none.asked());
    }
}

TEST_F(ListWithFiles, MovingNeedsExactlyOneSelectedEntryWithRoomToMove) {
    open(0);
    // Entry 0 is selected at start (the position): "上へ" does nothing.
    w().click(kIdMoveUp);
    EXPECT_EQ(shownEntries(w()), paths_);
    SendMessageW(w().shownList(), LB_SETSEL, TRUE, 2);
    w().click(kIdMoveDown);
    EXPECT_EQ(shownEntries(w()), paths_) << "two selected entries do not move";
    w().select(4);
    w().click(kIdMoveDown);
    EXPECT_EQ(shownEntries(w()), paths_);
    w().select(2);
    w().click(kIdMoveUp);
    EXPECT_EQ(shownEntries(w()),
              (std::vector<std::wstring>{paths_[0], paths_[2], paths_[1], paths_[3], paths_[4]}));
    EXPECT_EQ(SendMessageW(w().shownList(), LB_GETSEL, 1, 0), 1);
    w().click(kIdMoveDown);
    w().click(kIdMoveDown);
    EXPECT_EQ(shownEntries(w()),
              (std::vector<std::wstring>{paths_[0], paths_[1], paths_[3], paths_[2], paths_[4]}));
    EXPECT_EQ(g_settings.lists[0].WPNum, 0);
}

TEST(ListOrder, SortOrdersByPathIgnoringCaseAndForgetsThePosition) {
    MainWindowInProcess w(std::wstring(kIni) + L"[List]\r\nCount=0\r\nWPNum=-1\r\n");
    addFilesToShownList(w.state(), {L"C:\\p\\b.jpg", L"C:\\p\\A.jpg", L"C:\\p\\c.jpg"});
    g_settings.lists[0].WPNum = 1;
    w.click(kIdSort);
    EXPECT_EQ(shownEntries(w),
              (std::vector<std::wstring>{L"C:\\p\\A.jpg", L"C:\\p\\b.jpg", L"C:\\p\\c.jpg"}));
    EXPECT_EQ(g_settings.lists[0].WPNum, -1);
    EXPECT_EQ(g_settings.lists[0].Count, 3);
    EXPECT_EQ(harness::iniValue(w.ini(), L"WP", L"y"), L"0");
}

TEST(ListOrder, ShuffleKeepsEveryEntryOnce) {
    MainWindowInProcess w(kIni);
    std::vector<std::wstring> paths;
    for (int i = 0; i < 50; ++i) paths.push_back(L"C:\\p\\" + std::to_wstring(i) + L".jpg");
    addFilesToShownList(w.state(), paths);
    g_settings.lists[0].WPNum = 3;
    w.click(kIdShuffle);
    std::vector<std::wstring> after = shownEntries(w);
    EXPECT_NE(after, paths);
    std::sort(after.begin(), after.end());
    std::vector<std::wstring> sorted = paths;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(after, sorted);
    EXPECT_EQ(g_settings.lists[0].WPNum, -1);
    EXPECT_EQ(g_settings.lists[0].Count, 50);
}

TEST(ListOrder, EmptyListStillResetsOnSortAndShuffle) {
    for (int id : {kIdSort, kIdShuffle}) {
        MainWindowInProcess w(kIni);
        g_settings.lists[0].WPNum = 0;
        w.click(id);
        EXPECT_EQ(g_settings.lists[0].WPNum, -1);
        EXPECT_EQ(harness::iniValue(w.ini(), L"WP", L"y"), L"0");
    }
}

}  // namespace
