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
#include <vector>

#include "base/owners_win.h"
#include "base/page_alloc.h"
#include "compose/compose_win.h"
#include "compose/placement.h"
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
constexpr Bgr kMarginBgr = fromColorRef(kMargin);

// Hands a 24-bit picture over into CurrentImage the way the dispatcher does;
// `pixel(x, y)` with y from the top.
void loadPicture(int w, int h, const std::function<Bgr(int, int)>& pixel) {
    LoadedImage record{};
    record.header = dib::bottomUpHeader(w, h, 24);
    const uint32_t stride = rowStride(w, 24);
    PageBlock block(size_t{stride} * h);
    ASSERT_TRUE(block);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = block.get() + size_t{stride} * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const Bgr c = pixel(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    record.bits = block.release();
    handOverToCurrent(record);
}

void loadUniform(int w, int h, Bgr c) {
    loadPicture(w, h, [c](int, int) { return c; });
}

// A pattern where every pixel of a picture up to 4096 wide says where it is.
Bgr positional(int x, int y) {
    return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
            static_cast<uint8_t>(((x >> 8) & 0x0F) | ((y >> 4) & 0xF0))};
}

// The composed wallpaper, read through its record as the writer reads it.
class Composed {
public:
    Composed() : wallpaper_(composeWallpaper()) {}
    explicit operator bool() const { return static_cast<bool>(wallpaper_); }
    const dib::BITMAPINFOHEADER& header() const { return wallpaper_.image().header; }
    Bgr at(int x, int y) const {
        const int h = header().biHeight;
        const uint8_t* p =
            wallpaper_.image().bits + size_t{rowStride(header().biWidth, 24)} * (h - 1 - y) + 3 * x;
        return {p[0], p[1], p[2]};
    }

private:
    WallpaperBitmap wallpaper_;
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

void setSmall(Settings& s, SmallPlacement p) { s.StyleS = static_cast<int32_t>(p); }

void resetSettings() {
    g_settings = Settings{};
    g_settings.screenWidth = 1920;
    g_settings.screenHeight = 1080;
    g_settings.BgColor = kMargin;
    g_settings.Calendar = 0;
    g_settings.today = LocalDate{2024, 5, 17, 5};
}

class Compose : public ::testing::Test {
protected:
    void SetUp() override { resetSettings(); }
    // Whatever a test composed, the picture has left the slot with its block.
    void TearDown() override { EXPECT_EQ(CurrentImage.bits, nullptr); }
    void screen(int w, int h) {
        g_settings.screenWidth = w;
        g_settings.screenHeight = h;
    }
};

// One placement: the screen, the settings, the picture, and what must be
// where. `samples` are single pixels; `everywhere`, when set, gives every
// pixel of the screen.
struct Extent {
    int width, height;
};
struct Mode {
    int32_t styleS = 0;
    uint8_t styleB = 0;
    bool keepAspect = false, fitInside = false;  // the rectangle rule's two flags
};
constexpr Mode smallMode(SmallPlacement p, bool keepAspect = false, bool fitInside = false) {
    return {static_cast<int32_t>(p), 0, keepAspect, fitInside};
}
constexpr Mode largeMode(LargePlacement p, bool keepAspect = false, bool fitInside = false) {
    return {0, static_cast<uint8_t>(p), keepAspect, fitInside};
}
struct Sample {
    int x, y;
    Bgr colour;
};
struct PlacementCase {
    const char* what;
    Extent screen;
    Mode mode;
    Extent picture;
    Bgr (*pixel)(int x, int y);
    std::vector<Sample> samples;
    Bgr (*everywhere)(int x, int y) = nullptr;
    int tolerance = 0;  // per channel, where GDI's halftone shrink averages
};

constexpr Bgr kInside{200, 100, 50};
constexpr Bgr kTop{255, 0, 0}, kMiddle{0, 255, 0}, kBottom{0, 0, 255};
constexpr Bgr kLeft{0, 0, 255}, kRight{255, 0, 0};

Bgr inside(int, int) { return kInside; }

// The same columns checked on the top, middle and bottom rows of 1080.
std::vector<Sample> onRows(std::initializer_list<std::pair<int, Bgr>> columns) {
    std::vector<Sample> out;
    for (int y : {0, 540, 1079})
        for (const auto& [x, colour] : columns) out.push_back({x, y, colour});
    return out;
}

const std::vector<PlacementCase> kPlacements = {
    {"small, actual size: centred, 52 columns of margin left and 53 right",
     {200, 100},
     smallMode(SmallPlacement::ActualSize),
     {95, 50},
     positional,
     {{0, 0, kMarginBgr},
      {51, 50, kMarginBgr},
      {147, 50, kMarginBgr},
      {100, 24, kMarginBgr},
      {100, 75, kMarginBgr},
      {52, 25, positional(0, 0)},
      {146, 74, positional(94, 49)},
      {100, 40, positional(48, 15)}}},
    {"small, tiled: 2 x 2 tiles, the last column and row one pixel of the next",
     {64, 48},
     smallMode(SmallPlacement::Tile),
     {63, 47},
     positional,
     {},
     [](int x, int y) { return positional(x % 63, y % 47); }},
    {"small, tiled: a tiny picture covers the screen",
     {1920, 1080},
     smallMode(SmallPlacement::Tile),
     {3, 2},
     positional,
     {},
     [](int x, int y) { return positional(x % 3, y % 2); }},
    {"small, enlarged to fit: 1440 x 1080 between margins of 240",
     {1920, 1080},
     smallMode(SmallPlacement::Enlarge, true, true),
     {800, 600},
     inside,
     onRows({{0, kMarginBgr},
             {239, kMarginBgr},
             {240, kInside},
             {1679, kInside},
             {1680, kMarginBgr},
             {1919, kMarginBgr}})},
    // 1000 x 700 enlarged to 1920 x 1344, rows 132..1211 shown: source row
    // 100 lands at 100 * 1.92 - 132 = 60, source row 600 at 1020.
    {"small, enlarged to cover: cropped vertically round the centre",
     {1920, 1080},
     smallMode(SmallPlacement::Enlarge, true, false),
     {1000, 700},
     [](int, int y) { return y < 100   ? kTop
                             : y < 600 ? kMiddle
                                       : kBottom; },
     {{500, 0, kTop},
      {500, 50, kTop},
      {500, 70, kMiddle},
      {500, 1000, kMiddle},
      {500, 1079, kBottom},
      {0, 540, kMiddle},
      {1919, 540, kMiddle}}},
    {"large, actual size: cropped round the centre",
     {320, 200},
     largeMode(LargePlacement::ActualSize),
     {640, 400},
     positional,
     {{0, 0, positional(160, 100)},
      {319, 199, positional(479, 299)},
      {100, 50, positional(260, 150)}}},
    {"large, actual size: wide but low, cropped across and centred down",
     {320, 200},
     largeMode(LargePlacement::ActualSize),
     {400, 100},
     positional,
     {{10, 49, kMarginBgr},
      {10, 150, kMarginBgr},
      {0, 50, positional(40, 0)},
      {319, 149, positional(359, 99)}}},
    {"large, actual size: the screen's own size is copied as it is",
     {256, 128},
     largeMode(LargePlacement::ActualSize),
     {256, 128},
     positional,
     {},
     positional},
    {"large, shrunk: the screen's own size is copied as it is",
     {256, 128},
     largeMode(LargePlacement::Shrink, true, false),
     {256, 128},
     positional,
     {},
     positional},
    // 4000 x 3000 on 1920 x 1080: destination (240, 0, 1440, 1080).
    {"large, shrunk to fit: side margins",
     {1920, 1080},
     largeMode(LargePlacement::Shrink, true, true),
     {4000, 3000},
     inside,
     onRows(
         {{239, kMarginBgr}, {1680, kMarginBgr}, {241, kInside}, {960, kInside}, {1678, kInside}}),
     nullptr,
     2},
    {"large, shrunk without the aspect: stretched over the screen",
     {200, 100},
     largeMode(LargePlacement::Shrink),
     {400, 400},
     [](int x, int) { return x < 200 ? kLeft : kRight; },
     {{0, 0, kLeft}, {90, 99, kLeft}, {110, 0, kRight}, {199, 99, kRight}}},
};

bool within(Bgr a, Bgr b, int tolerance) {
    return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.r - b.r) <= tolerance;
}

TEST_F(Compose, PlacesThePictureByTheSettings) {
    for (const PlacementCase& k : kPlacements) {
        SCOPED_TRACE(k.what);
        resetSettings();
        screen(k.screen.width, k.screen.height);
        g_settings.StyleS = k.mode.styleS;
        g_settings.StyleB = k.mode.styleB;
        g_settings.WpOptS0 = g_settings.WpOptB0 = k.mode.keepAspect;
        g_settings.WpOptS1 = g_settings.WpOptB1 = k.mode.fitInside;
        loadPicture(k.picture.width, k.picture.height, k.pixel);
        Composed c;
        ASSERT_TRUE(c);
        // The record describes the screen, as the wallpaper file needs it.
        EXPECT_EQ(c.header().biWidth, k.screen.width);
        EXPECT_EQ(c.header().biHeight, k.screen.height);
        EXPECT_EQ(c.header().biBitCount, 24);
        for (const Sample& s : k.samples)
            EXPECT_PRED3(within, c.at(s.x, s.y), s.colour, k.tolerance) << s.x << "," << s.y;
        if (!k.everywhere) continue;
        int wrong = 0;
        for (int y = 0; y < k.screen.height; ++y)
            for (int x = 0; x < k.screen.width; ++x)
                if (!(c.at(x, y) == k.everywhere(x, y)) && wrong++ == 0)
                    ADD_FAILURE() << "first wrong pixel " << x << "," << y << ": " << c.at(x, y)
                                  << " instead of " << k.everywhere(x, y);
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(Compose, RefusedEnlargementShowsTheMessage) {
    // Covering would need 1920 x 1440 from 800 x 600: 2.4 times, refused.
    setSmall(g_settings, SmallPlacement::Enlarge);
    g_settings.WpOptS0 = 1;
    g_settings.WpOptS1 = 0;
    loadUniform(800, 600, {1, 2, 3});
    MessageBoxWatch watch;
    EXPECT_FALSE(composeWallpaper());
    EXPECT_EQ(watch.text(), L"壁紙作成に失敗しました。");
}

TEST_F(Compose, PalettePictureIsConverted) {
    screen(8, 8);
    setSmall(g_settings, SmallPlacement::ActualSize);
    LoadedImage record{};
    record.header = dib::bottomUpHeader(2, 2, 8);
    record.palette[0] = {1, 2, 3, 0};
    record.palette[7] = {70, 80, 90, 0};
    PageBlock block(8);
    block.get()[0] = 7;  // bottom row: 7, 0; top row: 0, 7
    block.get()[1] = 0;
    block.get()[4] = 0;
    block.get()[5] = 7;
    record.bits = block.release();
    handOverToCurrent(record);
    Composed c;
    ASSERT_TRUE(c);
    EXPECT_EQ(c.at(3, 3), (Bgr{1, 2, 3}));
    EXPECT_EQ(c.at(4, 3), (Bgr{70, 80, 90}));
    EXPECT_EQ(c.at(3, 4), (Bgr{70, 80, 90}));
    EXPECT_EQ(c.at(2, 3), kMarginBgr);
}

TEST_F(Compose, UnusableInputFailsSilently) {
    screen(100, 100);
    // A small-picture mode the program does not know.
    g_settings.StyleS = 7;
    loadUniform(10, 10, {1, 1, 1});
    EXPECT_FALSE(composeWallpaper());
    EXPECT_EQ(CurrentImage.bits, nullptr);
    // A bit count that cannot be brought to 24 bits.
    setSmall(g_settings, SmallPlacement::ActualSize);
    loadUniform(10, 10, {1, 1, 1});
    CurrentImage.header.biBitCount = 16;
    EXPECT_FALSE(composeWallpaper());
    EXPECT_EQ(CurrentImage.bits, nullptr);
    // A record with no width: tiling it would never cover the screen.
    setSmall(g_settings, SmallPlacement::Tile);
    loadUniform(10, 10, {1, 1, 1});
    CurrentImage.header.biWidth = 0;
    EXPECT_FALSE(composeWallpaper());
    // Nothing in the slot at all.
    EXPECT_FALSE(composeWallpaper());
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
