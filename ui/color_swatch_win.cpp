#include <windows.h>
#include <commdlg.h>

#include "base/owners_win.h"
#include "ui/color_swatch.h"

namespace {

// One procedure per swatch class: fill the client area with the colour its
// dialog gives, through a brush that lives only for that paint.
template <SwatchColor Which>
LRESULT CALLBACK swatchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
    PaintDc paint(hwnd);
    SwatchQuery query{Which};
    SendMessageW(GetParent(hwnd), kSwatchColorQuery, 0, reinterpret_cast<LPARAM>(&query));
    if (!query.answered || !paint.get()) return 0;
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (UniqueBrush brush{CreateSolidBrush(query.color)}) FillRect(paint.get(), &rc, brush.get());
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
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = c.name;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) ok = false;
    }
    return ok;
}

bool pickColor(HWND owner, ColorRef* color, ColorRef (&custom)[16]) {
    static_assert(sizeof(COLORREF) == sizeof(ColorRef));
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *color & 0xFFFFFF;
    cc.lpCustColors = reinterpret_cast<COLORREF*>(custom);
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorW(&cc)) return false;
    *color = (*color & 0xFF000000u) | (cc.rgbResult & 0xFFFFFF);
    return true;
}
