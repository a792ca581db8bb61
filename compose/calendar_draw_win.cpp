#include "compose/calendar_draw_win.h"

#include <cwchar>

#include "base/owners_win.h"
#include "compose/calendar_layout.h"

namespace {

int clampInt(int v, int lo, int hi) noexcept { return v < lo ? lo : v > hi ? hi : v; }

RECT toRect(const CalRect& r, int dx = 0, int dy = 0) noexcept {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

void drawCentred(HDC dc, const wchar_t* text, RECT r) noexcept {
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// Rounded frame round today's cell, under the number. Inverted, it shows on
// any picture; otherwise it is drawn with the today pen colour.
void drawTodayFrame(HDC dc, const CalendarStyle& style, const CalendarLayout& layout,
                    const CalRect& cell) noexcept {
    const bool invert = style.TodayNot & 1;
    const int previousRop = invert ? SetROP2(dc, R2_NOT) : 0;
    {
        UniquePen pen(CreatePen(PS_SOLID, layout.lineWidth, style.TodayPen));
        SelectGuard usePen(dc, pen.get());
        const CalRect f = todayFrameRect(cell, style.Italic & 1);
        RoundRect(dc, f.left, f.top, f.right, f.bottom, layout.frameCorner, layout.frameCorner);
    }
    if (invert && previousRop) SetROP2(dc, previousRop);
}

void drawMonth(HDC dc, const CalendarStyle& style, const CalendarLayout& layout,
               const CalendarMonth& m) noexcept {
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, RGB(0, 0, 0));
    const int shadow = layout.shadowOffset;

    SetTextColor(dc, style.TextShadow);
    drawCentred(dc, m.title, toRect(m.titleRect, shadow, shadow));
    SetTextColor(dc, style.YearMonth);
    drawCentred(dc, m.title, toRect(m.titleRect));

    wchar_t number[4];
    SetTextColor(dc, style.TextShadow);
    for (int i = 0; i < m.dayCount; ++i) {
        std::swprintf(number, 4, L"%d", m.days[i].day);
        drawCentred(dc, number, toRect(m.days[i].cell, shadow, shadow));
    }
    for (int i = 0; i < m.dayCount; ++i) {
        const CalendarDay& d = m.days[i];
        if (d.today) drawTodayFrame(dc, style, layout, d.cell);
        SetTextColor(dc, d.colour);
        std::swprintf(number, 4, L"%d", d.day);
        drawCentred(dc, number, toRect(d.cell));
    }
}

}  // namespace

HFONT createCalendarFont(HDC dc, const CalendarStyle& style, int scalePercent) noexcept {
    LOGFONTW lf{};
    const int size = clampInt(style.FtSize, 8, 36);
    lf.lfHeight = -scaleLength(GetDeviceCaps(dc, LOGPIXELSY) * size / 72, scalePercent);
    lf.lfWeight = style.Weight;
    lf.lfItalic = (style.Italic & 1) ? TRUE : FALSE;
    lf.lfCharSet = style.CharSet;
    const std::wstring& face = style.CharSet == 0 ? style.FaceA : style.FaceS;
    // The face field holds 31 characters and the terminator; longer names are cut.
    const size_t n = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    wmemcpy(lf.lfFaceName, face.c_str(), n);
    lf.lfFaceName[n] = L'\0';
    return CreateFontIndirectW(&lf);
}

void drawCalendar(HDC dc, const CalendarStyle& style, const LocalDate& today,
                  const CalendarSurface& surface) noexcept {
    // A font that cannot be created leaves the context's own in use.
    UniqueFont font(createCalendarFont(dc, style, surface.scalePercent));
    SelectGuard useFont(dc, font.get());
    SIZE digits{};
    GetTextExtentPoint32W(dc, L"30", 2, &digits);
    const int space = scaleLength(clampInt(style.DaySpace, 2, 36), surface.scalePercent);
    SelectGuard noFill(dc, GetStockObject(NULL_BRUSH));

    HolidayMarks marks;
    CalendarLayout layout;
    layoutCalendar(style, today, digits.cx + space, digits.cy + space, surface, marks, layout);
    for (int i = 0; i < layout.monthCount; ++i) drawMonth(dc, style, layout, layout.months[i]);
}
