#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "support/image_access.h"
#include "support/tiff_support.h"

using tifftest::File;

namespace {

struct Decoded : DecodedBytes {
    const uint8_t* row(int y) const { return rowFromTop(image, y); }  // y = 0 is the top row
    // The colour shown at (x, y) as libtiff's RGBA word 0xAABBGGRR (alpha 255).
    uint32_t rgba(int x, int y) const {
        const uint32_t rgb = rgbAt(image, x, y);
        return 0xFF000000u | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
    }
};

void decode(const std::vector<uint8_t>& bytes, Decoded& out) {
    decodeBytes(decodeTiff, bytes, out);
}
bool decodes(const std::vector<uint8_t>& bytes) { return decodesBytes(decodeTiff, bytes); }
DecodeError refusal(const std::vector<uint8_t>& bytes) { return refusalOf(decodeTiff, bytes); }

File picture(uint32_t w, uint32_t h, int photometric, std::vector<uint16_t> bits,
             uint32_t seed = 1) {
    File f;
    f.width = w;
    f.height = h;
    f.photometric = photometric;
    f.bitsPerSample = std::move(bits);
    f.data = tifftest::randomBytes(tifftest::rowBytes(w, f.bitsPerSample) * h, seed);
    return f;
}

std::vector<uint16_t> colorMap(int entries) {
    std::vector<uint16_t> map(size_t(entries) * 3);
    for (int i = 0; i < entries; ++i) {
        map[i] = uint16_t((i * 37 % 256) * 257);
        map[entries + i] = uint16_t((255 - i % 256) * 257 + 3);
        map[2 * entries + i] = uint16_t(((i * 101 + 7) % 256) * 257);
    }
    return map;
}

// Every pixel shows the colour libtiff's RGBA reading gives.
void expectColoursMatchLibtiff(const std::vector<uint8_t>& bytes, int bitCount) {
    tifftest::Reference ref;
    ASSERT_TRUE(tifftest::readWithLibtiff(bytes, ref));
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.image.header.biWidth, int32_t(ref.width));
    ASSERT_EQ(d.image.header.biHeight, int32_t(ref.height));
    ASSERT_EQ(d.image.header.biBitCount, bitCount);
    EXPECT_EQ(d.image.header.biSize, 40u);
    EXPECT_EQ(d.image.header.biPlanes, 1);
    for (uint32_t y = 0; y < ref.height; ++y)
        for (uint32_t x = 0; x < ref.width; ++x)
            ASSERT_EQ(d.rgba(int(x), int(y)), ref.rgba[size_t(y) * ref.width + x]) << x << "," << y;
}

TEST(TiffDecode, GreyOfBothPolaritiesAndEveryDepthMatchesLibtiff) {
    for (int photometric : {0, 1})
        for (uint16_t bits : {1, 4, 8})
            for (uint32_t w : {1u, 10u, 33u}) {
                SCOPED_TRACE(testing::Message()
                             << "model " << photometric << " bits " << bits << " width " << w);
                expectColoursMatchLibtiff(tifftest::writeTiff(picture(w, 7, photometric, {bits})),
                                          8);
            }
}

TEST(TiffDecode, BilevelIndicesFollowTheBitsAndThePaletteThePolarity) {
    // 10 pixels a row, 2 bytes: the last 6 bits of each row are unused.
    File f = picture(10, 2, 0, {1});
    f.data = {0b10110000, 0b01111111, 0b00000000, 0b11000000};
    Decoded d;
    decode(tifftest::writeTiff(f), d);
    ASSERT_TRUE(d.ok);
    const uint8_t top[] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    const uint8_t bottom[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(std::memcmp(d.row(0), top, 10), 0);
    EXPECT_EQ(std::memcmp(d.row(1), bottom, 10), 0);
    EXPECT_EQ(d.image.palette[0].rgbRed, 255);  // WhiteIsZero: bit 0 white
    EXPECT_EQ(d.image.palette[1].rgbRed, 0);
    EXPECT_EQ(d.image.palette[2].rgbRed, 0);  // entries past 2 stay black

    f.photometric = 1;
    Decoded e;
    decode(tifftest::writeTiff(f), e);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.image.palette[0].rgbGreen, 0);
    EXPECT_EQ(e.image.palette[1].rgbGreen, 255);
}

TEST(TiffDecode, BigAndLittleEndianGiveTheSamePicture) {
    for (uint16_t bits : {4, 8}) {
        File f = picture(29, 13, 1, {bits});
        Decoded little, big;
        decode(tifftest::writeTiff(f), little);
        f.bigEndian = true;
        f.sizeAsShort = true;
        decode(tifftest::writeTiff(f), big);
        ASSERT_TRUE(little.ok && big.ok);
        EXPECT_EQ(std::memcmp(&little.image.header, &big.image.header, 40), 0);
        EXPECT_EQ(std::memcmp(little.image.palette, big.image.palette, 1024), 0);
        EXPECT_EQ(std::memcmp(little.image.bits, big.image.bits, pixelBlockSize(29, 13, 8)), 0);
    }
}

TEST(TiffDecode, PaletteTakesTheHighByteOfTheColourMap) {
    for (bool be : {false, true})
        for (uint16_t bits : {1, 4, 8}) {
            File f = picture(21, 9, 3, {bits});
            f.bigEndian = be;
            f.colorMap = colorMap(1 << bits);
            SCOPED_TRACE(testing::Message() << "bits " << bits << " big-endian " << be);
            expectColoursMatchLibtiff(tifftest::writeTiff(f), 8);
        }
}

TEST(TiffDecode, Rgb8MatchesLibtiff) {
    for (bool be : {false, true})
        for (uint32_t w : {1u, 2u, 3u, 4u, 31u}) {
            File f = picture(w, 17, 2, {8, 8, 8});
            f.bigEndian = be;
            SCOPED_TRACE(w);
            expectColoursMatchLibtiff(tifftest::writeTiff(f), 24);
        }
}

TEST(TiffDecode, Rgb16KeepsTheHighByteOfEachSample) {
    for (bool be : {false, true}) {
        File f = picture(19, 11, 2, {16, 16, 16});
        f.bigEndian = be;
        const auto bytes = tifftest::writeTiff(f);
        tifftest::Reference ref;
        ASSERT_TRUE(tifftest::readWithLibtiff(bytes, ref, false));
        Decoded d;
        decode(bytes, d);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.image.header.biBitCount, 24);
        // libtiff hands back the samples in host order (little-endian here).
        for (uint32_t y = 0; y < 11; ++y)
            for (uint32_t x = 0; x < 19; ++x) {
                const uint8_t* s = &ref.scanlines[y][x * 6];
                const uint8_t* p = d.row(int(y)) + x * 3;
                ASSERT_EQ(p[0], s[5]);
                ASSERT_EQ(p[1], s[3]);
                ASSERT_EQ(p[2], s[1]);
            }
    }
}

TEST(TiffDecode, ManyStripsDecodeLikeOne) {
    File f = picture(23, 40, 2, {8, 8, 8});
    Decoded one;
    decode(tifftest::writeTiff(f), one);
    ASSERT_TRUE(one.ok);
    const uint32_t size = pixelBlockSize(23, 40, 24);
    for (uint32_t rows : {1u, 3u, 7u})
        for (uint16_t type : {3, 4}) {
            f.rowsPerStrip = rows;
            f.stripTableType = type;
            Decoded many;
            decode(tifftest::writeTiff(f), many);
            ASSERT_TRUE(many.ok);
            EXPECT_EQ(std::memcmp(one.image.bits, many.image.bits, size), 0)
                << rows << " rows a strip, type " << type;
        }
    // Two SHORT strips fit inside the entry itself.
    f.rowsPerStrip = 20;
    f.stripTableType = 3;
    Decoded two;
    decode(tifftest::writeTiff(f), two);
    ASSERT_TRUE(two.ok);
    EXPECT_EQ(std::memcmp(one.image.bits, two.image.bits, size), 0);
}

TEST(TiffDecode, RowsSplitBetweenStripsAreJoined) {
    // Strips of 10 bytes over rows of 9 (3 RGB pixels): every row but the
    // first crosses a strip boundary.
    File f = picture(3, 10, 2, {8, 8, 8});
    auto bytes = tifftest::writeTiff(f);
    Decoded whole;
    decode(bytes, whole);
    ASSERT_TRUE(whole.ok);
    // Rewrite the directory by hand: offsets and counts as LONG tables.
    File g = f;
    g.rowsPerStrip = 1;
    auto split = tifftest::writeTiff(g);
    // Find the strip tables (10 values each) and spread the 90 data bytes
    // over 9 strips of 10 bytes instead.
    Decoded ref;
    decode(split, ref);
    ASSERT_TRUE(ref.ok);
    const uint32_t dirAt = split[4] | split[5] << 8 | split[6] << 16 | split[7] << 24;
    const int n = split[dirAt] | split[dirAt + 1] << 8;
    for (int i = 0; i < n; ++i) {
        uint8_t* e = &split[dirAt + 2 + i * 12];
        const int tag = e[0] | e[1] << 8;
        const uint32_t at = e[8] | e[9] << 8 | e[10] << 16 | e[11] << 24;
        for (int s = 0; s < 10 && (tag == 273 || tag == 279); ++s) {
            const uint32_t v = tag == 273 ? 8 + s * 10 : (s < 9 ? 10 : 0);
            for (int k = 0; k < 4; ++k) split[at + s * 4 + k] = uint8_t(v >> (8 * k));
        }
    }
    Decoded joined;
    decode(split, joined);
    ASSERT_TRUE(joined.ok);
    EXPECT_EQ(std::memcmp(whole.image.bits, joined.image.bits, pixelBlockSize(3, 10, 24)), 0);
}

TEST(TiffDecode, ShortStripsLeaveTheMissingRowsAtZero) {
    File f = picture(7, 6, 2, {8, 8, 8});
    const auto full = f.data;
    f.data.resize(21 * 3 + 10);  // three rows and 10 bytes of the fourth
    f.rowsPerStrip = 2;
    Decoded d;
    decode(tifftest::writeTiff(f), d);
    ASSERT_TRUE(d.ok);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            for (int c = 0; c < 3; ++c) {
                // Output blue, green, red from the file's red, green, blue.
                const size_t from = size_t(y) * 21 + x * 3 + 2 - c;
                const uint8_t want = from < f.data.size() ? full[from] : 0;
                ASSERT_EQ(d.row(y)[x * 3 + c], want) << x << "," << y << "," << c;
            }
}

TEST(TiffDecode, UnsupportedPicturesAreRefused) {
    const File rgb = picture(8, 4, 2, {8, 8, 8});
    ASSERT_TRUE(decodes(tifftest::writeTiff(rgb)));
    const auto changed = [&rgb](auto change) {
        File g = rgb;
        change(g);
        return g;
    };
    const struct {
        const char* what;
        File file;
        DecodeError reason;
    } cases[] = {
        {"JPEG-compressed", changed([](File& g) { g.compression = 7; }),
         DecodeError::UnsupportedCompression},
        {"8, 8, 16 bits", changed([](File& g) {
             g.bitsPerSample = {8, 8, 16};
         }),
         DecodeError::UnsupportedBitDepth},
        {"RGBA", changed([](File& g) {
             g.bitsPerSample = {8, 8, 8, 8};
             g.data = tifftest::randomBytes(8 * 4 * 4, 3);
         }),
         DecodeError::UnsupportedBitDepth},
        {"RGB with one bit count", changed([](File& g) { g.bitsPerSample = {8}; }),
         DecodeError::UnsupportedBitDepth},
        {"no colour model", changed([](File& g) { g.photometric = -1; }),
         DecodeError::UnsupportedColourModel},
        {"separated", changed([](File& g) { g.photometric = 5; }),
         DecodeError::UnsupportedColourModel},
        {"16-bit grey", picture(8, 4, 1, {16}), DecodeError::UnsupportedBitDepth},
        {"2-bit grey", picture(8, 4, 1, {2}), DecodeError::UnsupportedBitDepth},
        {"palette without a colour map", picture(8, 4, 3, {8}), DecodeError::MissingPalette},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(tifftest::writeTiff(c.file)), c.reason) << c.what;
}

TEST(TiffDecode, SidesOutsideOneTo25000AreRefused) {
    File f = picture(25000, 1, 1, {1});
    EXPECT_TRUE(decodes(tifftest::writeTiff(f)));
    f = picture(25001, 1, 1, {1});
    EXPECT_EQ(refusal(tifftest::writeTiff(f)), DecodeError::SideOutOfRange);
    f = picture(1, 25001, 1, {1});
    f.sizeAsShort = true;
    EXPECT_EQ(refusal(tifftest::writeTiff(f)), DecodeError::SideOutOfRange);
    f = picture(0, 3, 1, {8});
    f.data = {1, 2, 3};
    EXPECT_EQ(refusal(tifftest::writeTiff(f)), DecodeError::SideOutOfRange);
}

// Offset of the directory entry with `tag`, or 0.
size_t entryOf(const std::vector<uint8_t>& b, int tag) {
    const uint32_t dirAt = b[4] | b[5] << 8 | b[6] << 16 | b[7] << 24;
    const int n = b[dirAt] | b[dirAt + 1] << 8;
    for (int i = 0; i < n; ++i) {
        const size_t e = dirAt + 2 + size_t(i) * 12;
        if ((b[e] | b[e + 1] << 8) == tag) return e;
    }
    return 0;
}

void putLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(v >> (8 * k));
}

TEST(TiffDecode, AreasOutsideTheFileAreRefused) {
    File f = picture(6, 6, 3, {4});
    f.colorMap = colorMap(16);
    f.rowsPerStrip = 2;
    const auto good = tifftest::writeTiff(f);
    ASSERT_TRUE(decodes(good));
    const uint32_t size = uint32_t(good.size());

    auto bad = good;
    putLe32(bad, 4, size - 1);  // directory offset: the count does not fit
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);
    putLe32(bad, 4, 0xFFFFFFF0u);
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);
    bad = good;
    bad.resize(bad.size() - 8);  // last entries cut off
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);

    bad = good;
    putLe32(bad, entryOf(bad, 320) + 8, size - 10);  // colour map past the end
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);

    bad = good;  // a strip that reaches past the end
    size_t lengths = entryOf(bad, 279);
    uint32_t table = bad[lengths + 8] | bad[lengths + 9] << 8 | bad[lengths + 10] << 16;
    putLe32(bad, table + 4, 0xFFFFFFF0u);
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);
    bad = good;  // strip table itself past the end
    putLe32(bad, entryOf(bad, 273) + 8, size - 4);
    EXPECT_EQ(refusal(bad), DecodeError::DataOutsideFile);
    bad = good;  // tables of different lengths
    putLe32(bad, entryOf(bad, 279) + 4, 2);
    EXPECT_EQ(refusal(bad), DecodeError::BadHeader);
    bad = good;  // no strips hold anything
    for (int s = 0; s < 3; ++s) putLe32(bad, table + s * 4, 0);
    EXPECT_EQ(refusal(bad), DecodeError::MissingImageData);
    bad = good;  // the same table twice
    lengths = entryOf(bad, 279);
    bad[lengths] = 273 & 0xFF;
    bad[lengths + 1] = 273 >> 8;
    EXPECT_EQ(refusal(bad), DecodeError::BadHeader);

    bad = good;
    bad[2] = 43;  // not 42
    EXPECT_EQ(refusal(bad), DecodeError::BadSignature);
    EXPECT_EQ(refusal(std::vector<uint8_t>(good.begin(), good.begin() + 7)),
              DecodeError::Truncated);
}

// Compressed files, written by libtiff.

using tifftest::Encoded;

// Rows that compress the way pictures do: runs, repeats of earlier rows and
// smooth ramps between stretches of noise, so LZW fills its table (and
// clears it) and PackBits meets both kinds of packet.
std::vector<uint8_t> pictureLikeBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> out = tifftest::randomBytes(count, seed);
    for (size_t i = 0; i < count; ++i) {
        switch (i / 97 % 4) {
            case 0:
                out[i] = uint8_t(i / 97 * 13);  // a run
                break;
            case 1:
                out[i] = uint8_t(i / 3 + seed);  // a ramp
                break;
            case 2:
                if (i >= 500) out[i] = out[i - 500];  // a repeat
                break;
            default:
                break;  // noise
        }
    }
    return out;
}

Encoded encoded(uint32_t w, uint32_t h, uint16_t photometric, uint16_t samples, uint16_t bits,
                uint16_t compression, uint16_t predictor, uint32_t rowsPerStrip) {
    Encoded e;
    e.width = w;
    e.height = h;
    e.photometric = photometric;
    e.samples = samples;
    e.bits = bits;
    e.compression = compression;
    e.predictor = predictor;
    e.rowsPerStrip = rowsPerStrip;
    if (photometric == 3) e.colorMap = colorMap(1 << bits);
    const size_t rowBytes = (size_t(w) * samples * bits + 7) / 8;
    e.data = pictureLikeBytes(rowBytes * h, w * 31 + h);
    return e;
}

// Every output sample is the one libtiff's scanline reading gives: the index
// for grey and palette pictures, blue-green-red (the high bytes for 16 bits)
// for RGB ones.
void expectSamplesMatchLibtiff(const std::vector<uint8_t>& bytes, uint16_t samples, uint16_t bits) {
    tifftest::Reference ref;
    ASSERT_TRUE(tifftest::readWithLibtiff(bytes, ref, false));
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok) << int(d.error);
    ASSERT_EQ(d.image.header.biWidth, int32_t(ref.width));
    ASSERT_EQ(d.image.header.biHeight, int32_t(ref.height));
    for (uint32_t y = 0; y < ref.height; ++y) {
        const uint8_t* s = ref.scanlines[y].data();
        const uint8_t* p = d.row(int(y));
        for (uint32_t x = 0; x < ref.width; ++x) {
            if (samples == 3) {
                const size_t step = bits / 8;  // 16 bits: host order, the high byte second
                const uint8_t* in = s + x * 3 * step + (step - 1);
                ASSERT_EQ(p[x * 3 + 0], in[2 * step]) << x << "," << y;
                ASSERT_EQ(p[x * 3 + 1], in[step]) << x << "," << y;
                ASSERT_EQ(p[x * 3 + 2], in[0]) << x << "," << y;
            } else {
                const unsigned perByte = 8 / bits;
                const unsigned shift = 8 - bits * (x % perByte + 1);
                ASSERT_EQ(p[x], (s[x / perByte] >> shift) & ((1u << bits) - 1)) << x << "," << y;
            }
        }
    }
}

TEST(TiffDecode, EveryCompressionAndPredictorMatchesLibtiff) {
    const struct {
        const char* what;
        uint16_t photometric, samples, bits;
    } kinds[] = {
        {"bilevel", 0, 1, 1},       {"4-bit palette", 3, 1, 4}, {"8-bit grey", 1, 1, 8},
        {"8-bit palette", 3, 1, 8}, {"RGB 24-bit", 2, 3, 8},    {"RGB 48-bit", 2, 3, 16},
    };
    for (uint16_t compression :
         {COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_DEFLATE, COMPRESSION_PACKBITS})
        for (uint16_t predictor : {PREDICTOR_NONE, PREDICTOR_HORIZONTAL})
            for (const auto& k : kinds)
                for (bool bigEndian : {false, true})
                    for (uint32_t rowsPerStrip : {1u, 7u, 0u}) {
                        // libtiff takes the predictor for 8 and 16 bits, and
                        // PackBits has none.
                        if (predictor == PREDICTOR_HORIZONTAL &&
                            (k.bits < 8 || compression == COMPRESSION_PACKBITS))
                            continue;
                        SCOPED_TRACE(testing::Message()
                                     << k.what << " compression " << compression << " predictor "
                                     << predictor << (bigEndian ? " MM" : " II") << " rows "
                                     << rowsPerStrip);
                        Encoded e = encoded(37, 23, k.photometric, k.samples, k.bits, compression,
                                            predictor, rowsPerStrip);
                        e.bigEndian = bigEndian;
                        const auto bytes = tifftest::encodeWithLibtiff(e);
                        ASSERT_FALSE(bytes.empty());
                        expectSamplesMatchLibtiff(bytes, k.samples, k.bits);
                        if (k.bits <= 8) expectColoursMatchLibtiff(bytes, k.samples == 3 ? 24 : 8);
                    }
}

TEST(TiffDecode, LargeCompressedStripsMatchLibtiff) {
    // One strip of 600 KB: LZW fills its table and starts over many times;
    // the odd sizes put code strings across row ends.
    for (uint16_t compression : {COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS})
        for (uint16_t predictor : {PREDICTOR_NONE, PREDICTOR_HORIZONTAL}) {
            if (predictor == PREDICTOR_HORIZONTAL && compression == COMPRESSION_PACKBITS) continue;
            SCOPED_TRACE(testing::Message() << compression << " " << predictor);
            Encoded e = encoded(501, 399, 2, 3, 8, compression, predictor, 399);
            expectSamplesMatchLibtiff(tifftest::encodeWithLibtiff(e), 3, 8);
            e = encoded(1, 3000, 1, 1, 8, compression, predictor, 3000);
            expectSamplesMatchLibtiff(tifftest::encodeWithLibtiff(e), 1, 8);
        }
}

// The strip tables of a file libtiff wrote (little-endian; SHORT or LONG).
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
struct StripTable {
    size_t entry, at;
    bool shortValues;
    uint32_t count;
};
StripTable stripTable(const std::vector<uint8_t>& b, int tag) {
    const size_t e = entryOf(b, tag);
    const bool shortValues = b[e + 2] == 3;
    const uint32_t count = le32(b, e + 4);
    const bool inside = count * (shortValues ? 2 : 4) <= 4;
    return {e, inside ? e + 8 : le32(b, e + 8), shortValues, count};
}
uint32_t stripValue(const std::vector<uint8_t>& b, int tag, uint32_t i) {
    const StripTable t = stripTable(b, tag);
    return t.shortValues ? b[t.at + i * 2] | b[t.at + i * 2 + 1] << 8 : le32(b, t.at + i * 4);
}
void setStripValue(std::vector<uint8_t>& b, int tag, uint32_t i, uint32_t v) {
    const StripTable t = stripTable(b, tag);
    if (t.shortValues) {
        b[t.at + i * 2] = uint8_t(v);
        b[t.at + i * 2 + 1] = uint8_t(v >> 8);
    } else {
        putLe32(b, t.at + i * 4, v);
    }
}

TEST(TiffDecode, CutAndCorruptStripsKeepWhatCameBeforeAndLeaveTheRestZero) {
    for (uint16_t compression : {COMPRESSION_LZW, COMPRESSION_DEFLATE, COMPRESSION_PACKBITS}) {
        SCOPED_TRACE(compression);
        // Four strips of 10 rows of 40 grey pixels.
        const Encoded e = encoded(40, 40, 1, 1, 8, compression, 1, 10);
        const auto good = tifftest::encodeWithLibtiff(e);
        ASSERT_EQ(stripTable(good, 273).count, 4u);
        const uint32_t second = stripValue(good, 273, 1), secondLength = stripValue(good, 279, 1);

        // The second strip cut to a third: the first strip's rows are whole,
        // the second's last rows 0, the third and fourth strip whole again.
        auto cut = good;
        setStripValue(cut, 279, 1, secondLength / 3);
        Decoded d;
        decode(cut, d);
        ASSERT_TRUE(d.ok);
        for (int y : {0, 9, 20, 39})
            EXPECT_EQ(std::memcmp(d.row(y), &e.data[size_t(y) * 40], 40), 0) << y;
        EXPECT_EQ(d.row(19)[39], 0);

        // Noise over the second strip: any picture (or a refusal), no fault;
        // the other strips are untouched.
        auto noisy = good;
        const auto noise = tifftest::randomBytes(secondLength, compression);
        std::copy(noise.begin(), noise.end(), noisy.begin() + second);
        Decoded n;
        decode(noisy, n);
        ASSERT_TRUE(n.ok);
        for (int y : {0, 9, 20, 39})
            EXPECT_EQ(std::memcmp(n.row(y), &e.data[size_t(y) * 40], 40), 0) << y;

        // Fewer strips than the rows need: the rows of the missing ones are 0.
        auto fewer = good;
        for (int tag : {273, 279}) putLe32(fewer, stripTable(fewer, tag).entry + 4, 3);
        Decoded f;
        decode(fewer, f);
        ASSERT_TRUE(f.ok);
        EXPECT_EQ(std::memcmp(f.row(29), &e.data[29 * 40], 40), 0);
        EXPECT_EQ(f.row(30)[0] | f.row(39)[39], 0);
    }
}

TEST(TiffDecode, StripsThatShareTheirBytesTakeNoMoreInputThanTheFileHolds) {
    // 25,000 rows of one pixel, every strip one row long and all pointing at
    // the same 60 KB of PackBits no-op bytes (then a run): without a bound
    // on the input all strips together take, this reads 1.5 GB.
    Encoded e = encoded(1, 25000, 1, 1, 8, COMPRESSION_PACKBITS, 1, 1);
    auto bytes = tifftest::encodeWithLibtiff(e);
    const uint32_t strips = stripTable(bytes, 273).count;
    ASSERT_EQ(strips, 25000u);
    const uint32_t shared = uint32_t(bytes.size());
    bytes.resize(bytes.size() + 60000, 0x80);
    bytes.back() = 7;
    bytes[bytes.size() - 2] = 0xFF;  // a run of two 7s
    for (int tag : {273, 279})
        for (uint32_t i = 0; i < strips; ++i)
            setStripValue(bytes, tag, i, tag == 273 ? shared : 60000);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.row(0)[0], 7);
    EXPECT_EQ(d.row(24999)[0], 0);
}

TEST(TiffDecode, PredictorsItCannotUndoAreRefused) {
    Encoded e = encoded(16, 4, 1, 1, 8, COMPRESSION_LZW, PREDICTOR_HORIZONTAL, 0);
    auto bytes = tifftest::encodeWithLibtiff(e);
    ASSERT_TRUE(decodes(bytes));
    const size_t predictor = entryOf(bytes, 317);
    bytes[predictor + 8] = 3;  // floating point
    EXPECT_EQ(refusal(bytes), DecodeError::UnsupportedCompression);
    // Differences of 4-bit samples: libtiff writes no such file, so one of
    // its entries (SamplesPerPixel) is turned into a predictor.
    e = encoded(16, 4, 1, 1, 4, COMPRESSION_LZW, PREDICTOR_NONE, 0);
    bytes = tifftest::encodeWithLibtiff(e);
    ASSERT_TRUE(decodes(bytes));
    const size_t entry = entryOf(bytes, 277);
    bytes[entry] = 317 & 0xFF;
    bytes[entry + 1] = 317 >> 8;
    bytes[entry + 8] = 2;
    EXPECT_EQ(refusal(bytes), DecodeError::UnsupportedCompression);
}

// The Orientation tag turns the picture upright: 6 is stored turned a
// quarter to the left, so it is shown turned a quarter to the right (the
// stored top-left pixel at the top right), sides exchanged; 3 is turned half.
TEST(TiffDecode, OrientationTagTurnsThePictureUpright) {
    constexpr uint32_t kW = 5, kH = 3;
    Encoded e = encoded(kW, kH, 1, 1, 8, COMPRESSION_LZW, PREDICTOR_NONE, 0);
    for (uint32_t i = 0; i < kW * kH; ++i) e.data[i] = uint8_t(10 + i);  // row-major, top first
    auto stored = [&](uint32_t row, uint32_t col) { return e.data[row * kW + col]; };
    for (uint16_t orientation : {uint16_t(6), uint16_t(3)}) {
        e.orientation = orientation;
        Decoded d;
        decode(tifftest::encodeWithLibtiff(e), d);
        ASSERT_TRUE(d.ok) << orientation;
        const bool turned = orientation == 6;
        ASSERT_EQ(d.image.header.biWidth, int32_t(turned ? kH : kW));
        ASSERT_EQ(d.image.header.biHeight, int32_t(turned ? kW : kH));
        for (int y = 0; y < d.image.header.biHeight; ++y)
            for (int x = 0; x < d.image.header.biWidth; ++x) {
                const uint8_t want =
                    turned ? stored(kH - 1 - x, y) : stored(kH - 1 - y, kW - 1 - x);
                EXPECT_EQ(d.row(y)[x], want) << orientation << " at " << x << "," << y;
            }
    }
}

}  // namespace
