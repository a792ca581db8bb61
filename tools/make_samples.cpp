// make_samples OUTDIR [FORMAT...]
// Draws the project's own sample pictures, deterministic to the byte: lake
// landscapes at dawn and at dusk, a flower of palette colours and a small
// ornamental tile, in several sizes and in every format the program reads
// (bmp, bmp8, png, jpeg, gif, tiff). Prints the path of every file written.
// With FORMAT arguments only those formats are written.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

// After <cstdio>: the libjpeg header needs FILE and size_t declared first.
#include <jpeglib.h>
#include <zlib.h>

#include "image/bmp_file.h"
#include "image/dib_types.h"
#include "image/loaded_image.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smooth(double t) {
    t = clamp01(t);
    return t * t * (3 - 2 * t);
}
uint8_t byteOf(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// A picture top-down, three bytes red, green, blue a pixel; or, with a
// palette, one index a pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;      // truecolour pictures
    std::vector<uint8_t> index;    // palette pictures
    std::vector<uint8_t> palette;  // 256 x (r, g, b)
    bool indexed() const { return !index.empty(); }

    void put(int x, int y, Rgb c) {
        uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        p[0] = byteOf(c.r);
        p[1] = byteOf(c.g);
        p[2] = byteOf(c.b);
    }
    // The colour of a pixel whatever the kind of picture.
    const uint8_t* colour(int x, int y) const {
        if (indexed()) return &palette[size_t{index[size_t(y) * width + x]} * 3];
        return &rgb[(size_t(y) * width + x) * 3];
    }
};

struct Mood {
    Rgb skyTop, skyHorizon, sun, glow;
    Rgb hills[3];  // far to near
    double sunX, sunY, seed;
};

constexpr Mood kDawn{{28, 52, 120},
                     {250, 178, 120},
                     {255, 246, 214},
                     {255, 196, 120},
                     {{150, 120, 160}, {92, 86, 128}, {38, 52, 70}},
                     0.68,
                     0.36,
                     1.0};
constexpr Mood kDusk{{16, 18, 60},
                     {236, 110, 92},
                     {255, 220, 170},
                     {250, 120, 80},
                     {{120, 80, 120}, {70, 48, 86}, {22, 24, 42}},
                     0.30,
                     0.40,
                     2.7};
constexpr Mood kNoon{{60, 130, 210},
                     {190, 225, 245},
                     {255, 255, 240},
                     {255, 250, 220},
                     {{130, 170, 190}, {80, 140, 110}, {40, 90, 50}},
                     0.78,
                     0.22,
                     4.1};

// Height of a ridge line (fraction of the picture from the top) at u.
double ridge(int layer, double u, double seed) {
    const double base[3] = {0.50, 0.555, 0.605};
    const double amp[3] = {0.09, 0.06, 0.035};
    const double s = seed + layer * 1.7;
    const double wave = 0.5 * std::sin(2 * kPi * (1.3 * u + 0.11 * s)) +
                        0.3 * std::sin(2 * kPi * (3.1 * u + 0.37 * s)) +
                        0.2 * std::sin(2 * kPi * (7.7 * u + 0.73 * s));
    return base[layer] - amp[layer] * (0.6 + 0.5 * wave);
}

// Sky, sun and hills above the water line at (u, v).
Rgb scenery(const Mood& m, double u, double v, double aspect) {
    Rgb c = mix(m.skyTop, m.skyHorizon, smooth(v / 0.62));
    const double dx = (u - m.sunX) * aspect, dy = v - m.sunY;
    const double d = std::sqrt(dx * dx + dy * dy);
    c = mix(c, m.glow, 0.55 * std::exp(-d * d / 0.02));
    if (d < 0.045) c = mix(c, m.sun, smooth((0.045 - d) / 0.006));
    for (int layer = 0; layer < 3; ++layer) {
        const double top = ridge(layer, u, m.seed);
        if (v >= top) {
            // Farther hills fade into the haze of the horizon; each is lit
            // along its crest and darker further down.
            const double haze = 0.35 * (2 - layer) / 2;
            const double shade = 1.15 - 0.3 * smooth((v - top) / 0.08);
            c = mix(scale(m.hills[layer], shade), m.skyHorizon, clamp01(haze));
        }
    }
    return c;
}

Picture landscape(int w, int h, const Mood& m) {
    Picture p;
    p.width = w;
    p.height = h;
    p.rgb.resize(size_t(w) * h * 3);
    const double aspect = double(w) / h;
    constexpr double kWater = 0.62;
    for (int y = 0; y < h; ++y) {
        const double v = (y + 0.5) / h;
        for (int x = 0; x < w; ++x) {
            const double u = (x + 0.5) / w;
            if (v < kWater) {
                p.put(x, y, scenery(m, u, v, aspect));
            } else {
                // The water mirrors the scenery, with ripples that grow
                // towards the viewer, a little darker and bluer.
                const double depth = (v - kWater) / (1 - kWater);
                const double ripple = 0.004 * (0.3 + depth) *
                                      std::sin(v * 900 * (0.5 + depth) + 3 * std::sin(u * 20));
                const Rgb above = scenery(m, u + ripple, 2 * kWater - v, aspect);
                p.put(x, y, mix(scale(above, 0.8), Rgb{20, 40, 70}, 0.15 + 0.3 * depth));
            }
        }
    }
    return p;
}

// A flower of rings and petals in 256 palette colours.
Picture flower(int w, int h) {
    Picture p;
    p.width = w;
    p.height = h;
    p.palette.resize(768);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 256.0 * 2 * kPi;
        // Soft rose, lilac and sea-green hues round the circle.
        p.palette[i * 3] = byteOf(200 + 45 * std::sin(t));
        p.palette[i * 3 + 1] = byteOf(170 + 50 * std::sin(t + 2.1));
        p.palette[i * 3 + 2] = byteOf(190 + 45 * std::sin(t + 4.2));
    }
    p.index.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w / 2.0) / h, dy = (y - h / 2.0) / h;
            const double r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
            const double petals = r * (1.4 + 0.35 * std::cos(6 * a)) + 0.02 * std::cos(18 * a);
            p.index[size_t(y) * w + x] = static_cast<uint8_t>(int(petals * 260) & 0xFF);
        }
    }
    return p;
}

// A small tile whose edges meet seamlessly when repeated.
Picture tile(int size) {
    Picture p;
    p.width = p.height = size;
    p.rgb.resize(size_t(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = 2 * kPi * x / size, v = 2 * kPi * y / size;
            const double k = 0.5 + 0.25 * (std::cos(u) + std::cos(v)) * std::cos(u + v) +
                             0.25 * std::sin(2 * u) * std::sin(2 * v);
            p.put(x, y, mix(Rgb{236, 226, 204}, Rgb{70, 110, 120}, smooth(k)));
        }
    }
    return p;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void put16le(std::vector<uint8_t>& o, uint32_t v) {
    o.push_back(v & 0xFF);
    o.push_back((v >> 8) & 0xFF);
}
void put32le(std::vector<uint8_t>& o, uint32_t v) {
    put16le(o, v & 0xFFFF);
    put16le(o, v >> 16);
}
void put32be(std::vector<uint8_t>& o, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) o.push_back((v >> s) & 0xFF);
}

// As a device-independent bitmap: bottom-up rows, blue-green-red or indices.
bool saveBmp(const Picture& p, const std::string& path) {
    dib::BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = p.width;
    h.biHeight = p.height;
    h.biPlanes = 1;
    h.biBitCount = p.indexed() ? 8 : 24;
    const uint32_t stride = rowStride(p.width, h.biBitCount);
    std::vector<uint8_t> bits(size_t{stride} * p.height, 0);
    dib::RGBQUAD palette[256] = {};
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = &bits[size_t{stride} * (p.height - 1 - y)];
        for (int x = 0; x < p.width; ++x) {
            if (p.indexed()) {
                row[x] = p.index[size_t(y) * p.width + x];
            } else {
                const uint8_t* c = p.colour(x, y);
                row[3 * x] = c[2];
                row[3 * x + 1] = c[1];
                row[3 * x + 2] = c[0];
            }
        }
    }
    for (int i = 0; p.indexed() && i < 256; ++i)
        palette[i] = {p.palette[i * 3 + 2], p.palette[i * 3 + 1], p.palette[i * 3], 0};
    std::vector<uint8_t> file(bmpFileBytes(h));
    if (file.empty() ||
        !buildBmpFile(h, p.indexed() ? palette : nullptr, bits.data(), file.data(), file.size()))
        return false;
    return writeBytes(path, file);
}

void pngChunk(std::vector<uint8_t>& o, const char* type, const std::vector<uint8_t>& data) {
    put32be(o, static_cast<uint32_t>(data.size()));
    const size_t start = o.size();
    o.insert(o.end(), type, type + 4);
    o.insert(o.end(), data.begin(), data.end());
    put32be(o, static_cast<uint32_t>(crc32(0, &o[start], static_cast<uInt>(o.size() - start))));
}

// RGB or palette PNG, every row with filter "none".
bool savePng(const Picture& p, const std::string& path) {
    std::vector<uint8_t> raw;
    const size_t rowBytes = size_t(p.width) * (p.indexed() ? 1 : 3);
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);
        const uint8_t* row =
            p.indexed() ? &p.index[size_t(y) * p.width] : &p.rgb[size_t(y) * rowBytes];
        raw.insert(raw.end(), row, row + rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
        Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> o = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32be(ihdr, p.width);
    put32be(ihdr, p.height);
    ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(p.indexed() ? 3 : 2), 0, 0, 0});
    pngChunk(o, "IHDR", ihdr);
    if (p.indexed()) pngChunk(o, "PLTE", p.palette);
    pngChunk(o, "IDAT", packed);
    pngChunk(o, "IEND", {});
    return writeBytes(path, o);
}

bool saveJpeg(const Picture& p, const std::string& path) {
    if (p.indexed()) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = p.width;
    c.image_height = p.height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&p.rgb[size_t{c.next_scanline} * p.width * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

// Baseline TIFF, little-endian, uncompressed, one strip of RGB.
bool saveTiff(const Picture& p, const std::string& path) {
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(p.width) * p.height * 3);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = p.colour(x, y);
            pixels.insert(pixels.end(), c, c + 3);
        }
    constexpr uint16_t kEntries = 10;
    const uint32_t ifdOffset = 8;
    const uint32_t bitsOffset = ifdOffset + 2 + kEntries * 12 + 4;
    const uint32_t dataOffset = bitsOffset + 6;
    std::vector<uint8_t> o = {'I', 'I', 42, 0};
    put32le(o, ifdOffset);
    put16le(o, kEntries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16le(o, tag);
        put16le(o, type);
        put32le(o, count);
        put32le(o, value);
    };
    entry(256, 4, 1, p.width);                               // ImageWidth
    entry(257, 4, 1, p.height);                              // ImageLength
    entry(258, 3, 3, bitsOffset);                            // BitsPerSample 8, 8, 8
    entry(259, 3, 1, 1);                                     // no compression
    entry(262, 3, 1, 2);                                     // RGB
    entry(273, 4, 1, dataOffset);                            // StripOffsets
    entry(277, 3, 1, 3);                                     // SamplesPerPixel
    entry(278, 4, 1, p.height);                              // RowsPerStrip
    entry(279, 4, 1, static_cast<uint32_t>(pixels.size()));  // StripByteCounts
    entry(284, 3, 1, 1);                                     // contiguous samples
    put32le(o, 0);                                           // no further directory
    for (int i = 0; i < 3; ++i) put16le(o, 8);
    o.insert(o.end(), pixels.begin(), pixels.end());
    return writeBytes(path, o);
}

// Codes of variable width, least significant bit first, in sub-blocks.
class GifCodeWriter {
public:
    void put(uint32_t code, int bits) {
        acc_ |= code << used_;
        used_ += bits;
        while (used_ >= 8) {
            bytes_.push_back(acc_ & 0xFF);
            acc_ >>= 8;
            used_ -= 8;
        }
    }
    std::vector<uint8_t> finish() {
        if (used_ > 0) bytes_.push_back(acc_ & 0xFF);
        std::vector<uint8_t> blocks;
        for (size_t i = 0; i < bytes_.size(); i += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - i);
            blocks.push_back(static_cast<uint8_t>(n));
            blocks.insert(blocks.end(), bytes_.begin() + i, bytes_.begin() + i + n);
        }
        blocks.push_back(0);
        return blocks;
    }

private:
    uint32_t acc_ = 0;
    int used_ = 0;
    std::vector<uint8_t> bytes_;
};

// A palette GIF with LZW image data (8-bit codes, table reset when full).
bool saveGif(const Picture& p, const std::string& path) {
    if (!p.indexed()) return false;
    std::vector<uint8_t> o = {'G', 'I', 'F', '8', '9', 'a'};
    put16le(o, p.width);
    put16le(o, p.height);
    o.insert(o.end(), {0xF7, 0, 0});
    o.insert(o.end(), p.palette.begin(), p.palette.end());
    o.push_back(0x2C);
    put16le(o, 0);
    put16le(o, 0);
    put16le(o, p.width);
    put16le(o, p.height);
    o.push_back(0);
    o.push_back(8);  // minimum code size

    constexpr uint32_t kClear = 256, kEnd = 257, kMaxCode = 4095;
    GifCodeWriter out;
    std::unordered_map<uint32_t, uint32_t> table;
    uint32_t next = kEnd + 1;
    int bits = 9;
    auto emit = [&](uint32_t code) {
        out.put(code, bits);
        // Widen once the next code no longer fits (the decoder does the same
        // one code later, when it adds its entry).
        if (next >= (1u << bits) && code <= kMaxCode && bits < 12) ++bits;
    };
    emit(kClear);
    uint32_t current = p.index[0];
    for (size_t i = 1; i < p.index.size(); ++i) {
        const uint32_t pixel = p.index[i];
        const uint32_t key = (current << 8) | pixel;
        const auto found = table.find(key);
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        current = pixel;
        if (next >= kMaxCode) {
            emit(kClear);
            table.clear();
            next = kEnd + 1;
            bits = 9;
        } else {
            table.emplace(key, next++);
        }
    }
    emit(current);
    emit(kEnd);
    const std::vector<uint8_t> data = out.finish();
    o.insert(o.end(), data.begin(), data.end());
    o.push_back(0x3B);
    return writeBytes(path, o);
}

struct Sample {
    const char* name;
    const char* format;  // bmp, bmp8, png, jpeg, gif, tiff
    Picture (*draw)();
};

const Sample kSamples[] = {
    {"lake_dawn_2560x1600.bmp", "bmp", [] { return landscape(2560, 1600, kDawn); }},
    {"lake_dusk_1600x1000.png", "png", [] { return landscape(1600, 1000, kDusk); }},
    {"lake_noon_1920x1200.jpg", "jpeg", [] { return landscape(1920, 1200, kNoon); }},
    {"lake_dusk_1024x640.tif", "tiff", [] { return landscape(1024, 640, kDusk); }},
    {"flower_800x600.bmp", "bmp8", [] { return flower(800, 600); }},
    {"flower_640x480.gif", "gif", [] { return flower(640, 480); }},
    {"flower_480x360.png", "png", [] { return flower(480, 360); }},
    {"tile_96x96.bmp", "bmp", [] { return tile(96); }},
};

bool save(const Picture& p, const std::string& format, const std::string& path) {
    if (format == "bmp" || format == "bmp8") return saveBmp(p, path);
    if (format == "png") return savePng(p, path);
    if (format == "jpeg") return saveJpeg(p, path);
    if (format == "tiff") return saveTiff(p, path);
    if (format == "gif") return saveGif(p, path);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_samples OUTDIR [bmp|bmp8|png|jpeg|gif|tiff ...]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<std::string> wanted(argv + 2, argv + argc);
    int failures = 0;
    for (const Sample& s : kSamples) {
        bool take = wanted.empty();
        for (const auto& w : wanted) take = take || w == s.format;
        if (!take) continue;
        const std::string path = dir + "/" + s.name;
        if (save(s.draw(), s.format, path)) {
            std::printf("%s\n", path.c_str());
        } else {
            std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
