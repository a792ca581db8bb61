// Builds PNG files byte by byte for the decoder tests: any depth and colour
// type, chosen filters, Adam7, image data split over several IDAT chunks,
// extra chunks anywhere, damaged CRCs and cut-off data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

// A picture as PNG samples: width * height * channels values, each below
// 2^depth, rows top-down.
struct Samples {
    uint32_t width = 0, height = 0;
    int depth = 8, colourType = 0;
    std::vector<uint16_t> values;

    int channels() const;
    uint16_t& at(uint32_t x, uint32_t y, int c) {
        return values[(size_t(y) * width + x) * channels() + c];
    }
    uint16_t at(uint32_t x, uint32_t y, int c) const {
        return values[(size_t(y) * width + x) * channels() + c];
    }
};

// Random samples (deterministic for a seed). For palette images the indices
// stay below `paletteSize`.
Samples randomSamples(uint32_t width, uint32_t height, int depth, int colourType, uint32_t seed,
                      int paletteSize = 256);

// Filter choice per row: a fixed type 0..4, or kCycleFilters for row y using
// type y % 5.
inline constexpr int kCycleFilters = -1;

// The filtered, uncompressed image data (every row with its filter byte,
// Adam7 passes one after the other when interlaced).
Bytes filteredData(const Samples& s, bool interlaced, int filter);

// zlib stream of `raw`. When flushAfter > 0, a full flush is made after that
// many bytes and *flushPoint receives the compressed length there.
Bytes compress(const Bytes& raw, size_t flushAfter = 0, size_t* flushPoint = nullptr);

struct Chunk {
    std::string type;
    Bytes data;
    bool damageCrc = false;
};

Chunk headerChunk(uint32_t width, uint32_t height, int depth, int colourType, bool interlaced);
// `pieces` IDAT chunks of about equal size (the last takes the rest).
std::vector<Chunk> idatChunks(const Bytes& zdata, int pieces);
Chunk paletteChunk(const std::vector<uint8_t>& rgb);
Bytes be16(uint32_t v);
Bytes be32(uint32_t v);

// Signature plus the chunks, each with its length and CRC.
Bytes assemble(const std::vector<Chunk>& chunks);

struct Options {
    bool interlaced = false;
    int filter = kCycleFilters;
    int idatPieces = 1;
    std::vector<Chunk> beforeIdat;  // after IHDR (and PLTE, if given)
    std::vector<Chunk> afterIdat;   // before IEND
    std::vector<uint8_t> palette;   // RGB triples; a PLTE chunk when not empty
};

// A complete file for the samples.
Bytes makePng(const Samples& s, const Options& options);

// The same, with a random palette of 2^depth entries for palette samples
// that the options give none.
Bytes makePngWithPalette(const Samples& s, Options options);

// `entries` random red, green, blue triples (deterministic for a seed).
std::vector<uint8_t> randomPalette(int entries, uint32_t seed);

// The fifteen pairs of bit depth and colour type that PNG allows.
struct Format {
    int depth, colourType;
};
inline constexpr Format kAllFormats[15] = {{1, 0}, {2, 0},  {4, 0},  {8, 0}, {16, 0},
                                           {8, 2}, {16, 2}, {1, 3},  {2, 3}, {4, 3},
                                           {8, 3}, {8, 4},  {16, 4}, {8, 6}, {16, 6}};

}  // namespace pngtest
