#include "support/png_builder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace pngtest {

int Samples::channels() const {
    switch (colourType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

Samples randomSamples(uint32_t width, uint32_t height, int depth, int colourType, uint32_t seed,
                      int paletteSize) {
    Samples s;
    s.width = width;
    s.height = height;
    s.depth = depth;
    s.colourType = colourType;
    s.values.resize(size_t(width) * height * s.channels());
    std::mt19937 rng(seed);
    const uint32_t limit = colourType == 3 ? uint32_t(paletteSize) : (1u << depth);
    for (auto& v : s.values) v = static_cast<uint16_t>(rng() % limit);
    return s;
}

namespace {

int bitsPerPixel(const Samples& s) { return s.depth * s.channels(); }

// PNG bytes of `count` pixels of row y starting at column x0, every step-th.
Bytes packRow(const Samples& s, uint32_t y, uint32_t x0, uint32_t step, uint32_t count) {
    const int bpp = bitsPerPixel(s);
    Bytes out((size_t(count) * bpp + 7) / 8, 0);
    size_t bit = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t x = x0 + i * step;
        for (int c = 0; c < s.channels(); ++c) {
            const uint16_t v = s.at(x, y, c);
            if (s.depth == 16) {
                out[bit / 8] = uint8_t(v >> 8);
                out[bit / 8 + 1] = uint8_t(v);
            } else if (s.depth == 8) {
                out[bit / 8] = uint8_t(v);
            } else {
                out[bit / 8] |= uint8_t(v << (8 - s.depth - bit % 8));
            }
            bit += s.depth;
        }
    }
    return out;
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    if (pb <= pc) return b;
    return c;
}

void appendFiltered(Bytes& out, const Bytes& row, const Bytes& prior, int type, int unit) {
    out.push_back(uint8_t(type));
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= size_t(unit) ? row[i - unit] : 0;
        const int b = prior[i];
        const int c = i >= size_t(unit) ? prior[i - unit] : 0;
        int pred = 0;
        switch (type) {
            case 1:
                pred = a;
                break;
            case 2:
                pred = b;
                break;
            case 3:
                pred = (a + b) / 2;
                break;
            case 4:
                pred = paeth(a, b, c);
                break;
        }
        out.push_back(uint8_t(row[i] - pred));
    }
}

void crcAppend(Bytes& out, const Bytes& typeAndData, bool damage) {
    uint32_t crc = uint32_t(crc32(0, typeAndData.data(), uInt(typeAndData.size())));
    if (damage) crc ^= 0x00010000u;
    const Bytes c = be32(crc);
    out.insert(out.end(), c.begin(), c.end());
}

}  // namespace

Bytes filteredData(const Samples& s, bool interlaced, int filter) {
    struct Pass {
        uint32_t x0, y0, dx, dy;
    };
    static const Pass adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const Pass whole[1] = {{0, 0, 1, 1}};
    const Pass* passes = interlaced ? adam7 : whole;
    const int count = interlaced ? 7 : 1;
    const int unit = std::max(1, bitsPerPixel(s) / 8);
    Bytes out;
    for (int p = 0; p < count; ++p) {
        const Pass& ps = passes[p];
        if (ps.x0 >= s.width || ps.y0 >= s.height) continue;
        const uint32_t w = (s.width - ps.x0 + ps.dx - 1) / ps.dx;
        Bytes prior;
        uint32_t n = 0;
        for (uint32_t y = ps.y0; y < s.height; y += ps.dy, ++n) {
            const Bytes row = packRow(s, y, ps.x0, ps.dx, w);
            if (prior.empty()) prior.assign(row.size(), 0);
            const int type = filter == kCycleFilters ? int((n + p) % 5) : filter;
            appendFiltered(out, row, prior, type, unit);
            prior = row;
        }
    }
    return out;
}

Bytes compress(const Bytes& raw, size_t flushAfter, size_t* flushPoint) {
    z_stream z{};
    deflateInit(&z, 6);
    Bytes out(deflateBound(&z, uLong(raw.size())) + 64);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    z.next_in = const_cast<Bytef*>(raw.data());
    if (flushAfter > 0 && flushAfter < raw.size()) {
        z.avail_in = uInt(flushAfter);
        deflate(&z, Z_FULL_FLUSH);
        if (flushPoint) *flushPoint = z.total_out;
        z.avail_in = uInt(raw.size() - flushAfter);
    } else {
        z.avail_in = uInt(raw.size());
    }
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes be16(uint32_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }
Bytes be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

Chunk headerChunk(uint32_t width, uint32_t height, int depth, int colourType, bool interlaced) {
    Chunk c{"IHDR", {}};
    for (uint32_t v : {width, height}) {
        const Bytes b = be32(v);
        c.data.insert(c.data.end(), b.begin(), b.end());
    }
    c.data.push_back(uint8_t(depth));
    c.data.push_back(uint8_t(colourType));
    c.data.push_back(0);
    c.data.push_back(0);
    c.data.push_back(interlaced ? 1 : 0);
    return c;
}

std::vector<Chunk> idatChunks(const Bytes& zdata, int pieces) {
    std::vector<Chunk> out;
    const size_t piece = zdata.size() / size_t(pieces);
    size_t pos = 0;
    for (int i = 0; i < pieces; ++i) {
        const size_t end = i + 1 == pieces ? zdata.size() : pos + piece;
        out.push_back({"IDAT", Bytes(zdata.begin() + pos, zdata.begin() + end)});
        pos = end;
    }
    return out;
}

Chunk paletteChunk(const std::vector<uint8_t>& rgb) { return {"PLTE", rgb}; }

Bytes assemble(const std::vector<Chunk>& chunks) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Chunk& c : chunks) {
        const Bytes len = be32(uint32_t(c.data.size()));
        out.insert(out.end(), len.begin(), len.end());
        Bytes typeAndData(c.type.begin(), c.type.end());
        typeAndData.insert(typeAndData.end(), c.data.begin(), c.data.end());
        out.insert(out.end(), typeAndData.begin(), typeAndData.end());
        crcAppend(out, typeAndData, c.damageCrc);
    }
    return out;
}

Bytes makePng(const Samples& s, const Options& o) {
    std::vector<Chunk> chunks;
    chunks.push_back(headerChunk(s.width, s.height, s.depth, s.colourType, o.interlaced));
    if (!o.palette.empty()) chunks.push_back(paletteChunk(o.palette));
    chunks.insert(chunks.end(), o.beforeIdat.begin(), o.beforeIdat.end());
    const auto idat = idatChunks(compress(filteredData(s, o.interlaced, o.filter)), o.idatPieces);
    chunks.insert(chunks.end(), idat.begin(), idat.end());
    chunks.insert(chunks.end(), o.afterIdat.begin(), o.afterIdat.end());
    chunks.push_back({"IEND", {}});
    return assemble(chunks);
}

Bytes makePngWithPalette(const Samples& s, Options o) {
    if (s.colourType == 3 && o.palette.empty()) o.palette = randomPalette(1 << s.depth, 99);
    return makePng(s, o);
}

std::vector<uint8_t> randomPalette(int entries, uint32_t seed) {
    Samples s = randomSamples(uint32_t(entries), 1, 8, 2, seed);
    return std::vector<uint8_t>(s.values.begin(), s.values.end());
}

}  // namespace pngtest
