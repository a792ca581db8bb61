// GIF files for the tests and benchmarks: a small writer with its own LZW
// encoder (so that streams giflib's encoder never makes can be built too),
// and giflib as the reference reader.
#pragma once

#include <cstdint>
#include <vector>

#include "image/loaded_image.h"

namespace giftest {

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<uint8_t> pixels;      // width * height indices, rows top to bottom
    std::vector<uint8_t> localTable;  // RGB triplets (2..256 entries), empty = none
    int transparentIndex = -1;        // >= 0: a graphic control block before the frame
};

struct LzwOptions {
    bool initialClear = true;   // a clear code before the first code
    bool clearWhenFull = true;  // false: keep 12-bit codes with a full table
    int minCodeSize = 8;
};

struct File {
    bool version89a = true;
    int screenWidth = 0, screenHeight = 0;
    std::vector<uint8_t> globalTable;  // RGB triplets, empty = none
    int background = 0;
    bool applicationBlock = false;  // a looping application extension and a comment
    LzwOptions lzw;
    std::vector<Frame> frames;
};

// LZW codes for `pixels`, as the bytes of the code stream (not yet in
// sub-blocks), ending with the end code.
std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& pixels, const LzwOptions& options);
// Splits a code stream into data sub-blocks of up to 255 bytes and the zero terminator.
std::vector<uint8_t> subBlocks(const std::vector<uint8_t>& stream);

std::vector<uint8_t> writeGif(const File& file);

// A table of `entries` distinct colours.
std::vector<uint8_t> makeTable(int entries, int seed);
// Pixels of a smooth pattern with some noise, indices below `colors`.
std::vector<uint8_t> makePixels(int width, int height, int colors, int seed);

// What a first-frame-on-its-screen decode must give: indices top to bottom
// (screenWidth * screenHeight) and the 256-entry palette, from giflib's
// reading of the file.
struct Reference {
    int width = 0, height = 0;
    std::vector<uint8_t> indices;
    dib::RGBQUAD palette[256];
};
bool readWithGiflib(const std::vector<uint8_t>& bytes, Reference& out);

// Indices of a decoded 8-bit picture, top to bottom without padding.
std::vector<uint8_t> topDownIndices(const LoadedImage& image);

}  // namespace giftest
