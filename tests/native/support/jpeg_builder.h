// Makes JPEG files in memory with libjpeg's compressor, and decodes them with
// libjpeg straight into a blue-green-red (or grey, or raw CMYK) buffer: the
// tests' independent reference.
#pragma once

#include <cstdint>
#include <vector>

namespace jpegtest {

using Bytes = std::vector<uint8_t>;

struct EncodeOptions {
    int components = 3;  // 1 grey, 2 (unknown colour space), 3 RGB, 4 CMYK
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    int quality = 90;
    int densityUnit = 0;  // 0 aspect only, 1 dots per inch, 2 dots per cm
    int xDensity = 1, yDensity = 1;
};

// Smooth, photo-like samples with a little noise; components bytes a pixel.
std::vector<uint8_t> photoSamples(uint32_t width, uint32_t height, int components, uint32_t seed);

Bytes encodeJpeg(uint32_t width, uint32_t height, const std::vector<uint8_t>& samples,
                 const EncodeOptions& options);

struct Reference {
    uint32_t width = 0, height = 0;
    int components = 0;
    std::vector<uint8_t> pixels;  // top-down; colour as blue, green, red
};
// False when libjpeg fails on the file.
bool referenceDecode(const Bytes& file, Reference* out);

}  // namespace jpegtest
