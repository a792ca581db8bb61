#include "decode/webp_container.h"

#include "image/loaded_image.h"

namespace {

uint32_t le32(const uint8_t* p) noexcept {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint32_t le24(const uint8_t* p) noexcept {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

}  // namespace

DecodeError walkWebp(const uint8_t* data, size_t size, WebpLayout& layout) noexcept {
    layout = WebpLayout{};
    if (!data || size < 12) return DecodeError::Truncated;
    if (le32(data) != kRiff || le32(data + 8) != kWebp) return DecodeError::BadSignature;
    const uint32_t riffSize = le32(data + 4);
    if (riffSize < 4 + 8) return DecodeError::MissingImageData;
    if (riffSize > size - 8) return DecodeError::Truncated;
    layout.riffEnd = size_t{riffSize} + 8;
    bool image = false;
    // Each chunk takes at least its 8-byte header, so the walk ends.
    for (size_t pos = 12; pos < layout.riffEnd;) {
        if (layout.riffEnd - pos < 8) return DecodeError::DataOutsideFile;
        const uint32_t id = le32(data + pos);
        const uint32_t length = le32(data + pos + 4);
        const uint8_t* payload = data + pos + 8;
        if (length > layout.riffEnd - pos - 8) return DecodeError::DataOutsideFile;
        if (id == kVp8x) {
            if (pos != 12 || length < kVp8xSize) return DecodeError::BadHeader;
            layout.hasCanvas = true;
            layout.canvasWidth = static_cast<int32_t>(le24(payload + 4) + 1);
            layout.canvasHeight = static_cast<int32_t>(le24(payload + 7) + 1);
            if (layout.canvasWidth > kMaxImageSide || layout.canvasHeight > kMaxImageSide)
                return DecodeError::SideOutOfRange;
        } else if (id == kVp8 || id == kVp8l || id == kAnmf) {
            image = true;
        } else if (id == kExif && !layout.exif) {
            layout.exif = payload;
            layout.exifSize = length;
        }
        // Payloads are padded to an even length; the pad of the last one may
        // be missing.
        pos += 8 + size_t{length} + (length & 1);
    }
    return image ? DecodeError::None : DecodeError::MissingImageData;
}
