#include "compose/compose_win.h"

#include <algorithm>

#include "base/owners_win.h"
#include "base/page_alloc.h"
#include "compose/calendar_draw_win.h"
#include "compose/placement.h"
#include "image/convert.h"
#include "image/loaded_image.h"
#include "image/scale.h"
#include "settings/settings.h"

namespace {

constexpr bool on(uint8_t flag) noexcept { return (flag & 1) != 0; }

const BITMAPINFO* currentInfo() noexcept {
    return reinterpret_cast<const BITMAPINFO*>(&CurrentImage);
}

void releaseCurrentBlock() noexcept {
    pageFree(CurrentImage.bits);
    CurrentImage.bits = nullptr;
}

void drawPlaced(HDC dc, const Placement& p) noexcept {
    if (p.fillMargin) fillMargin(dc);
    StretchDIBits(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y,
                  p.src.width, p.src.height, CurrentImage.bits, currentInfo(), DIB_RGB_COLORS,
                  SRCCOPY);
}

// The window our messages belong to: the main window, or the hidden one of a
// headless run; both are of the main class and live on this thread.
BOOL CALLBACK findMainWindow(HWND window, LPARAM found) {
    wchar_t name[32];
    if (GetClassNameW(window, name, 32) && lstrcmpW(name, L"Tolvex_main_class") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void showCompositionFailure() noexcept {
    HWND owner = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMainWindow, reinterpret_cast<LPARAM>(&owner));
    MessageBoxW(owner, L"壁紙作成に失敗しました。", L"Error", MB_ICONERROR | MB_SETFOREGROUND);
}

// "拡大": our own scaler enlarges the picture (at most twice a direction),
// then the rectangle rule places it 1:1 or cropped.
bool drawEnlarged(HDC dc, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = CurrentImage.header.biWidth;
    const int32_t ih = CurrentImage.header.biHeight;
    const bool keepAspect = on(g_settings.WpOptS0);
    const bool fitInside = on(g_settings.WpOptS1);
    const PlaceSize target = enlargeTarget(keepAspect, fitInside, sw, sh, iw, ih);

    PageBlock scaled(pixelBlockSize(target.width, target.height, 24));
    ScaleRequest request;
    request.width = iw;
    request.height = ih;
    request.source = CurrentImage.bits;
    request.destination = scaled.get();
    if (!scaled || !scaleImage(request, target.width, target.height)) {
        showCompositionFailure();
        return false;
    }
    pageFree(CurrentImage.bits);
    CurrentImage.bits = scaled.release();
    CurrentImage.header.biWidth = target.width;
    CurrentImage.header.biHeight = target.height;
    drawPlaced(dc, placeByRule(keepAspect, fitInside, sw, sh, target.width, target.height));
    return true;
}

// "並列": tiles from the top-left corner, the last row and column cut off.
// The first tile is drawn from the picture; the rest are copies of what is
// already on the surface, doubling the covered width, then the height, so a
// tiny picture costs a few dozen copies instead of one call per tile.
void drawTiled(HDC dc, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = CurrentImage.header.biWidth;
    const int32_t ih = CurrentImage.header.biHeight;
    SetDIBitsToDevice(dc, 0, 0, iw, ih, 0, 0, 0, ih, CurrentImage.bits, currentInfo(),
                      DIB_RGB_COLORS);
    GdiFlush();
    // Every copied span is a whole number of tiles wide (or high), so each
    // pixel lands on the one of the same place in its own tile.
    for (int32_t w = iw; w < sw; w *= 2)
        BitBlt(dc, w, 0, std::min(w, sw - w), ih, dc, 0, 0, SRCCOPY);
    for (int32_t h = ih; h < sh; h *= 2)
        BitBlt(dc, 0, h, sw, std::min(h, sh - h), dc, 0, 0, SRCCOPY);
}

bool drawSmall(HDC dc, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = CurrentImage.header.biWidth;
    const int32_t ih = CurrentImage.header.biHeight;
    switch (g_settings.StyleS) {
        case 0:
            drawPlaced(dc, placeCentred(sw, sh, iw, ih));
            return true;
        case 1:
            return drawEnlarged(dc, sw, sh);
        case 2:
            drawTiled(dc, sw, sh);
            return true;
        default:
            return false;  // an unknown mode read from the file
    }
}

void drawLarge(HDC dc, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = CurrentImage.header.biWidth;
    const int32_t ih = CurrentImage.header.biHeight;
    if (on(g_settings.StyleB))
        drawPlaced(dc, placeByRule(on(g_settings.WpOptB0), on(g_settings.WpOptB1), sw, sh, iw, ih));
    else
        drawPlaced(dc, placeActualSize(sw, sh, iw, ih));
}

}  // namespace

void fillMargin(HDC dc) noexcept {
    UniqueBrush brush(CreateSolidBrush(g_settings.BgColor));
    const RECT all{0, 0, g_settings.screenWidth, g_settings.screenHeight};
    FillRect(dc, &all, brush.get());
}

HBITMAP composeWallpaper() noexcept {
    const int32_t sw = g_settings.screenWidth;
    const int32_t sh = g_settings.screenHeight;
    if (!CurrentImage.bits || sw <= 0 || sh <= 0 || !convertTo24Bits(CurrentImage)) {
        releaseCurrentBlock();
        return nullptr;
    }

    BITMAPINFO screenInfo{};
    screenInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    screenInfo.bmiHeader.biWidth = sw;
    screenInfo.bmiHeader.biHeight = sh;
    screenInfo.bmiHeader.biPlanes = 1;
    screenInfo.bmiHeader.biBitCount = 24;
    void* pixels = nullptr;
    UniqueBitmap section(
        CreateDIBSection(nullptr, &screenInfo, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!section || !pixels) {
        releaseCurrentBlock();
        return nullptr;
    }

    MemoryDc memory;
    {
        WindowDc screen(nullptr);
        memory = MemoryDc(CreateCompatibleDC(screen.get()));
    }
    if (!memory) {
        releaseCurrentBlock();
        return nullptr;
    }
    {
        SelectGuard useSection(memory.get(), section.get());
        if (!useSection.selected()) {
            releaseCurrentBlock();
            return nullptr;
        }
        HDC dc = memory.get();
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);

        const int32_t iw = CurrentImage.header.biWidth;
        const int32_t ih = CurrentImage.header.biHeight;
        if (isSmallPicture(iw, ih, sw, sh)) {
            if (!drawSmall(dc, sw, sh)) {
                releaseCurrentBlock();
                return nullptr;
            }
        } else {
            drawLarge(dc, sw, sh);
        }
        GdiFlush();
        if (on(g_settings.Calendar)) drawCalendar(dc, g_settings.cal, g_settings.today);
        GdiFlush();
    }

    releaseCurrentBlock();
    dib::BITMAPINFOHEADER& h = CurrentImage.header;
    h.biWidth = sw;
    h.biHeight = sh;
    h.biBitCount = 24;
    h.biPlanes = 1;
    h.biCompression = 0;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = 0;
    h.biYPelsPerMeter = 0;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    CurrentImage.bits = static_cast<uint8_t*>(pixels);
    return section.release();
}
