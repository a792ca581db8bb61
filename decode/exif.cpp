#include "decode/exif.h"

#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;

struct TiffBytes {
    const uint8_t* p;
    size_t size;
    bool bigEndian;

    // 0 for a value that does not lie wholly inside the block.
    uint32_t u16(size_t at) const noexcept {
        if (at > size || size - at < 2) return 0;
        return bigEndian ? uint32_t{p[at]} << 8 | p[at + 1] : uint32_t{p[at + 1]} << 8 | p[at];
    }
    uint32_t u32(size_t at) const noexcept {
        if (at > size || size - at < 4) return 0;
        return bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    }
};

}  // namespace

Orientation exifOrientation(const uint8_t* block, size_t size) noexcept {
    if (!block) return Orientation::Normal;
    if (size >= sizeof kExifMarker && std::memcmp(block, kExifMarker, sizeof kExifMarker) == 0) {
        block += sizeof kExifMarker;
        size -= sizeof kExifMarker;
    }
    if (size > kExifReadLimit) size = kExifReadLimit;
    if (size < 8) return Orientation::Normal;
    TiffBytes t{block, size, false};
    if (block[0] == 'M' && block[1] == 'M')
        t.bigEndian = true;
    else if (block[0] != 'I' || block[1] != 'I')
        return Orientation::Normal;
    if (t.u16(2) != 42) return Orientation::Normal;
    const size_t directory = t.u32(4);
    if (directory < 8 || directory > size) return Orientation::Normal;
    const uint32_t entries = t.u16(directory);
    // Twelve bytes an entry; the loop stops at the block's end whatever the
    // count says.
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t at = directory + 2 + size_t{i} * 12;
        if (at > size || size - at < 12) break;
        if (t.u16(at) != kOrientationTag) continue;
        if (t.u16(at + 2) != kShortType || t.u32(at + 4) != 1) return Orientation::Normal;
        return orientationFromValue(t.u16(at + 8));
    }
    return Orientation::Normal;
}

Orientation jpegOrientation(const uint8_t* data, size_t size) noexcept {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Orientation::Normal;
    size_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF) return Orientation::Normal;
        const int marker = data[pos + 1];
        if (marker == 0xFF) {  // a fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
            pos += 2;
            continue;
        }
        // Frame headers, scans and the end: the EXIF block, if any, came before.
        if ((marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
             marker != 0xCC) ||
            marker == 0xDA || marker == 0xD9)
            return Orientation::Normal;
        const size_t length = size_t{data[pos + 2]} << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2) return Orientation::Normal;
        const uint8_t* body = data + pos + 4;
        const size_t bodySize = length - 2;
        if (marker == kJpegApp1 && bodySize >= sizeof kExifMarker &&
            std::memcmp(body, kExifMarker, sizeof kExifMarker) == 0)
            return exifOrientation(body, bodySize);
        pos += 2 + length;
    }
    return Orientation::Normal;
}
