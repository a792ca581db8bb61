// A decoded picture as a device-independent bitmap: 40-byte header, 256-entry
// palette right behind it (together a BITMAPINFO with 256 colours), and a
// pointer to a page-allocated block of bottom-up rows, each padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/page_alloc.h"
#include "image/dib_types.h"

struct LoadedImage {
    dib::BITMAPINFOHEADER header;
    dib::RGBQUAD palette[256];
    uint8_t* bits;
};
static_assert(offsetof(LoadedImage, palette) == 40);
static_assert(offsetof(LoadedImage, bits) == 1064);

// The one process-wide slot for a picture just decoded: the dispatcher hands
// each picture over into it, and whoever works on it next takes it out
// (takeCurrentImage) together with its block.
extern LoadedImage CurrentImage;

// Bytes in one row of `width` pixels at `bitCount` bits, padded to a multiple
// of 4. 0 for an unsupported bit count or a width that does not fit.
uint32_t rowStride(int32_t width, int bitCount) noexcept;

// stride * height, or 0 when it would not fit in 32 bits (or either is 0).
uint32_t pixelBlockSize(int32_t width, int32_t height, int bitCount) noexcept;

// Hands a decoded picture over into CurrentImage: copies the header, the
// palette unless the picture is 24-bit, and takes over `bits`.
void handOverToCurrent(const LoadedImage& image) noexcept;

// A picture that owns its pixel block. record() is laid out as GDI reads it
// (header and palette form the BITMAPINFO), and its bits always point at the
// block held here, which goes when the picture goes. Move-only.
class OwnedImage {
public:
    OwnedImage() noexcept = default;
    // Takes over `record` with its block: whoever handed it over must no
    // longer release record.bits.
    explicit OwnedImage(const LoadedImage& record) noexcept
        : record_(record), block_(PageBlock::adopt(record.bits)) {}
    OwnedImage(OwnedImage&& o) noexcept : record_(o.record_), block_(std::move(o.block_)) {
        o.record_.bits = nullptr;
    }
    OwnedImage& operator=(OwnedImage&& o) noexcept {
        if (this != &o) {
            record_ = o.record_;
            block_ = std::move(o.block_);
            o.record_.bits = nullptr;
        }
        return *this;
    }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;

    const LoadedImage& record() const noexcept { return record_; }
    dib::BITMAPINFOHEADER& header() noexcept { return record_.header; }
    const dib::BITMAPINFOHEADER& header() const noexcept { return record_.header; }
    dib::RGBQUAD* palette() noexcept { return record_.palette; }
    uint8_t* bits() const noexcept { return record_.bits; }
    explicit operator bool() const noexcept { return record_.bits != nullptr; }

    // Puts `pixels`, laid out for width x height at bitCount, in place of
    // the block, which is released; the header takes the three values.
    void replacePixels(PageBlock pixels, int32_t width, int32_t height,
                       uint16_t bitCount) noexcept {
        block_ = std::move(pixels);
        record_.bits = block_.get();
        record_.header.biWidth = width;
        record_.header.biHeight = height;
        record_.header.biBitCount = bitCount;
    }

private:
    LoadedImage record_{};
    PageBlock block_;  // record_.bits == block_.get()
};

// Takes the picture out of CurrentImage: the result holds a copy of the
// record and owns the block; CurrentImage.bits is null from then on.
[[nodiscard]] OwnedImage takeCurrentImage() noexcept;

// No picture side above this is accepted by a decoder or by the scaler.
inline constexpr int32_t kMaxImageSide = 25000;
