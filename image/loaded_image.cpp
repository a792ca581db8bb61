#include "image/loaded_image.h"

#include <cstring>

LoadedImage CurrentImage{};

uint32_t rowStride(int32_t width, int bitCount) noexcept {
    if (width <= 0 || width > kMaxImageSide) return 0;
    uint32_t w = static_cast<uint32_t>(width);
    uint32_t bytes;
    switch (bitCount) {
        case 1:
            bytes = (w + 7) / 8;
            break;
        case 4:
            bytes = (w + 1) / 2;
            break;
        case 8:
            bytes = w;
            break;
        case 24:
            bytes = w * 3;
            break;
        default:
            return 0;
    }
    return (bytes + 3) & ~3u;
}

uint32_t pixelBlockSize(int32_t width, int32_t height, int bitCount) noexcept {
    const uint32_t stride = rowStride(width, bitCount);
    if (stride == 0 || height <= 0 || height > kMaxImageSide) return 0;
    const uint64_t size = uint64_t{stride} * static_cast<uint32_t>(height);
    return size > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(size);
}

void handOverToCurrent(const LoadedImage& image) noexcept {
    std::memcpy(&CurrentImage.header, &image.header, sizeof image.header);
    if (image.header.biBitCount != 24)
        std::memcpy(CurrentImage.palette, image.palette, sizeof image.palette);
    CurrentImage.bits = image.bits;
}

OwnedImage takeCurrentImage() noexcept {
    OwnedImage taken(CurrentImage);
    CurrentImage.bits = nullptr;
    return taken;
}
