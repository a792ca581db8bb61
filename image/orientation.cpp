#include "image/orientation.h"

#include <cstddef>
#include <cstring>

namespace {

// Where a stored pixel comes from: for the upright pixel (x, y), counted
// from the top-left, the stored one is (x0 + xx * x + xy * y,
// y0 + yx * x + yy * y), also from the top-left.
struct SourceMap {
    int64_t x0, xx, xy;
    int64_t y0, yx, yy;
};

SourceMap sourceMap(Orientation o, int64_t w, int64_t h) noexcept {
    switch (o) {
        case Orientation::MirrorHorizontal:
            return {w - 1, -1, 0, 0, 0, 1};
        case Orientation::Rotate180:
            return {w - 1, -1, 0, h - 1, 0, -1};
        case Orientation::MirrorVertical:
            return {0, 1, 0, h - 1, 0, -1};
        case Orientation::Transpose:
            return {0, 0, 1, 0, 1, 0};
        case Orientation::Rotate90:
            return {0, 0, 1, h - 1, -1, 0};
        case Orientation::Transverse:
            return {w - 1, 0, -1, h - 1, -1, 0};
        case Orientation::Rotate270:
            return {w - 1, 0, -1, 0, 1, 0};
        case Orientation::Normal:
            break;
    }
    return {0, 1, 0, 0, 0, 1};
}

// Whole-byte pixels: a pointer walk with one byte step along an upright row.
void moveBytes(const uint8_t* src, uint32_t srcStride, int32_t srcHeight, uint8_t* dst,
               uint32_t dstStride, int32_t width, int32_t height, const SourceMap& m,
               int bytes) noexcept {
    // Stored row y (from the top) begins at src + (srcHeight - 1 - y) * srcStride.
    const ptrdiff_t stepX = static_cast<ptrdiff_t>(m.xx * bytes - m.yx * int64_t{srcStride});
    for (int32_t y = 0; y < height; ++y) {
        const int64_t sx = m.x0 + m.xy * y, sy = m.y0 + m.yy * y;
        const uint8_t* s = src + (srcHeight - 1 - sy) * int64_t{srcStride} + sx * bytes;
        uint8_t* d = dst + size_t(height - 1 - y) * dstStride;
        if (bytes == 3) {
            for (int32_t x = 0; x < width; ++x, s += stepX, d += 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        } else {
            for (int32_t x = 0; x < width; ++x, s += stepX) *d++ = *s;
        }
    }
}

// 1- and 4-bit pixels, most significant first in each byte: one at a time.
void moveBits(const uint8_t* src, uint32_t srcStride, int32_t srcHeight, uint8_t* dst,
              uint32_t dstStride, int32_t width, int32_t height, const SourceMap& m,
              int bits) noexcept {
    const unsigned mask = (1u << bits) - 1;
    const int perByte = 8 / bits;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* d = dst + size_t(height - 1 - y) * dstStride;
        for (int32_t x = 0; x < width; ++x) {
            const int64_t sx = m.x0 + m.xx * x + m.xy * y, sy = m.y0 + m.yx * x + m.yy * y;
            const uint8_t* row = src + (srcHeight - 1 - sy) * int64_t{srcStride};
            const int shiftIn = 8 - bits * (1 + static_cast<int>(sx % perByte));
            const unsigned v = (row[sx / perByte] >> shiftIn) & mask;
            const int shiftOut = 8 - bits * (1 + x % perByte);
            d[x / perByte] = static_cast<uint8_t>(d[x / perByte] | (v << shiftOut));
        }
    }
}

}  // namespace

Orientation orientationFromValue(uint32_t value) noexcept {
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : Orientation::Normal;
}

bool applyOrientation(LoadedImage& image, Orientation o) noexcept {
    if (o == Orientation::Normal) return true;
    const int bits = image.header.biBitCount;
    const int32_t w = image.header.biWidth, h = image.header.biHeight;
    const uint32_t srcStride = rowStride(w, bits);
    if (!image.bits || srcStride == 0 || pixelBlockSize(w, h, bits) == 0) return false;
    int32_t outW = w, outH = h;
    uprightSize(o, outW, outH);
    const uint32_t dstStride = rowStride(outW, bits);
    const uint32_t size = pixelBlockSize(outW, outH, bits);
    if (size == 0) return false;
    PageBlock block(size);
    if (!block) return false;
    const SourceMap m = sourceMap(o, w, h);
    if (bits >= 8)
        moveBytes(image.bits, srcStride, h, block.get(), dstStride, outW, outH, m, bits / 8);
    else
        moveBits(image.bits, srcStride, h, block.get(), dstStride, outW, outH, m, bits);
    pageFree(image.bits);
    image.bits = block.release();
    image.header.biWidth = outW;
    image.header.biHeight = outH;
    image.header.biSizeImage = 0;
    if (swapsSides(o)) {
        const int32_t xRes = image.header.biXPelsPerMeter;
        image.header.biXPelsPerMeter = image.header.biYPelsPerMeter;
        image.header.biYPelsPerMeter = xRes;
    }
    return true;
}
