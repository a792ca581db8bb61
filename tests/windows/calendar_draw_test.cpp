// The calendar drawn by GDI onto a plain surface: colours inside the right
// day cells (worked out here from the font's own measure), today's frame,
// and the context left as it was found.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/owners_win.h"
#include "compose/calendar_draw_win.h"
#include "compose/compose_win.h"
#include "image/loaded_image.h"
#include "settings/settings.h"

namespace {

constexpr int kWidth = 400, kHeight = 400;
constexpr COLORREF kBackground = RGB(0x90, 0x60, 0x30);
constexpr COLORREF kWeekday = RGB(255, 255, 255);
constexpr COLORREF kSaturday = RGB(0, 0, 255);
constexpr COLORREF kSunday = RGB(255, 0, 0);
constexpr COLORREF kHoliday = RGB(0, 255, 0);
constexpr COLORREF kTitle = RGB(255, 255, 0);
constexpr COLORREF kShadow = RGB(0, 0, 0);
constexpr COLORREF kPen = RGB(0, 0xC0, 0xC0);

struct Box {
    int left, top, right, bottom;
};

// A 24-bit surface (kWidth x kHeight unless given) in a memory context.
class Surface {
public:
    explicit Surface(int width = kWidth, int height = kHeight)
        : width_(width), height_(height), bitmap_(WallpaperBitmap::create(width, height)) {
        UniqueBrush brush(CreateSolidBrush(kBackground));
        RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, brush.get());
        GdiFlush();
    }

    HDC dc() const { return dc_.get(); }
    COLORREF at(int x, int y) const {
        GdiFlush();
        return pixel(x, y);
    }
    // The extent of everything not in the background colour (right and
    // bottom one past the last such pixel).
    Box drawnExtent() const {
        GdiFlush();
        Box extent{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (pixel(x, y) != kBackground) {
                    extent.left = std::min(extent.left, x);
                    extent.top = std::min(extent.top, y);
                    extent.right = std::max(extent.right, x + 1);
                    extent.bottom = std::max(extent.bottom, y + 1);
                }
        return extent;
    }
    int count(const Box& b, COLORREF c) const {
        int n = 0;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) n += at(x, y) == c;
        return n;
    }

private:
    COLORREF pixel(int x, int y) const {
        const uint8_t* p =
            bitmap_.image().bits + size_t{rowStride(width_, 24)} * (height_ - 1 - y) + 3 * x;
        return RGB(p[2], p[1], p[0]);
    }

    int width_, height_;
    WallpaperBitmap bitmap_;
    MemoryDc dc_{CreateCompatibleDC(nullptr)};
    SelectGuard use_{dc_.get(), bitmap_.bitmap()};
};

// One to three months in bold 12-point digits, today's frame inverted or drawn
// with the pen.
CalendarStyle testStyle(int months = 1, bool invertedFrame = true) {
    CalendarStyle s;
    s.DispMonth = months;
    s.Weekday = kWeekday;
    s.Saturday = kSaturday;
    s.Sunday = kSunday;
    s.Holiday = kHoliday;
    s.YearMonth = kTitle;
    s.TextShadow = kShadow;
    s.TodayPen = kPen;
    s.TodayNot = invertedFrame ? 1 : 0;
    s.CalPosX = 100;
    s.CalPosY = 10;
    s.FtSize = 12;  // big enough for solid strokes
    s.Weight = 700;
    s.DaySpace = 6;
    return s;
}

// The cell size from the font, measured here independently of the drawing.
SIZE measureCell(HDC dc, const CalendarStyle& s) {
    LOGFONTW lf{};
    lf.lfHeight = -(GetDeviceCaps(dc, LOGPIXELSY) * s.FtSize / 72);
    lf.lfWeight = s.Weight;
    lf.lfCharSet = s.CharSet;
    wcscpy(lf.lfFaceName, s.FaceS.c_str());
    UniqueFont font(CreateFontIndirectW(&lf));
    SelectGuard use(dc, font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, L"30", 2, &size);
    return {size.cx + s.DaySpace, size.cy + s.DaySpace};
}

// Day cell of a month laid out from (CalPosX, top) whose 1st is in `firstColumn`.
Box dayCell(const CalendarStyle& s, SIZE cell, int top, int firstColumn, int day) {
    const int slot = firstColumn + day - 1;
    const int rowsTop = top + cell.cy + cell.cy / 8;
    const int left = s.CalPosX + (slot % 7) * cell.cx;
    const int y = rowsTop + (slot / 7) * cell.cy;
    return {left, y, left + cell.cx, y + cell.cy};
}

LocalDate feb2012(int day) {
    // 1 February 2012 was a Wednesday.
    return LocalDate{2012, 2, day, (3 + day - 1) % 7};
}

// The calendar of `style` drawn on a fresh surface on 15 February 2012, with
// the cell size measured independently.
struct Drawn {
    explicit Drawn(const CalendarStyle& style) : s(style), cell(measureCell(surface.dc(), s)) {
        drawCalendar(surface.dc(), s, feb2012(15), CalendarSurface{kWidth, kHeight, 100});
    }
    Surface surface;
    const CalendarStyle s;
    const SIZE cell;
};

TEST(CalendarDraw, DayColoursInTheirCells) {
    const Drawn d(testStyle());
    const auto& [surface, s, cell] = d;

    auto cellOf = [&](int day) { return dayCell(s, cell, s.CalPosY, 3, day); };
    // The 11th, a holiday on a Saturday, in the holiday colour only.
    EXPECT_GT(surface.count(cellOf(11), kHoliday), 3);
    EXPECT_EQ(surface.count(cellOf(11), kSaturday), 0);
    EXPECT_GT(surface.count(cellOf(18), kSaturday), 3);
    EXPECT_EQ(surface.count(cellOf(18), kHoliday), 0);
    EXPECT_GT(surface.count(cellOf(12), kSunday), 3);
    EXPECT_GT(surface.count(cellOf(13), kWeekday), 3);
    EXPECT_EQ(surface.count(cellOf(13), kSunday), 0);
    // Every number has its shadow one pixel down and right.
    EXPECT_GT(surface.count(cellOf(13), kShadow), 3);
    // The 29th is the last day: nothing is drawn in the cell after it.
    const Box after = cellOf(30);
    EXPECT_EQ(surface.count(after, kWeekday), 0);
    // Title line above the grid in the year-month colour.
    const Box title{s.CalPosX, s.CalPosY, s.CalPosX + 7 * cell.cx, s.CalPosY + cell.cy};
    EXPECT_GT(surface.count(title, kTitle), 10);
    // Nothing left of the calendar.
    EXPECT_EQ(surface.count({0, 0, s.CalPosX - 1, kHeight}, kWeekday), 0);
}

TEST(CalendarDraw, TodaysFrameInvertsThePixelsUnderIt) {
    const Drawn d(testStyle());
    const auto& [surface, s, cell] = d;

    const Box today = dayCell(s, cell, s.CalPosY, 3, 15);
    const COLORREF inverted = RGB(0xFF - 0x90, 0xFF - 0x60, 0xFF - 0x30);
    const int midX = (today.left + today.right) / 2;
    EXPECT_EQ(surface.at(midX, today.top), inverted);
    EXPECT_EQ(surface.at(midX, today.bottom - 1), inverted);
    EXPECT_EQ(surface.at(today.left, (today.top + today.bottom) / 2), inverted);
    // One pixel narrower than the cell unless italic.
    EXPECT_EQ(surface.at(today.right - 2, (today.top + today.bottom) / 2), inverted);
    EXPECT_EQ(surface.at(today.right - 1, (today.top + today.bottom) / 2), kBackground);
    // No frame round any other day.
    const Box other = dayCell(s, cell, s.CalPosY, 3, 14);
    EXPECT_EQ(surface.count(other, inverted), 0);
}

TEST(CalendarDraw, TodaysFrameWithThePen) {
    const Drawn d(testStyle(1, false));
    const auto& [surface, s, cell] = d;
    const Box today = dayCell(s, cell, s.CalPosY, 3, 15);
    EXPECT_EQ(surface.at((today.left + today.right) / 2, today.top), kPen);
    EXPECT_EQ(surface.at(today.left, (today.top + today.bottom) / 2), kPen);
    // The frame is not filled: the background shows inside, off the digits.
    EXPECT_EQ(surface.at(today.left + 1, today.top + 3), kBackground);
}

TEST(CalendarDraw, FollowingMonthsContinueInTheNextColumn) {
    const Drawn d(testStyle(2));
    const auto& [surface, s, cell] = d;
    // February 2012 has 29 days and ends on a Wednesday (row 4).
    const Box lastFeb = dayCell(s, cell, s.CalPosY, 3, 29);
    const int marchTop = lastFeb.top + 2 * cell.cy;
    const Box title{s.CalPosX, marchTop, s.CalPosX + 7 * cell.cx, marchTop + cell.cy};
    EXPECT_GT(surface.count(title, kTitle), 10);
    // 1 March 2012 was a Thursday; the 20th is the equinox (a Tuesday).
    EXPECT_GT(surface.count(dayCell(s, cell, marchTop, 4, 1), kWeekday), 3);
    EXPECT_GT(surface.count(dayCell(s, cell, marchTop, 4, 20), kHoliday), 3);
    EXPECT_GT(surface.count(dayCell(s, cell, marchTop, 4, 3), kSaturday), 3);
    // Today's frame only in the first month.
    const COLORREF inverted = RGB(0xFF - 0x90, 0xFF - 0x60, 0xFF - 0x30);
    const Box march15 = dayCell(s, cell, marchTop, 4, 15);
    EXPECT_EQ(surface.count(march15, inverted), 0);
}

TEST(CalendarDraw, ContextIsLeftAsFound) {
    Surface surface;
    HDC dc = surface.dc();
    UniqueFont font(CreateFontW(-20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));
    UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    SelectGuard useFont(dc, font.get());
    SelectGuard useBrush(dc, brush.get());
    const int rop = GetROP2(dc);
    drawCalendar(dc, testStyle(), feb2012(15), CalendarSurface{kWidth, kHeight, 100});
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font.get());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush.get());
    EXPECT_EQ(GetROP2(dc), rop);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
}

// The widest calendar the settings allow (36-point bold italic digits, 36
// pixels between days, three months) at positions up to and past every
// edge: drawn onto a larger surface with a smaller bound, nothing lands
// outside the bound, and the calendar reaches the edge it was pushed from.
TEST(CalendarDraw, StaysWholeInsideItsBound) {
    constexpr int kBoundW = 700, kBoundH = 2300;
    struct Place {
        int x, y;
    };
    for (const Place at : {Place{kBoundW - 136, 10}, Place{kBoundW + 50, 10}, Place{-80, -40},
                           Place{20, kBoundH - 5}}) {
        CalendarStyle s = testStyle(3);
        s.FtSize = 36;
        s.DaySpace = 36;
        s.Italic = 1;
        s.CalPosX = at.x;
        s.CalPosY = at.y;
        Surface surface(kBoundW + 100, kBoundH + 100);
        // 29 February 2012: three months, February to April.
        drawCalendar(surface.dc(), s, feb2012(29), CalendarSurface{kBoundW, kBoundH, 100});
        const Box drawn = surface.drawnExtent();
        EXPECT_LE(drawn.right, kBoundW) << "from " << at.x << "," << at.y;
        EXPECT_LE(drawn.bottom, kBoundH) << "from " << at.x << "," << at.y;
        // Pushed back from an edge, it reaches to near that edge.
        if (at.x > kBoundW - 136) {
            EXPECT_GT(drawn.right, kBoundW - 40);
        }
        if (at.y > kBoundH / 2) {
            EXPECT_GT(drawn.bottom, kBoundH - 40);
        }
        if (at.x < 0) {
            EXPECT_LT(drawn.left, 40);
        }
        if (at.y < 0) {
            EXPECT_LT(drawn.top, 40);
        }
        // Every month's Saturdays are there.
        EXPECT_GT(surface.count({0, 0, kBoundW, kBoundH}, kSaturday), 30);
    }
}

}  // namespace
