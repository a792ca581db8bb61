// The composer on a set screen size: every placement mode, checked pixel by
// pixel against positions and colours worked out here.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "base/owners_win.h"
#include "base/page_alloc.h"
#include "compose/compose_win.h"
#include "image/loaded_image.h"
#include "settings/settings.h"

namespace {

struct Bgr {
    uint8_t b, g, r;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

std::ostream& operator<<(std::ostream& os, const Bgr& c) {
    return os << "(r" << int{c.r} << " g" << int{c.g} << " b" << int{c.b} << ")";
}

constexpr Bgr fromColorRef(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c)}; }

constexpr COLORREF kMargin = RGB(10, 200, 30);

// Puts a 24-bit picture into CurrentImage; `pixel(x, y)` with y from the top.
void loadPicture(int w, int h, const std::function<Bgr(int, int)>& pixel) {
    std::memset(&CurrentImage.header, 0, sizeof CurrentImage.header);
    auto& hd = CurrentImage.header;
    hd.biSize = 40;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = 24;
    const uint32_t stride = rowStride(w, 24);
    CurrentImage.bits = static_cast<uint8_t*>(pageAlloc(size_t{stride} * h));
    ASSERT_NE(CurrentImage.bits, nullptr);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = CurrentImage.bits + size_t{stride} * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const Bgr c = pixel(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
}

void loadUniform(int w, int h, Bgr c) {
    loadPicture(w, h, [c](int, int) { return c; });
}

// A pattern where every pixel of a picture up to 4096 wide says where it is.
Bgr positional(int x, int y) {
    return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
            static_cast<uint8_t>(((x >> 8) & 0x0F) | ((y >> 4) & 0xF0))};
}

// The composed wallpaper, read through CurrentImage as the writer reads it.
class Composed {
public:
    Composed() : bitmap_(composeWallpaper()) {}
    explicit operator bool() const { return static_cast<bool>(bitmap_); }
    Bgr at(int x, int y) const {
        const int h = CurrentImage.header.biHeight;
        const uint8_t* p = CurrentImage.bits +
                           size_t{rowStride(CurrentImage.header.biWidth, 24)} * (h - 1 - y) + 3 * x;
        return {p[0], p[1], p[2]};
    }

private:
    UniqueBitmap bitmap_;
};

// Watches for the composer's message box on another thread, records its text
// and presses OK, so that a test can go on.
class MessageBoxWatch {
public:
    MessageBoxWatch()
        : thread_([this] {
              for (int i = 0; i < 500 && !stop_; ++i) {
                  HWND box = FindWindowW(L"#32770", L"Error");
                  if (box) {
                      wchar_t text[256] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 256);
                      text_ = text;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(20);
              }
          }) {}
    ~MessageBoxWatch() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::wstring text() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return text_;
    }

private:
    std::atomic<bool> stop_{false};
    std::wstring text_;
    std::thread thread_;
};

class Compose : public ::testing::Test {
protected:
    void SetUp() override {
        g_settings = Settings{};
        g_settings.screenWidth = 1920;
        g_settings.screenHeight = 1080;
        g_settings.BgColor = kMargin;
        g_settings.Calendar = 0;
        g_settings.today = LocalDate{2024, 5, 17, 5};
    }
    void TearDown() override {
        // A successful composition leaves bits in the (deleted) section.
        CurrentImage.bits = nullptr;
    }
    void screen(int w, int h) {
        g_settings.screenWidth = w;
        g_settings.screenHeight = h;
    }
    const Bgr margin = fromColorRef(kMargin);
};

TEST_F(Compose, ResultDescribesTheScreen) {
    screen(5, 3);
    loadUniform(2, 2, {1, 2, 3});
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(CurrentImage.header.biWidth, 5);
    EXPECT_EQ(CurrentImage.header.biHeight, 3);
    EXPECT_EQ(CurrentImage.header.biBitCount, 24);
}

TEST_F(Compose, SmallActualSizeCentredOverTheMargin) {
    screen(200, 100);
    g_settings.StyleS = 0;
    loadPicture(95, 50, positional);  // 105 columns to share: 52 left, 53 right
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(0, 0), margin);
    EXPECT_EQ(c.at(51, 50), margin);
    EXPECT_EQ(c.at(147, 50), margin);
    EXPECT_EQ(c.at(100, 24), margin);
    EXPECT_EQ(c.at(100, 75), margin);
    EXPECT_EQ(c.at(52, 25), positional(0, 0));
    EXPECT_EQ(c.at(146, 74), positional(94, 49));
    EXPECT_EQ(c.at(100, 40), positional(48, 15));
}

TEST_F(Compose, TilesFromTheTopLeftCorner) {
    screen(64, 48);
    g_settings.StyleS = 2;
    loadPicture(63, 47, positional);
    Composed c;
    ASSERT_TRUE(c);
    // 2 x 2 tiles; the right column and bottom row show one pixel of the next.
    EXPECT_EQ(c.at(0, 0), positional(0, 0));
    EXPECT_EQ(c.at(62, 46), positional(62, 46));
    EXPECT_EQ(c.at(63, 10), positional(0, 10));
    EXPECT_EQ(c.at(20, 47), positional(20, 0));
    EXPECT_EQ(c.at(63, 47), positional(0, 0));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_NE(c.at(x, y), margin) << x << "," << y;
}

TEST_F(Compose, TinyTilesCoverTheScreen) {
    screen(1920, 1080);
    g_settings.StyleS = 2;
    loadPicture(3, 2, positional);
    Composed c;
    ASSERT_TRUE(c);
    for (int y : {0, 1, 2, 539, 1079})
        for (int x : {0, 1, 2, 3, 1000, 1917, 1919})
            EXPECT_EQ(c.at(x, y), positional(x % 3, y % 2)) << x << "," << y;
}

TEST_F(Compose, LargeActualSizeCropsRoundTheCentre) {
    screen(320, 200);
    g_settings.StyleB = 0;
    loadPicture(640, 400, positional);
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(0, 0), positional(160, 100));
    EXPECT_EQ(c.at(319, 199), positional(479, 299));
    EXPECT_EQ(c.at(100, 50), positional(260, 150));
}

TEST_F(Compose, WideButLowPictureIsCroppedAndCentred) {
    screen(320, 200);
    g_settings.StyleB = 0;
    loadPicture(400, 100, positional);
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(10, 49), margin);
    EXPECT_EQ(c.at(10, 150), margin);
    EXPECT_EQ(c.at(0, 50), positional(40, 0));
    EXPECT_EQ(c.at(319, 149), positional(359, 99));
}

TEST_F(Compose, ScreenSizedPictureIsCopiedAsItIs) {
    screen(256, 128);
    for (uint8_t styleB : {0, 1}) {
        g_settings.StyleB = styleB;
        loadPicture(256, 128, positional);
        Composed c;
        ASSERT_TRUE(c);
        for (int y = 0; y < 128; y += 7)
            for (int x = 0; x < 256; x += 5)
                ASSERT_EQ(c.at(x, y), positional(x, y)) << "StyleB " << int{styleB};
    }
}

TEST_F(Compose, EnlargedToFitWithSideMargins) {
    // 800 x 600 on 1920 x 1080, whole picture inside: 1440 x 1080 between
    // margins of 240 columns.
    g_settings.StyleS = 1;
    g_settings.WpOptS0 = 1;
    g_settings.WpOptS1 = 1;
    const Bgr inside{200, 100, 50};
    loadUniform(800, 600, inside);
    Composed c;
    ASSERT_TRUE(c);
    for (int y : {0, 540, 1079}) {
        EXPECT_EQ(c.at(0, y), margin);
        EXPECT_EQ(c.at(239, y), margin);
        EXPECT_EQ(c.at(240, y), inside);
        EXPECT_EQ(c.at(1679, y), inside);
        EXPECT_EQ(c.at(1680, y), margin);
        EXPECT_EQ(c.at(1919, y), margin);
    }
}

TEST_F(Compose, EnlargedToCoverCropsVertically) {
    // 1000 x 700 covering: enlarged to 1920 x 1344, rows 132..1211 shown.
    g_settings.StyleS = 1;
    g_settings.WpOptS0 = 1;
    g_settings.WpOptS1 = 0;
    // Top and bottom thirds in other colours: both must be partly cut off.
    const Bgr top{255, 0, 0}, middle{0, 255, 0}, bottom{0, 0, 255};
    loadPicture(1000, 700, [&](int, int y) { return y < 100 ? top : y < 600 ? middle : bottom; });
    Composed c;
    ASSERT_TRUE(c);
    // Source row 100 lands at 100 * 1.92 - 132 = 60 on the screen.
    EXPECT_EQ(c.at(500, 0), top);
    EXPECT_EQ(c.at(500, 50), top);
    EXPECT_EQ(c.at(500, 70), middle);
    EXPECT_EQ(c.at(500, 1000), middle);
    EXPECT_EQ(c.at(500, 1079), bottom);
    for (int x : {0, 1919}) EXPECT_NE(c.at(x, 540), margin);
}

TEST_F(Compose, RefusedEnlargementShowsTheMessage) {
    // Covering would need 1920 x 1440 from 800 x 600: 2.4 times, refused.
    g_settings.StyleS = 1;
    g_settings.WpOptS0 = 1;
    g_settings.WpOptS1 = 0;
    loadUniform(800, 600, {1, 2, 3});
    MessageBoxWatch watch;
    HBITMAP result = composeWallpaper();
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(watch.text(), L"壁紙作成に失敗しました。");
    EXPECT_EQ(CurrentImage.bits, nullptr);  // the picture's block is released
}

TEST_F(Compose, ShrunkToFitWithSideMargins) {
    // 4000 x 3000 on 1920 x 1080: destination (240, 0, 1440, 1080).
    g_settings.StyleB = 1;
    g_settings.WpOptB0 = 1;
    g_settings.WpOptB1 = 1;
    const Bgr inside{40, 80, 160};
    loadUniform(4000, 3000, inside);
    Composed c;
    ASSERT_TRUE(c);
    for (int y : {0, 540, 1079}) {
        EXPECT_EQ(c.at(239, y), margin);
        EXPECT_EQ(c.at(1680, y), margin);
        const Bgr a = c.at(241, y), b = c.at(960, y), d = c.at(1678, y);
        for (const Bgr& p : {a, b, d}) {
            EXPECT_NEAR(p.b, inside.b, 2);
            EXPECT_NEAR(p.g, inside.g, 2);
            EXPECT_NEAR(p.r, inside.r, 2);
        }
    }
}

TEST_F(Compose, ShrunkWithoutAspectFillsTheScreen) {
    screen(200, 100);
    g_settings.StyleB = 1;
    g_settings.WpOptB0 = 0;
    loadPicture(400, 400, [](int x, int) { return x < 200 ? Bgr{0, 0, 255} : Bgr{255, 0, 0}; });
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(c.at(90, 99), (Bgr{0, 0, 255}));
    EXPECT_EQ(c.at(110, 0), (Bgr{255, 0, 0}));
    EXPECT_EQ(c.at(199, 99), (Bgr{255, 0, 0}));
}

TEST_F(Compose, PalettePictureIsConverted) {
    screen(8, 8);
    g_settings.StyleS = 0;
    std::memset(&CurrentImage.header, 0, sizeof CurrentImage.header);
    auto& h = CurrentImage.header;
    h.biSize = 40;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biPlanes = 1;
    h.biBitCount = 8;
    CurrentImage.palette[0] = {1, 2, 3, 0};
    CurrentImage.palette[7] = {70, 80, 90, 0};
    CurrentImage.bits = static_cast<uint8_t*>(pageAlloc(8));
    CurrentImage.bits[0] = 7;  // bottom row: 7, 0; top row: 0, 7
    CurrentImage.bits[1] = 0;
    CurrentImage.bits[4] = 0;
    CurrentImage.bits[5] = 7;
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(3, 3), (Bgr{1, 2, 3}));
    EXPECT_EQ(c.at(4, 3), (Bgr{70, 80, 90}));
    EXPECT_EQ(c.at(3, 4), (Bgr{70, 80, 90}));
    EXPECT_EQ(c.at(2, 3), margin);
}

TEST_F(Compose, UnusableInputFailsSilently) {
    screen(100, 100);
    // A small-picture mode the program does not know.
    g_settings.StyleS = 7;
    loadUniform(10, 10, {1, 1, 1});
    EXPECT_EQ(composeWallpaper(), nullptr);
    EXPECT_EQ(CurrentImage.bits, nullptr);
    // A bit count that cannot be brought to 24 bits.
    g_settings.StyleS = 0;
    loadUniform(10, 10, {1, 1, 1});
    CurrentImage.header.biBitCount = 16;
    EXPECT_EQ(composeWallpaper(), nullptr);
    EXPECT_EQ(CurrentImage.bits, nullptr);
}

TEST_F(Compose, CalendarIsDrawnOnTopWhenSwitchedOn) {
    screen(400, 300);
    g_settings.cal.CalPosX = 200;
    g_settings.cal.CalPosY = 10;
    const Bgr grey{60, 60, 60};
    auto changedPixels = [&]() {
        loadUniform(400, 300, grey);
        Composed c;
        EXPECT_TRUE(c);
        int changed = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) changed += !(c.at(x, y) == grey);
        return changed;
    };
    g_settings.Calendar = 0;
    EXPECT_EQ(changedPixels(), 0);
    g_settings.Calendar = 1;
    EXPECT_GT(changedPixels(), 200);
}

}  // namespace
