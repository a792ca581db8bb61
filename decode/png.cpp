// PNG reader: chunk parsing with CRC checks, zlib inflate, the five filter
// types, Adam7, 16-bit samples reduced to their high byte, and transparency
// flattened onto the bKGD colour (or white), since the wallpaper has no alpha.
// Rows are written straight into the final bottom-up pixel block.
#include <zlib.h>

#include <bit>
#include <cstring>
#include <utility>

#include "base/app_heap.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/inflate_stream.h"
#include "decode/png_rows.h"

namespace png {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t kSignatureAndHeader = 33;  // signature + IHDR chunk

constexpr uint32_t chunkType(const char (&s)[5]) noexcept {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}
constexpr uint32_t kIHDR = chunkType("IHDR"), kPLTE = chunkType("PLTE"), kIDAT = chunkType("IDAT"),
                   kIEND = chunkType("IEND"), kTRNS = chunkType("tRNS"), kBKGD = chunkType("bKGD"),
                   kPHYS = chunkType("pHYs");

inline uint32_t be32(const uint8_t* p) noexcept {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// `chunk` points at a chunk's length field and the whole chunk (length + 12
// bytes) is known to lie inside the file.
// The CRC-32 of PNG and zlib is the same one (reflected polynomial
// 0xEDB88320), so zlib's implementation serves; it is fast on the tens of
// megabytes of image data.
bool crcMatches(const uint8_t* chunk, uint32_t length) noexcept {
    const uint32_t crc = static_cast<uint32_t>(crc32_z(0, chunk + 4, size_t{length} + 4));
    return crc == be32(chunk + 8 + length);
}

// Two row buffers (filter-type byte then the row, then slack for the row
// routines) in one application-heap block, zero-filled.
class RowBuffers {
public:
    bool allocate(size_t bytesPlusOne) noexcept {
        size_ = bytesPlusOne + kRowSlack;
        block_.reset(static_cast<uint8_t*>(heapAlloc(2 * size_)));
        if (!block_) return false;
        cur = block_.get();
        prior = block_.get() + size_;
        clear();
        return true;
    }
    void clear() noexcept { std::memset(block_.get(), 0, 2 * size_); }

    uint8_t* cur = nullptr;
    uint8_t* prior = nullptr;

private:
    HeapPtr<uint8_t> block_;
    size_t size_ = 0;
};

enum class RowResult { Full, Last, Stop };

// The compressed image data: one run of IDAT chunks, all inside the file.
// Inflated a row at a time; the chunks are fed to zlib one after another, so
// data split over many chunks needs no gathering copy. Each chunk's CRC is
// checked as it is fed (while its bytes are about to be read anyway), the
// rest by checkRest(); any mismatch fails the whole decode.
class IdatStream {
public:
    IdatStream(const uint8_t* firstChunk, const uint8_t* runEnd) noexcept
        : next_(firstChunk), end_(runEnd) {}
    ~IdatStream() {
        if (open_) inflateEnd(&z_);
    }
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    // After the rows: the CRCs of the chunks inflate did not reach.
    bool checkRest() noexcept {
        while (!damaged_ && next_ != end_) feedNextChunk();
        return !damaged_;
    }

    bool open() noexcept {
        open_ = openInflateStream(z_);
        return open_;
    }

    // Fills row[0..n) with the next n inflated bytes. Full: the row is to be
    // used, also when the data ran out part-way (the bytes not delivered then
    // keep what `prior` holds there, the row buffers' state before this row);
    // Last: the stream ended with this row, which is to be used; Stop: corrupt
    // or exhausted data, the row is not to be used.
    RowResult fillRow(uint8_t* row, const uint8_t* prior, uint32_t n) noexcept {
        z_.next_out = row;
        z_.avail_out = n;
        for (;;) {
            while (z_.avail_in == 0 && next_ != end_) feedNextChunk();
            const int ret = inflate(&z_, Z_NO_FLUSH);
            if (ret == Z_STREAM_END) {
                keepPriorTail(row, prior, n);
                return RowResult::Last;
            }
            if (ret != Z_OK && ret != Z_BUF_ERROR) return RowResult::Stop;
            if (z_.avail_out == 0) return RowResult::Full;
            if (z_.avail_in != 0) {
                if (ret == Z_OK) continue;  // progress was made; go on
                return RowResult::Stop;
            }
            if (next_ != end_) continue;
            // All data used up inside this row.
            if (z_.avail_out == n) return RowResult::Stop;
            keepPriorTail(row, prior, n);
            return RowResult::Full;
        }
    }

private:
    void feedNextChunk() noexcept {
        const uint32_t length = be32(next_);
        if (!crcMatches(next_, length)) {
            damaged_ = true;
            next_ = end_;  // nothing more is fed; the decode fails
            return;
        }
        z_.next_in = const_cast<Bytef*>(next_ + 8);
        z_.avail_in = length;
        next_ += size_t{length} + 12;
    }
    void keepPriorTail(uint8_t* row, const uint8_t* prior, uint32_t n) noexcept {
        const uint32_t done = n - z_.avail_out;
        if (done < n) std::memcpy(row + done, prior + done, n - done);
    }

    z_stream z_{};
    bool open_ = false;
    bool damaged_ = false;
    const uint8_t* next_;  // next chunk of the run to feed (its length field)
    const uint8_t* end_;   // just past the run
};

struct Pass {
    uint32_t startCol, startRow, colStep, rowStep;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

struct Colour {
    uint8_t red, green, blue;
};

// The colour types of the header; the bits say palette (1), colour (2) and
// alpha (4).
enum class ColourType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

class PngDecoder {
public:
    explicit PngDecoder(DecoderState& state) noexcept : state_(state) {}
    LoadedImage* run() noexcept;

private:
    // Records why the decode stops; false, for the step that found it.
    bool fail(DecodeError why) noexcept {
        state_.error = why;
        return false;
    }
    bool readHeader() noexcept;
    bool choosePixelFormat() noexcept;
    bool chunkLoop() noexcept;
    void takePalette(const uint8_t* data, uint32_t length) noexcept;
    void takeTransparency(const uint8_t* data, uint32_t length) noexcept;
    void takeBackground(const uint8_t* data, uint32_t length) noexcept;
    void takeResolution(const uint8_t* data, uint32_t length) noexcept;
    bool decodeImageData(const uint8_t* firstChunk, size_t* runLength) noexcept;
    void inflateRows(IdatStream& stream, RowBuffers& rows) noexcept;
    void fillUndecoded(int pass, uint32_t fromRow) noexcept;
    void flattenTransparency() noexcept;

    uint32_t rowBytes(uint32_t pixels) const noexcept {
        switch (bitDepth_) {
            case 1:
                return (pixels + 7) / 8;
            case 2:
                return (pixels + 3) / 4;
            case 4:
                return (pixels + 1) / 2;
            default:
                return pixels * filterUnit_;
        }
    }
    Colour flattenColour() const noexcept {
        return bkgdTaken_ ? background_ : Colour{255, 255, 255};
    }

    DecoderState& state_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;

    uint32_t width_ = 0, height_ = 0;
    int bitDepth_ = 0;
    ColourType colourType_ = ColourType::Grey;
    bool interlaced_ = false, isGrey_ = false, hasAlpha_ = false;
    uint32_t filterUnit_ = 1;
    int outBitCount_ = 8;
    uint32_t outStride_ = 0;
    PixelFormat format_ = PixelFormat::Index8;

    uint32_t paletteCount_ = 0;
    bool plteTaken_ = false, idatTaken_ = false, bkgdTaken_ = false, trnsTaken_ = false;
    Colour background_{};
    Colour transparent_{};  // for grey, the index is in `green`
    uint8_t alphaTable_[256];
    int32_t xPelsPerMeter_ = 0, yPelsPerMeter_ = 0;

    PageBlock pixels_;
    Blend blend_;
};

bool PngDecoder::readHeader() noexcept {
    if (size_ < sizeof kSignature) return fail(DecodeError::Truncated);
    if (std::memcmp(data_, kSignature, sizeof kSignature) != 0)
        return fail(DecodeError::BadSignature);
    if (size_ < kSignatureAndHeader) return fail(DecodeError::Truncated);
    const uint8_t* chunk = data_ + 8;
    if (be32(chunk) != 13 || be32(chunk + 4) != kIHDR) return fail(DecodeError::BadHeader);
    if (!crcMatches(chunk, 13)) return fail(DecodeError::ChunkCrc);
    const uint8_t* h = chunk + 8;
    width_ = be32(h);
    height_ = be32(h + 4);
    if (width_ < 1 || width_ > uint32_t{kMaxImageSide} || height_ < 1 ||
        height_ > uint32_t{kMaxImageSide})
        return fail(DecodeError::SideOutOfRange);
    bitDepth_ = h[8];
    colourType_ = static_cast<ColourType>(h[9]);
    if (h[10] != 0) return fail(DecodeError::UnsupportedCompression);
    if (h[11] != 0 || h[12] > 1) return fail(DecodeError::BadHeader);  // filter, interlace method
    interlaced_ = h[12] == 1;
    return choosePixelFormat();
}

bool PngDecoder::choosePixelFormat() noexcept {
    const int d = bitDepth_;
    if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16)
        return fail(DecodeError::UnsupportedBitDepth);
    const bool wide = d == 16;
    switch (colourType_) {
        case ColourType::Grey:
        case ColourType::Palette:
            if (colourType_ == ColourType::Palette && wide)
                return fail(DecodeError::UnsupportedBitDepth);
            filterUnit_ = wide ? 2 : 1;
            format_ = d == 1   ? PixelFormat::Packed1
                      : d == 2 ? PixelFormat::Packed2
                      : d == 4 ? PixelFormat::Packed4
                      : wide   ? PixelFormat::Grey16
                               : PixelFormat::Index8;
            outBitCount_ = 8;
            break;
        case ColourType::GreyAlpha:
            if (d < 8) return fail(DecodeError::UnsupportedBitDepth);
            filterUnit_ = wide ? 4 : 2;
            format_ = wide ? PixelFormat::GreyAlpha16 : PixelFormat::GreyAlpha8;
            outBitCount_ = 8;
            break;
        case ColourType::Rgb:
            if (d < 8) return fail(DecodeError::UnsupportedBitDepth);
            filterUnit_ = wide ? 6 : 3;
            format_ = wide ? PixelFormat::Rgb16 : PixelFormat::Rgb8;
            outBitCount_ = 24;
            break;
        case ColourType::Rgba:
            if (d < 8) return fail(DecodeError::UnsupportedBitDepth);
            filterUnit_ = wide ? 8 : 4;
            format_ = wide ? PixelFormat::Rgba16 : PixelFormat::Rgba8;
            outBitCount_ = 24;
            break;
        default:
            return fail(DecodeError::UnsupportedColourModel);
    }
    const auto bits = static_cast<uint8_t>(colourType_);
    isGrey_ = (bits & 2) == 0;
    hasAlpha_ = (bits & 4) != 0;
    outStride_ = rowStride(static_cast<int32_t>(width_), outBitCount_);
    if (isGrey_) {
        const uint32_t step = d == 1 ? 255 : d == 2 ? 85 : d == 4 ? 17 : 1;
        for (uint32_t i = 0, v = 0; v < 256; ++i, v += step) {
            auto& e = state_.image.palette[i];
            e.rgbBlue = e.rgbGreen = e.rgbRed = static_cast<uint8_t>(v);
            e.rgbReserved = 0;
        }
    }
    return true;
}

LoadedImage* PngDecoder::run() noexcept {
    state_.error = DecodeError::None;
    data_ = state_.view;
    size_ = data_ ? state_.fileSize : 0;
    std::memset(state_.image.palette, 0, sizeof state_.image.palette);
    std::memset(alphaTable_, 255, sizeof alphaTable_);
    if (!readHeader() || !chunkLoop()) return nullptr;
    flattenTransparency();
    setOutputHeader(state_, static_cast<int32_t>(width_), static_cast<int32_t>(height_),
                    outBitCount_, xPelsPerMeter_, yPelsPerMeter_);
    state_.image.bits = pixels_.release();
    return &state_.image;
}

bool PngDecoder::chunkLoop() noexcept {
    size_t pos = kSignatureAndHeader;
    for (;;) {
        if (size_ - pos < 8) return fail(DecodeError::Truncated);  // no IEND
        const uint8_t* chunk = data_ + pos;
        const uint32_t length = be32(chunk);
        // Type, data and CRC must lie inside the file.
        if (length >= 0x80000000u || size_ - pos - 4 < size_t{length} + 8)
            return fail(DecodeError::DataOutsideFile);
        const uint32_t type = be32(chunk + 4);
        const uint8_t* data = chunk + 8;
        size_t advance = size_t{length} + 12;
        switch (type) {
            case kIHDR:
                return fail(DecodeError::ChunkOrder);
            case kPLTE:
                if (colourType_ != ColourType::Palette) break;
                if (plteTaken_ || idatTaken_) return fail(DecodeError::ChunkOrder);
                if (!crcMatches(chunk, length)) return fail(DecodeError::ChunkCrc);
                takePalette(data, length);
                break;
            case kIDAT:
                if (idatTaken_) return fail(DecodeError::ChunkOrder);  // a second run
                if (!decodeImageData(chunk, &advance)) return false;
                break;
            case kIEND:
                if (!crcMatches(chunk, length)) return fail(DecodeError::ChunkCrc);
                if (!idatTaken_) return fail(DecodeError::MissingImageData);
                if (colourType_ == ColourType::Palette && !plteTaken_)
                    return fail(DecodeError::MissingPalette);
                return true;
            case kTRNS:
                if (!trnsTaken_ && !idatTaken_ && crcMatches(chunk, length))
                    takeTransparency(data, length);
                break;
            case kBKGD:
                if (!bkgdTaken_ && !idatTaken_ && crcMatches(chunk, length))
                    takeBackground(data, length);
                break;
            case kPHYS:
                if (!idatTaken_ && length == 9 && crcMatches(chunk, length))
                    takeResolution(data, length);
                break;
            default:
                break;  // gAMA, text and everything unknown: skipped
        }
        pos += advance;
    }
}

void PngDecoder::takePalette(const uint8_t* data, uint32_t length) noexcept {
    const uint32_t limit = 1u << bitDepth_;  // 2, 4, 16 or 256
    uint32_t count = length / 3;
    if (count > limit) count = limit;
    for (uint32_t i = 0; i < count; ++i) {
        auto& e = state_.image.palette[i];
        e.rgbRed = data[3 * i];
        e.rgbGreen = data[3 * i + 1];
        e.rgbBlue = data[3 * i + 2];
        e.rgbReserved = 0;
    }
    paletteCount_ = count;
    plteTaken_ = true;
}

void PngDecoder::takeTransparency(const uint8_t* data, uint32_t length) noexcept {
    const int hi = bitDepth_ == 16 ? 0 : 1;  // which byte of a 2-byte sample
    if (colourType_ == ColourType::Grey && length == 2) {
        transparent_.green = data[hi];
    } else if (colourType_ == ColourType::Rgb && length == 6) {
        transparent_ = {data[hi], data[2 + hi], data[4 + hi]};
    } else if (colourType_ == ColourType::Palette && plteTaken_ && length <= paletteCount_) {
        std::memcpy(alphaTable_, data, length);
    } else {
        return;
    }
    trnsTaken_ = true;
}

void PngDecoder::takeBackground(const uint8_t* data, uint32_t length) noexcept {
    const int hi = bitDepth_ == 16 ? 0 : 1;
    if (isGrey_ && length == 2) {
        const uint32_t scale = bitDepth_ == 1 ? 255 : bitDepth_ == 2 ? 85 : bitDepth_ == 4 ? 17 : 1;
        const uint8_t g = bitDepth_ == 16 ? data[0] : static_cast<uint8_t>(data[1] * scale);
        background_ = {g, g, g};
    } else if (colourType_ == ColourType::Palette && plteTaken_ && length == 1) {
        const auto& e = state_.image.palette[data[0]];
        background_ = {e.rgbRed, e.rgbGreen, e.rgbBlue};
    } else if ((colourType_ == ColourType::Rgb || colourType_ == ColourType::Rgba) && length == 6) {
        background_ = {data[hi], data[2 + hi], data[4 + hi]};
    } else {
        return;
    }
    bkgdTaken_ = true;
}

void PngDecoder::takeResolution(const uint8_t* data, uint32_t) noexcept {
    if (data[8] != 1) return;
    const uint32_t x = be32(data), y = be32(data + 4);
    if (x >= 0x80000000u || y >= 0x80000000u) return;
    xPelsPerMeter_ = static_cast<int32_t>(x);
    yPelsPerMeter_ = static_cast<int32_t>(y);
}

// The first IDAT chunk is at `firstChunk`; checks the whole run of IDAT
// chunks, inflates it into the pixel block and tells the chunk loop how far
// to jump.
bool PngDecoder::decodeImageData(const uint8_t* firstChunk, size_t* runLength) noexcept {
    // Walk the run: every chunk inside the file, and the chunk after it
    // inside the file too. (The CRCs are checked as the data is inflated.)
    size_t pos = static_cast<size_t>(firstChunk - data_);
    const size_t start = pos;
    for (;;) {
        if (size_ - pos < 8) return fail(DecodeError::Truncated);
        const uint8_t* chunk = data_ + pos;
        const uint32_t length = be32(chunk);
        if (length >= 0x80000000u || size_ - pos - 4 < size_t{length} + 8)
            return fail(DecodeError::DataOutsideFile);
        if (be32(chunk + 4) != kIDAT) break;
        pos += size_t{length} + 12;
    }
    idatTaken_ = true;
    *runLength = pos - start;

    const uint32_t blockSize =
        pixelBlockSize(static_cast<int32_t>(width_), static_cast<int32_t>(height_), outBitCount_);
    if (blockSize == 0) return fail(DecodeError::TooLarge);
    pixels_ = PageBlock(blockSize);
    if (!pixels_) return fail(DecodeError::OutOfMemory);

    IdatStream stream(firstChunk, data_ + pos);
    if (!stream.open()) return fail(DecodeError::OutOfMemory);
    RowBuffers rows;
    if (!rows.allocate(size_t{rowBytes(width_)} + 1)) return fail(DecodeError::OutOfMemory);
    if (hasAlpha_) {
        const Colour k = flattenColour();
        blend_.colour[0] = k.red;
        blend_.colour[1] = k.green;
        blend_.colour[2] = k.blue;
        blend_.colour[3] = 0;
        blend_.product = productTable();
        for (int a = 0; a < 256; ++a) {
            const uint8_t* t = blend_.product + ((255 - a) << 8);
            blend_.backPart[a][0] = t[k.blue];
            blend_.backPart[a][1] = t[k.green];
            blend_.backPart[a][2] = t[k.red];
            blend_.backPart[a][3] = 0;
        }
    }
    inflateRows(stream, rows);
    return stream.checkRest() || fail(DecodeError::ChunkCrc);
}

void PngDecoder::inflateRows(IdatStream& stream, RowBuffers& rows) noexcept {
    const uint32_t outPixelBytes = outBitCount_ / 8;
    const int passCount = interlaced_ ? 7 : 1;
    for (int p = 0; p < passCount; ++p) {
        const Pass& pass = interlaced_ ? kAdam7[p] : kWhole;
        if (pass.startCol >= width_ || pass.startRow >= height_) continue;
        const uint32_t passWidth = (width_ - pass.startCol + pass.colStep - 1) / pass.colStep;
        const uint32_t passHeight = (height_ - pass.startRow + pass.rowStep - 1) / pass.rowStep;
        const uint32_t bytesPlusOne = rowBytes(passWidth) + 1;
        if (p > 0) rows.clear();
        const RowRoutine* routines = rowRoutines(format_, pass.colStep != 1);
        RowJob job{};
        job.pixels = passWidth;
        job.pixelStep = pass.colStep;
        job.blend = &blend_;
        uint32_t picRow = pass.startRow;
        for (uint32_t r = 0; r < passHeight; ++r, picRow += pass.rowStep) {
            const RowResult result = stream.fillRow(rows.cur, rows.prior, bytesPlusOne);
            if (result == RowResult::Stop) {
                fillUndecoded(p, r);
                return;
            }
            const uint8_t filter = rows.cur[0] > 4 ? 0 : rows.cur[0];
            job.cur = rows.cur + 1;
            job.prior = rows.prior + 1;
            job.out = pixels_.get() + size_t{height_ - 1 - picRow} * outStride_ +
                      size_t{pass.startCol} * outPixelBytes;
            routines[filter](job);
            std::swap(rows.cur, rows.prior);
            if (result == RowResult::Last) {
                fillUndecoded(p, r + 1);
                return;
            }
        }
    }
}

// Pixels that no row reached keep the block's zeros; where an alpha channel is
// flattened they take the background, as alpha 0 there says.
void PngDecoder::fillUndecoded(int firstPass, uint32_t fromRow) noexcept {
    if (!hasAlpha_) return;
    const Colour k = flattenColour();
    const int passCount = interlaced_ ? 7 : 1;
    for (int p = firstPass; p < passCount; ++p) {
        const Pass& pass = interlaced_ ? kAdam7[p] : kWhole;
        const uint32_t first = p == firstPass ? fromRow : 0;
        for (uint64_t y = pass.startRow + uint64_t{first} * pass.rowStep; y < height_;
             y += pass.rowStep) {
            uint8_t* row = pixels_.get() + size_t(height_ - 1 - y) * outStride_;
            for (uint32_t x = pass.startCol; x < width_; x += pass.colStep) {
                if (outBitCount_ == 8) {
                    row[x] = k.red;
                } else {
                    row[3 * x] = k.blue;
                    row[3 * x + 1] = k.green;
                    row[3 * x + 2] = k.red;
                }
            }
        }
    }
}

// Transparency not already flattened with the rows: a grey or palette image
// changes its palette, an RGB image with a tRNS colour its matching pixels.
void PngDecoder::flattenTransparency() noexcept {
    if (!trnsTaken_) return;
    const Colour k = flattenColour();
    if (colourType_ == ColourType::Grey) {
        auto& e = state_.image.palette[transparent_.green];
        e.rgbRed = k.red;
        e.rgbGreen = k.green;
        e.rgbBlue = k.blue;
    } else if (colourType_ == ColourType::Palette) {
        const uint8_t* t = productTable();
        for (int i = 0; i < 256; ++i) {
            const uint8_t a = alphaTable_[i];
            const uint8_t* ta = t + (a << 8);
            const uint8_t* tb = t + ((255 - a) << 8);
            auto& e = state_.image.palette[i];
            e.rgbRed = static_cast<uint8_t>(ta[e.rgbRed] + tb[k.red]);
            e.rgbGreen = static_cast<uint8_t>(ta[e.rgbGreen] + tb[k.green]);
            e.rgbBlue = static_cast<uint8_t>(ta[e.rgbBlue] + tb[k.blue]);
        }
    } else if (colourType_ == ColourType::Rgb) {
        const uint8_t b = transparent_.blue, g = transparent_.green, r = transparent_.red;
        for (uint32_t y = 0; y < height_; ++y) {
            uint8_t* px = pixels_.get() + size_t{y} * outStride_;
            for (uint32_t x = 0; x < width_; ++x, px += 3) {
                if (px[0] == b && px[1] == g && px[2] == r) {
                    px[0] = k.blue;
                    px[1] = k.green;
                    px[2] = k.red;
                }
            }
        }
    }
}

}  // namespace
}  // namespace png

LoadedImage* decodePng(DecoderState& state) noexcept {
    png::PngDecoder decoder(state);
    return decoder.run();
}
