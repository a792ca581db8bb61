#include "compose/monitor_layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The largest side the bitmap may have: beyond it the pixel block would not
// fit in 32 bits anyway.
constexpr int64_t kMaxSide = 32767;

int32_t wrapped(int64_t v, int32_t n) noexcept {
    const int64_t r = v % n;
    return static_cast<int32_t>(r < 0 ? r + n : r);
}

}  // namespace

MonitorLayout layoutMonitors(std::span<const MonitorRect> monitors) noexcept {
    std::vector<MonitorRect> kept;
    for (const MonitorRect& m : monitors)
        if (m.width > 0 && m.height > 0) kept.push_back(m);
    if (kept.empty()) return {};
    std::stable_sort(kept.begin(), kept.end(), [](const MonitorRect& a, const MonitorRect& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });

    int64_t left = std::numeric_limits<int64_t>::max(), top = left;
    int64_t right = std::numeric_limits<int64_t>::min(), bottom = right;
    for (const MonitorRect& m : kept) {
        left = std::min<int64_t>(left, m.x);
        top = std::min<int64_t>(top, m.y);
        right = std::max<int64_t>(right, int64_t{m.x} + m.width);
        bottom = std::max<int64_t>(bottom, int64_t{m.y} + m.height);
    }
    if (right - left > kMaxSide || bottom - top > kMaxSide) return {};

    MonitorLayout layout;
    layout.width = static_cast<int32_t>(right - left);
    layout.height = static_cast<int32_t>(bottom - top);
    auto marked =
        std::find_if(kept.begin(), kept.end(), [](const MonitorRect& m) { return m.main; });
    if (marked == kept.end())
        marked = std::find_if(kept.begin(), kept.end(),
                              [](const MonitorRect& m) { return m.x == 0 && m.y == 0; });
    layout.main = marked == kept.end() ? 0 : static_cast<size_t>(marked - kept.begin());
    for (const MonitorRect& m : kept)
        layout.monitors.push_back(
            {static_cast<int32_t>(m.x - left), static_cast<int32_t>(m.y - top), m.width, m.height});
    // The tiled arrangement puts desktop 0, 0 at the bitmap's origin: the
    // main monitor's corner where the system keeps it there.
    layout.originX = static_cast<int32_t>(-left);
    layout.originY = static_cast<int32_t>(-top);
    return layout;
}

bool spansMonitors(const Settings& s) noexcept {
    return (s.Monitors == kMonitorsSame || s.Monitors == kMonitorsEach) && s.monitors.size() > 1;
}

int picturesPerChange(const Settings& s) noexcept {
    if (!spansMonitors(s) || s.Monitors != kMonitorsEach) return 1;
    const size_t n = layoutMonitors(s.monitors).monitors.size();
    return n > 1 ? static_cast<int>(n) : 1;
}

void wrapForTiling(const uint8_t* from, uint8_t* to, int32_t width, int32_t height, uint32_t stride,
                   int bytesPerPixel, int32_t originX, int32_t originY) noexcept {
    if (!from || !to || width <= 0 || height <= 0 || bytesPerPixel <= 0) return;
    const int32_t dx = wrapped(originX, width);
    const int32_t dy = wrapped(originY, height);
    const size_t bpp = static_cast<size_t>(bytesPerPixel);
    const size_t headBytes = static_cast<size_t>(width - dx) * bpp;  // from dx to the end
    const size_t tailBytes = static_cast<size_t>(dx) * bpp;
    for (int32_t r = 0; r < height; ++r) {
        const int32_t sourceRow = (r + dy) % height;
        // Bottom-up: the top row is the block's last.
        const uint8_t* src = from + static_cast<size_t>(height - 1 - sourceRow) * stride;
        uint8_t* dst = to + static_cast<size_t>(height - 1 - r) * stride;
        std::memcpy(dst, src + tailBytes, headBytes);
        std::memcpy(dst + headBytes, src, tailBytes);
    }
}
