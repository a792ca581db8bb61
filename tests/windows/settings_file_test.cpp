// The settings file on disk: where it lies, what is read from it, and what
// the closing save leaves behind, checked through the real profile calls.
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "base/owners_win.h"
#include "support/harness.h"
#include "support/ui_fixture.h"

using harness::iniValue;
using harness::TempFolder;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = folder_.file(L"Tolvex.ini");
        setSettingsFilePathForTesting(ini_);
        g_settings = Settings{};
        g_settings.screenWidth = 1920;
        g_settings.screenHeight = 1080;
    }
    void TearDown() override { setSaveInterruptHookForTesting(nullptr); }

    void load() {
        loadSettings();
        loadFolderSettings();
    }
    void write(const std::wstring& text) { harness::writeUtf16File(ini_, text); }
    std::vector<std::wstring> noEntries_[kListCount];
    TempFolder folder_;
    std::wstring ini_;
};

TEST_F(SettingsFile, MissingFileGivesEveryDefault) {
    load();
    const Settings& s = g_settings;
    EXPECT_EQ(s.cal.CalPosX, 1920 - 136);
    EXPECT_EQ(s.cal.CalPosY, 10);
    EXPECT_EQ(s.cal.YearMonth, 12648447u);
    EXPECT_EQ(s.cal.Saturday, 16769152u);
    EXPECT_EQ(s.cal.FaceA, L"MS UI Gothic");
    EXPECT_EQ(s.cal.CharSet, 128);
    EXPECT_EQ(s.cal.FtSize, 10);
    EXPECT_EQ(s.cal.DispMonth, 1);
    EXPECT_EQ(s.BgColor, GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(s.Calendar, 1);
    EXPECT_EQ(s.StyleB, 1);
    EXPECT_EQ(s.ToolTip, 1);
    EXPECT_EQ(s.Random, 0);
    for (int i = 0; i < kListCount; ++i) {
        EXPECT_EQ(s.lists[i].Name, std::to_wstring(i + 1));
        EXPECT_EQ(s.lists[i].Count, 0);
        EXPECT_EQ(s.lists[i].WPNum, -1);
        EXPECT_EQ(s.lists[i].selectedIndex, -1);
    }
    EXPECT_EQ(s.PresetW[2], 1024);
    EXPECT_EQ(s.PresetH[4], 1024);
    EXPECT_EQ(s.DTExpand, 1);
    wchar_t pictures[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, 0, pictures)));
    ASSERT_EQ(s.registeredFolders.size(), 1u);
    EXPECT_EQ(s.registeredFolders[0], pictures);
    EXPECT_FALSE(harness::fileExists(ini_)) << "reading must not create the file";
}

TEST_F(SettingsFile, ClampsAndLowestBitFlags) {
    write(
        L"[Cal]\r\nFtSize=5\r\nDaySpace=1\r\nDispMonth=0\r\nCharSet=384\r\nItalic=3\r\n"
        L"[WP]\r\nRandom=2\r\nCalendar=3\r\nActList=9\r\nStyleS=7\r\n"
        L"[TWin]\r\nAddImgSize=9\r\n");
    load();
    EXPECT_EQ(g_settings.cal.FtSize, 8);
    EXPECT_EQ(g_settings.cal.DaySpace, 2);
    EXPECT_EQ(g_settings.cal.DispMonth, 1);
    EXPECT_EQ(g_settings.cal.CharSet, 128) << "kept as one byte";
    EXPECT_EQ(g_settings.cal.Italic, 1);
    EXPECT_EQ(g_settings.Random, 0);
    EXPECT_EQ(g_settings.Calendar, 1);
    EXPECT_EQ(g_settings.ActList, 0);
    EXPECT_EQ(g_settings.StyleS, 7) << "read without a range check";
    EXPECT_EQ(g_settings.AddImgSize, 0);
    EXPECT_EQ(g_settings.minAddWidth, 0);

    write(
        L"[Cal]\r\nFtSize=50\r\nDaySpace=99\r\nDispMonth=7\r\n[WP]\r\nActList=-1\r\n"
        L"[TWin]\r\nAddImgSize=3\r\n[List3]\r\nWPNum=-1\r\nCount=4\r\nName=Trips\r\n");
    load();
    EXPECT_EQ(g_settings.cal.FtSize, 36);
    EXPECT_EQ(g_settings.cal.DaySpace, 36);
    EXPECT_EQ(g_settings.cal.DispMonth, 3);
    EXPECT_EQ(g_settings.ActList, 0);
    EXPECT_EQ(g_settings.minAddWidth, 1280);
    EXPECT_EQ(g_settings.minAddHeight, 800);
    EXPECT_EQ(g_settings.lists[2].WPNum, -1);
    EXPECT_EQ(g_settings.lists[2].Count, 0) << "no entries are there to count";
    EXPECT_EQ(g_settings.lists[2].Name, L"Trips");
}

TEST_F(SettingsFile, FolderListStopsAtTheFirstGapAndDropsMissingFolders) {
    TempFolder a, b, c;
    write(L"[FolderList]\r\n0=" + a.path() + L"\r\n1=C:\\no\\such\\folder\r\n2=" + b.path() +
          L"\r\n4=" + c.path() + L"\r\n");
    load();
    ASSERT_EQ(g_settings.registeredFolders.size(), 2u);
    EXPECT_EQ(g_settings.registeredFolders[0], a.path());
    EXPECT_EQ(g_settings.registeredFolders[1], b.path());
}

TEST_F(SettingsFile, ShorterListLeavesNoStaleKeysAndDateMarkSurvives) {
    write(
        L"[WP]\r\ny=2026\r\nm=12\r\nd=8\r\nOldKey=1\r\n"
        L"[List]\r\nCount=5\r\nWPNum=4\r\nName=A\r\n0=a\r\n1=b\r\n2=c\r\n3=d\r\n4=e\r\n"
        L"[Cal]\r\nFutureKey=kept\r\n");
    load();
    std::vector<std::wstring> entries[kListCount];
    entries[0] = loadListEntries(0);
    ASSERT_EQ(entries[0].size(), 5u);
    entries[0].resize(3);
    g_settings.lists[0].WPNum = 2;
    ASSERT_TRUE(saveAllSettings(entries));

    EXPECT_EQ(iniValue(ini_, L"List", L"Count"), L"3");
    EXPECT_EQ(iniValue(ini_, L"List", L"2"), L"c");
    EXPECT_EQ(iniValue(ini_, L"List", L"3"), L"<missing>");
    EXPECT_EQ(iniValue(ini_, L"List", L"4"), L"<missing>");
    EXPECT_EQ(iniValue(ini_, L"WP", L"OldKey"), L"<missing>");
    EXPECT_EQ(iniValue(ini_, L"WP", L"y"), L"2026");
    EXPECT_EQ(iniValue(ini_, L"WP", L"m"), L"12");
    EXPECT_EQ(iniValue(ini_, L"WP", L"d"), L"8");
    EXPECT_EQ(iniValue(ini_, L"Cal", L"FutureKey"), L"kept") << "Cal is never deleted";
    EXPECT_EQ(iniValue(ini_, L"Cal", L"CalPosX"), L"1784");
    EXPECT_EQ(iniValue(ini_, L"List8", L"Name"), L"8");
    EXPECT_EQ(iniValue(ini_, L"List8", L"WPNum"), L"-1");
}

TEST_F(SettingsFile, ClosingSaveWritesTheLayoutInOrder) {
    load();
    std::vector<std::wstring> entries[kListCount];
    entries[1] = {L"C:\\p\\one.bmp", L"C:\\p\\two.bmp"};
    ASSERT_TRUE(saveAllSettings(entries));
    const std::wstring text = harness::readText(ini_);
    // Key order within the sections, as other tools and older files expect.
    auto pos = [&](const std::wstring& s) { return text.find(s); };
    EXPECT_LT(pos(L"[TWin]"), pos(L"[FolderList]"));
    EXPECT_LT(pos(L"PresetW0="), pos(L"PresetH0="));
    EXPECT_LT(pos(L"PresetH4="), pos(L"AddImgSize="));
    EXPECT_LT(pos(L"y=0"), pos(L"BgColor="));
    EXPECT_LT(pos(L"WpNoChg="), pos(L"ActList="));
    EXPECT_LT(pos(L"FaceA="), pos(L"CRGB15="));
    EXPECT_LT(
        pos(L"[List2]\r\nCount=2\r\nWPNum=-1\r\nName=2\r\n0=C:\\p\\one.bmp\r\n1=C:\\p\\two.bmp"),
        std::wstring::npos);
    EXPECT_LT(pos(L"[List8]"), pos(L"[Path]"));
    EXPECT_NE(pos(L"SPI="), std::wstring::npos);
}

TEST_F(SettingsFile, ListHoldStoresTheShownListAtClose) {
    write(L"[WP]\r\nListHold=1\r\nActList=0\r\n");
    load();
    g_settings.shownList = 2;
    ASSERT_TRUE(saveAllSettings(noEntries_));
    EXPECT_EQ(iniValue(ini_, L"WP", L"ActList"), L"2");
    EXPECT_EQ(g_settings.activeList, 2);
}

// Resident mode's section: a file without it is saved without it while the
// keys hold their defaults, gets it once they do not, and has it updated in
// place (other keys in it kept) when it is there.
TEST_F(SettingsFile, ResidentSectionOnlyWhenThereOrChanged) {
    load();
    EXPECT_EQ(g_settings.On, 0);
    ASSERT_TRUE(saveAllSettings(noEntries_));
    EXPECT_EQ(harness::readText(ini_).find(L"[Resident]"), std::wstring::npos);

    g_settings.Interval = 60;
    ASSERT_TRUE(saveAllSettings(noEntries_));
    EXPECT_EQ(iniValue(ini_, L"Resident", L"Interval"), L"60");
    EXPECT_EQ(iniValue(ini_, L"Resident", L"On"), L"0");

    write(L"[Resident]\r\nOn=1\r\nLater=kept\r\nHotKey=1614\r\n[WP]\r\nRandom=1\r\n");
    load();
    EXPECT_EQ(g_settings.On, 1);
    EXPECT_EQ(g_settings.Interval, 0);
    EXPECT_EQ(g_settings.HotKey, 1614);
    g_settings.On = 0;
    ASSERT_TRUE(saveAllSettings(noEntries_));
    const std::wstring text = harness::readText(ini_);
    EXPECT_EQ(text.find(L"[Resident]"), text.rfind(L"[Resident]")) << "one section";
    EXPECT_EQ(iniValue(ini_, L"Resident", L"On"), L"0");
    EXPECT_EQ(iniValue(ini_, L"Resident", L"Later"), L"kept");
    EXPECT_EQ(iniValue(ini_, L"Resident", L"HotKey"), L"1614");
}

TEST_F(SettingsFile, NewFileIsUnicodeAndKeepsPathsOutsideTheCodePage) {
    load();
    std::vector<std::wstring> entries[kListCount];
    const std::wstring odd = L"C:\\Bilder\\\x00C5ngstr\x00F6m \x5199\x771F\\\x0416.png";
    entries[0] = {odd};
    ASSERT_TRUE(saveAllSettings(entries));
    const std::string bytes = harness::readBytes(ini_);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
    g_settings = Settings{};
    load();
    EXPECT_EQ(loadListEntries(0), std::vector<std::wstring>{odd});

    // A single-key write on a missing file creates it as Unicode too.
    DeleteFileW(ini_.c_str());
    clearDateMark();
    const std::string fresh = harness::readBytes(ini_);
    ASSERT_GE(fresh.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(fresh[0]), 0xFF);
    EXPECT_EQ(iniValue(ini_, L"WP", L"y"), L"0");
}

TEST_F(SettingsFile, AnsiFileIsReadAndConvertedAtClose) {
    harness::writeBytes(ini_,
                        "[List]\r\nCount=1\r\nWPNum=0\r\n0=C:\\pics\\a.bmp\r\n"
                        "[Other]\r\nkeep=yes\r\n");
    load();
    std::vector<std::wstring> entries[kListCount];
    entries[0] = loadListEntries(0);
    ASSERT_EQ(entries[0], std::vector<std::wstring>{L"C:\\pics\\a.bmp"});
    ASSERT_TRUE(saveAllSettings(entries));
    const std::string bytes = harness::readBytes(ini_);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
    EXPECT_EQ(iniValue(ini_, L"Other", L"keep"), L"yes");
    EXPECT_EQ(iniValue(ini_, L"List", L"0"), L"C:\\pics\\a.bmp");
}

TEST_F(SettingsFile, InterruptedClosingSaveLeavesTheOldFileWhole) {
    write(L"[List]\r\nCount=2\r\nWPNum=1\r\nName=A\r\n0=x\r\n1=y\r\n");
    const std::string before = harness::readBytes(ini_);
    load();
    setSaveInterruptHookForTesting([] { return true; });
    std::vector<std::wstring> entries[kListCount];
    EXPECT_FALSE(saveAllSettings(entries));
    EXPECT_EQ(harness::readBytes(ini_), before);

    // The next save, with a leftover copy from the interrupted one, succeeds.
    setSaveInterruptHookForTesting(nullptr);
    entries[0] = {L"z"};
    ASSERT_TRUE(saveAllSettings(entries));
    EXPECT_EQ(iniValue(ini_, L"List", L"Count"), L"1");
    EXPECT_EQ(iniValue(ini_, L"List", L"0"), L"z");
    EXPECT_FALSE(harness::fileExists(ini_ + L".new"));
}

TEST_F(SettingsFile, RecordWallpaperChoiceWritesPositionListAndDate) {
    write(L"[WP]\r\nActList=0\r\n");
    load();
    g_settings.activeList = 3;
    g_settings.lists[3].WPNum = 7;
    g_settings.today = LocalDate{2026, 12, 8};
    recordWallpaperChoice();
    EXPECT_EQ(iniValue(ini_, L"WP", L"ActList"), L"3");
    EXPECT_EQ(iniValue(ini_, L"List4", L"WPNum"), L"7");
    EXPECT_EQ(iniValue(ini_, L"WP", L"y"), L"2026");
    EXPECT_EQ(iniValue(ini_, L"WP", L"d"), L"8");

    g_settings.ListHold = 1;
    g_settings.activeList = 5;
    g_settings.lists[5].WPNum = 0;
    recordWallpaperChoice();
    EXPECT_EQ(iniValue(ini_, L"WP", L"ActList"), L"3") << "ListHold keeps ActList";
    EXPECT_EQ(iniValue(ini_, L"List6", L"WPNum"), L"0");
}

// Longer than the 32,767 characters a whole-section call is documented to
// return, and with a Count far beyond its entries.
TEST_F(SettingsFile, LongListIsReadWholeAndItsCountCappedByItsEntries) {
    std::wstring text = L"[List]\r\nCount=2147483647\r\nWPNum=398\r\n";
    auto entry = [](int i) {
        return L"C:\\pictures\\" + std::wstring(100, L'x') + std::to_wstring(i);
    };
    for (int i = 0; i < 400; ++i) text += std::to_wstring(i) + L"=" + entry(i) + L"\r\n";
    write(text);
    load();
    ASSERT_EQ(g_settings.lists[0].Count, 400);
    EXPECT_EQ(readListEntry(0, 399), entry(399));
    std::vector<std::wstring> entries[kListCount];
    entries[0] = loadListEntries(0);
    ASSERT_EQ(entries[0].size(), 400u);
    EXPECT_EQ(entries[0][399], entry(399));
    ASSERT_TRUE(saveAllSettings(entries));
    EXPECT_EQ(iniValue(ini_, L"List", L"Count"), L"400");
    EXPECT_EQ(iniValue(ini_, L"List", L"399"), entry(399));

    // A file saved with a byte-order mark for UTF-8 reads as UTF-8.
    harness::writeBytes(ini_, "\xEF\xBB\xBF[List]\r\nName=\xC3\x85r\r\n");
    load();
    EXPECT_EQ(g_settings.lists[0].Name, L"\x00C5r");
}

TEST_F(SettingsFile, FailedClosingSaveSaysWhyAndLeavesTheOldFileWhole) {
    write(L"[List]\r\nCount=1\r\nWPNum=0\r\n0=x\r\n");
    const std::string before = harness::readBytes(ini_);
    load();
    std::vector<std::wstring> entries[kListCount];
    entries[0] = {L"changed"};
    {
        // Another program holds the file open: it cannot be replaced.
        UniqueFile lock(CreateFileW(ini_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        SaveFailure why;
        EXPECT_FALSE(saveAllSettings(entries, &why));
        EXPECT_EQ(why.step, SaveFailure::Step::Replace);
        EXPECT_NE(why.error, 0u);
        EXPECT_NE(describeSaveFailure(why).find(ini_), std::wstring::npos);
    }
    EXPECT_EQ(harness::readBytes(ini_), before);
    EXPECT_FALSE(harness::fileExists(ini_ + L".new"));

    // The folder is gone: no new copy can be made there.
    const std::wstring gone = folder_.file(L"gone");
    setSettingsFilePathForTesting(gone + L"\\Tolvex.ini");
    SaveFailure why;
    EXPECT_FALSE(saveAllSettings(entries, &why));
    EXPECT_EQ(why.step, SaveFailure::Step::Folder);
    EXPECT_EQ(why.error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    const std::wstring told = describeSaveFailure(why);
    EXPECT_NE(told.find(gone + L"\\"), std::wstring::npos) << told;
    EXPECT_GT(told.find(L'\n'), 0u) << "the system's message follows";
}

// A file another program held when the start read it: the window got
// defaults, not the lists, so the closing save keeps the file as it is.
TEST_F(SettingsFile, FileUnreadableAtStartIsNeverReplaced) {
    write(L"[List]\r\nCount=2\r\nWPNum=0\r\n0=a.bmp\r\n1=b.bmp\r\n");
    const std::string before = harness::readBytes(ini_);
    {
        UniqueFile lock(
            CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        load();
    }
    EXPECT_EQ(g_settings.lists[0].Count, 0);
    std::vector<std::wstring> entries[kListCount];
    SaveFailure why;
    EXPECT_FALSE(saveAllSettings(entries, &why));
    EXPECT_EQ(why.step, SaveFailure::Step::Unreadable);
    EXPECT_NE(describeSaveFailure(why).find(ini_), std::wstring::npos);
    EXPECT_EQ(harness::readBytes(ini_), before);
}

// The real program over a list whose Count is far beyond its entries: a
// change run ends at once and takes the next picture, and a windowed start
// shows the window and saves the true count at close.
TEST(SettingsFileProgram, HugeCountNeitherHangsAChangeRunNorEndsTheWindowedStart) {
    TempFolder folder;
    const std::wstring exe = harness::copyTolvex(folder.path());
    const std::wstring ini = folder.file(L"Tolvex.ini");
    const std::wstring picture = folder.file(L"picture.bmp");
    uitest::writeBmp(picture, 64, 48);
    harness::writeUtf16File(ini,
                            L"[WP]\r\nCalendar=0\r\nCycle=0\r\nListHold=1\r\n"
                            L"[List]\r\nCount=2147483647\r\nWPNum=-1\r\n0=" +
                                folder.file(L"missing.bmp") + L"\r\n1=" + picture + L"\r\n");
    for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
    ASSERT_TRUE(harness::run(exe, L"/s", 30000).has_value()) << "the change run did not end";
    EXPECT_EQ(iniValue(ini, L"List", L"WPNum"), L"1");
    EXPECT_TRUE(harness::fileExists(folder.file(L"save_wp.bmp")));

    harness::Process p = harness::Process::start(exe);
    HWND main = harness::waitForWindow(p.id(), L"Tolvex_main_class", L"Tolvex", 20000);
    ASSERT_NE(main, nullptr) << "the windowed start ended";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.wait(20000), 0u);
    EXPECT_EQ(iniValue(ini, L"List", L"Count"), L"1");
    EXPECT_EQ(iniValue(ini, L"List", L"0"), picture);
}

TEST(SettingsLocation, FileBesideTheExecutableWinsElseApplicationData) {
    TempFolder folder;
    const std::wstring exe = folder.file(L"TOLVEX.EXE");
    wchar_t appData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    const std::wstring roaming = std::wstring(appData) + L"\\Tolvex";
    harness::removeTree(roaming);

    EXPECT_EQ(settingsFileFor(exe), roaming + L"\\Tolvex.ini");
    DWORD attrs = GetFileAttributesW(roaming.c_str());
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        << "the application-data folder is created";

    harness::writeUtf16File(folder.file(L"Tolvex.ini"), L"");
    EXPECT_EQ(settingsFileFor(exe), folder.file(L"Tolvex.ini"));

    EXPECT_EQ(settingsFileFor(folder.file(L"Tolvex2.exe")), L"");
    EXPECT_EQ(settingsFileFor(folder.file(L"Tolvex.exe.bak")), L"");
}

}  // namespace
