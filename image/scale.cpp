#include "image/scale.h"

#include <cstring>

#include "base/page_alloc.h"
#include "image/loaded_image.h"

namespace {

// Output sample k sits at source position k * step (16.16), starting exactly
// on source sample 0; from the last source sample on, the output repeats it.
inline uint32_t stepFor(uint32_t from, uint32_t to) noexcept { return (from << 16) / to; }

inline uint8_t blend(uint32_t a, uint32_t b, uint32_t f) noexcept {
    return static_cast<uint8_t>((a * (65536 - f) + b * f) >> 16);
}

// Along every row: w source pixels become tw destination pixels. Every row
// takes the same samples, so where each output pixel reads and with what
// weight is worked out once; the samples that only repeat the last source
// pixel form the tail.
bool horizontalPass(const uint8_t* src, uint32_t w, uint32_t h, uint8_t* dst,
                    uint32_t tw) noexcept {
    if (tw > 2 * w) return false;
    struct Sample {
        uint32_t offset;  // byte offset of source pixel i in its row
        uint32_t f;       // weight of pixel i + 1, 0..65535
    };
    PageBlock table(sizeof(Sample) * tw);
    if (!table) return false;
    auto* samples = reinterpret_cast<Sample*>(table.get());
    const uint32_t step = stepFor(w, tw);
    uint32_t blended = 0;  // samples before the tail
    uint32_t pos = 0;
    for (uint32_t k = 0; k < tw; ++k, pos += step) {
        const uint32_t i = pos >> 16;
        samples[k] = {3 * i, pos & 0xFFFF};
        if (i < w - 1) blended = k + 1;
    }
    const uint32_t srcStride = rowStride(static_cast<int32_t>(w), 24);
    const uint32_t dstStride = rowStride(static_cast<int32_t>(tw), 24);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + size_t{y} * srcStride;
        uint8_t* d = dst + size_t{y} * dstStride;
        for (uint32_t k = 0; k < blended; ++k, d += 3) {
            const uint8_t* p = s + samples[k].offset;
            const uint32_t f = samples[k].f;
            d[0] = blend(p[0], p[3], f);
            d[1] = blend(p[1], p[4], f);
            d[2] = blend(p[2], p[5], f);
        }
        const uint8_t* last = s + 3 * (w - 1);
        for (uint32_t k = blended; k < tw; ++k, d += 3) {
            d[0] = last[0];
            d[1] = last[1];
            d[2] = last[2];
        }
    }
    return true;
}

// Along every column: h source rows become th destination rows of the same
// width. Worked row by row, which gives the same samples as column by column.
bool verticalPass(const uint8_t* src, uint32_t w, uint32_t h, uint8_t* dst, uint32_t th) noexcept {
    if (th > 2 * h) return false;
    const uint32_t stride = rowStride(static_cast<int32_t>(w), 24);
    const uint32_t bytes = 3 * w;
    const uint32_t step = stepFor(h, th);
    uint32_t pos = 0;
    for (uint32_t k = 0; k < th; ++k, pos += step) {
        const uint32_t i = pos >> 16;
        const uint8_t* a = src + size_t{i} * stride;
        uint8_t* d = dst + size_t{k} * stride;
        if (i < h - 1) {
            const uint8_t* b = a + stride;
            const uint32_t f = pos & 0xFFFF;
            for (uint32_t x = 0; x < bytes; ++x) d[x] = blend(a[x], b[x], f);
        } else {
            std::memcpy(d, a, bytes);
        }
    }
    return true;
}

inline bool sideOk(int32_t v) noexcept { return v >= 1 && v <= kMaxImageSide; }

}  // namespace

bool scaleImage(const ScaleRequest& request, int32_t targetWidth, int32_t targetHeight) noexcept {
    if (!sideOk(targetWidth) || !sideOk(targetHeight)) return false;
    if (!sideOk(request.width) || !sideOk(request.height)) return false;
    if (!request.source || !request.destination) return false;
    const uint32_t w = static_cast<uint32_t>(request.width);
    const uint32_t h = static_cast<uint32_t>(request.height);
    const uint32_t tw = static_cast<uint32_t>(targetWidth);
    const uint32_t th = static_cast<uint32_t>(targetHeight);
    if (th == h) {
        if (tw == w) return false;
        return horizontalPass(request.source, w, h, request.destination, tw);
    }
    if (tw == w) return verticalPass(request.source, w, h, request.destination, th);
    // Both directions: refuse before doing any work when either would fail.
    if (tw > 2 * w || th > 2 * h) return false;
    PageBlock temp(pixelBlockSize(request.width, targetHeight, 24));
    if (!temp) return false;
    return verticalPass(request.source, w, h, temp.get(), th) &&
           horizontalPass(temp.get(), w, th, request.destination, tw);
}
