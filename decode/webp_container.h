// The RIFF container of a WebP file, walked by the program itself before the
// library sees a byte: every chunk must lie inside the RIFF size and the RIFF
// size inside the file; the extended header's canvas is held to the side
// limit; the EXIF chunk is found for the orientation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decode_error.h"

struct WebpLayout {
    size_t riffEnd = 0;      // bytes of the file the RIFF chunk covers
    bool hasCanvas = false;  // a VP8X chunk came first
    int32_t canvasWidth = 0, canvasHeight = 0;
    const uint8_t* exif = nullptr;  // the first EXIF chunk's payload, if any
    size_t exifSize = 0;
};

// Reads the layout of data[0..size); None, or the first fault found.
DecodeError walkWebp(const uint8_t* data, size_t size, WebpLayout& layout) noexcept;

// Chunk identifiers as little-endian words.
constexpr uint32_t webpFourCc(const char (&s)[5]) noexcept {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}
inline constexpr uint32_t kRiff = webpFourCc("RIFF"), kWebp = webpFourCc("WEBP"),
                          kVp8x = webpFourCc("VP8X"), kVp8 = webpFourCc("VP8 "),
                          kVp8l = webpFourCc("VP8L"), kAnmf = webpFourCc("ANMF"),
                          kExif = webpFourCc("EXIF");
// Bytes of a VP8X payload: flags (4), canvas width - 1 (3), height - 1 (3).
inline constexpr size_t kVp8xSize = 10;
