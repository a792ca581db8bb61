// Windows bitmap files: 1-, 4- and 8-bit palette pictures come out 8-bit,
// 16-, 24- and 32-bit ones 24-bit, bottom-up with rows padded to 4 bytes.
// Run-length compression and top-down bitmaps are left to the plug-ins.
// Pixel data that the file does not hold (a truncated file) reads as zeros.
#include <cstring>

#include "base/input_file.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "image/convert.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
// biCompression: the run-length forms are left to the plug-ins.
enum class Compression : uint32_t { None = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

inline uint16_t le16(const uint8_t* p) noexcept {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) noexcept {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The fields of the two headers that the reader uses.
struct BmpHeader {
    uint32_t offBits;
    uint32_t infoSize;
    int32_t width;
    int32_t height;
    uint16_t bitCount;
    Compression compression;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
};

// Where the reader's bytes come from: the file itself, read at offsets
// straight into the blocks that keep them, or bytes already in memory (a
// test's buffer, a fuzzer's input).
class Source {
public:
    Source(const uint8_t* data, uint64_t size) noexcept : data_(data), size_(size) {}
    explicit Source(InputFile& file) noexcept : file_(&file), size_(file.size()) {}

    uint64_t size() const noexcept { return size_; }
    const uint8_t* memory() const noexcept { return data_; }  // null for a file

    // Copies up to `n` bytes from offset `from` into `dst`; whatever lies
    // beyond the end is left as it is in `dst` (zero in a fresh page block).
    // Returns the number of bytes copied.
    size_t copy(uint64_t from, uint8_t* dst, size_t n) const noexcept {
        if (from >= size_) return 0;
        const uint64_t avail = size_ - from;
        const size_t take = n < avail ? n : static_cast<size_t>(avail);
        if (file_) return file_->readAt(from, dst, take);
        std::memcpy(dst, data_ + from, take);
        return take;
    }

private:
    const uint8_t* data_ = nullptr;
    InputFile* file_ = nullptr;
    uint64_t size_ = 0;
};

// Where the colour table starts. It follows the info header, whose length
// differs between the header versions that image editors write; for a
// length that is none of them the 40-byte form is assumed.
uint32_t colourTableOffset(uint32_t infoSize) noexcept {
    switch (infoSize) {
        case 40:
        case 52:
        case 56:
        case 108:
        case 124:
            return kFileHeaderBytes + infoSize;
        default:
            return kFileHeaderBytes + kInfoHeaderBytes;
    }
}

// Reads the colour table into `palette` (256 entries, zeroed by the caller):
// biClrUsed entries, or 2^bits when biClrUsed is 0, at most 256; entries the
// file does not hold stay black.
void readColourTable(const Source& in, const BmpHeader& h, dib::RGBQUAD* palette) noexcept {
    uint32_t entries = h.clrUsed ? h.clrUsed : (1u << h.bitCount);
    if (entries > 256) entries = 256;
    uint8_t raw[1024] = {};
    in.copy(colourTableOffset(h.infoSize), raw, size_t{entries} * 4);
    for (uint32_t i = 0; i < entries; ++i) {
        palette[i].rgbBlue = raw[4 * i];
        palette[i].rgbGreen = raw[4 * i + 1];
        palette[i].rgbRed = raw[4 * i + 2];
        palette[i].rgbReserved = 0;
    }
}

LoadedImage* finish(DecoderState& state, const BmpHeader& h, int bitCount, uint8_t* bits) noexcept {
    setOutputHeader(state, h.width, h.height, bitCount, h.xPelsPerMeter, h.yPelsPerMeter);
    state.image.bits = bits;
    return &state.image;
}

// 8- and 24-bit files: the stored rows are the output rows as they stand.
LoadedImage* readDirect(const Source& in, DecoderState& state, const BmpHeader& h) noexcept {
    const int bits = h.bitCount;
    const uint32_t size = pixelBlockSize(h.width, h.height, bits);
    if (bits == 8) readColourTable(in, h, state.image.palette);
    PageBlock block(size);
    if (!block) return state.fail(DecodeError::OutOfMemory);
    in.copy(h.offBits, block.get(), size);
    return finish(state, h, bits, block.release());
}

// 1- and 4-bit files are widened to one byte a pixel by the depth converter.
LoadedImage* readPacked(const Source& in, DecoderState& state, const BmpHeader& h) noexcept {
    dib::RGBQUAD scratch[256] = {};
    readColourTable(in, h, scratch);
    const uint32_t srcSize = pixelBlockSize(h.width, h.height, h.bitCount);
    PageBlock src(srcSize);
    if (!src) return state.fail(DecodeError::OutOfMemory);
    in.copy(h.offBits, src.get(), srcSize);

    DepthJob& job = state.depthJob;
    job = DepthJob{};
    job.width = h.width;
    job.height = h.height;
    job.srcBits = h.bitCount;
    job.dstBits = 8;
    if (!layoutDepthJob(job)) return state.fail(DecodeError::TooLarge);
    PageBlock dst(job.dstSize);
    if (!dst) return state.fail(DecodeError::OutOfMemory);
    if (!convertDepth(state.image.palette, dst.get(), job, scratch, src.get()))
        return state.fail(DecodeError::TooLarge);
    return finish(state, h, 8, dst.release());
}

// One colour field of a 16- or 32-bit pixel, scaled from 0..2^bits-1 onto
// 0..255 with truncation. Fields up to 8 bits wide go through a table.
struct Channel {
    uint32_t mask;
    uint32_t shift;
    uint32_t bits;
    uint8_t table[256];

    void prepare(uint32_t m, uint32_t s, uint32_t n) noexcept {
        mask = m;
        shift = s;
        bits = n;
        if (n <= 8) {
            const uint32_t top = (1u << n) - 1;
            for (uint32_t v = 0; v <= top; ++v) table[v] = static_cast<uint8_t>(v * 255 / top);
        }
    }
    uint8_t operator()(uint32_t p) noexcept {
        const uint32_t v = (p & mask) >> shift;
        if (bits <= 8) return table[v];
        // Wide fields: 64-bit product, so that v * 255 cannot wrap.
        return static_cast<uint8_t>(uint64_t{v} * 255 / ((uint64_t{1} << bits) - 1));
    }
};

// Number of halvings until the value reaches 0, at least 1.
uint32_t bitLength(uint32_t v) noexcept {
    uint32_t n = 0;
    for (; v; v >>= 1) ++n;
    return n ? n : 1;
}

uint32_t lowestSetBit(uint32_t v) noexcept {
    if (v == 0) return 0;
    uint32_t n = 0;
    for (; !(v & 1); v >>= 1) ++n;
    return n;
}

// 16- and 32-bit files. Each colour field is read from where its mask puts
// it and scaled from its own width: writers order the fields differently
// (blue lowest is usual, red lowest and a low alpha byte both occur).
LoadedImage* readMasked(const Source& in, DecoderState& state, const BmpHeader& h) noexcept {
    uint32_t red, green, blue;
    if (h.compression == Compression::BitFields) {
        uint8_t m[12] = {};
        in.copy(kFileHeaderBytes + kInfoHeaderBytes, m, 12);
        red = le32(m);
        green = le32(m + 4);
        blue = le32(m + 8);
    } else if (h.bitCount == 16) {
        red = 0x7C00, green = 0x03E0, blue = 0x001F;
    } else {
        red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    }
    const uint32_t sB = lowestSetBit(blue), sG = lowestSetBit(green), sR = lowestSetBit(red);
    const uint32_t nB = bitLength(blue >> sB);
    const uint32_t nG = bitLength(green >> sG);
    const uint32_t nR = bitLength(red >> sR);
    // A field 32 bits wide leaves no divisor (2^32 - 1 does not fit).
    if (nB >= 32 || nG >= 32 || nR >= 32) return state.fail(DecodeError::UnusableMasks);
    if (h.offBits >= in.size()) return state.fail(DecodeError::MissingImageData);

    Channel cb, cg, cr;
    cb.prepare(blue, sB, nB);
    cg.prepare(green, sG, nG);
    cr.prepare(red, sR, nR);

    const uint32_t dstStride = rowStride(h.width, 24);
    PageBlock dst(pixelBlockSize(h.width, h.height, 24));
    if (!dst) return state.fail(DecodeError::OutOfMemory);

    const uint32_t w = static_cast<uint32_t>(h.width);
    const uint32_t bytesPerPixel = h.bitCount / 8;
    // 16-bit rows hold an even number of pixels, so every row is a multiple
    // of 4 bytes; 32-bit rows are 4 bytes a pixel anyway.
    const uint64_t srcRow = uint64_t{h.bitCount == 16 ? ((w + 1) & ~1u) : w} * bytesPerPixel;
    // The pixel bytes: in place when they are in memory, else read from the
    // file into a block of their own (no more than the picture needs).
    const uint64_t needed = srcRow * static_cast<uint32_t>(h.height);
    const uint64_t inFile = in.size() - h.offBits;
    uint64_t avail = inFile < needed ? inFile : needed;
    const uint8_t* data;
    PageBlock rest;
    if (in.memory()) {
        data = in.memory() + h.offBits;
    } else {
        rest = PageBlock(static_cast<size_t>(avail));
        if (!rest) return state.fail(DecodeError::OutOfMemory);
        avail = in.copy(h.offBits, rest.get(), static_cast<size_t>(avail));
        data = rest.get();
    }
    for (uint32_t y = 0; y < static_cast<uint32_t>(h.height); ++y) {
        const uint64_t rowStart = uint64_t{y} * srcRow;
        if (rowStart >= avail) break;  // the rest stays zero: black
        const uint8_t* s = data + rowStart;
        uint8_t* d = dst.get() + size_t{y} * dstStride;
        // Pixels wholly in the file, then at most one cut short whose missing
        // bytes read as 0; anything after it stays zero, which is black.
        const uint64_t rowAvail = avail - rowStart;
        const uint64_t need = uint64_t{w} * bytesPerPixel;
        const uint32_t whole =
            rowAvail >= need ? w : static_cast<uint32_t>(rowAvail / bytesPerPixel);
        for (uint32_t x = 0; x < whole; ++x, s += bytesPerPixel, d += 3) {
            const uint32_t p = bytesPerPixel == 2 ? le16(s) : le32(s);
            d[0] = cb(p);
            d[1] = cg(p);
            d[2] = cr(p);
        }
        if (whole < w) {
            uint8_t tail[4] = {};
            std::memcpy(tail, s, static_cast<size_t>(rowAvail - uint64_t{whole} * bytesPerPixel));
            const uint32_t p = bytesPerPixel == 2 ? le16(tail) : le32(tail);
            d[0] = cb(p);
            d[1] = cg(p);
            d[2] = cr(p);
        }
    }
    return finish(state, h, 24, dst.release());
}

bool acceptedSide(int32_t v) noexcept { return v >= 1 && v <= kMaxImageSide; }

// Reads the headers and hands over to the reader for the bit count.
LoadedImage* decodeBmp(const Source& in, DecoderState& state) noexcept {
    state.error = DecodeError::None;
    std::memset(state.image.palette, 0, sizeof state.image.palette);
    state.depthJob = DepthJob{};
    // Both headers must be there: a file cut inside them has no picture.
    uint8_t p[kFileHeaderBytes + kInfoHeaderBytes];
    if (in.copy(0, p, sizeof p) != sizeof p) return state.fail(DecodeError::Truncated);
    if (p[0] != 'B' || p[1] != 'M') return state.fail(DecodeError::BadSignature);
    BmpHeader h;
    h.offBits = le32(p + 10);
    const uint8_t* ih = p + kFileHeaderBytes;
    h.infoSize = le32(ih);
    h.width = static_cast<int32_t>(le32(ih + 4));
    h.height = static_cast<int32_t>(le32(ih + 8));
    h.bitCount = le16(ih + 14);
    h.compression = static_cast<Compression>(le32(ih + 16));
    h.xPelsPerMeter = static_cast<int32_t>(le32(ih + 24));
    h.yPelsPerMeter = static_cast<int32_t>(le32(ih + 28));
    h.clrUsed = le32(ih + 32);

    // Top-down bitmaps have a negative height and are refused here too.
    if (!acceptedSide(h.width) || !acceptedSide(h.height))
        return state.fail(DecodeError::SideOutOfRange);
    switch (h.bitCount) {
        case 1:
        case 4:
            if (h.compression != Compression::None)
                return state.fail(DecodeError::UnsupportedCompression);
            return readPacked(in, state, h);
        case 8:
        case 24:
            if (h.compression != Compression::None)
                return state.fail(DecodeError::UnsupportedCompression);
            return readDirect(in, state, h);
        case 16:
        case 32:
            if (h.compression != Compression::None && h.compression != Compression::BitFields)
                return state.fail(DecodeError::UnsupportedCompression);
            return readMasked(in, state, h);
        default:
            return state.fail(DecodeError::UnsupportedBitDepth);
    }
}

}  // namespace

LoadedImage* decodeBmpBytes(DecoderState& state) noexcept {
    if (!state.view) return state.fail(DecodeError::Truncated);
    return decodeBmp(Source(state.view, state.fileSize), state);
}

// The file is read with ordinary reads: the 8- and 24-bit pixel data goes
// with one read straight into the picture's block.
LoadedImage* readBmp(const wchar_t* path, DecoderState& state) noexcept {
    InputFile file;
    if (!file.open(path)) return state.fail(DecodeError::OpenFailed);
    const uint64_t size = file.size();
    state.fileSize = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    return decodeBmp(Source(file), state);
}
