// GIF reader: the first image of a GIF87a or GIF89a file, placed on the
// file's logical screen, as an 8-bit palettised picture. Animation is not
// played; later frames are never looked at.
#include <bit>
#include <cstring>

#include "base/page_alloc.h"
#include "decode/decoders.h"

namespace {

// What starts each block after the logical screen, and the extension labels.
enum BlockIntroducer : uint8_t { kExtension = 0x21, kImageDescriptor = 0x2C, kTrailer = 0x3B };
enum ExtensionLabel : uint8_t {
    kPlainText = 0x01,
    kGraphicControl = 0xF9,
    kComment = 0xFE,
    kApplication = 0xFF,
};

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;
// The LZW output copies strings eight bytes at a time and the bit reader loads
// eight bytes at a time: both blocks carry this much zeroed slack at the end.
constexpr size_t kSlack = 8;

struct ColorTable {
    uint8_t rgb[768];  // red, green, blue triplets; zero past the table's size
    int entries;       // 0 when the file has no such table
};

struct FrameDescriptor {
    int left, top, width, height;
    bool interlaced;
};

uint16_t le16(const uint8_t* p) noexcept { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Copies a colour table of 2^((packed & 7) + 1) entries from the cursor.
bool readColorTable(ByteCursor& c, uint8_t packed, ColorTable& table) noexcept {
    const int entries = 2 << (packed & 7);
    const size_t bytes = static_cast<size_t>(entries) * 3;
    if (c.remaining() < bytes) return false;
    std::memset(table.rgb, 0, sizeof table.rgb);
    std::memcpy(table.rgb, c.cur, bytes);
    table.entries = entries;
    c.cur += bytes;
    return true;
}

// Skips data sub-blocks (a length byte, that many bytes) up to and including
// the zero length byte; false when they run past the end of the file.
bool skipSubBlocks(ByteCursor& c) noexcept {
    for (;;) {
        if (c.remaining() < 1) return false;
        const uint8_t len = *c.cur++;
        if (len == 0) return true;
        if (c.remaining() < len) return false;
        c.cur += len;
    }
}

// Joins the image data sub-blocks into one block with zeroed slack behind
// the data. Fails when the data runs past the end of the file, when the
// first length byte is 0 or when memory cannot be had.
DecodeError gatherImageData(ByteCursor& c, PageBlock& block, size_t& size) noexcept {
    const uint8_t* const start = c.cur;
    size_t total = 0;
    for (;;) {
        if (c.remaining() < 1) return DecodeError::Truncated;
        const uint8_t len = *c.cur++;
        if (len == 0) break;
        if (c.remaining() < len) return DecodeError::Truncated;
        total += len;
        c.cur += len;
    }
    if (total == 0) return DecodeError::MissingImageData;
    block = PageBlock(total + kSlack);
    if (!block) return DecodeError::OutOfMemory;
    uint8_t* out = block.get();
    for (const uint8_t* p = start;;) {
        const uint8_t len = *p++;
        if (len == 0) break;
        std::memcpy(out, p, len);
        out += len;
        p += len;
    }
    size = total;
    return DecodeError::None;
}

uint64_t load64le(const uint8_t* p) noexcept {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// Copies `len` earlier output bytes from `src` to `dst` (src < dst). The two
// may overlap when a code repeats the string it is defining; forward order
// makes that right. Whole eight-byte chunks may write up to 7 bytes past
// dst + len, into output not yet produced or into the slack.
inline void copyEarlierOutput(uint8_t* out, size_t dst, size_t src, size_t len) noexcept {
    uint8_t* d = out + dst;
    const uint8_t* s = out + src;
    if (dst - src >= 8) {
        for (size_t i = 0; i < len; i += 8) std::memcpy(d + i, s + i, 8);
    } else {
        for (size_t i = 0; i < len; ++i) d[i] = s[i];
    }
}

// In front of the decoded pixels the output block keeps the 256 single-byte
// strings, byte i at offset i, so that a literal code is a copy like any other.
constexpr size_t kLiterals = 256;

// Variable-width LZW, codes packed least significant bit first. Every string
// in the table is one already written to the output, so an entry is kept as
// the position and length of that earlier output and expanding a code is a
// copy from there. Pixels never reached stay 0. `out` holds kLiterals +
// `total` bytes plus kSlack; `data` holds `dataSize` bytes plus kSlack zeros.
void decodeLzw(const uint8_t* data, size_t dataSize, int minCodeSize, uint8_t* out,
               size_t total) noexcept {
    struct Entry {
        uint32_t pos, len;
    };
    Entry table[kMaxCodes];
    for (uint32_t i = 0; i < kLiterals; ++i) {
        out[i] = static_cast<uint8_t>(i);
        table[i] = Entry{i, 1};
    }

    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    int codeSize = minCodeSize + 1;
    uint32_t mask = (1u << codeSize) - 1;
    uint32_t nextCode = endCode + 1;
    // A stream starts like one just cleared: its first code has no previous
    // string to extend.
    bool afterClear = true;
    size_t prevPos = 0, prevLen = 0;
    size_t pos = kLiterals;
    const size_t limit = kLiterals + total;

    const uint64_t totalBits = uint64_t{dataSize} * 8;
    uint64_t bitPos = 0;
    // A last code that reaches past the data is completed by the zero slack.
    while (bitPos < totalBits) {
        const uint32_t code =
            static_cast<uint32_t>(load64le(data + (bitPos >> 3)) >> (bitPos & 7)) & mask;
        bitPos += static_cast<unsigned>(codeSize);

        if (code - clearCode < 2) {
            if (code == endCode) break;
            codeSize = minCodeSize + 1;
            mask = (1u << codeSize) - 1;
            nextCode = endCode + 1;
            afterClear = true;
            continue;
        }
        size_t src, len;
        if (code < nextCode) {
            // Right after a clear only the literals lie below nextCode.
            src = table[code].pos;
            len = table[code].len;
        } else {
            // The code being defined (or one past it, taken the same way):
            // the previous string followed by its own first byte. Right after
            // a clear there is no previous string: the stream is damaged.
            if (afterClear) break;
            src = prevPos;
            len = prevLen + 1;
        }
        if (len > limit - pos) break;
        copyEarlierOutput(out, pos, src, len);

        if (afterClear) {
            afterClear = false;
        } else if (nextCode < kMaxCodes) {
            // The previous string plus the first byte of this one: exactly
            // the output that starts at the previous string.
            table[nextCode] =
                Entry{static_cast<uint32_t>(prevPos), static_cast<uint32_t>(prevLen + 1)};
            ++nextCode;
            if (nextCode > mask && codeSize < kMaxCodeSize) {
                ++codeSize;
                mask = (1u << codeSize) - 1;
            }
        }
        prevPos = pos;
        prevLen = len;
        pos += len;
    }
    // The chunked copies may have left bytes behind the last string.
    const size_t tail = limit - pos < kSlack ? limit - pos : kSlack;
    std::memset(out + pos, 0, tail);
}

// The decoded row shown as row `r` (0 = top) of an interlaced image of
// height h: every 8th row from 0, every 8th from 4, every 4th from 2, then
// the odd rows.
int interlacedSourceRow(int r, int h) noexcept {
    const int p1 = (h + 7) / 8, p2 = (h + 3) / 8, p3 = (h + 1) / 4;
    switch (r % 8) {
        case 0:
            return r / 8;
        case 4:
            return p1 + r / 8;
        case 2:
        case 6:
            return p1 + p2 + r / 4;
        default:
            return p1 + p2 + p3 + r / 2;
    }
}

DecodeError readFrameDescriptor(ByteCursor& c, int screenW, int screenH, FrameDescriptor& f,
                                ColorTable& local) noexcept {
    if (c.remaining() < 10) return DecodeError::Truncated;
    const uint8_t* d = c.cur + 1;
    f.left = le16(d);
    f.top = le16(d + 2);
    f.width = le16(d + 4);
    f.height = le16(d + 6);
    const uint8_t packed = d[8];
    c.cur += 10;
    if (f.left + f.width > screenW || f.top + f.height > screenH)
        return DecodeError::FrameOutsideScreen;
    // A frame without pixels has nothing to decode into.
    if (f.width == 0 || f.height == 0) return DecodeError::SideOutOfRange;
    f.interlaced = (packed & 0x40) != 0;
    local.entries = 0;
    if ((packed & 0x80) && !readColorTable(c, packed, local)) return DecodeError::Truncated;
    return DecodeError::None;
}

}  // namespace

LoadedImage* decodeGif(DecoderState& state) noexcept {
    state.error = DecodeError::None;
    ByteCursor& c = state.cursor;
    if (c.remaining() < 13) return state.fail(DecodeError::Truncated);
    const uint8_t* h = c.cur;
    if (std::memcmp(h, "GIF", 3) != 0 ||
        (std::memcmp(h + 3, "87a", 3) != 0 && std::memcmp(h + 3, "89a", 3) != 0))
        return state.fail(DecodeError::BadSignature);
    const int screenW = le16(h + 6);
    const int screenH = le16(h + 8);
    if (screenW < 1 || screenW > kMaxImageSide || screenH < 1 || screenH > kMaxImageSide)
        return state.fail(DecodeError::SideOutOfRange);
    const uint8_t screenPacked = h[10];
    c.cur += 13;

    ColorTable global{};
    uint8_t background = 0;
    if (screenPacked & 0x80) {
        background = h[11];
        if (!readColorTable(c, screenPacked, global)) return state.fail(DecodeError::Truncated);
    }

    bool transparent = false;
    uint8_t transparentIndex = 0;
    FrameDescriptor frame{};
    ColorTable local{};
    for (;;) {
        if (c.remaining() < 1) return state.fail(DecodeError::Truncated);
        const uint8_t introducer = *c.cur;
        if (introducer == kImageDescriptor) {
            const DecodeError e = readFrameDescriptor(c, screenW, screenH, frame, local);
            if (e != DecodeError::None) return state.fail(e);
            break;
        }
        if (introducer == kTrailer) return state.fail(DecodeError::MissingImageData);
        if (introducer != kExtension) return state.fail(DecodeError::UnknownBlock);
        if (c.remaining() < 2) return state.fail(DecodeError::Truncated);
        switch (c.cur[1]) {
            case kGraphicControl:  // fixed 8 bytes with its terminator
                if (c.remaining() < 8) return state.fail(DecodeError::Truncated);
                transparent = (c.cur[3] & 1) != 0;
                transparentIndex = c.cur[6];
                c.cur += 8;
                break;
            case kPlainText:  // 12 header bytes behind the block size
                if (!c.skip(15) || !skipSubBlocks(c)) return state.fail(DecodeError::Truncated);
                break;
            case kApplication:  // 11 header bytes behind the block size
                if (!c.skip(14) || !skipSubBlocks(c)) return state.fail(DecodeError::Truncated);
                break;
            case kComment:
                c.cur += 2;
                if (!skipSubBlocks(c)) return state.fail(DecodeError::Truncated);
                break;
            default:
                return state.fail(DecodeError::UnknownBlock);
        }
    }
    ColorTable& active = local.entries ? local : global;
    if (active.entries == 0) return state.fail(DecodeError::MissingPalette);

    if (c.remaining() < 1) return state.fail(DecodeError::Truncated);
    const int minCodeSize = *c.cur++;
    if (minCodeSize < 2 || minCodeSize > 8) return state.fail(DecodeError::BadHeader);
    PageBlock data;
    size_t dataSize = 0;
    if (const DecodeError e = gatherImageData(c, data, dataSize); e != DecodeError::None)
        return state.fail(e);

    const size_t frameBytes = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    PageBlock decoded(kLiterals + frameBytes + kSlack);
    if (!decoded) return state.fail(DecodeError::OutOfMemory);
    decodeLzw(data.get(), dataSize, minCodeSize, decoded.get(), frameBytes);
    data = PageBlock();

    if (transparent) {
        uint8_t* entry = active.rgb + transparentIndex * 3;
        if (global.entries) {
            std::memcpy(entry, global.rgb + background * 3, 3);
        } else {
            entry[0] = entry[1] = entry[2] = 255;
        }
    }
    for (int i = 0; i < 256; ++i) {
        dib::RGBQUAD& q = state.image.palette[i];
        if (i < active.entries) {
            q.rgbRed = active.rgb[i * 3];
            q.rgbGreen = active.rgb[i * 3 + 1];
            q.rgbBlue = active.rgb[i * 3 + 2];
        } else {
            q.rgbRed = q.rgbGreen = q.rgbBlue = 0;
        }
        q.rgbReserved = 0;
    }

    const size_t stride = rowStride(screenW, 8);
    PageBlock canvas(stride * static_cast<size_t>(screenH));
    if (!canvas) return state.fail(DecodeError::OutOfMemory);
    const uint8_t* src = decoded.get() + kLiterals;
    for (int y = 0; y < screenH; ++y) {
        uint8_t* row = canvas.get() + static_cast<size_t>(screenH - 1 - y) * stride;
        const int r = y - frame.top;
        if (r < 0 || r >= frame.height) {
            std::memset(row, background, static_cast<size_t>(screenW));
            continue;
        }
        const int from = frame.interlaced ? interlacedSourceRow(r, frame.height) : r;
        std::memset(row, background, static_cast<size_t>(frame.left));
        std::memcpy(row + frame.left, src + static_cast<size_t>(from) * frame.width,
                    static_cast<size_t>(frame.width));
        const int right = frame.left + frame.width;
        std::memset(row + right, background, static_cast<size_t>(screenW - right));
    }

    setOutputHeader(state, screenW, screenH, 8, 0, 0);
    state.image.bits = canvas.release();
    return &state.image;
}
