#include "compose/compose_win.h"

#include <algorithm>
#include <utility>

#include "base/page_alloc.h"
#include "compose/calendar_draw_win.h"
#include "compose/placement.h"
#include "image/convert.h"
#include "image/scale.h"
#include "settings/settings.h"

namespace {

constexpr bool on(uint8_t flag) noexcept { return (flag & 1) != 0; }

// A picture's header and palette as GDI takes them.
const BITMAPINFO* infoOf(const LoadedImage& image) noexcept {
    return reinterpret_cast<const BITMAPINFO*>(&image);
}
const BITMAPINFO* infoOf(const OwnedImage& picture) noexcept { return infoOf(picture.record()); }

// Every drawing below works on a surface of sw x sh at the device context's
// logical origin: the whole bitmap, or one monitor of it.
void drawPlaced(HDC dc, const LoadedImage& picture, const Placement& p, int32_t sw,
                int32_t sh) noexcept {
    if (p.fillMargin) fillMargin(dc, sw, sh);
    StretchDIBits(dc, p.dest.x, p.dest.y, p.dest.width, p.dest.height, p.src.x, p.src.y,
                  p.src.width, p.src.height, picture.bits, infoOf(picture), DIB_RGB_COLORS,
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

// "拡大": our own scaler enlarges the picture (at most twice a direction)
// into a block of its own, so that the picture stays as it is for the next
// monitor; then the rectangle rule places it 1:1 or cropped.
bool drawEnlarged(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    const bool keepAspect = on(g_settings.WpOptS0);
    const bool fitInside = on(g_settings.WpOptS1);
    const PlaceSize target = enlargeTarget(keepAspect, fitInside, sw, sh, iw, ih);

    PageBlock scaled(pixelBlockSize(target.width, target.height, 24));
    ScaleRequest request;
    request.width = iw;
    request.height = ih;
    request.source = picture.bits();
    request.destination = scaled.get();
    if (!scaled || !scaleImage(request, target.width, target.height)) {
        showCompositionFailure();
        return false;
    }
    LoadedImage enlarged = picture.record();
    enlarged.header.biWidth = target.width;
    enlarged.header.biHeight = target.height;
    enlarged.bits = scaled.get();
    drawPlaced(dc, enlarged,
               placeByRule(keepAspect, fitInside, sw, sh, target.width, target.height), sw, sh);
    return true;
}

// "並列": tiles from the top-left corner, the last row and column cut off.
// The first tile is drawn from the picture; the rest are copies of what is
// already on the surface, doubling the covered width, then the height, so a
// tiny picture costs a few dozen copies instead of one call per tile.
void drawTiled(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    SetDIBitsToDevice(dc, 0, 0, iw, ih, 0, 0, 0, ih, picture.bits(), infoOf(picture),
                      DIB_RGB_COLORS);
    GdiFlush();
    // Every copied span is a whole number of tiles wide (or high), so each
    // pixel lands on the one of the same place in its own tile.
    for (int32_t w = iw; w < sw; w *= 2)
        BitBlt(dc, w, 0, std::min(w, sw - w), ih, dc, 0, 0, SRCCOPY);
    for (int32_t h = ih; h < sh; h *= 2)
        BitBlt(dc, 0, h, sw, std::min(h, sh - h), dc, 0, 0, SRCCOPY);
}

bool drawSmall(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    switch (smallPlacement(g_settings.StyleS)) {
        case SmallPlacement::ActualSize:
            drawPlaced(dc, picture.record(), placeCentred(sw, sh, iw, ih), sw, sh);
            return true;
        case SmallPlacement::Enlarge:
            return drawEnlarged(dc, picture, sw, sh);
        case SmallPlacement::Tile:
            drawTiled(dc, picture, sw, sh);
            return true;
    }
    return false;  // a mode read from the file that the program does not know
}

void drawLarge(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    switch (largePlacement(g_settings.StyleB)) {
        case LargePlacement::ActualSize:
            drawPlaced(dc, picture.record(), placeActualSize(sw, sh, iw, ih), sw, sh);
            break;
        case LargePlacement::Shrink:
            drawPlaced(dc, picture.record(),
                       placeByRule(on(g_settings.WpOptB0), on(g_settings.WpOptB1), sw, sh, iw, ih),
                       sw, sh);
            break;
    }
}

// The picture on a surface of sw x sh by the placement rules; false where
// a small picture's mode is unknown or its enlargement fails.
bool drawPicture(HDC dc, const OwnedImage& picture, int32_t sw, int32_t sh) noexcept {
    const int32_t iw = picture.header().biWidth;
    const int32_t ih = picture.header().biHeight;
    if (isSmallPicture(iw, ih, sw, sh)) return drawSmall(dc, picture, sw, sh);
    drawLarge(dc, picture, sw, sh);
    return true;
}

// A picture ready to draw: 24-bit, with sides that make a block (a width
// of 0 would never finish tiling).
bool readyToDraw(OwnedImage& picture) noexcept {
    return picture && convertTo24Bits(picture) &&
           pixelBlockSize(picture.header().biWidth, picture.header().biHeight, 24) != 0;
}

MemoryDc screenCompatibleDc() noexcept {
    WindowDc screen(nullptr);
    return MemoryDc(CreateCompatibleDC(screen.get()));
}

// A memory device context with `wallpaper` selected into it, set up for
// drawing; the section is selected out again before the context goes.
struct DrawingSurface {
    MemoryDc memory;
    SelectGuard use;

    explicit DrawingSurface(const WallpaperBitmap& wallpaper) noexcept
        : memory(screenCompatibleDc()), use(memory.get(), memory ? wallpaper.bitmap() : nullptr) {
        if (!use.selected()) return;
        SetStretchBltMode(memory.get(), HALFTONE);
        SetBrushOrgEx(memory.get(), 0, 0, nullptr);
    }
    bool ready() const noexcept { return memory && use.selected(); }
    HDC dc() const noexcept { return memory.get(); }
};

// Draws on one monitor's rectangle only: the logical origin moves to its
// corner and drawing is clipped to it, until this goes.
class MonitorView {
public:
    MonitorView(HDC dc, const PlaceRect& r) noexcept : dc_(dc) {
        SetViewportOrgEx(dc, r.x, r.y, nullptr);
        SetBrushOrgEx(dc, r.x, r.y, nullptr);
        IntersectClipRect(dc, 0, 0, r.width, r.height);
    }
    ~MonitorView() {
        SelectClipRgn(dc_, nullptr);
        SetViewportOrgEx(dc_, 0, 0, nullptr);
        SetBrushOrgEx(dc_, 0, 0, nullptr);
    }
    MonitorView(const MonitorView&) = delete;
    MonitorView& operator=(const MonitorView&) = delete;

private:
    HDC dc_;
};

}  // namespace

WallpaperBitmap WallpaperBitmap::create(int32_t width, int32_t height) noexcept {
    WallpaperBitmap made;
    made.image_.header = dib::bottomUpHeader(width, height, 24);
    void* pixels = nullptr;
    UniqueBitmap section(
        CreateDIBSection(nullptr, infoOf(made.image_), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!section || !pixels) return {};
    made.section_ = std::move(section);
    made.image_.bits = static_cast<uint8_t*>(pixels);
    return made;
}

void fillMargin(HDC dc, int32_t width, int32_t height) noexcept {
    UniqueBrush brush(CreateSolidBrush(g_settings.BgColor));
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush.get());
}

WallpaperBitmap composeWallpaper() noexcept {
    // The picture leaves the slot here, and its block goes with `picture` on
    // every way out of this function.
    OwnedImage picture = takeCurrentImage();
    const int32_t sw = g_settings.screenWidth;
    const int32_t sh = g_settings.screenHeight;
    if (sw <= 0 || sh <= 0 || !readyToDraw(picture)) return {};

    WallpaperBitmap wallpaper = WallpaperBitmap::create(sw, sh);
    if (!wallpaper) return {};
    // Declared after the section, so the section is selected out again
    // before anything is deleted.
    const DrawingSurface surface(wallpaper);
    if (!surface.ready()) return {};
    HDC dc = surface.dc();
    if (!drawPicture(dc, picture, sw, sh)) return {};
    GdiFlush();
    if (on(g_settings.Calendar))
        drawCalendar(dc, g_settings.cal, g_settings.today,
                     CalendarSurface{sw, sh, g_settings.screenScalePercent});
    GdiFlush();
    return wallpaper;
}

WallpaperBitmap composeMonitorsWallpaper(std::span<OwnedImage> pictures,
                                         const MonitorLayout& layout, bool tiled) noexcept {
    if (pictures.empty() || layout.monitors.empty() || layout.main >= layout.monitors.size())
        return {};
    for (OwnedImage& picture : pictures)
        if (!readyToDraw(picture)) return {};

    WallpaperBitmap wallpaper = WallpaperBitmap::create(layout.width, layout.height);
    if (!wallpaper) return {};
    {
        const DrawingSurface surface(wallpaper);
        if (!surface.ready()) return {};
        HDC dc = surface.dc();
        // Where no monitor lies: the margin colour.
        fillMargin(dc, layout.width, layout.height);
        for (size_t i = 0; i < layout.monitors.size(); ++i) {
            const PlaceRect& r = layout.monitors[i];
            const MonitorView view(dc, r);
            if (!drawPicture(dc, pictures[i % pictures.size()], r.width, r.height)) return {};
            GdiFlush();
        }
        if (on(g_settings.Calendar)) {
            const PlaceRect& r = layout.monitors[layout.main];
            const MonitorView view(dc, r);
            drawCalendar(dc, g_settings.cal, g_settings.today,
                         CalendarSurface{r.width, r.height, g_settings.screenScalePercent});
        }
        GdiFlush();
    }
    if (!tiled) return wallpaper;

    WallpaperBitmap wrapped = WallpaperBitmap::create(layout.width, layout.height);
    if (!wrapped) return {};
    wrapForTiling(wallpaper.image().bits, wrapped.image().bits, layout.width, layout.height,
                  rowStride(layout.width, 24), 3, layout.originX, layout.originY);
    return wrapped;
}
