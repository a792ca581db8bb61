// TIFF reader: the first image of an uncompressed baseline file, either byte
// order. Bilevel, grey and palette pictures become 8-bit palettised ones,
// RGB pictures with 8 or 16 bits a sample 24-bit ones. Strips are read
// straight from the mapped file; nothing is gathered into a second copy.
#include <bit>
#include <cstring>

#include "base/app_heap.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace {

enum Tag : uint16_t {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kStripByteCounts = 279,
    kColorMap = 320,
};
enum FieldType : uint16_t { kShort = 3, kLong = 4 };
enum : uint16_t { kVersion = 42, kUncompressed = 1 };
enum Photometric : uint16_t { kWhiteIsZero = 0, kBlackIsZero = 1, kRgb = 2, kPalette = 3 };

// Reads at absolute offsets in the file's byte order. Callers check with
// has() before reading.
struct TiffBytes {
    const uint8_t* base;
    size_t size;
    bool bigEndian;

    bool has(size_t offset, uint64_t count) const noexcept {
        return offset <= size && count <= size - offset;
    }
    uint16_t u16(size_t at) const noexcept {
        const uint8_t* p = base + at;
        return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                         : static_cast<uint16_t>(p[1] << 8 | p[0]);
    }
    uint32_t u32(size_t at) const noexcept {
        const uint8_t* p = base + at;
        return bigEndian ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                         : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
};

// A strip offset or length table: `count` values of `type` at `at` (inside
// the directory entry itself when they fit in its four value bytes).
struct StripTable {
    bool present = false;
    uint16_t type = 0;
    uint32_t count = 0;
    size_t at = 0;

    uint32_t value(const TiffBytes& f, uint32_t i) const noexcept {
        return type == kShort ? f.u16(at + size_t{i} * 2) : f.u32(at + size_t{i} * 4);
    }
};

struct Directory {
    uint32_t width = 0, height = 0;
    uint32_t bits = 1;
    uint32_t bitsValues = 1;  // how many values BitsPerSample gave
    int photometric = -1;
    uint32_t colorMap = 0;
    StripTable offsets, lengths;
};

DecodeError readStripTable(const TiffBytes& f, size_t entry, StripTable& table) noexcept {
    if (table.present) return DecodeError::BadHeader;  // the same table twice
    table.present = true;
    table.type = f.u16(entry + 2);
    table.count = f.u32(entry + 4);
    if (table.type != kShort && table.type != kLong) return DecodeError::BadHeader;
    if (table.count == 0) return DecodeError::MissingImageData;
    const unsigned width = table.type == kShort ? 2 : 4;
    if (uint64_t{table.count} * width <= 4) {
        table.at = entry + 8;
        return DecodeError::None;
    }
    table.at = f.u32(entry + 8);
    return f.has(table.at, uint64_t{table.count} * width) ? DecodeError::None
                                                          : DecodeError::DataOutsideFile;
}

DecodeError readDirectory(const TiffBytes& f, Directory& d) noexcept {
    const uint32_t at = f.u32(4);
    if (!f.has(at, 2)) return DecodeError::DataOutsideFile;
    const uint32_t entries = f.u16(at);
    if (!f.has(size_t{at} + 2, uint64_t{entries} * 12)) return DecodeError::DataOutsideFile;
    for (uint32_t i = 0; i < entries; ++i) {
        const size_t e = size_t{at} + 2 + size_t{i} * 12;
        const uint16_t tag = f.u16(e);
        switch (tag) {
            case kImageWidth:
            case kImageLength: {
                const uint16_t type = f.u16(e + 2);
                uint32_t v;
                if (type == kShort)
                    v = f.u16(e + 8);
                else if (type == kLong)
                    v = f.u32(e + 8);
                else
                    return DecodeError::BadHeader;
                if (v < 1 || v > static_cast<uint32_t>(kMaxImageSide))
                    return DecodeError::SideOutOfRange;
                (tag == kImageWidth ? d.width : d.height) = v;
                break;
            }
            case kBitsPerSample: {
                const uint32_t count = f.u32(e + 4);
                if (count == 1) {
                    d.bits = f.u16(e + 8);
                    d.bitsValues = 1;
                } else if (count == 3) {
                    const uint32_t values = f.u32(e + 8);
                    if (!f.has(values, 6)) return DecodeError::DataOutsideFile;
                    const uint16_t a = f.u16(values), b = f.u16(size_t{values} + 2),
                                   c = f.u16(size_t{values} + 4);
                    if (a != b || b != c || (a != 8 && a != 16))
                        return DecodeError::UnsupportedBitDepth;
                    d.bits = a;
                    d.bitsValues = 3;
                }
                break;
            }
            case kCompression:
                if (f.u16(e + 8) != kUncompressed) return DecodeError::UnsupportedCompression;
                break;
            case kPhotometric:
                d.photometric = f.u16(e + 8);
                break;
            case kStripOffsets:
            case kStripByteCounts: {
                StripTable& table = tag == kStripOffsets ? d.offsets : d.lengths;
                if (const DecodeError why = readStripTable(f, e, table); why != DecodeError::None)
                    return why;
                break;
            }
            case kColorMap:
                d.colorMap = f.u32(e + 8);
                break;
            default:
                break;
        }
    }
    // Both sides, and as many strip lengths as offsets.
    if (d.width == 0 || d.height == 0 || d.offsets.count != d.lengths.count)
        return DecodeError::BadHeader;
    return DecodeError::None;
}

enum class Layout { Bits1, Bits4, Bits8, Rgb8, Rgb16 };

DecodeError chooseLayout(const Directory& d, Layout& layout) noexcept {
    const bool indexedBits = d.bits == 1 || d.bits == 4 || d.bits == 8;
    switch (d.photometric) {
        case kWhiteIsZero:
        case kBlackIsZero:
            if (!indexedBits) return DecodeError::UnsupportedBitDepth;
            break;
        case kPalette:
            if (!indexedBits) return DecodeError::UnsupportedBitDepth;
            if (d.colorMap == 0) return DecodeError::MissingPalette;
            break;
        case kRgb:
            if (d.bitsValues != 3) return DecodeError::UnsupportedBitDepth;
            layout = d.bits == 8 ? Layout::Rgb8 : Layout::Rgb16;
            return DecodeError::None;
        default:
            return DecodeError::UnsupportedColourModel;
    }
    layout = d.bits == 1 ? Layout::Bits1 : d.bits == 4 ? Layout::Bits4 : Layout::Bits8;
    return DecodeError::None;
}

bool buildPalette(const TiffBytes& f, const Directory& d, dib::RGBQUAD* palette) noexcept {
    const uint32_t n = 1u << d.bits;
    if (d.photometric == kPalette) {
        if (!f.has(d.colorMap, uint64_t{n} * 6)) return false;
        // All reds, then all greens, then all blues; the high byte of each.
        for (uint32_t i = 0; i < n; ++i) {
            palette[i].rgbRed = static_cast<uint8_t>(f.u16(d.colorMap + size_t{i} * 2) >> 8);
            palette[i].rgbGreen =
                static_cast<uint8_t>(f.u16(d.colorMap + (size_t{n} + i) * 2) >> 8);
            palette[i].rgbBlue =
                static_cast<uint8_t>(f.u16(d.colorMap + (size_t{n} * 2 + i) * 2) >> 8);
            palette[i].rgbReserved = 0;
        }
        return true;
    }
    const uint32_t step = 255 / (n - 1);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t grey = d.photometric == kWhiteIsZero ? 255 - i * step : i * step;
        palette[i] = dib::RGBQUAD{static_cast<uint8_t>(grey), static_cast<uint8_t>(grey),
                                  static_cast<uint8_t>(grey), 0};
    }
    return true;
}

// Every strip must lie inside the file, and together they must hold something.
DecodeError checkStrips(const TiffBytes& f, const Directory& d) noexcept {
    uint64_t total = 0;
    for (uint32_t i = 0; i < d.offsets.count; ++i) {
        const uint32_t length = d.lengths.value(f, i);
        if (!f.has(d.offsets.value(f, i), length)) return DecodeError::DataOutsideFile;
        total += length;
    }
    return total != 0 ? DecodeError::None : DecodeError::MissingImageData;
}

// The strips in order as one stream of rows. A row that lies within one strip
// is read where it stands; one split between strips, or cut short by the end
// of the data, is put together in `joined`, zero-filled where data is missing.
class RowSource {
public:
    RowSource(const TiffBytes& f, const Directory& d, size_t rowBytes, uint8_t* joined) noexcept
        : f_(f), d_(d), rowBytes_(rowBytes), joined_(joined) {}

    // The next row, or null once the strips are used up.
    const uint8_t* next() noexcept {
        if (!fill()) return nullptr;
        if (left_ >= rowBytes_) {
            const uint8_t* row = p_;
            p_ += rowBytes_;
            left_ -= rowBytes_;
            return row;
        }
        size_t got = 0;
        while (got < rowBytes_ && fill()) {
            const size_t n = left_ < rowBytes_ - got ? left_ : rowBytes_ - got;
            std::memcpy(joined_ + got, p_, n);
            got += n;
            p_ += n;
            left_ -= n;
        }
        std::memset(joined_ + got, 0, rowBytes_ - got);
        return joined_;
    }

private:
    // Moves on to the next strip with bytes in it; false when there is none.
    bool fill() noexcept {
        while (left_ == 0) {
            if (strip_ == d_.offsets.count) return false;
            p_ = f_.base + d_.offsets.value(f_, strip_);
            left_ = d_.lengths.value(f_, strip_);
            ++strip_;
        }
        return true;
    }

    const TiffBytes& f_;
    const Directory& d_;
    size_t rowBytes_;
    uint8_t* joined_;
    uint32_t strip_ = 0;
    const uint8_t* p_ = nullptr;
    size_t left_ = 0;
};

void expandBits1(const uint8_t* in, uint8_t* out, uint32_t width) noexcept {
    uint32_t x = 0;
    for (; x + 8 <= width; x += 8) {
        const uint8_t b = *in++;
        for (int k = 0; k < 8; ++k) out[x + k] = static_cast<uint8_t>((b >> (7 - k)) & 1);
    }
    for (int k = 0; x < width; ++x, ++k) out[x] = static_cast<uint8_t>((*in >> (7 - k)) & 1);
}

void expandBits4(const uint8_t* in, uint8_t* out, uint32_t width) noexcept {
    uint32_t x = 0;
    for (; x + 2 <= width; x += 2) {
        const uint8_t b = *in++;
        out[x] = b >> 4;
        out[x + 1] = b & 15;
    }
    if (x < width) out[x] = *in >> 4;
}

void swapRgb8(const uint8_t* in, uint8_t* out, uint32_t width) noexcept {
    uint32_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Two pixels a step in one 64-bit word: bytes 0 and 2, 3 and 5 trade
        // places. The eight bytes read and written reach into the pixel after
        // the two, which the loop condition keeps inside the row.
        for (; x + 3 <= width; x += 2, in += 6, out += 6) {
            uint64_t v;
            std::memcpy(&v, in, 8);
            constexpr uint64_t kMiddle = 0x000000FF0000FF00ull;  // bytes 1 and 4 stay
            constexpr uint64_t kEnds = 0x00000000FF0000FFull;    // bytes 0 and 3
            v = (v & kMiddle) | ((v & kEnds) << 16) | ((v >> 16) & kEnds);
            std::memcpy(out, &v, 8);
        }
    }
    for (; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

// Keeps the high byte of each 16-bit sample: the second of its two bytes in a
// little-endian file, the first in a big-endian one.
void swapRgb16(const uint8_t* in, uint8_t* out, uint32_t width, bool bigEndian) noexcept {
    const uint8_t* hi = in + (bigEndian ? 0 : 1);
    for (uint32_t x = 0; x < width; ++x, hi += 6, out += 3) {
        out[0] = hi[4];
        out[1] = hi[2];
        out[2] = hi[0];
    }
}

}  // namespace

LoadedImage* decodeTiff(DecoderState& state) noexcept {
    state.error = DecodeError::None;
    TiffBytes f{state.view, state.fileSize, false};
    if (!f.base || !f.has(0, 8)) return state.fail(DecodeError::Truncated);
    if (f.base[0] == 'I' && f.base[1] == 'I')
        f.bigEndian = false;
    else if (f.base[0] == 'M' && f.base[1] == 'M')
        f.bigEndian = true;
    else
        return state.fail(DecodeError::BadSignature);
    if (f.u16(2) != kVersion) return state.fail(DecodeError::BadSignature);

    Directory d;
    Layout layout;
    if (const DecodeError e = readDirectory(f, d); e != DecodeError::None) return state.fail(e);
    if (const DecodeError e = chooseLayout(d, layout); e != DecodeError::None) return state.fail(e);
    const bool rgb = layout == Layout::Rgb8 || layout == Layout::Rgb16;
    if (!rgb && !buildPalette(f, d, state.image.palette))
        return state.fail(DecodeError::DataOutsideFile);
    if (const DecodeError e = checkStrips(f, d); e != DecodeError::None) return state.fail(e);

    const uint32_t width = d.width, height = d.height;
    size_t rowBytes = 0;
    switch (layout) {
        case Layout::Bits1:
            rowBytes = (width + 7) / 8;
            break;
        case Layout::Bits4:
            rowBytes = (width + 1) / 2;
            break;
        case Layout::Bits8:
            rowBytes = width;
            break;
        case Layout::Rgb8:
            rowBytes = size_t{width} * 3;
            break;
        case Layout::Rgb16:
            rowBytes = size_t{width} * 6;
            break;
    }
    const int bitCount = rgb ? 24 : 8;
    const size_t stride = rowStride(static_cast<int32_t>(width), bitCount);
    PageBlock pixels(stride * height);
    const HeapPtr<uint8_t> joined(static_cast<uint8_t*>(heapAlloc(rowBytes)));
    if (!pixels || !joined) return state.fail(DecodeError::OutOfMemory);

    // Rows run top to bottom in the file, bottom to top in the block. Rows the
    // strips do not reach stay 0.
    RowSource rows(f, d, rowBytes, joined.get());
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = rows.next();
        if (!in) break;
        uint8_t* out = pixels.get() + size_t{height - 1 - y} * stride;
        switch (layout) {
            case Layout::Bits1:
                expandBits1(in, out, width);
                break;
            case Layout::Bits4:
                expandBits4(in, out, width);
                break;
            case Layout::Bits8:
                std::memcpy(out, in, width);
                break;
            case Layout::Rgb8:
                swapRgb8(in, out, width);
                break;
            case Layout::Rgb16:
                swapRgb16(in, out, width, f.bigEndian);
                break;
        }
    }

    setOutputHeader(state, static_cast<int32_t>(width), static_cast<int32_t>(height), bitCount, 0,
                    0);
    state.image.bits = pixels.release();
    return &state.image;
}
