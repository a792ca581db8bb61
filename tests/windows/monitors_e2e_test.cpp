// Several monitors and the real program: Tolvex.exe "/s" beside a Tolvex.ini
// of the test's own, the wallpaper file read back pixel by pixel. With one
// monitor (the ordinary session) the option changes nothing; the two-monitor
// layouts run in scripts/wine-session-dual.sh, which names its layout in
// TOLVEX_MONITOR_LAYOUT:
//   right: main 1920 x 1080 at 0, 0; 1280 x 1024 at 1920, 0
//   left:  main 1368 x 768 at 0, 0; 1920 x 1080 at -1920, 0 (the dummy video
//          driver rounds a screen's width to 8 pixels, so 1366 is 1368)
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/headless_runs.h"
#include "app/screen_size.h"
#include "base/owners_win.h"
#include "image/bmp_file.h"
#include "image/loaded_image.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/harness.h"

namespace {

using harness::readBytes;
using harness::writeBytes;

constexpr uint32_t kRed = 0xC80000, kBlue = 0x0000C8, kYellow = 0xC8C800;
constexpr uint32_t kMargin = 0x008000;  // BgColor 32768 (0x00BBGGRR)

std::string uniformBmp(int w, int h, uint32_t rgb) {
    return harness::uniformBmp(w, h, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

uint32_t le32(const std::string& b, size_t at) {
    auto u = [&](size_t i) { return uint32_t{static_cast<uint8_t>(b[at + i])}; };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

struct Rect {
    int x, y, w, h;
    int cx() const { return x + w / 2; }
    int cy() const { return y + h / 2; }
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// The wallpaper file as pixels, rows counted from the top.
struct Wallpaper {
    std::string bytes;
    int width = 0, height = 0;

    explicit Wallpaper(std::string b) : bytes(std::move(b)) {
        if (bytes.size() < 54) return;
        width = static_cast<int>(le32(bytes, 18));
        height = static_cast<int>(le32(bytes, 22));
    }
    size_t expectedSize() const { return 54 + size_t{rowStride(width, 24)} * height; }
    uint32_t at(int x, int y) const {
        const size_t p = 54 + size_t{rowStride(width, 24)} * (height - 1 - y) + 3 * size_t(x);
        if (x < 0 || y < 0 || x >= width || y >= height || p + 3 > bytes.size()) return 0xFFFFFFFF;
        auto u = [&](size_t i) { return uint32_t{static_cast<uint8_t>(bytes[p + i])}; };
        return (u(2) << 16) | (u(1) << 8) | u(0);
    }
    // The extent of the pixels that are neither of `colours`: the calendar.
    Rect otherThan(uint32_t a, uint32_t b) const {
        int left = width, top = height, right = 0, bottom = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t c = at(x, y);
                if (c == a || c == b) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        return {left, top, right - left, bottom - top};
    }
};

const wchar_t kDesktop[] = L"Control Panel\\Desktop";
const wchar_t kAppVersion[] = L"Software\\Wine\\AppDefaults\\Tolvex.exe";

std::wstring desktopValue(const wchar_t* name) {
    wchar_t value[64] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktop, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

void setDesktopValue(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The Windows version Wine tells Tolvex.exe ("" for the prefix's own, which
// is Windows 7 here).
void tellTolvexWindowsVersion(const std::wstring& version) {
    if (version.empty()) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kAppVersion, L"Version");
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppVersion, L"Version", REG_SZ, version.c_str(),
                    static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
}

std::string layoutName() {
    const char* name = std::getenv("TOLVEX_MONITOR_LAYOUT");
    return name ? name : "";
}

// One installation: Tolvex.exe, its Tolvex.ini and pictures of different
// colours and sizes, one of them not a picture at all.
class Monitors : public ::testing::Test {
protected:
    void SetUp() override {
        exe = harness::copyTolvex(dir.path());
        writeBytes(dir.file(L"red.bmp"), uniformBmp(1600, 900, kRed));
        writeBytes(dir.file(L"blue.bmp"), uniformBmp(800, 600, kBlue));
        writeBytes(dir.file(L"yellow.bmp"), uniformBmp(1000, 500, kYellow));
        writeBytes(dir.file(L"broken.bmp"), "BM this is not a picture");
        previousStyle = desktopValue(L"WallpaperStyle");
        previousTile = desktopValue(L"TileWallpaper");
        setDesktopValue(L"WallpaperStyle", L"2");
        setDesktopValue(L"TileWallpaper", L"0");
    }
    void TearDown() override {
        tellTolvexWindowsVersion(L"");
        if (previousStyle != L"<missing>") setDesktopValue(L"WallpaperStyle", previousStyle);
        if (previousTile != L"<missing>") setDesktopValue(L"TileWallpaper", previousTile);
    }

    // Small pictures 1:1 in the middle, large ones shrunk to fit inside;
    // one list, its position moving on at every run.
    void settings(int monitors, bool calendar, const std::vector<std::wstring>& entries,
                  int wpNum = -1) {
        std::wstring ini = L"[WP]\r\nCalendar=" + std::to_wstring(calendar) +
                           L"\r\nBgColor=32768\r\nStyleS=0\r\nStyleB=1\r\nWpOptB0=1\r\n"
                           L"WpOptB1=1\r\nCycle=0\r\nListHold=1\r\nMonitors=" +
                           std::to_wstring(monitors) + L"\r\n[List]\r\nCount=" +
                           std::to_wstring(entries.size()) + L"\r\nWPNum=" +
                           std::to_wstring(wpNum) + L"\r\n";
        for (size_t i = 0; i < entries.size(); ++i)
            ini += std::to_wstring(i) + L"=" + dir.file(entries[i]) + L"\r\n";
        harness::writeUtf16File(iniPath(), ini);
    }
    // Sets one key of section WP, keeping the rest of the file.
    void setWp(const wchar_t* key, const std::wstring& value) {
        WritePrivateProfileStringW(L"WP", key, value.c_str(), iniPath().c_str());
    }
    std::wstring iniPath() const { return dir.file(L"Tolvex.ini"); }
    std::wstring ini(const wchar_t* section, const wchar_t* key) const {
        return harness::iniValue(iniPath(), section, key);
    }

    Wallpaper runChange() {
        for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
        EXPECT_TRUE(harness::run(exe, L"/s", 60000).has_value()) << "the run did not end";
        return Wallpaper(readBytes(dir.file(L"save_wp.bmp")));
    }

    harness::TempFolder dir;
    std::wstring exe;
    std::wstring previousStyle, previousTile;
};

// One monitor: whatever the option says, the file is the one the option off
// makes, and the desktop's style is left alone.
TEST_F(Monitors, OneMonitorMakesTheSameFileWhateverTheOption) {
    if (GetSystemMetrics(SM_CMONITORS) != 1) GTEST_SKIP() << "needs one monitor";
    std::string files[3];
    for (int monitors : {0, 1, 2}) {
        settings(monitors, true, {L"red.bmp", L"blue.bmp"});
        files[monitors] = runChange().bytes;
        EXPECT_EQ(ini(L"List", L"WPNum"), L"0") << monitors;
        EXPECT_EQ(ini(L"SpanStyle", L"WallpaperStyle"), L"<missing>") << monitors;
        EXPECT_EQ(desktopValue(L"WallpaperStyle"), L"2") << monitors;
    }
    ASSERT_EQ(Wallpaper(files[0]).width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(files[1] == files[0]) << "the same picture on each monitor";
    EXPECT_TRUE(files[2] == files[0]) << "the next picture on each monitor";
}

// In this process (which Wine tells Windows 7, so tiled), with the monitors
// substituted: one above the main one, at a negative position, wraps round
// to the bitmap's bottom; the main monitor's corner is the origin.
TEST_F(Monitors, MonitorAboveTheMainWrapsRoundToTheBottom) {
    const std::vector<MonitorRect> monitors = {{0, 0, 64, 48, true}, {16, -32, 32, 32, false}};
    setMonitorsForTesting(&monitors);
    setSettingsFilePathForTesting(iniPath());
    settings(1, false, {L"picture.bmp"});
    writeBytes(dir.file(L"picture.bmp"), uniformBmp(20, 10, kRed));
    g_settings = Settings{};
    readScreenSize(g_settings);
    loadSettings();
    setMonitorsForTesting(nullptr);
    ASSERT_TRUE(makeWallpaper(dir.file(L"picture.bmp").c_str()));

    // The virtual screen is 64 x 80: the upper monitor's rows 0-31, the
    // main one's 32-79; tiled, the main one's rows come first.
    const Wallpaper w(readBytes(dir.file(L"save_wp.bmp")));
    ASSERT_EQ(w.width, 64);
    ASSERT_EQ(w.height, 80);
    EXPECT_EQ(w.at(32, 24), kRed);       // the main monitor's middle
    EXPECT_EQ(w.at(22, 19), kRed);       // its picture's corner: (64 - 20) / 2, (48 - 10) / 2
    EXPECT_EQ(w.at(21, 19), kMargin);    // beside it
    EXPECT_EQ(w.at(32, 48 + 16), kRed);  // the upper monitor's middle, wrapped
    // Its picture's corner: 16 + (32 - 20) / 2, 48 + (32 - 10) / 2.
    EXPECT_EQ(w.at(22, 48 + 11), kRed);
    EXPECT_EQ(w.at(21, 48 + 11), kMargin);
    EXPECT_EQ(w.at(4, 60), kMargin);  // no monitor there
    EXPECT_EQ(desktopValue(L"WallpaperStyle"), L"0");
    EXPECT_EQ(desktopValue(L"TileWallpaper"), L"1");
    g_settings = Settings{};
}

// What a two-monitor layout looks like in the bitmap, worked out by hand.
struct Layout {
    const char* name;
    int width, height;  // the virtual screen
    Rect main, other;   // in the spanned bitmap
    Rect mainTiled, otherTiled;
    Rect redOnMain, redOnOther;  // the 1600 x 900 picture, shrunk where larger
    int calendarLeft;            // the calendar's default place on the main monitor
};

const Layout kLayouts[] = {
    {"right",
     3200,
     1080,
     {0, 0, 1920, 1080},
     {1920, 0, 1280, 1024},
     // The main monitor is the left one: both arrangements are the same.
     {0, 0, 1920, 1080},
     {1920, 0, 1280, 1024},
     // 1:1 in the middle of 1920 x 1080; 1280 x 720 in the middle of 1280 x 1024.
     {160, 90, 1600, 900},
     {0, 152, 1280, 720},
     1920 - 136},
    {"left",
     3288,
     1080,
     {1920, 0, 1368, 768},
     {0, 0, 1920, 1080},
     // Tiled: the main monitor's corner at the origin, the left one wraps round.
     {0, 0, 1368, 768},
     {1368, 0, 1920, 1080},
     // 1600 x 900 into 1368 x 768: 1365 x 768, a pixel in; 1:1 on 1920 x 1080.
     {1, 0, 1365, 768},
     {160, 90, 1600, 900},
     1368 - 136},
};

const Layout* currentLayout() {
    for (const Layout& l : kLayouts)
        if (layoutName() == l.name) return &l;
    return nullptr;
}

Rect offset(const Rect& inner, const Rect& monitor) {
    return {monitor.x + inner.x, monitor.y + inner.y, inner.w, inner.h};
}

// The same picture on each monitor, spanned (Windows 8 and later) and tiled
// (Windows 7): the file covers the virtual screen, each monitor shows the
// picture placed for its size over the margin colour, the margin colour
// fills where no monitor lies, the calendar is on the main monitor only;
// the style values are written, the desktop's own kept and put back when
// the option goes off.
TEST_F(Monitors, SamePictureOnEachMonitor) {
    const Layout* layout = currentLayout();
    if (!layout || GetSystemMetrics(SM_CMONITORS) != 2) GTEST_SKIP() << "needs two monitors";
    for (const bool tiled : {false, true}) {
        SCOPED_TRACE(tiled ? "tiled" : "spanned");
        tellTolvexWindowsVersion(tiled ? L"win7" : L"win10");
        settings(1, true, {L"red.bmp"});
        const Wallpaper w = runChange();
        ASSERT_EQ(w.width, layout->width);
        ASSERT_EQ(w.height, layout->height);
        EXPECT_EQ(w.bytes.size(), w.expectedSize());

        const Rect main = tiled ? layout->mainTiled : layout->main;
        const Rect other = tiled ? layout->otherTiled : layout->other;
        const Rect redMain = offset(layout->redOnMain, main);
        const Rect redOther = offset(layout->redOnOther, other);
        // The pictures' corners and middles, and the margin just outside them.
        for (const Rect& r : {redMain, redOther}) {
            EXPECT_EQ(w.at(r.cx(), r.cy() + 100), kRed) << r.x;
            EXPECT_EQ(w.at(r.x, r.y), kRed) << r.x;
            EXPECT_EQ(w.at(r.x + r.w - 1, r.y + r.h - 1), kRed) << r.x;
        }
        EXPECT_EQ(w.at(redMain.x - 1, redMain.cy()), kMargin);
        EXPECT_EQ(w.at(redMain.x + redMain.w, redMain.cy()), kMargin);
        EXPECT_EQ(w.at(redOther.cx(), redOther.y - 1), kMargin);
        EXPECT_EQ(w.at(redOther.cx(), redOther.y + redOther.h), kMargin);
        // Below the shorter monitor no monitor lies.
        const Rect& shorter = main.h < other.h ? main : other;
        EXPECT_EQ(w.at(shorter.cx(), shorter.y + shorter.h), kMargin);
        EXPECT_EQ(w.at(shorter.x, w.height - 1), kMargin);

        // The calendar: on the main monitor at its default place, nowhere else.
        const Rect calendar = w.otherThan(kRed, kMargin);
        ASSERT_GT(calendar.w, 0);
        EXPECT_TRUE(main.contains(calendar.x, calendar.y) &&
                    main.contains(calendar.x + calendar.w - 1, calendar.y + calendar.h - 1))
            << calendar.x << "," << calendar.y << " " << calendar.w << "x" << calendar.h;
        EXPECT_NEAR(calendar.x, main.x + layout->calendarLeft, 12);
        EXPECT_NEAR(calendar.y, main.y + 10, 4);

        EXPECT_EQ(desktopValue(L"WallpaperStyle"), tiled ? L"0" : L"22");
        EXPECT_EQ(desktopValue(L"TileWallpaper"), tiled ? L"1" : L"0");
        EXPECT_EQ(ini(L"SpanStyle", L"WallpaperStyle"), L"2");
        EXPECT_EQ(ini(L"SpanStyle", L"TileWallpaper"), L"0");

        // Turned off: the main monitor's picture, the desktop's own style back.
        setWp(L"Monitors", L"0");
        const Wallpaper off = runChange();
        EXPECT_EQ(off.width, main.w);
        EXPECT_EQ(off.height, main.h);
        EXPECT_EQ(desktopValue(L"WallpaperStyle"), L"2");
        EXPECT_EQ(desktopValue(L"TileWallpaper"), L"0");
        EXPECT_EQ(ini(L"SpanStyle", L"WallpaperStyle"), L"<missing>");
    }
}

// The next entries, one per monitor from left to right: an undecodable one
// is passed over, and the list's position ends on the last one used.
TEST_F(Monitors, NextPictureOnEachMonitor) {
    const Layout* layout = currentLayout();
    if (!layout || GetSystemMetrics(SM_CMONITORS) != 2) GTEST_SKIP() << "needs two monitors";
    tellTolvexWindowsVersion(L"win10");
    settings(2, false, {L"red.bmp", L"blue.bmp", L"broken.bmp", L"yellow.bmp"});
    const Rect& left = layout->main.x == 0 ? layout->main : layout->other;
    const Rect& right = layout->main.x == 0 ? layout->other : layout->main;

    Wallpaper w = runChange();
    ASSERT_EQ(w.width, layout->width);
    EXPECT_EQ(w.at(left.cx(), left.cy()), kRed);
    EXPECT_EQ(w.at(right.cx(), right.cy()), kBlue);
    EXPECT_EQ(ini(L"List", L"WPNum"), L"1");

    w = runChange();
    EXPECT_EQ(w.at(left.cx(), left.cy()), kYellow);
    EXPECT_EQ(w.at(right.cx(), right.cy()), kRed);
    EXPECT_EQ(ini(L"List", L"WPNum"), L"0");
    EXPECT_EQ(desktopValue(L"WallpaperStyle"), L"22");
}

}  // namespace
