#include "image/bmp_file.h"

#include <cstring>

#include "base/output_file.h"
#include "image/loaded_image.h"

namespace {

constexpr uint32_t kFixedHeaderBytes = 14 + 40;

uint32_t paletteEntries(int bitCount) noexcept { return bitCount == 24 ? 0 : (1u << bitCount); }

void put16(uint8_t* p, uint32_t v) noexcept {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v) noexcept {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

}  // namespace

uint32_t bmpHeaderBytes(const dib::BITMAPINFOHEADER& header) noexcept {
    if (pixelBlockSize(header.biWidth, header.biHeight, header.biBitCount) == 0) return 0;
    return kFixedHeaderBytes + 4 * paletteEntries(header.biBitCount);
}

uint32_t bmpFileBytes(const dib::BITMAPINFOHEADER& header) noexcept {
    const uint32_t head = bmpHeaderBytes(header);
    if (head == 0) return 0;
    const uint32_t pixels = pixelBlockSize(header.biWidth, header.biHeight, header.biBitCount);
    if (pixels > 0xFFFFFFFFu - head) return 0;
    return head + pixels;
}

bool buildBmpHeaders(const dib::BITMAPINFOHEADER& header, const dib::RGBQUAD* palette, uint8_t* out,
                     size_t outSize) noexcept {
    const uint32_t head = bmpHeaderBytes(header);
    const uint32_t total = bmpFileBytes(header);
    if (head == 0 || total == 0 || !out || outSize < head) return false;
    const uint32_t entries = paletteEntries(header.biBitCount);
    if (entries && !palette) return false;
    // File header.
    out[0] = 'B';
    out[1] = 'M';
    put32(out + 2, total);
    put32(out + 6, 0);  // two reserved words
    put32(out + 10, head);
    // Info header.
    uint8_t* ih = out + 14;
    put32(ih + 0, 40);
    put32(ih + 4, static_cast<uint32_t>(header.biWidth));
    put32(ih + 8, static_cast<uint32_t>(header.biHeight));
    put16(ih + 12, 1);
    put16(ih + 14, header.biBitCount);
    put32(ih + 16, 0);  // uncompressed
    put32(ih + 20, 0);  // image size: 0 is allowed for uncompressed files
    put32(ih + 24, static_cast<uint32_t>(header.biXPelsPerMeter));
    put32(ih + 28, static_cast<uint32_t>(header.biYPelsPerMeter));
    put32(ih + 32, 0);  // all 2^bits colours present
    put32(ih + 36, 0);
    if (entries) std::memcpy(out + kFixedHeaderBytes, palette, 4 * size_t{entries});
    return true;
}

bool buildBmpFile(const dib::BITMAPINFOHEADER& header, const dib::RGBQUAD* palette,
                  const uint8_t* bits, uint8_t* out, size_t outSize) noexcept {
    const uint32_t total = bmpFileBytes(header);
    if (total == 0 || outSize < total || !bits) return false;
    if (!buildBmpHeaders(header, palette, out, outSize)) return false;
    const uint32_t head = bmpHeaderBytes(header);
    std::memcpy(out + head, bits, total - head);
    return true;
}

bool writeBmpFile(const wchar_t* path, const dib::BITMAPINFOHEADER& header,
                  const dib::RGBQUAD* palette, const uint8_t* bits) noexcept {
    uint8_t head[kFixedHeaderBytes + 1024];
    if (!bits || !buildBmpHeaders(header, palette, head, sizeof head)) return false;
    const uint32_t headBytes = bmpHeaderBytes(header);
    const uint32_t pixels = bmpFileBytes(header) - headBytes;
    OutputFile file;
    if (!file.create(path)) return false;
    const bool written = file.write(head, headBytes) && file.write(bits, pixels);
    return file.close() && written;
}
