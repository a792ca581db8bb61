#include "compose/placement.h"

// Every halving truncates toward zero, every floating-point value becomes an
// integer by truncation, and ratios are taken in double precision, so the
// same picture lands on the same pixels on every run.

Placement placeCentred(int32_t sw, int32_t sh, int32_t iw, int32_t ih) noexcept {
    Placement p;
    p.dest = {(sw - iw) / 2, (sh - ih) / 2, iw, ih};
    p.src = {0, 0, iw, ih};
    p.fillMargin = true;
    return p;
}

namespace {
// One axis of the actual-size rule: a picture longer than the screen shows
// its middle part from the screen's edge; a shorter one sits in the middle.
void placeAxisActualSize(int32_t screen, int32_t image, int32_t& destPos, int32_t& destLen,
                         int32_t& srcPos, int32_t& srcLen) noexcept {
    if (image > screen) {
        destPos = 0;
        srcPos = (image - screen) / 2;
        destLen = srcLen = screen;
    } else {
        destPos = (screen - image) / 2;
        srcPos = 0;
        destLen = srcLen = image;
    }
}
}  // namespace

Placement placeActualSize(int32_t sw, int32_t sh, int32_t iw, int32_t ih) noexcept {
    Placement p;
    placeAxisActualSize(sw, iw, p.dest.x, p.dest.width, p.src.x, p.src.width);
    placeAxisActualSize(sh, ih, p.dest.y, p.dest.height, p.src.y, p.src.height);
    p.fillMargin = p.dest.width < sw || p.dest.height < sh;
    return p;
}

Placement placeByRule(bool keepAspect, bool fitInside, int32_t sw, int32_t sh, int32_t iw,
                      int32_t ih) noexcept {
    Placement p;
    if (!keepAspect || iw <= 0 || ih <= 0 || sw <= 0 || sh <= 0) {
        p.dest = {0, 0, sw, sh};
        p.src = {0, 0, iw, ih};
        return p;
    }
    const double h = static_cast<double>(sh) / ih;
    const double l = static_cast<double>(sw) / iw;
    if (fitInside) {
        p.src = {0, 0, iw, ih};
        if (h > l) {
            const auto m = static_cast<int32_t>(l * ih + 0.5);
            p.dest = {0, (sh - m) / 2, sw, m};
            p.fillMargin = m < sh;
        } else {
            const auto m = static_cast<int32_t>(iw * h + 0.5);
            p.dest = {(sw - m) / 2, 0, m, sh};
            p.fillMargin = m < sw;
        }
    } else {
        p.dest = {0, 0, sw, sh};
        if (h > l) {
            const auto w = static_cast<int32_t>(int64_t{ih} * sw / sh);
            p.src = {(iw - w) / 2, 0, w, ih};
        } else {
            const auto v = static_cast<int32_t>(int64_t{iw} * sh / sw);
            p.src = {0, (ih - v) / 2, iw, v};
        }
    }
    return p;
}

PlaceSize enlargeTarget(bool keepAspect, bool fitInside, int32_t sw, int32_t sh, int32_t iw,
                        int32_t ih) noexcept {
    if (!keepAspect || iw <= 0 || ih <= 0) return {sw, sh};
    const double f = static_cast<double>(sw) / iw;
    const double g = static_cast<double>(sh) / ih;
    // Whole picture inside: the smaller factor wins; screen covered: the larger.
    const bool byHeight = fitInside ? g <= f : g > f;
    if (byHeight) return {static_cast<int32_t>(iw * g), sh};
    return {sw, static_cast<int32_t>(ih * f)};
}
