// TIFF reader: the first image of a baseline file, either byte order,
// uncompressed or compressed with LZW, Deflate or PackBits (LZW and Deflate
// with or without the horizontal predictor). Bilevel, grey and palette
// pictures become 8-bit palettised ones, RGB pictures with 8 or 16 bits a
// sample 24-bit ones. Strips are read straight from the mapped file;
// compressed ones are expanded a row at a time, so nothing is gathered into a
// second copy of the picture.
#include <zlib.h>

#include <bit>
#include <cstring>
#include <utility>

#include "base/app_heap.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/inflate_stream.h"
#include "image/orientation.h"

namespace {

enum Tag : uint16_t {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kOrientation = 274,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kPredictor = 317,
    kColorMap = 320,
};
enum FieldType : uint16_t { kShort = 3, kLong = 4 };
enum : uint16_t { kVersion = 42 };
enum Compression : uint16_t {
    kUncompressed = 1,
    kLzw = 5,
    kDeflate = 8,
    kPackBits = 32773,
    kDeflateOld = 32946,  // the code Deflate had before it was registered
};
enum Predictor : uint16_t { kNoPredictor = 1, kHorizontal = 2 };
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
    uint16_t compression = kUncompressed;
    uint16_t predictor = kNoPredictor;
    uint16_t orientation = 1;
    uint32_t rowsPerStrip = 0xFFFFFFFFu;
    StripTable offsets, lengths;
};

// A SHORT or LONG value held in the entry itself; false for other types.
bool entryNumber(const TiffBytes& f, size_t entry, uint32_t& v) noexcept {
    const uint16_t type = f.u16(entry + 2);
    if (type == kShort)
        v = f.u16(entry + 8);
    else if (type == kLong)
        v = f.u32(entry + 8);
    else
        return false;
    return true;
}

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
                uint32_t v;
                if (!entryNumber(f, e, v)) return DecodeError::BadHeader;
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
                d.compression = f.u16(e + 8);
                if (d.compression != kUncompressed && d.compression != kLzw &&
                    d.compression != kDeflate && d.compression != kDeflateOld &&
                    d.compression != kPackBits)
                    return DecodeError::UnsupportedCompression;
                break;
            case kPredictor:
                d.predictor = f.u16(e + 8);
                if (d.predictor != kNoPredictor && d.predictor != kHorizontal)
                    return DecodeError::UnsupportedCompression;
                break;
            case kRowsPerStrip:
                if (!entryNumber(f, e, d.rowsPerStrip) || d.rowsPerStrip == 0)
                    return DecodeError::BadHeader;
                break;
            case kOrientation:
                d.orientation = f.u16(e + 8);
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

// Bytes an LZW strip may write past what it delivers.
constexpr size_t kLzwSlack = 8;

// Expanders of one compressed strip. begin() starts a strip; read() delivers
// up to n bytes and returns how many, fewer only once the strip's data is
// used up or found corrupt; consumed() tells how many input bytes it took.

class PackBitsStrip {
public:
    void begin(const uint8_t* in, size_t length) noexcept {
        in_ = in;
        length_ = length;
        pos_ = 0;
        literal_ = run_ = 0;
    }
    size_t consumed() const noexcept { return pos_; }

    size_t read(uint8_t* out, size_t n) noexcept {
        size_t got = 0;
        while (got < n) {
            if (literal_ != 0) {
                size_t k = literal_ < n - got ? literal_ : n - got;
                if (k > length_ - pos_) k = length_ - pos_;
                if (k == 0) break;  // the literal runs past the strip
                std::memcpy(out + got, in_ + pos_, k);
                pos_ += k;
                got += k;
                literal_ -= k;
            } else if (run_ != 0) {
                const size_t k = run_ < n - got ? run_ : n - got;
                std::memset(out + got, runByte_, k);
                got += k;
                run_ -= k;
            } else {
                if (pos_ == length_) break;
                const int head = static_cast<int8_t>(in_[pos_++]);
                if (head >= 0) {
                    literal_ = static_cast<size_t>(head) + 1;
                } else if (head != -128) {  // -128 is a no-op
                    if (pos_ == length_) break;
                    runByte_ = in_[pos_++];
                    run_ = static_cast<size_t>(1 - head);
                }
            }
        }
        return got;
    }

private:
    const uint8_t* in_ = nullptr;
    size_t length_ = 0, pos_ = 0;
    size_t literal_ = 0, run_ = 0;
    uint8_t runByte_ = 0;
};

class DeflateStrip {
public:
    DeflateStrip() noexcept = default;
    ~DeflateStrip() {
        if (open_) inflateEnd(&z_);
    }
    DeflateStrip(const DeflateStrip&) = delete;
    DeflateStrip& operator=(const DeflateStrip&) = delete;

    bool open() noexcept {
        open_ = openInflateStream(z_);
        return open_;
    }
    void begin(const uint8_t* in, size_t length) noexcept {
        inflateReset(&z_);
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = static_cast<uInt>(length);  // no more than the file's 32-bit size
        done_ = false;
    }
    size_t consumed() const noexcept { return z_.total_in; }

    size_t read(uint8_t* out, size_t n) noexcept {
        if (done_) return 0;
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(n);
        // Z_OK means progress was made; anything else is the end of the
        // stream, corrupt data or input used up.
        while (z_.avail_out != 0) {
            if (inflate(&z_, Z_NO_FLUSH) != Z_OK) {
                done_ = true;
                break;
            }
        }
        return n - z_.avail_out;
    }

private:
    z_stream z_{};
    bool open_ = false;
    bool done_ = false;
};

// LZW as TIFF writes it: codes most significant bit first, 9 to 12 bits
// wide, the width growing one code early; 256 clears the table, 257 ends
// the strip. A code's string is written straight into the caller's buffer
// when it fits there, otherwise into `pending` and handed out from there.
// Each entry keeps the first 8 bytes of its string in one word, so a short
// string is one 8-byte store and a long one a walk back to its eighth byte;
// stores may reach up to 7 bytes past the string (kLzwSlack: the caller's
// buffer carries them).
class LzwStrip {
public:
    bool open() noexcept {
        t_.reset(static_cast<Tables*>(heapAlloc(sizeof(Tables))));
        if (!t_) return false;
        for (unsigned c = 0; c < 256; ++c)
            t_.get()->entry[c] = Entry{
                {static_cast<uint8_t>(c)}, 0, 1, static_cast<uint8_t>(c), static_cast<uint8_t>(c)};
        return true;
    }
    void begin(const uint8_t* in, size_t length) noexcept {
        in_ = in;
        length_ = length;
        pos_ = 0;
        bits_ = 0;
        buffer_ = 0;
        free_ = kFirstFree;
        width_ = 9;
        prev_ = kNone;
        pendingAt_ = pendingEnd_ = 0;
        done_ = false;
    }
    size_t consumed() const noexcept { return pos_; }

    size_t read(uint8_t* out, size_t n) noexcept {
        Tables& t = *t_.get();
        size_t got = 0;
        if (pendingAt_ != pendingEnd_) {
            const size_t k = pendingEnd_ - pendingAt_ < n ? pendingEnd_ - pendingAt_ : n;
            std::memcpy(out, t.pending + pendingAt_, k);
            pendingAt_ += k;
            got = k;
        }
        // The state in locals for the loop, put back at the end.
        Entry* const e = t.entry;
        const uint8_t* const in = in_;
        const size_t length = length_;
        size_t pos = pos_;
        uint32_t buffer = buffer_;
        unsigned bits = bits_, width = width_, free = free_, prev = prev_;
        bool done = done_;
        while (got < n && !done) {
            // The next code; the strip's end counts as an end code. Up to
            // three bytes are taken at once (the word holds 32 bits).
            if (bits < width) {
                while (bits <= 24 && pos != length) {
                    buffer = buffer << 8 | in[pos++];
                    bits += 8;
                }
                if (bits < width) {
                    done = true;
                    break;
                }
            }
            bits -= width;
            const unsigned code = (buffer >> bits) & ((1u << width) - 1);
            if (code == kClear) {
                free = kFirstFree;
                width = 9;
                prev = kNone;
                continue;
            }
            if (code == kEnd) {
                done = true;
                break;
            }
            if (prev == kNone) {  // first code after a clear: a single byte
                if (code > 255) {
                    done = true;
                    break;
                }
                out[got++] = static_cast<uint8_t>(code);
                prev = code;
                continue;
            }
            if (code > free || (code == free && free == kTableSize)) {
                done = true;  // a code not yet defined
                break;
            }
            if (free < kTableSize) {
                const Entry& p = e[prev];
                const uint8_t last = code < free ? e[code].first : p.first;
                Entry& added = e[free];
                std::memcpy(added.head, p.head, 8);
                if (p.length < 8) added.head[p.length] = last;
                added.prefix = static_cast<uint16_t>(prev);
                added.length = static_cast<uint16_t>(p.length + 1);
                added.suffix = last;
                added.first = p.first;
                ++free;
                if (free == (1u << width) - 1 && width < 12) ++width;
            }
            prev = code;
            const size_t len = e[code].length;
            if (len <= n - got) {
                spell(e, code, len, out + got);
                got += len;
            } else {
                spell(e, code, len, t.pending);
                const size_t k = n - got;
                std::memcpy(out + got, t.pending, k);
                got = n;
                pendingAt_ = k;
                pendingEnd_ = len;
            }
        }
        pos_ = pos;
        buffer_ = buffer;
        bits_ = bits;
        width_ = width;
        free_ = free;
        prev_ = prev;
        done_ = done;
        return got;
    }

private:
    static constexpr unsigned kClear = 256, kEnd = 257, kFirstFree = 258;
    static constexpr unsigned kTableSize = 4096, kNone = 0xFFFF;
    // A code's string: its first 8 bytes (fewer for a shorter string, the
    // first in the lowest byte), the code of all but its last byte, its
    // length, its last and its first byte.
    struct Entry {
        uint8_t head[8];
        uint16_t prefix, length;
        uint8_t suffix, first;
    };
    struct Tables {
        Entry entry[kTableSize];
        uint8_t pending[kTableSize + kLzwSlack];
    };

    // Writes the `len` bytes of `code`'s string to out: the bytes past the
    // eighth last byte first, then the first eight at once.
    static void spell(const Entry* e, unsigned code, size_t len, uint8_t* out) noexcept {
        for (size_t i = len; i > 8;) {
            out[--i] = e[code].suffix;
            code = e[code].prefix;
        }
        std::memcpy(out, e[code].head, 8);
    }

    HeapPtr<Tables> t_;
    const uint8_t* in_ = nullptr;
    size_t length_ = 0, pos_ = 0;
    uint32_t buffer_ = 0;
    unsigned bits_ = 0, width_ = 9, free_ = kFirstFree, prev_ = kNone;
    size_t pendingAt_ = 0, pendingEnd_ = 0;
    bool done_ = false;
};

// Undoes horizontal differencing over the first `bytes` bytes of a row:
// each sample is the sum of its own and the same sample of the pixel to
// the left, modulo its width. 16-bit samples are in the file's byte order.
void undoPredictor(uint8_t* row, size_t bytes, unsigned samples, unsigned bits,
                   bool bigEndian) noexcept {
    if (bits == 8 && samples == 3) {  // the running sums kept in registers
        if (bytes < 3) return;
        uint8_t r = row[0], g = row[1], b = row[2];
        for (size_t i = 3; i + 3 <= bytes; i += 3) {
            row[i] = r = static_cast<uint8_t>(r + row[i]);
            row[i + 1] = g = static_cast<uint8_t>(g + row[i + 1]);
            row[i + 2] = b = static_cast<uint8_t>(b + row[i + 2]);
        }
        for (size_t i = bytes - bytes % 3; i < bytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - 3]);
        return;
    }
    if (bits == 8) {
        for (size_t i = samples; i < bytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - samples]);
        return;
    }
    const size_t step = size_t{samples} * 2;
    const size_t hi = bigEndian ? 0 : 1, lo = 1 - hi;
    for (size_t i = step; i + 1 < bytes; i += 2) {
        const unsigned sum =
            (row[i + hi] << 8 | row[i + lo]) + (row[i - step + hi] << 8 | row[i - step + lo]);
        row[i + hi] = static_cast<uint8_t>(sum >> 8);
        row[i + lo] = static_cast<uint8_t>(sum);
    }
}

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

void convertRow(Layout layout, const uint8_t* in, uint8_t* out, uint32_t width,
                bool bigEndian) noexcept {
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
            swapRgb16(in, out, width, bigEndian);
            break;
    }
}

// What the pixel loops share.
struct Target {
    Layout layout;
    uint32_t width, height;
    size_t rowBytes, stride;
    uint8_t* pixels;  // bottom-up
    uint8_t* joined;  // one row of file data, and kLzwSlack bytes
    bool bigEndian;

    uint8_t* row(uint32_t y) const noexcept { return pixels + size_t{height - 1 - y} * stride; }
};

// Uncompressed strips: one stream of rows.
void readPlainStrips(const TiffBytes& f, const Directory& d, const Target& t) noexcept {
    RowSource rows(f, d, t.rowBytes, t.joined);
    for (uint32_t y = 0; y < t.height; ++y) {
        const uint8_t* in = rows.next();
        if (!in) break;
        convertRow(t.layout, in, t.row(y), t.width, t.bigEndian);
    }
}

// Compressed strips: each holds RowsPerStrip rows (the last one the rest)
// and is expanded on its own, a row at a time into `joined`. A strip that
// ends early or turns corrupt leaves its remaining rows 0 (a row it stops in
// is kept, 0 where data is missing). The work stays within the picture and
// the file: only the strips the picture needs are opened, a strip is expanded
// no further than its rows, and all strips together take no more input
// bytes than the file holds, even when their tables point at the same bytes.
template <class Strip>
void readCompressedStrips(const TiffBytes& f, const Directory& d, const Target& t,
                          Strip& strip) noexcept {
    const uint32_t perStrip = d.rowsPerStrip < t.height ? d.rowsPerStrip : t.height;
    const uint32_t needed = (t.height - 1) / perStrip + 1;
    const uint32_t strips = needed < d.offsets.count ? needed : d.offsets.count;
    const bool predictor = d.predictor == kHorizontal && d.compression != kPackBits;
    const unsigned samples = t.layout == Layout::Rgb8 || t.layout == Layout::Rgb16 ? 3 : 1;
    const unsigned bits = t.layout == Layout::Rgb16 ? 16 : 8;
    size_t budget = f.size;
    for (uint32_t s = 0; s < strips && budget != 0; ++s) {
        const uint32_t length = d.lengths.value(f, s);
        strip.begin(f.base + d.offsets.value(f, s), length < budget ? length : budget);
        const uint32_t first = s * perStrip;
        const uint32_t end = t.height - first < perStrip ? t.height : first + perStrip;
        for (uint32_t y = first; y < end; ++y) {
            const size_t got = strip.read(t.joined, t.rowBytes);
            if (got == 0) break;
            std::memset(t.joined + got, 0, t.rowBytes - got);
            if (predictor) undoPredictor(t.joined, got, samples, bits, t.bigEndian);
            convertRow(t.layout, t.joined, t.row(y), t.width, t.bigEndian);
            if (got < t.rowBytes) break;
        }
        const size_t used = strip.consumed();
        budget -= used < budget ? used : budget;
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
    // The predictor works on whole 8- or 16-bit samples.
    if (d.predictor == kHorizontal &&
        (d.compression == kLzw || d.compression == kDeflate || d.compression == kDeflateOld) &&
        !rgb && layout != Layout::Bits8)
        return state.fail(DecodeError::UnsupportedCompression);
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
    const HeapPtr<uint8_t> joined(static_cast<uint8_t*>(heapAlloc(rowBytes + kLzwSlack)));
    if (!pixels || !joined) return state.fail(DecodeError::OutOfMemory);

    // Rows run top to bottom in the file, bottom to top in the block. Rows the
    // strips do not reach stay 0.
    const Target target{layout, width,        height,       rowBytes,
                        stride, pixels.get(), joined.get(), f.bigEndian};
    switch (d.compression) {
        case kUncompressed:
            readPlainStrips(f, d, target);
            break;
        case kPackBits: {
            PackBitsStrip strip;
            readCompressedStrips(f, d, target, strip);
            break;
        }
        case kLzw: {
            LzwStrip strip;
            if (!strip.open()) return state.fail(DecodeError::OutOfMemory);
            readCompressedStrips(f, d, target, strip);
            break;
        }
        default: {
            DeflateStrip strip;
            if (!strip.open()) return state.fail(DecodeError::OutOfMemory);
            readCompressedStrips(f, d, target, strip);
            break;
        }
    }
    setOutputHeader(state, static_cast<int32_t>(width), static_cast<int32_t>(height), bitCount, 0,
                    0);
    state.image.bits = pixels.release();
    // A scanner's or camera's Orientation tag: the picture is kept upright.
    if (!applyOrientation(state.image, orientationFromValue(d.orientation))) {
        const PageBlock dropped = PageBlock::adopt(std::exchange(state.image.bits, nullptr));
        return state.fail(DecodeError::OutOfMemory);
    }
    return &state.image;
}
