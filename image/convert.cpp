#include "image/convert.h"

#include <cstring>
#include <utility>

#include "base/page_alloc.h"

bool layoutDepthJob(DepthJob& job) noexcept {
    job.dstRowBytes = job.dstStride = job.dstSize = 0;
    const uint32_t stride = rowStride(job.width, job.dstBits);
    const uint32_t size = pixelBlockSize(job.width, job.height, job.dstBits);
    if (stride == 0 || size == 0) return false;
    const uint32_t w = static_cast<uint32_t>(job.width);
    switch (job.dstBits) {
        case 1:
            job.dstRowBytes = (w + 7) / 8;
            break;
        case 4:
            job.dstRowBytes = (w + 1) / 2;
            break;
        case 8:
            job.dstRowBytes = w;
            break;
        default:
            job.dstRowBytes = 3 * w;
            break;
    }
    job.dstStride = stride;
    job.dstSize = size;
    return true;
}

namespace {

// The palette index of pixel x in a 1-, 4- or 8-bit row: 1-bit rows hold the
// leftmost pixel in the most significant bit, 4-bit rows in the high nibble.
inline uint8_t indexAt(const uint8_t* row, uint32_t x, int bits) noexcept {
    switch (bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default:
            return row[x];
    }
}

void expandRowTo8(uint8_t* d, const uint8_t* row, uint32_t w, int bits) noexcept {
    uint32_t x = 0;
    if (bits == 1) {
        for (; x + 8 <= w; x += 8) {
            const uint8_t b = row[x >> 3];
            for (int k = 0; k < 8; ++k) d[x + k] = (b >> (7 - k)) & 1;
        }
    } else {
        for (; x + 2 <= w; x += 2) {
            const uint8_t b = row[x >> 1];
            d[x] = b >> 4;
            d[x + 1] = b & 0x0F;
        }
    }
    for (; x < w; ++x) d[x] = indexAt(row, x, bits);
}

template <int bits>
void expandRowTo24(uint8_t* d, const uint8_t* row, uint32_t w, const dib::RGBQUAD* pal) noexcept {
    for (uint32_t x = 0; x < w; ++x, d += 3) {
        const dib::RGBQUAD& c = pal[indexAt(row, x, bits)];
        d[0] = c.rgbBlue;
        d[1] = c.rgbGreen;
        d[2] = c.rgbRed;
    }
}

}  // namespace

bool convertDepth(dib::RGBQUAD* dstPalette, uint8_t* dst, const DepthJob& job,
                  const dib::RGBQUAD* srcPalette, const uint8_t* src) noexcept {
    const int from = job.srcBits, to = job.dstBits;
    const bool to8 = to == 8 && (from == 1 || from == 4);
    const bool to24 = to == 24 && (from == 1 || from == 4 || from == 8);
    if (!to8 && !to24) return false;
    if (!dst || !src || !srcPalette || (to8 && !dstPalette)) return false;
    // A job whose layout does not match its size would write past the block.
    DepthJob check = job;
    if (!layoutDepthJob(check) || check.dstStride != job.dstStride || check.dstSize != job.dstSize)
        return false;
    const uint32_t srcStride = rowStride(job.width, from);
    const uint32_t w = static_cast<uint32_t>(job.width);
    const uint32_t h = static_cast<uint32_t>(job.height);
    if (to8) std::memcpy(dstPalette, srcPalette, sizeof(dib::RGBQUAD) * (from == 1 ? 2 : 16));
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + size_t{y} * srcStride;
        uint8_t* d = dst + size_t{y} * job.dstStride;
        if (to8)
            expandRowTo8(d, s, w, from);
        else if (from == 1)
            expandRowTo24<1>(d, s, w, srcPalette);
        else if (from == 4)
            expandRowTo24<4>(d, s, w, srcPalette);
        else
            expandRowTo24<8>(d, s, w, srcPalette);
    }
    return true;
}

bool convertTo24Bits(OwnedImage& image) noexcept {
    const dib::BITMAPINFOHEADER& h = image.header();
    if (h.biBitCount == 24) return true;
    DepthJob job{h.biWidth, h.biHeight, h.biBitCount, 24};
    if (!layoutDepthJob(job)) return false;
    PageBlock block(job.dstSize);
    if (!block || !convertDepth(nullptr, block.get(), job, image.palette(), image.bits()))
        return false;
    image.replacePixels(std::move(block), job.width, job.height, 24);
    return true;
}
