// The EXIF reader: the one value the program takes from a picture's EXIF
// block, its orientation (tag 0x0112 of the first directory). Every offset
// and count is checked against the block; anything unreadable is Normal.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/orientation.h"

// No more of a block than this is read: the first directory lies at its
// start, and a reader of the file's bytes need hold no more.
inline constexpr size_t kExifReadLimit = 65536;

// From an EXIF block: a TIFF structure ("II*\0" or "MM\0*" and the offset of
// the first directory), optionally preceded by "Exif\0\0" as in a JPEG APP1
// segment and in some WebP EXIF chunks.
Orientation exifOrientation(const uint8_t* block, size_t size) noexcept;

// From a JPEG file's bytes: the first APP1 segment holding "Exif\0\0" before
// the first frame header or scan.
Orientation jpegOrientation(const uint8_t* data, size_t size) noexcept;

// The JPEG marker of an APP1 segment, and the six bytes that start an EXIF one.
inline constexpr int kJpegApp1 = 0xE1;
inline constexpr uint8_t kExifMarker[6] = {'E', 'x', 'i', 'f', 0, 0};
