// The ISOBMFF boxes of an AVIF file, read by the program itself: the file
// type, and in the meta box the primary item (pitm), where its data lies
// (iloc), what it is (iinf), its properties (iprp: ispe, av1C, colr, irot,
// imir, auxC) and its alpha auxiliary item (iref auxl). Every box must lie
// inside its parent and every extent inside the file; the primary item's
// size (ispe) is held to the side limit before any decoder allocates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decode_error.h"
#include "image/orientation.h"

// One coded item: where its bytes lie in the file.
struct AvifItemData {
    uint64_t offset = 0;
    uint64_t length = 0;
    bool present = false;
};

// Colour description of the primary item (colr 'nclx'), when it has one.
struct AvifColour {
    bool present = false;
    uint16_t matrix = 2;  // matrix coefficients, 2 = unspecified
    bool fullRange = false;
};

struct AvifLayout {
    uint32_t width = 0, height = 0;  // the primary item's ispe
    AvifItemData colour, alpha;
    AvifColour nclx;
    Orientation orientation = Orientation::Normal;  // from irot and imir
};

// From a meta box's payload (after its 8-byte header): fills everything but
// the check of the extents against the file. None, or the first fault.
DecodeError readAvifMeta(const uint8_t* meta, size_t size, AvifLayout& layout) noexcept;

// The whole file in memory: ftyp with an AVIF brand, then the meta box;
// the items' extents checked against the file size.
DecodeError readAvifFile(const uint8_t* data, size_t size, AvifLayout& layout) noexcept;

// True for an ftyp box payload (major brand, minor version, compatible
// brands) naming "avif" or "avis" among its brands.
bool hasAvifBrand(const uint8_t* ftyp, size_t size) noexcept;

// A box's type as a big-endian word.
constexpr uint32_t boxType(const char (&s)[5]) noexcept {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}
// No meta box larger than this is read: the boxes describing a picture take
// a few hundred bytes.
inline constexpr size_t kMaxAvifMeta = 1 << 20;
