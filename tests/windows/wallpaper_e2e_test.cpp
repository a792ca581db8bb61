// The wallpaper file and the real program: save_wp.bmp written whole or not
// at all, and Tolvex.exe run with "/s", "/d" and a picture's path beside a
// Tolvex.ini, read back through the files and the system's wallpaper setting.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/headless_runs.h"
#include "app/screen_size.h"
#include "base/owners_win.h"
#include "base/page_alloc.h"
#include "compose/wallpaper_output.h"
#include "image/bmp_file.h"
#include "image/loaded_image.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "support/harness.h"

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace {

using harness::fileExists;
using harness::readBytes;
using harness::writeBytes;

std::vector<std::wstring> filesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFind found(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (!found) return names;
    do {
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
            names.push_back(fd.cFileName);
    } while (FindNextFileW(found.get(), &fd));
    return names;
}

using harness::uniformBmp;

std::wstring registryWallpaper() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr,
                 value, &size);
    return value;
}

void setRegistryWallpaper(const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", REG_SZ,
                    value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

uint32_t le32(const std::string& b, size_t at) {
    auto u = [&](size_t i) { return uint32_t{static_cast<uint8_t>(b[at + i])}; };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

// A 24-bit picture whose every byte, padding included, is known.
struct Picture {
    LoadedImage image{};
    PageBlock block;
    Picture(int w, int h, uint8_t seed) {
        image.header = dib::bottomUpHeader(w, h, 24);
        image.header.biXPelsPerMeter = 2835;  // not carried into the file
        const uint32_t size = pixelBlockSize(w, h, 24);
        block = PageBlock(size);
        for (uint32_t i = 0; i < size; ++i) block.get()[i] = static_cast<uint8_t>(seed + i * 7);
        image.bits = block.get();
    }
    std::string bytes(size_t n) const {
        return std::string(reinterpret_cast<char*>(block.get()), n);
    }
};

TEST(WallpaperFile, LayoutForTinyScreens) {
    harness::TempFolder dir;
    const std::wstring out = dir.file(L"save_wp.bmp");
    Picture one(1, 1, 10);
    ASSERT_TRUE(writeWallpaperFile(out.c_str(), one.image));
    const std::string b = readBytes(out);
    ASSERT_EQ(b.size(), 58u);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(le32(b, 2), 58u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 1u);
    EXPECT_EQ(le32(b, 22), 1u);
    EXPECT_EQ(le32(b, 26), 1u | (24u << 16));  // planes 1, 24 bits
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(le32(b, at), 0u) << at;
    // Three pixel bytes and the padding byte as they stand in the block.
    EXPECT_EQ(b.substr(54), one.bytes(4));

    Picture five(5, 3, 99);  // stride 16
    ASSERT_TRUE(writeWallpaperFile(out.c_str(), five.image));
    const std::string c = readBytes(out);
    ASSERT_EQ(c.size(), 54u + 16 * 3);
    EXPECT_EQ(c.substr(54), five.bytes(48));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::wstring>{L"save_wp.bmp"});  // no temporary
}

TEST(WallpaperFile, FailureLeavesTheOldFile) {
    harness::TempFolder dir;
    const std::wstring out = dir.file(L"save_wp.bmp");
    writeBytes(out, "old wallpaper");
    Picture p(64, 32, 1);

    // Held open without sharing by someone else: it cannot be replaced.
    HANDLE held = CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(writeWallpaperFile(out.c_str(), p.image));
    CloseHandle(held);
    EXPECT_EQ(readBytes(out), "old wallpaper");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::wstring>{L"save_wp.bmp"});

    // A folder that does not exist.
    EXPECT_FALSE(writeWallpaperFile(dir.file(L"gone\\save_wp.bmp").c_str(), p.image));

    // A picture that is not 24-bit is not written.
    p.image.header.biBitCount = 8;
    EXPECT_FALSE(writeWallpaperFile(out.c_str(), p.image));
    EXPECT_EQ(readBytes(out), "old wallpaper");
}

// Fails the n-th write of the file (1 = the headers, 2 = the pixel block),
// as a disk that fills up part way would.
int g_writes = 0;
int g_failingWrite = 0;
bool failNthWrite(const void*, uint32_t) { return ++g_writes != g_failingWrite; }

class FailingWrites {
public:
    explicit FailingWrites(int n) {
        g_writes = 0;
        g_failingWrite = n;
        setWallpaperWriteHookForTesting(failNthWrite);
    }
    ~FailingWrites() { setWallpaperWriteHookForTesting(nullptr); }
};

TEST(WallpaperFile, ShortWriteLeavesTheOldFile) {
    harness::TempFolder dir;
    const std::wstring out = dir.file(L"save_wp.bmp");
    writeBytes(out, "old wallpaper");
    Picture p(64, 32, 1);
    for (int n : {1, 2}) {
        FailingWrites fail(n);
        EXPECT_FALSE(writeWallpaperFile(out.c_str(), p.image)) << n;
        EXPECT_EQ(g_writes, n);
        EXPECT_EQ(readBytes(out), "old wallpaper");
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::wstring>{L"save_wp.bmp"});
    }
}

TEST(MakeWallpaper, FullDiskKeepsTheFileAndTheWallpaper) {
    harness::TempFolder dir;
    setSettingsFilePathForTesting(dir.file(L"Tolvex.ini"));
    g_settings = Settings{};
    g_settings.screenWidth = 64;
    g_settings.screenHeight = 48;
    g_settings.today = LocalDate{2024, 5, 17, 5};
    g_settings.cal.CalPosX = 0;
    const std::wstring picture = dir.file(L"picture.bmp");
    const std::wstring out = dir.file(L"save_wp.bmp");
    writeBytes(picture, uniformBmp(100, 80, 1, 2, 3));
    writeBytes(out, "old wallpaper");
    setRegistryWallpaper(L"C:\\previous.bmp");
    {
        FailingWrites fail(2);
        EXPECT_FALSE(makeWallpaper(picture.c_str()));
    }
    EXPECT_EQ(readBytes(out), "old wallpaper");
    EXPECT_EQ(registryWallpaper(), L"C:\\previous.bmp");
    EXPECT_EQ(CurrentImage.bits, nullptr);
    EXPECT_EQ(filesIn(dir.path()).size(), 2u);

    // The same with room on the disk: written and handed to the system.
    EXPECT_TRUE(makeWallpaper(picture.c_str()));
    EXPECT_EQ(readBytes(out).size(), 54u + 192 * 48);
    EXPECT_EQ(_wcsicmp(registryWallpaper().c_str(), out.c_str()), 0) << registryWallpaper();
    EXPECT_EQ(CurrentImage.bits, nullptr);

    // A picture that cannot be decoded changes nothing.
    writeBytes(out, "old wallpaper");
    EXPECT_FALSE(makeWallpaper(dir.file(L"missing.bmp").c_str()));
    EXPECT_EQ(readBytes(out), "old wallpaper");
}

// The extent of the pixels that differ from the picture's colour.
struct Extent {
    int left = 1 << 30, top = 1 << 30, right = 0, bottom = 0;
};
Extent calendarExtent(const std::string& bmp, int w, int h, uint32_t background) {
    Extent e;
    const size_t stride = rowStride(w, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + stride * size_t(h - 1 - y) + 3 * size_t(x);
            const uint32_t bgr = uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 |
                                 uint32_t(uint8_t(bmp[at + 2])) << 16;
            if (bgr == background) continue;
            e.left = std::min(e.left, x);
            e.top = std::min(e.top, y);
            e.right = std::max(e.right, x + 1);
            e.bottom = std::max(e.bottom, y + 1);
        }
    return e;
}

// A scaled display, measured through the substituted measure as the start
// does: the file has the physical size, the calendar's default place is the
// logical screen's, and every length of it comes out one and a half times
// as long as on the same screen at 100 per cent.
TEST(MakeWallpaper, ScaledDisplayGetsAPhysicalSizeWallpaperAndAScaledCalendar) {
    harness::TempFolder dir;
    const std::wstring picture = dir.file(L"picture.bmp");
    const std::wstring out = dir.file(L"save_wp.bmp");
    writeBytes(picture, uniformBmp(1920, 1080, 0x20, 0x40, 0x60));
    harness::writeUtf16File(dir.file(L"Tolvex.ini"), L"[WP]\r\nCalendar=1\r\nStyleB=0\r\n");
    auto composeAt = [&](const ScreenMeasure& m) {
        setScreenMeasureForTesting(&m);
        setSettingsFilePathForTesting(dir.file(L"Tolvex.ini"));
        g_settings = Settings{};
        readScreenSize(g_settings);
        loadSettings();
        g_settings.today = LocalDate{2024, 5, 17, 5};
        EXPECT_TRUE(makeWallpaper(picture.c_str()));
        setScreenMeasureForTesting(nullptr);
        return readBytes(out);
    };
    const std::string plain = composeAt({1920, 1080, 1920, 1080});
    const std::string scaled = composeAt({1280, 720, 1920, 1080});
    EXPECT_EQ(g_settings.cal.CalPosX, 1280 - 136) << "the default place is the logical screen's";
    ASSERT_EQ(scaled.size(), plain.size()) << "the physical size, 1920 x 1080";
    EXPECT_EQ(le32(scaled, 18), 1920u);
    EXPECT_EQ(le32(scaled, 22), 1080u);

    const Extent a = calendarExtent(plain, 1920, 1080, 0x204060);
    const Extent b = calendarExtent(scaled, 1920, 1080, 0x204060);
    ASSERT_GT(a.right, a.left);
    ASSERT_GT(b.right, b.left);
    // At 100 per cent the calendar starts at 1920 - 136 and 10; scaled, at
    // (1280 - 136) x 1.5 = 1716 and 15, give or take the centred text.
    EXPECT_NEAR(a.left, 1784, 12);
    EXPECT_NEAR(b.left, 1716, 18);
    EXPECT_NEAR(a.top, 10, 4);
    EXPECT_NEAR(b.top, 15, 6);
    const double widthRatio = double(b.right - b.left) / (a.right - a.left);
    const double heightRatio = double(b.bottom - b.top) / (a.bottom - a.top);
    EXPECT_NEAR(widthRatio, 1.5, 0.12);
    EXPECT_NEAR(heightRatio, 1.5, 0.12);
    EXPECT_LE(b.right, 1920);
}

// ---------------------------------------------------------------------------
// The real program, copied beside a Tolvex.ini of the test's own.

struct Today {
    int y, m, d;
    bool operator==(const Today&) const = default;
};
Today today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay};
}

// One installation: Tolvex.exe and its Tolvex.ini in a folder of their own,
// with pictures in different colours, one of them not a picture at all.
class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        exe = harness::copyTolvex(dir.path());
        ASSERT_TRUE(fileExists(exe));
        sw = GetSystemMetrics(SM_CXSCREEN);
        sh = GetSystemMetrics(SM_CYSCREEN);
        writeBytes(dir.file(L"red.bmp"), uniformBmp(sw, sh, 200, 0, 0));
        writeBytes(dir.file(L"blue.bmp"), uniformBmp(sw + 10, sh + 10, 0, 0, 200));
        writeBytes(dir.file(L"broken.bmp"), "BM this is not a picture");
    }

    // The calendar is off, so the pictures' colours show everywhere.
    void settings(const std::wstring& wp, const std::vector<std::wstring>& entries,
                  int wpNum = -1) {
        std::wstring ini = L"[WP]\r\nCalendar=0\r\nStyleB=1\r\nWpOptB0=1\r\nWpOptB1=0\r\n" + wp +
                           L"[List]\r\nCount=" + std::to_wstring(entries.size()) + L"\r\nWPNum=" +
                           std::to_wstring(wpNum) + L"\r\n";
        for (size_t i = 0; i < entries.size(); ++i)
            ini += std::to_wstring(i) + L"=" + dir.file(entries[i]) + L"\r\n";
        harness::writeUtf16File(iniPath(), ini);
    }
    static std::wstring dateMark(const Today& t) {
        return L"y=" + std::to_wstring(t.y) + L"\r\nm=" + std::to_wstring(t.m) + L"\r\nd=" +
               std::to_wstring(t.d) + L"\r\n";
    }
    std::wstring iniPath() const { return dir.file(L"Tolvex.ini"); }
    std::wstring output() const { return dir.file(L"save_wp.bmp"); }
    std::wstring ini(const wchar_t* section, const wchar_t* key) const {
        return harness::iniValue(iniPath(), section, key);
    }
    Today markInFile() const {
        return {_wtoi(ini(L"WP", L"y").c_str()), _wtoi(ini(L"WP", L"m").c_str()),
                _wtoi(ini(L"WP", L"d").c_str())};
    }

    void run(const std::wstring& args) {
        // A run of another test would turn this one into a mere activation.
        for (int i = 0; i < 500 && FindWindowW(L"Tolvex_main_class", nullptr); ++i) Sleep(20);
        EXPECT_TRUE(harness::run(exe, args, 60000).has_value()) << "the run did not end";
    }

    // A run that makes the wallpaper `colour` and leaves `value` under `key`.
    void expectRun(const std::wstring& args, uint32_t colour, const wchar_t* section,
                   const wchar_t* key, const wchar_t* value) {
        SCOPED_TRACE(args);
        run(args);
        EXPECT_EQ(centreColour(), colour);
        EXPECT_EQ(ini(section, key), value);
    }

    // The colour at (x, y), y from the top, of the wallpaper file as
    // 0xRRGGBB; 0 without one.
    uint32_t colourAt(int x, int y) const {
        const std::string b = readBytes(output());
        const uint32_t stride = (3u * sw + 3) & ~3u;
        const size_t at = 54 + size_t{stride} * (sh - 1 - y) + 3 * size_t(x);
        if (b.size() < at + 3) return 0;
        auto u = [&](size_t i) { return uint32_t{static_cast<uint8_t>(b[at + i])}; };
        return (u(2) << 16) | (u(1) << 8) | u(0);
    }
    // Each channel within a lossy coder's reach of the other colour's.
    static bool closeTo(uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 12) return false;
        return true;
    }

    // The colour in the middle of the wallpaper file as 0xRRGGBB; 0 without one.
    uint32_t centreColour() const {
        const std::string b = readBytes(output());
        const uint32_t stride = (3u * sw + 3) & ~3u;
        const size_t at = 54 + size_t{stride} * (sh / 2) + 3 * (sw / 2);
        if (b.size() < at + 3) return 0;
        auto u = [&](size_t i) { return uint32_t{static_cast<uint8_t>(b[at + i])}; };
        return (u(2) << 16) | (u(1) << 8) | u(0);
    }

    harness::TempFolder dir;
    std::wstring exe;
    int sw = 0, sh = 0;
    static constexpr uint32_t kRed = 0xC80000, kBlue = 0x0000C8;
};

TEST_F(Installation, ChangeRunTakesTheNextPictureEachTime) {
    settings(L"Cycle=0\r\nListHold=1\r\n", {L"red.bmp", L"blue.bmp"});
    const Today t = today();
    expectRun(L"/s", kRed, L"List", L"WPNum", L"0");
    expectRun(L"/s", kBlue, L"List", L"WPNum", L"1");
    if (today() == t) {
        EXPECT_EQ(markInFile(), t);
    }
    // The file has the screen's size whatever the picture's.
    const uint32_t stride = (3u * sw + 3) & ~3u;
    EXPECT_EQ(readBytes(output()).size(), 54u + size_t{stride} * sh);
    // And the system was told to use it.
    EXPECT_EQ(_wcsicmp(registryWallpaper().c_str(), output().c_str()), 0) << registryWallpaper();
}

TEST_F(Installation, ListsTakeTurnsWithoutListHold) {
    // Lists 1 and 2 filled, ActList 0: the run moves on to list 2.
    harness::writeUtf16File(iniPath(),
                            L"[WP]\r\nCalendar=0\r\nActList=0\r\n[List]\r\nCount=1\r\n"
                            L"0=" +
                                dir.file(L"red.bmp") + L"\r\n[List2]\r\nCount=1\r\n0=" +
                                dir.file(L"blue.bmp") + L"\r\n");
    expectRun(L"/s", kBlue, L"WP", L"ActList", L"1");
    expectRun(L"/s", kRed, L"WP", L"ActList", L"0");
}

TEST_F(Installation, OnceADayRunWritesNothingOnTheSameDay) {
    settings(L"Cycle=1\r\nListHold=1\r\n" + dateMark(today()), {L"red.bmp"});
    const std::string before = readBytes(iniPath());
    run(L"/s");
    EXPECT_FALSE(fileExists(output()));
    EXPECT_EQ(readBytes(iniPath()), before);
}

TEST_F(Installation, CalendarRunRedrawsTheSamePicture) {
    settings(L"Cycle=0\r\nListHold=1\r\ny=2000\r\nm=1\r\nd=1\r\n", {L"red.bmp", L"blue.bmp"}, 1);
    const Today t = today();
    expectRun(L"/d", kBlue, L"List", L"WPNum", L"1");
    if (today() == t) {
        EXPECT_EQ(markInFile(), t);
    }

    // Once a day: a second run on the same day leaves everything alone.
    ASSERT_TRUE(DeleteFileW(output().c_str()));
    const std::string before = readBytes(iniPath());
    run(L"/d");
    if (today() == t) {
        EXPECT_FALSE(fileExists(output()));
        EXPECT_EQ(readBytes(iniPath()), before);
    }
}

TEST_F(Installation, PicturePathOnTheCommandLine) {
    settings(L"Cycle=0\r\n", {L"red.bmp"});
    const std::string before = readBytes(iniPath());
    run(L"\"" + dir.file(L"blue.bmp") + L"\"");
    EXPECT_EQ(centreColour(), kBlue);
    EXPECT_EQ(readBytes(iniPath()), before);  // no setting changed, no date mark
}

TEST_F(Installation, UndecodableEntryIsSkipped) {
    settings(L"Cycle=0\r\nListHold=1\r\n", {L"broken.bmp", L"red.bmp"});
    expectRun(L"/s", kRed, L"List", L"WPNum", L"1");
}

TEST_F(Installation, RefusedEnlargementShowsTheMessage) {
    // A picture a third of the screen, to be enlarged to cover it: refused.
    writeBytes(dir.file(L"small.bmp"), uniformBmp(sw / 3, sh / 3, 0, 200, 0));
    settings(L"Cycle=0\r\nListHold=1\r\nStyleS=1\r\nWpOptS0=1\r\nWpOptS1=0\r\n", {L"small.bmp"});
    const std::string before = readBytes(iniPath());
    harness::Process p = harness::Process::start(exe, L"/s");
    ASSERT_TRUE(p.valid());
    HWND box = harness::waitForWindow(p.id(), L"#32770", L"Error", 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(harness::messageBoxText(box), L"壁紙作成に失敗しました。");
    harness::dismissMessageBox(box);
    EXPECT_TRUE(p.wait(20000).has_value());
    EXPECT_FALSE(fileExists(output()));
    EXPECT_EQ(readBytes(iniPath()), before);
}

TEST_F(Installation, FailedWriteLeavesFileSettingsAndWallpaper) {
    settings(L"Cycle=0\r\nListHold=1\r\n", {L"red.bmp"});
    writeBytes(output(), "old wallpaper");
    setRegistryWallpaper(L"C:\\previous.bmp");
    const std::string before = readBytes(iniPath());
    // Held open without sharing for the whole run: it cannot be replaced.
    HANDLE held =
        CreateFileW(output().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    run(L"/s");
    CloseHandle(held);
    EXPECT_EQ(readBytes(output()), "old wallpaper");
    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_EQ(registryWallpaper(), L"C:\\previous.bmp");
    // The temporary file is gone again.
    for (const auto& name : filesIn(dir.path()))
        EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << name;
}

// Pictures of 2400 x 2400 pixels, the top half red (200, 0, 0) and the
// bottom half blue (0, 0, 200): a lossless WebP (cwebp -lossless -z 9) and a
// lossy 4:2:0 AVIF (avifenc -y 420 --min 20 --max 20).
const uint8_t kHalvesWebp[] = {
    0x52, 0x49, 0x46, 0x46, 0x16, 0x01, 0x00, 0x00, 0x57, 0x45, 0x42, 0x50, 0x56, 0x50, 0x38, 0x4C,
    0x0A, 0x01, 0x00, 0x00, 0x2F, 0x5F, 0xC9, 0x57, 0x02, 0x0F, 0x10, 0x83, 0x7C, 0x1C, 0xE4, 0xF9,
    0x0F, 0x07, 0x02, 0x81, 0x64, 0x7F, 0xE9, 0x31, 0x8A, 0xE8, 0x7F, 0xCE, 0x7F, 0xFE, 0xF3, 0x9F,
    0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF,
    0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3,
    0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F,
    0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE,
    0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7,
    0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F,
    0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC,
    0xE7, 0x3F, 0xFF, 0x55, 0x1A, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F,
    0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE,
    0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7,
    0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F,
    0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC,
    0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF,
    0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF,
    0xFC, 0xE7, 0x3F, 0xFF, 0xF9, 0xCF, 0x7F, 0xFE, 0xF3, 0x9F, 0xFF, 0xFC, 0x57, 0x29,
};
const uint8_t kHalvesAvif[] = {
    0x00, 0x00, 0x00, 0x20, 0x66, 0x74, 0x79, 0x70, 0x61, 0x76, 0x69, 0x66, 0x00, 0x00, 0x00, 0x00,
    0x61, 0x76, 0x69, 0x66, 0x6D, 0x69, 0x66, 0x31, 0x6D, 0x69, 0x61, 0x66, 0x4D, 0x41, 0x31, 0x42,
    0x00, 0x00, 0x00, 0xF2, 0x6D, 0x65, 0x74, 0x61, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x28,
    0x68, 0x64, 0x6C, 0x72, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x70, 0x69, 0x63, 0x74,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x6C, 0x69, 0x62, 0x61,
    0x76, 0x69, 0x66, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x70, 0x69, 0x74, 0x6D, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x1E, 0x69, 0x6C, 0x6F, 0x63, 0x00, 0x00, 0x00, 0x00, 0x44, 0x00,
    0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x1A, 0x00, 0x00, 0x00, 0xC9,
    0x00, 0x00, 0x00, 0x28, 0x69, 0x69, 0x6E, 0x66, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
    0x00, 0x1A, 0x69, 0x6E, 0x66, 0x65, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x61, 0x76,
    0x30, 0x31, 0x43, 0x6F, 0x6C, 0x6F, 0x72, 0x00, 0x00, 0x00, 0x00, 0x6A, 0x69, 0x70, 0x72, 0x70,
    0x00, 0x00, 0x00, 0x4B, 0x69, 0x70, 0x63, 0x6F, 0x00, 0x00, 0x00, 0x14, 0x69, 0x73, 0x70, 0x65,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x60, 0x00, 0x00, 0x09, 0x60, 0x00, 0x00, 0x00, 0x10,
    0x70, 0x69, 0x78, 0x69, 0x00, 0x00, 0x00, 0x00, 0x03, 0x08, 0x08, 0x08, 0x00, 0x00, 0x00, 0x0C,
    0x61, 0x76, 0x31, 0x43, 0x81, 0x0C, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x13, 0x63, 0x6F, 0x6C, 0x72,
    0x6E, 0x63, 0x6C, 0x78, 0x00, 0x01, 0x00, 0x0D, 0x00, 0x06, 0x80, 0x00, 0x00, 0x00, 0x17, 0x69,
    0x70, 0x6D, 0x61, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x04, 0x01, 0x02,
    0x83, 0x04, 0x00, 0x00, 0x00, 0xD1, 0x6D, 0x64, 0x61, 0x74, 0x12, 0x00, 0x0A, 0x0B, 0x1B, 0x2E,
    0xE5, 0x7E, 0x57, 0xF8, 0x20, 0x21, 0xA0, 0xD0, 0x80, 0x32, 0xB7, 0x01, 0x11, 0x40, 0x01, 0x04,
    0x10, 0x41, 0x40, 0xF4, 0xBA, 0xD4, 0x8A, 0xE2, 0x9C, 0x55, 0x69, 0xDB, 0x2B, 0x81, 0xD1, 0xF9,
    0xEB, 0x21, 0x92, 0xEE, 0x09, 0xCC, 0x9A, 0xC1, 0x3E, 0x52, 0x64, 0x9E, 0xED, 0xCA, 0xD3, 0xAA,
    0xF4, 0x5A, 0x00, 0x3E, 0x60, 0x39, 0x81, 0x6B, 0xDA, 0xDB, 0x21, 0x87, 0x33, 0x24, 0x30, 0xF4,
    0x50, 0xCA, 0xDF, 0x63, 0xB8, 0xF7, 0x0A, 0x6E, 0xC4, 0xD7, 0x1D, 0x6A, 0x0A, 0x98, 0x26, 0x17,
    0x87, 0xF2, 0x94, 0x32, 0xC5, 0x44, 0x25, 0x61, 0x32, 0xC6, 0xA9, 0x69, 0xE6, 0xFF, 0xC6, 0xE4,
    0xFB, 0x1C, 0x0B, 0x43, 0xFB, 0xF7, 0x6F, 0x16, 0xD0, 0x38, 0xCB, 0x96, 0x75, 0xD6, 0x61, 0x30,
    0xCB, 0xF4, 0x99, 0x7D, 0x5F, 0xDF, 0xB9, 0x82, 0x98, 0x39, 0xF5, 0xC6, 0xBB, 0xDC, 0xD6, 0x5A,
    0x76, 0xD5, 0xDB, 0xAA, 0x23, 0xAA, 0x86, 0xC1, 0x11, 0xC2, 0x22, 0xD9, 0x56, 0x1F, 0x76, 0xA5,
    0xE8, 0x98, 0x07, 0x7F, 0x59, 0x19, 0x99, 0x12, 0x0A, 0x68, 0x4E, 0x60, 0x0E, 0x03, 0xC4, 0x51,
    0x6B, 0xD7, 0x8C, 0x62, 0xD1, 0x5B, 0xE8, 0x88, 0x2C, 0xD0, 0x76, 0x07, 0x4F, 0x11, 0x69, 0x5D,
    0x8C, 0xE0, 0xBC, 0xAB, 0x8D, 0x5C, 0xFA, 0x09, 0x8A, 0x7A, 0xDF, 0xA0, 0x7F, 0x6F, 0x95, 0x18,
    0x3D, 0x46, 0x8A,
};

// A JPEG of w x h, the left half red and the right half blue, whose EXIF
// orientation 6 says it is shown turned a quarter clockwise: upright, the
// top half red and the bottom half blue.
std::string turnedJpeg(int w, int h) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3, 0);
    for (int x = 0; x < w; ++x) row[3 * x + (x < w / 2 ? 0 : 2)] = 200;
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::string jpeg(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&c);
    free(out);
    // APP1: "Exif\0\0", a big-endian TIFF header, one directory entry 0x0112 = 6.
    const uint8_t app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,    'M', 'M',
                            0,    42,   0, 0,  0,   8,   0,   1,   1, 0x12, 0,   3,
                            0,    0,    0, 1,  0,   6,   0,   0,   0, 0,    0,   0};
    jpeg.insert(2, reinterpret_cast<const char*>(app1), sizeof app1);
    return jpeg;
}

TEST_F(Installation, WebpAvifAndATurnedJpegBecomeTheWallpaperUpright) {
    writeBytes(dir.file(L"halves.webp"),
               std::string(reinterpret_cast<const char*>(kHalvesWebp), sizeof kHalvesWebp));
    writeBytes(dir.file(L"halves.avif"),
               std::string(reinterpret_cast<const char*>(kHalvesAvif), sizeof kHalvesAvif));
    writeBytes(dir.file(L"turned.jpg"), turnedJpeg(1600, 2400));
    for (const wchar_t* name : {L"halves.webp", L"halves.avif", L"turned.jpg"}) {
        SCOPED_TRACE(name);
        DeleteFileW(output().c_str());
        settings(L"Cycle=0\r\nListHold=1\r\n", {name});
        run(L"/s");
        // Shrunk to cover the screen: red above, blue below. A picture not
        // turned upright would show red on the left instead, blue on the right.
        const uint32_t upperRight = colourAt(3 * sw / 4, sh / 4);
        const uint32_t lowerLeft = colourAt(sw / 4, 3 * sh / 4);
        EXPECT_TRUE(closeTo(upperRight, kRed)) << std::hex << upperRight;
        EXPECT_TRUE(closeTo(lowerLeft, kBlue)) << std::hex << lowerLeft;
        EXPECT_EQ(ini(L"List", L"WPNum"), L"0");
    }
}

}  // namespace
