#include "app/screen_size.h"

#include <cstdlib>

void applyScreenMeasure(Settings& settings, const ScreenMeasure& m) noexcept {
    int32_t lw = m.logicalWidth, lh = m.logicalHeight;
    const int32_t pw = m.physicalWidth, ph = m.physicalHeight;
    if (lw <= 0 || lh <= 0) {
        lw = pw > 0 ? pw : 0;
        lh = ph > 0 ? ph : 0;
    }
    settings.logicalScreenWidth = lw;
    settings.logicalScreenHeight = lh;
    settings.screenWidth = lw;
    settings.screenHeight = lh;
    settings.screenScalePercent = 100;
    if (pw <= 0 || ph <= 0 || lw <= 0 || lh <= 0 || pw < lw || ph < lh) return;
    // The same shape within a pixel or so of rounding on each side: the
    // system rounds the logical size down or to the nearest pixel.
    const int64_t cross = static_cast<int64_t>(pw) * lh - static_cast<int64_t>(ph) * lw;
    if (std::llabs(cross) > static_cast<int64_t>(pw) + ph) return;
    settings.screenWidth = pw;
    settings.screenHeight = ph;
    settings.screenScalePercent = static_cast<int>((static_cast<int64_t>(pw) * 100 + lw / 2) / lw);
}
