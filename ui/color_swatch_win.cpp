#include <windows.h>
#include <commdlg.h>

#include "ui/color_swatch.h"

namespace {

const CalendarStyle* g_swatchSource = nullptr;

const CalendarStyle& calendarSource() { return g_swatchSource ? *g_swatchSource : g_settings.cal; }

// The colour each swatch stands for, read at paint time.
enum class SwatchColor {
    YearMonth,
    Weekday,
    Saturday,
    Sunday,
    Holiday,
    TextShadow,
    TodayPen,
    Margin
};

ColorRef currentColor(SwatchColor which) {
    const CalendarStyle& cal = calendarSource();
    switch (which) {
        case SwatchColor::YearMonth:
            return cal.YearMonth;
        case SwatchColor::Weekday:
            return cal.Weekday;
        case SwatchColor::Saturday:
            return cal.Saturday;
        case SwatchColor::Sunday:
            return cal.Sunday;
        case SwatchColor::Holiday:
            return cal.Holiday;
        case SwatchColor::TextShadow:
            return cal.TextShadow;
        case SwatchColor::TodayPen:
            return cal.TodayPen;
        case SwatchColor::Margin:
            return g_settings.BgColor;
    }
    return 0;
}

// One procedure per swatch class: fill the client area with the colour,
// through a brush that lives only for that paint.
template <SwatchColor Which>
LRESULT CALLBACK swatchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (HBRUSH brush = CreateSolidBrush(currentColor(Which))) {
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

struct SwatchClass {
    const wchar_t* name;
    WNDPROC proc;
};

const SwatchClass kSwatchClasses[] = {
    {L"Tolvex_ccymcb_wproc", swatchProc<SwatchColor::YearMonth>},
    {L"Tolvex_ccdaycb_wproc", swatchProc<SwatchColor::Weekday>},
    {L"Tolvex_ccsatcb_wproc", swatchProc<SwatchColor::Saturday>},
    {L"Tolvex_ccsuncb_wproc", swatchProc<SwatchColor::Sunday>},
    {L"Tolvex_ccholcb_wproc", swatchProc<SwatchColor::Holiday>},
    {L"Tolvex_ccshdcb_wproc", swatchProc<SwatchColor::TextShadow>},
    {L"Tolvex_ccrndcb_wproc", swatchProc<SwatchColor::TodayPen>},
    {L"Tolvex_wpbg_wproc", swatchProc<SwatchColor::Margin>},
};

}  // namespace

bool registerSwatchClasses(HINSTANCE instance) {
    bool ok = true;
    for (const SwatchClass& c : kSwatchClasses) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = c.name;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) ok = false;
    }
    return ok;
}

void setCalendarSwatchSource(const CalendarStyle* style) { g_swatchSource = style; }

bool pickColor(HWND owner, ColorRef* color) {
    static_assert(sizeof(COLORREF) == sizeof(ColorRef));
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *color & 0xFFFFFF;
    cc.lpCustColors = reinterpret_cast<COLORREF*>(g_settings.CRGB);
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return false;
    *color = (*color & 0xFF000000u) | (cc.rgbResult & 0xFFFFFF);
    return true;
}
