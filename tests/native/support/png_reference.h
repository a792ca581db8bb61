// The tests' independent PNG reference: libpng's low-level reader with
// explicit transforms (palettes and low grey depths expanded to 8 bits,
// 16-bit samples cut to their high byte, no gamma).
#pragma once

#include <cstdint>
#include <vector>

namespace pngtest {

struct ReferenceImage {
    uint32_t width = 0, height = 0;
    int channels = 0;             // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    std::vector<uint8_t> pixels;  // top-down, channels bytes a pixel
};

// Palette transparency becomes alpha; grey and RGB transparency is left to
// the caller. False when libpng refuses the file.
bool readWithLibpng(const std::vector<uint8_t>& file, ReferenceImage* out);

}  // namespace pngtest
