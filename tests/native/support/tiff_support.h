// TIFF files for the tests and benchmarks: a small writer that controls every
// field the reader looks at, and libtiff as the reference reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tifftest {

struct File {
    bool bigEndian = false;
    uint32_t width = 0, height = 0;
    bool sizeAsShort = false;                // ImageWidth/ImageLength as SHORT
    int photometric = 1;                     // -1: no tag
    std::vector<uint16_t> bitsPerSample{8};  // empty: no tag
    int compression = 1;                     // -1: no tag
    uint32_t rowsPerStrip = 0;               // 0: one strip
    uint16_t stripTableType = 4;             // SHORT (3) or LONG (4)
    std::vector<uint16_t> colorMap;          // reds, greens, blues; empty: no tag
    // The stored rows as the strips hold them, top to bottom. When shorter
    // than the picture needs, the last strips are cut to what there is.
    std::vector<uint8_t> data;
};

// Bytes a row of the file takes for `bitsPerSample` (one value per sample).
size_t rowBytes(uint32_t width, const std::vector<uint16_t>& bitsPerSample);

std::vector<uint8_t> writeTiff(const File& file);

std::vector<uint8_t> randomBytes(size_t count, uint32_t seed);

// A picture written by libtiff itself, compressed: rows of `samples`
// interleaved samples of `bits` each, in the host's order for 16 bits.
struct Encoded {
    bool bigEndian = false;
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, bits = 8;
    uint16_t photometric = 1;
    uint16_t compression = 1;
    uint16_t predictor = 1;
    uint32_t rowsPerStrip = 0;  // 0: libtiff's default
    uint16_t orientation = 1;   // the Orientation tag (1: none written)
    std::vector<uint16_t> colorMap;
    std::vector<uint8_t> data;  // height rows, top first
};
std::vector<uint8_t> encodeWithLibtiff(const Encoded& picture);

// libtiff's reading of the first image.
struct Reference {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> rgba;  // libtiff's RGBA rendering, top row first, 0xAABBGGRR
    std::vector<std::vector<uint8_t>> scanlines;  // raw samples, byte order of the host
};
bool readWithLibtiff(const std::vector<uint8_t>& bytes, Reference& out, bool wantRgba = true);

}  // namespace tifftest
