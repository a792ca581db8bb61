#include "decode/size_probe.h"

#include <cstring>

#include "base/page_alloc.h"
#include "decode/avif_container.h"
#include "decode/exif.h"
#include "decode/plugin.h"
#include "decode/webp_container.h"

namespace {

// Sequential reads with seeking over a ProbeSource, through a small buffer so
// that the JPEG marker scan does not cost one read call a byte. A value that
// comes back short reads as 0; from then on every read is short.
class ProbeReader {
public:
    explicit ProbeReader(ProbeSource& source) noexcept : source_(source) {}

    void seek(uint64_t offset) noexcept { pos_ = offset; }
    void skip(uint64_t count) noexcept { pos_ += count; }

    // The next byte, or -1 at the end of the file.
    int byte() noexcept {
        // Below the buffer the difference wraps round and is as far off.
        if (pos_ - bufferStart_ >= bufferLength_) {
            bufferStart_ = pos_;
            bufferLength_ = source_.readAt(pos_, buffer_, sizeof buffer_);
            if (bufferLength_ == 0) {
                ranShort_ = true;
                return -1;
            }
        }
        return buffer_[pos_++ - bufferStart_];
    }
    uint32_t u16(bool bigEndian) noexcept { return value(2, bigEndian); }
    uint32_t u24le() noexcept { return value(3, false); }
    uint32_t u32(bool bigEndian) noexcept { return value(4, bigEndian); }
    // Copies the next `count` bytes into `out`; false when the file ends first.
    bool read(uint8_t* out, size_t count) noexcept {
        for (size_t i = 0; i < count; ++i) {
            const int b = byte();
            if (b < 0) return false;
            out[i] = static_cast<uint8_t>(b);
        }
        return true;
    }
    // True once a read found the end of the file.
    bool ranShort() const noexcept { return ranShort_; }

private:
    uint32_t value(int bytes, bool bigEndian) noexcept {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            const int b = byte();
            if (b < 0) return 0;
            v = bigEndian ? v << 8 | static_cast<uint32_t>(b)
                          : v | static_cast<uint32_t>(b) << (8 * i);
        }
        return v;
    }

    ProbeSource& source_;
    uint64_t pos_ = 0;
    uint64_t bufferStart_ = 0;
    size_t bufferLength_ = 0;
    bool ranShort_ = false;
    uint8_t buffer_[512];
};

int32_t asSigned(uint32_t v) noexcept {
    int32_t s;
    std::memcpy(&s, &v, sizeof s);
    return s;
}

// The JPEG markers the scan tells apart.
enum JpegMarker : int {
    kFill = 0xFF,
    kStartOfImage = 0xD8,
    kEndOfImage = 0xD9,
    kStartOfScan = 0xDA,
    kBaselineFrame = 0xC0,
    kExtendedFrame = 0xC1,
    kProgressiveFrame = 0xC2,
};

// The other frame types (lossless, hierarchical, arithmetic-coded): they are
// skipped like any segment, so such files end without a size.
bool isOtherFrame(int marker) noexcept {
    return marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The orientation an EXIF block of `length` bytes at the reader's position
// gives; the reader ends up behind the block either way.
Orientation readExifBlock(ProbeReader& r, uint32_t length) noexcept {
    if (length > kExifReadLimit + sizeof kExifMarker) length = kExifReadLimit + sizeof kExifMarker;
    PageBlock block(length);
    if (!block || !r.read(block.get(), length)) return Orientation::Normal;
    return exifOrientation(block.get(), length);
}

// Markers up to the first baseline, extended or progressive frame header;
// the size is the upright one an EXIF orientation before it gives.
ImageSize probeJpeg(ProbeReader& r) noexcept {
    ImageSize size;
    bool otherFrame = false;
    Orientation orientation = Orientation::Normal;
    bool exifSeen = false;
    for (;;) {
        int b = r.byte();
        if (b < 0) return size;
        if (b != kFill) continue;
        int marker;
        do {
            marker = r.byte();  // fill bytes 0xFF may precede a marker
        } while (marker == kFill);
        switch (marker) {
            case -1:
                return size;
            case kEndOfImage:
            case kStartOfScan:
                size.error = otherFrame ? DecodeError::UnsupportedCompression
                                        : DecodeError::MissingImageData;
                return size;
            case kStartOfImage:
                continue;
            case kBaselineFrame:
            case kExtendedFrame:
            case kProgressiveFrame:
                r.skip(3);  // segment length, sample precision
                size.height = static_cast<int32_t>(r.u16(true));
                size.width = static_cast<int32_t>(r.u16(true));
                uprightSize(orientation, size.width, size.height);
                return size;
            default: {
                otherFrame = otherFrame || isOtherFrame(marker);
                const uint32_t length = r.u16(true);
                if (length < 2) {
                    if (!r.ranShort()) size.error = DecodeError::BadHeader;
                    return size;
                }
                if (marker == kJpegApp1 && !exifSeen && length - 2 >= sizeof kExifMarker) {
                    // The decoder takes the first EXIF segment; so does the probe.
                    uint8_t head[sizeof kExifMarker];
                    if (!r.read(head, sizeof head)) return size;
                    if (std::memcmp(head, kExifMarker, sizeof head) == 0) {
                        exifSeen = true;
                        orientation = readExifBlock(r, length - 2 - sizeof head);
                    } else {
                        r.skip(length - 2 - sizeof head);
                    }
                    break;
                }
                r.skip(length - 2);
                break;
            }
        }
    }
}

// A WebP file's chunks: the canvas of VP8X, or the frame header of a simple
// file's VP8 or VP8L chunk; turned upright by an EXIF chunk where VP8X says
// there is one.
ImageSize probeWebp(ProbeReader& r) noexcept {
    ImageSize size;
    if (r.u32(false) != kRiff) {
        if (!r.ranShort()) size.error = DecodeError::BadSignature;
        return size;
    }
    const uint64_t riffEnd = uint64_t{r.u32(false)} + 8;
    if (r.u32(false) != kWebp) {
        if (!r.ranShort()) size.error = DecodeError::BadSignature;
        return size;
    }
    constexpr uint8_t kExifFlag = 0x08;
    bool wantExif = false;
    Orientation orientation = Orientation::Normal;
    uint64_t pos = 12;
    // The decoder takes the same chunks; a file of many small ones is walked
    // no further than a few thousand.
    for (int chunk = 0; chunk < 4096 && pos + 8 <= riffEnd && !r.ranShort(); ++chunk) {
        r.seek(pos);
        const uint32_t id = r.u32(false);
        const uint32_t length = r.u32(false);
        if (id == kVp8x && chunk == 0) {
            wantExif = (r.byte() & kExifFlag) != 0;
            r.skip(3);
            size.width = static_cast<int32_t>(r.u24le() + 1);
            size.height = static_cast<int32_t>(r.u24le() + 1);
            if (!wantExif) break;
        } else if (id == kVp8 && chunk == 0) {
            r.skip(6);  // frame tag, start code
            size.width = static_cast<int32_t>(r.u16(false) & 0x3FFF);
            size.height = static_cast<int32_t>(r.u16(false) & 0x3FFF);
            break;
        } else if (id == kVp8l && chunk == 0) {
            r.skip(1);  // signature
            const uint32_t bits = r.u32(false);
            size.width = static_cast<int32_t>((bits & 0x3FFF) + 1);
            size.height = static_cast<int32_t>((bits >> 14 & 0x3FFF) + 1);
            break;
        } else if (id == kExif && wantExif) {
            orientation = readExifBlock(r, length);
            break;
        } else if (chunk == 0) {
            size.error = DecodeError::BadHeader;
            return size;
        }
        pos += 8 + uint64_t{length} + (length & 1);
    }
    if (r.ranShort()) {
        size.width = size.height = 0;
        return size;
    }
    uprightSize(orientation, size.width, size.height);
    return size;
}

enum TiffTag : uint32_t { kImageWidth = 256, kImageLength = 257, kOrientation = 274 };
enum TiffType : uint32_t { kShort = 3, kLong = 4 };

// The first directory's ImageWidth and ImageLength entries, turned upright
// by its Orientation entry when one follows them (entries come in tag order).
ImageSize probeTiff(ProbeReader& r) noexcept {
    ImageSize size;
    const int a = r.byte(), b = r.byte();
    bool bigEndian;
    if (a == 'I' && b == 'I') {
        bigEndian = false;
    } else if (a == 'M' && b == 'M') {
        bigEndian = true;
    } else {
        if (!r.ranShort()) size.error = DecodeError::BadSignature;
        return size;
    }
    r.skip(2);  // the version is not checked
    const uint32_t directory = r.u32(bigEndian);
    if (directory == 0) return size;
    r.seek(directory);
    const uint32_t entries = r.u16(bigEndian);
    Orientation orientation = Orientation::Normal;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t tag = r.u16(bigEndian);
        if (tag == 0) break;
        const bool sized = size.width != 0 && size.height != 0;
        if (sized && tag > kOrientation) break;
        if (tag != kImageWidth && tag != kImageLength && tag != kOrientation) {
            r.skip(10);
            continue;
        }
        const uint32_t type = r.u16(bigEndian);
        r.skip(4);  // count
        uint32_t v = 0;
        if (type == kShort) {
            v = r.u16(bigEndian);
            r.skip(2);
        } else if (type == kLong) {
            v = r.u32(bigEndian);
        } else {
            r.skip(4);
        }
        if (r.ranShort()) break;
        if (tag == kOrientation) {
            if (type == kShort) orientation = orientationFromValue(v);
            if (sized) break;
            continue;
        }
        (tag == kImageWidth ? size.width : size.height) = asSigned(v);
    }
    if (size.width != 0 && size.height != 0) uprightSize(orientation, size.width, size.height);
    return size;
}

// An AVIF file's top-level boxes: the ftyp box's brands, then the meta box,
// read whole (it is small) and taken apart as the decoder does: the primary
// item's ispe, turned by its irot and imir.
ImageSize probeAvif(ProbeReader& r) noexcept {
    ImageSize size;
    uint64_t pos = 0;
    for (int box = 0; box < 64; ++box) {
        r.seek(pos);
        uint64_t length = r.u32(true);
        const uint32_t type = r.u32(true);
        uint32_t header = 8;
        if (length == 1) {
            length = uint64_t{r.u32(true)} << 32;
            length |= r.u32(true);
            header = 16;
        }
        if (r.ranShort()) return size;
        if (box == 0 && type != boxType("ftyp")) {
            size.error = DecodeError::BadSignature;
            return size;
        }
        if (length < header) {  // 0 (to the end of the file) or broken
            if (type != boxType("meta") || length != 0) {
                size.error = DecodeError::BadHeader;
                return size;
            }
        }
        if (type == boxType("meta")) {
            // A meta box to the end of the file is read up to the limit.
            const uint64_t payload = length == 0 ? kMaxAvifMeta : length - header;
            if (payload > kMaxAvifMeta) {
                size.error = DecodeError::TooLarge;
                return size;
            }
            PageBlock block(size_t(payload) + 1);
            if (!block) {
                size.error = DecodeError::OutOfMemory;
                return size;
            }
            size_t got = 0;
            for (int b; got < payload && (b = r.byte()) >= 0;) block.get()[got++] = uint8_t(b);
            if (length != 0 && got < payload) return size;  // ends early: Truncated
            AvifLayout layout;
            size.error = readAvifMeta(block.get(), got, layout);
            if (size.error != DecodeError::None) return size;
            size.width = int32_t(layout.width);
            size.height = int32_t(layout.height);
            uprightSize(layout.orientation, size.width, size.height);
            return size;
        }
        pos += length;
    }
    size.error = DecodeError::MissingImageData;
    return size;
}

}  // namespace

size_t MemoryProbeSource::readAt(uint64_t offset, void* buffer, size_t count) noexcept {
    if (offset >= size_) return 0;
    const size_t left = size_ - static_cast<size_t>(offset);
    const size_t n = count < left ? count : left;
    std::memcpy(buffer, data_ + offset, n);
    return n;
}

ImageSize probeImageSize(ImageFormat format, ProbeSource& source) noexcept {
    ProbeReader r(source);
    ImageSize size;
    switch (format) {
        case ImageFormat::Bmp:  // the info header's fields
            r.seek(18);
            size.width = asSigned(r.u32(false));
            r.seek(22);
            size.height = asSigned(r.u32(false));
            break;
        case ImageFormat::Png:  // the IHDR chunk's fields
            r.seek(16);
            size.width = asSigned(r.u32(true));
            size.height = asSigned(r.u32(true));
            break;
        case ImageFormat::Gif:  // the logical screen, not a frame
            r.seek(6);
            size.width = static_cast<int32_t>(r.u16(false));
            size.height = static_cast<int32_t>(r.u16(false));
            break;
        case ImageFormat::Jpeg:
            size = probeJpeg(r);
            break;
        case ImageFormat::Tiff:
            size = probeTiff(r);
            break;
        case ImageFormat::Webp:
            size = probeWebp(r);
            break;
        case ImageFormat::Avif:
            size = probeAvif(r);
            break;
        case ImageFormat::Unknown:
            size.error = DecodeError::UnknownFormat;
            return size;
        case ImageFormat::ReadError:
            size.error = DecodeError::Truncated;
            return size;
    }
    // A side left at 0: the file ended first, or the header holds no size.
    if (size.error == DecodeError::None && (size.width == 0 || size.height == 0))
        size.error = r.ranShort() ? DecodeError::Truncated : DecodeError::BadHeader;
    return size;
}

bool probePluginImageSize(const wchar_t* path, const wchar_t* pluginFolder,
                          ImageSize& size) noexcept {
    if (!pluginFolderUsable(pluginFolder)) {
        size.error = DecodeError::UnknownFormat;
        return false;
    }
    int32_t width = 0, height = 0;
    if (!probeWithPlugin(path, pluginFolder, width, height, &size.error)) return false;
    size.width = width;
    size.height = height;
    return true;
}

bool passesSizeFilter(const wchar_t* path, const SizeFilter& filter, DecodeError* reason) noexcept {
    DecodeError ignored;
    DecodeError& why = reason ? *reason : ignored;
    why = DecodeError::None;
    if (filter.minWidth == 0 && filter.minHeight == 0) return true;
    DecodeError sniffed;
    const ImageFormat format = sniffImageFormat(path, &sniffed);
    FileProbeSource file;
    if (!file.open(path)) {
        why = DecodeError::OpenFailed;
        return false;
    }
    ImageSize size;
    switch (format) {
        case ImageFormat::Unknown:
            file.close();
            probePluginImageSize(path, filter.pluginFolder, size);
            break;
        case ImageFormat::ReadError:
            why = sniffed;
            return false;
        default:
            size = probeImageSize(format, file);
            break;
    }
    const bool passes = size.width >= filter.minWidth && size.height >= filter.minHeight;
    if (!passes) why = size.error;
    return passes;
}
