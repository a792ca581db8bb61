// The dialogs opened from the real program's main window, driven from
// outside as a user drives them, with the settings file read after the main
// window has closed.
#include <gtest/gtest.h>

#include <memory>

#include "res/control_ids.h"
#include "support/harness.h"

using harness::Process;
using harness::TempFolder;

namespace {

constexpr DWORD kWait = 20000;
constexpr wchar_t kMainClass[] = L"Tolvex_main_class";

// Starts the program; a start that fails ends the test.
#define START(...)                     \
    do {                               \
        start(__VA_ARGS__);            \
        if (HasFatalFailure()) return; \
    } while (0)

class FromMainWindow : public ::testing::Test {
protected:
    // `wpKeys` go into section WP, `sections` after the lists.
    void start(const std::wstring& wpKeys, const std::wstring& sections = L"") {
        exe = harness::copyTolvex(folder.path());
        ini = folder.file(L"Tolvex.ini");
        harness::writeUtf16File(
            ini, L"[WP]\r\nCycle=0\r\n" + wpKeys + L"[List]\r\nCount=0\r\n" + sections);
        process = std::make_unique<Process>(Process::start(exe));
        ASSERT_TRUE(process->valid());
        main = harness::waitForWindow(process->id(), kMainClass, nullptr, kWait);
        ASSERT_NE(main, nullptr);
    }
    // A main-window button once the window has made it and shows it enabled.
    HWND button(int id) {
        HWND b = nullptr;
        for (int i = 0; i < 200; ++i) {
            b = GetDlgItem(main, id);
            if (b && IsWindowVisible(b) && IsWindowEnabled(b)) break;
            Sleep(25);
        }
        return b;
    }
    // Presses a main-window button; returns the dialog it opens once it is
    // shown (its controls are set up by then).
    HWND open(int id, const wchar_t* caption) {
        HWND b = button(id);
        if (!b) return nullptr;
        PostMessageW(b, BM_CLICK, 0, 0);
        return shown(harness::waitForWindow(process->id(), L"#32770", caption, kWait));
    }
    static HWND shown(HWND window) {
        for (int i = 0; window && i < 400 && !IsWindowVisible(window); ++i) Sleep(25);
        return window && IsWindowVisible(window) ? window : nullptr;
    }
    static void click(HWND dlg, int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
    static void closeDialog(HWND dlg, int button) {
        PostMessageW(GetDlgItem(dlg, button), BM_CLICK, 0, 0);
        for (int i = 0; i < 200 && IsWindow(dlg); ++i) Sleep(25);
        EXPECT_FALSE(IsWindow(dlg));
    }
    void closeMain() {
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(process->wait(kWait), 0u);
    }
    std::wstring value(const wchar_t* section, const wchar_t* key,
                       const wchar_t* fallback = L"<missing>") {
        return harness::iniValue(ini, section, key, fallback);
    }
    void TearDown() override {
        if (process && process->valid() && !process->wait(0)) process->kill();
    }

    TempFolder folder;
    std::wstring exe, ini;
    std::unique_ptr<Process> process;
    HWND main = nullptr;
};

TEST_F(FromMainWindow, CalendarDefaultColoursThenCancelChangeNothing) {
    START(L"", L"[Cal]\r\nYearMonth=1\r\nTodayPen=2\r\nTodayNot=0\r\n");
    HWND dlg = open(kIdCustomize, L"カレンダー設定");
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    click(dlg, IDC_CAL_DEFAULT_COLORS);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CAL_TODAY_INVERT), BST_CHECKED);
    closeDialog(dlg, IDCANCEL);
    closeMain();
    EXPECT_EQ(value(L"Cal", L"YearMonth"), L"1");
    EXPECT_EQ(value(L"Cal", L"TodayPen"), L"2");
    EXPECT_EQ(value(L"Cal", L"TodayNot"), L"0");
}

TEST_F(FromMainWindow, CalendarDefaultColoursThenOkReachTheFile) {
    START(L"",
          L"[Cal]\r\nYearMonth=1\r\nSaturday=3\r\nTodayNot=0\r\nMonthName=1\r\nMonthShort=1\r\n");
    HWND dlg = open(kIdCustomize, L"カレンダー設定");
    ASSERT_NE(dlg, nullptr);
    click(dlg, IDC_CAL_DEFAULT_COLORS);
    click(dlg, IDC_CAL_MONTH_NUMBER);  // "数": "略式" disabled, its check kept
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CAL_MONTH_SHORT)));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CAL_MONTH_SHORT), BST_CHECKED);
    closeDialog(dlg, IDOK);
    closeMain();
    EXPECT_EQ(value(L"Cal", L"YearMonth"), L"12648447");
    EXPECT_EQ(value(L"Cal", L"Saturday"), L"16769152");
    EXPECT_EQ(value(L"Cal", L"TodayPen"), L"49152");
    EXPECT_EQ(value(L"Cal", L"TodayNot"), L"1");
    EXPECT_EQ(value(L"Cal", L"MonthName"), L"0");
    EXPECT_EQ(value(L"Cal", L"MonthShort"), L"1");
}

TEST_F(FromMainWindow, EnglishFaceChoiceLandsInFaceA) {
    START(L"", L"[Cal]\r\nCharSet=128\r\nFaceA=Before\r\nFaceS=MS UI Gothic\r\n");
    HWND dlg = open(kIdCustomize, L"カレンダー設定");
    ASSERT_NE(dlg, nullptr);
    click(dlg, IDC_CAL_ENGLISH);
    HWND combo = GetDlgItem(dlg, IDC_CAL_FACE);
    const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    ASSERT_GT(n, 0);
    wchar_t face[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(face));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_CAL_FACE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    closeDialog(dlg, IDOK);
    closeMain();
    EXPECT_EQ(value(L"Cal", L"CharSet"), L"0");
    EXPECT_EQ(value(L"Cal", L"FaceA"), face);
    EXPECT_EQ(value(L"Cal", L"FaceS"), L"MS UI Gothic");
}

TEST_F(FromMainWindow, SmallImageDetailsKeepTheDisabledBoxValue) {
    START(L"WpOptS0=0\r\nWpOptS1=1\r\n");
    HWND dlg = open(kIdSmallDetail, L"小さい画像 詳細設定");
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SMALL_KEEP_INSIDE)));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_SMALL_KEEP_INSIDE), BST_CHECKED);
    click(dlg, IDC_SMALL_KEEP_ASPECT);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SMALL_KEEP_INSIDE)));
    closeDialog(dlg, IDCANCEL);
    closeMain();
    EXPECT_EQ(value(L"WP", L"WpOptS0"), L"1");
    EXPECT_EQ(value(L"WP", L"WpOptS1"), L"1");
}

TEST_F(FromMainWindow, OptionsUncheckingPluginsEmptiesSpi) {
    START(L"WheelSel=0\r\n", L"[Path]\r\nSPI=C:\\plugins\r\n");
    HWND dlg = open(kIdOptions, L"オプション");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_OPT_USE_PLUGINS), BST_CHECKED);
    click(dlg, IDC_OPT_USE_PLUGINS);
    click(dlg, IDC_OPT_WHEEL_SELECT);
    closeDialog(dlg, IDCANCEL);
    closeMain();
    EXPECT_EQ(value(L"Path", L"SPI", L""), L"");
    EXPECT_EQ(value(L"WP", L"WheelSel"), L"1");
}

TEST_F(FromMainWindow, EscapeClosesAboutAndTheMainWindowTakesInputAgain) {
    START(L"");
    PostMessageW(button(kIdAbout), BM_CLICK, 0, 0);
    HWND about =
        shown(harness::waitForWindow(process->id(), L"ver_parent_class", L"バージョン情報", kWait));
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    SendMessageW(GetDlgItem(about, kIdAboutOk), WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 200 && IsWindow(about); ++i) Sleep(25);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(IsWindowEnabled(main));
    closeMain();
}

TEST_F(FromMainWindow, HelpOpensTheCompiledFileBesideTheProgram) {
    START(L"");
    ASSERT_TRUE(CopyFileW((harness::testFolder() + L"\\Tolvex.chm").c_str(),
                          folder.file(L"Tolvex.chm").c_str(), FALSE));
    PostMessageW(button(kIdHelp), BM_CLICK, 0, 0);
    HWND viewer = harness::waitForWindow(process->id(), L"HH Parent", nullptr, kWait);
    ASSERT_NE(viewer, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(viewer, title, 64);
    EXPECT_EQ(std::wstring(title).rfind(L"Tolvex ", 0), 0u) << "not the program's help file";
    PostMessageW(viewer, WM_CLOSE, 0, 0);
    closeMain();
}

}  // namespace
