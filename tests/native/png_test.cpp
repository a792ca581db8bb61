// PNG decoder against libpng's low-level reader on files the tests build,
// plus the chunk rules, transparency flattening and damaged data.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/png_rows.h"
#include "support/decode_error_print.h"
#include "support/png_builder.h"
#include "support/png_reference.h"
#include "tests/png_rows_agreement.h"

using namespace pngtest;

namespace {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};
constexpr Rgb kWhite{255, 255, 255};

// What decodePng gave, with every pixel looked up in the palette, top-down.
struct Decoded {
    bool ok = false;
    DecodeError error = DecodeError::None;  // why there is no picture
    uint32_t width = 0, height = 0;
    int bitCount = 0;
    int32_t xPels = 0, yPels = 0;
    std::vector<Rgb> pixels;
    std::vector<uint8_t> indices;  // 8-bit output only
    std::array<Rgb, 256> palette{};
};

Decoded decode(const Bytes& file) {
    Decoded d;
    DecoderState state;
    state.attach(file.data(), file.size());
    LoadedImage* image = decodePng(state);
    d.error = state.error;
    if (!image) return d;
    const auto& h = image->header;
    d.ok = true;
    d.width = uint32_t(h.biWidth);
    d.height = uint32_t(h.biHeight);
    d.bitCount = h.biBitCount;
    d.xPels = h.biXPelsPerMeter;
    d.yPels = h.biYPelsPerMeter;
    for (int i = 0; i < 256; ++i)
        d.palette[i] = {image->palette[i].rgbRed, image->palette[i].rgbGreen,
                        image->palette[i].rgbBlue};
    const uint32_t stride = rowStride(h.biWidth, h.biBitCount);
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* row = image->bits + size_t(d.height - 1 - y) * stride;
        for (uint32_t x = 0; x < d.width; ++x) {
            if (d.bitCount == 8) {
                d.indices.push_back(row[x]);
                d.pixels.push_back(d.palette[row[x]]);
            } else {
                d.pixels.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    pageFree(image->bits);
    return d;
}

// The blend table, from its definition.
uint8_t product(int i, int j) {
    if (i > j) std::swap(i, j);
    if (i == 0) return 0;
    if (j == 255) return uint8_t(i);
    return uint8_t((j * (i * 65536 / 255) + 32768) / 65536);
}
uint8_t blend(uint8_t c, uint8_t a, uint8_t k) {
    return uint8_t(product(a, c) + product(255 - a, k));
}

// How the test expects transparency to be flattened.
struct Flatten {
    Rgb colour = kWhite;
    std::optional<uint8_t>
        greyKey;  // 8-bit grey value (as the reference gives it) that is transparent
    std::optional<Rgb> rgbKey;
};

std::vector<Rgb> expected(const ReferenceImage& ref, const Flatten& f = {}) {
    std::vector<Rgb> out;
    for (size_t i = 0; i < size_t(ref.width) * ref.height; ++i) {
        const uint8_t* p = ref.pixels.data() + i * ref.channels;
        Rgb c{};
        switch (ref.channels) {
            case 1:
                c = {p[0], p[0], p[0]};
                if (f.greyKey && p[0] == *f.greyKey) c = f.colour;
                break;
            case 2: {
                const uint8_t g = blend(p[0], p[1], f.colour.r);
                c = {g, g, g};
                break;
            }
            case 3:
                c = {p[0], p[1], p[2]};
                if (f.rgbKey && c == *f.rgbKey) c = f.colour;
                break;
            case 4:
                c = {blend(p[0], p[3], f.colour.r), blend(p[1], p[3], f.colour.g),
                     blend(p[2], p[3], f.colour.b)};
                break;
        }
        out.push_back(c);
    }
    return out;
}

ReferenceImage reference(const Bytes& file) {
    ReferenceImage ref;
    EXPECT_TRUE(readWithLibpng(file, &ref));
    return ref;
}

int expectedBitCount(int colourType) { return colourType == 2 || colourType == 6 ? 24 : 8; }

}  // namespace

// Every depth and colour type, interlaced and not, under every filter type,
// at sizes that leave partial bytes and empty Adam7 passes.
TEST(PngDecode, MatchesReferenceForEveryFormat) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {3, 2}, {37, 23}, {64, 9}};
    uint32_t seed = 1;
    for (const Format f : kAllFormats) {
        for (const auto& [w, h] : sizes) {
            for (bool interlaced : {false, true}) {
                for (int filter : {kCycleFilters, 0, 1, 2, 3, 4}) {
                    SCOPED_TRACE(testing::Message()
                                 << "depth " << f.depth << " type " << f.colourType << " " << w
                                 << "x" << h << " interlaced " << interlaced << " filter "
                                 << filter);
                    const Samples s = randomSamples(w, h, f.depth, f.colourType, seed++);
                    Options o;
                    o.interlaced = interlaced;
                    o.filter = filter;
                    const Bytes file = makePngWithPalette(s, o);
                    const Decoded d = decode(file);
                    ASSERT_TRUE(d.ok);
                    EXPECT_EQ(d.width, w);
                    EXPECT_EQ(d.height, h);
                    EXPECT_EQ(d.bitCount, expectedBitCount(f.colourType));
                    ASSERT_EQ(d.pixels, expected(reference(file)));
                }
            }
        }
    }
}

TEST(PngDecode, GreyPaletteIsTheRampOfTheDepth) {
    Samples s = randomSamples(1, 1, 1, 0, 5);
    s.values[0] = 1;
    const Decoded d = decode(makePng(s, {}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bitCount, 8);
    EXPECT_EQ(d.indices[0], 1);
    EXPECT_EQ(d.palette[1], kWhite);
    EXPECT_EQ(d.palette[2], (Rgb{0, 0, 0}));  // a 1-bit ramp has two entries

    const Decoded d2 = decode(makePng(randomSamples(4, 4, 2, 0, 6), {}));
    ASSERT_TRUE(d2.ok);
    EXPECT_EQ(d2.palette[1], (Rgb{85, 85, 85}));
    EXPECT_EQ(d2.palette[3], kWhite);
    const Decoded d16 = decode(makePng(randomSamples(4, 4, 16, 0, 7), {}));
    ASSERT_TRUE(d16.ok);
    EXPECT_EQ(d16.palette[200], (Rgb{200, 200, 200}));
}

// Filters act on each byte position alone, so only the high bytes of 16-bit
// samples need reconstructing; the low bytes must not leak in, whatever the
// filter.
TEST(PngDecode, SixteenBitLowBytesHaveNoInfluence) {
    for (int colourType : {0, 2, 4, 6}) {
        for (bool interlaced : {false, true}) {
            for (int filter = 0; filter < 5; ++filter) {
                SCOPED_TRACE(testing::Message() << "type " << colourType << " filter " << filter);
                Samples a = randomSamples(29, 13, 16, colourType, 40 + filter);
                Samples b = a;
                Samples low = randomSamples(29, 13, 16, colourType, 80 + filter);
                for (size_t i = 0; i < a.values.size(); ++i) {
                    a.values[i] = uint16_t((a.values[i] & 0xFF00) | (low.values[i] & 0xFF));
                    b.values[i] = uint16_t((b.values[i] & 0xFF00) | (~low.values[i] & 0xFF));
                }
                Options o;
                o.interlaced = interlaced;
                o.filter = filter;
                const Bytes fa = makePng(a, o), fb = makePng(b, o);
                const Decoded da = decode(fa), db = decode(fb);
                ASSERT_TRUE(da.ok && db.ok);
                EXPECT_EQ(da.pixels, db.pixels);
                EXPECT_EQ(da.pixels, expected(reference(fa)));
            }
        }
    }
}

TEST(PngTransparency, PaletteEntriesWithAlphaAreBlended) {
    const Samples s = randomSamples(16, 16, 8, 3, 11, 6);
    Options o;
    o.palette = randomPalette(6, 12);
    o.beforeIdat.push_back({"tRNS", {0, 128, 254}});
    for (bool withBackground : {false, true}) {
        Options oo = o;
        Rgb colour = kWhite;
        if (withBackground) {
            oo.beforeIdat.push_back({"bKGD", {4}});
            colour = {o.palette[12], o.palette[13], o.palette[14]};
        }
        const Bytes file = makePng(s, oo);
        const Decoded d = decode(file);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, expected(reference(file), {.colour = colour}));
        EXPECT_EQ(d.palette[0], colour);  // alpha 0
        const Rgb p1{o.palette[3], o.palette[4], o.palette[5]};
        EXPECT_EQ(d.palette[1], (Rgb{blend(p1.r, 128, colour.r), blend(p1.g, 128, colour.g),
                                     blend(p1.b, 128, colour.b)}));
        for (int i = 3; i < 6; ++i)  // no tRNS data: unchanged
            EXPECT_EQ(d.palette[i],
                      (Rgb{o.palette[3 * i], o.palette[3 * i + 1], o.palette[3 * i + 2]}));
    }
}

TEST(PngTransparency, GreySampleBecomesTheBackground) {
    for (int depth : {1, 2, 4, 8, 16}) {
        SCOPED_TRACE(depth);
        const Samples s = randomSamples(20, 7, depth, 0, 20 + depth);
        const uint16_t key = depth == 1 ? 1 : 2;
        const uint16_t keyInFile = depth == 16 ? uint16_t(key << 8 | 0x55) : key;
        const int scale = depth == 1 ? 255 : depth == 2 ? 85 : depth == 4 ? 17 : 1;
        Options o;
        o.beforeIdat.push_back({"tRNS", be16(keyInFile)});
        const Bytes file = makePng(s, o);
        const Decoded d = decode(file);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.palette[key], kWhite);
        // At depth 16 the key is matched by its high byte, like the samples.
        EXPECT_EQ(d.pixels,
                  expected(reference(file), {.colour = kWhite, .greyKey = uint8_t(key * scale)}));
    }
    // Depth 2, sample 2, onto a grey background level 1 (85).
    Samples s = randomSamples(8, 8, 2, 0, 30);
    Options o;
    o.beforeIdat.push_back({"tRNS", be16(2)});
    o.beforeIdat.push_back({"bKGD", be16(1)});
    const Decoded d = decode(makePng(s, o));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.palette[2], (Rgb{85, 85, 85}));
    EXPECT_EQ(d.palette[1], (Rgb{85, 85, 85}));
    EXPECT_EQ(d.palette[3], kWhite);
}

TEST(PngTransparency, RgbColourBecomesTheBackground) {
    for (int depth : {8, 16}) {
        Samples s = randomSamples(16, 16, depth, 2, 31, 256);
        // A few pixels carry the key exactly.
        const uint16_t key[3] = {uint16_t(depth == 16 ? 0x1234 : 0x12),
                                 uint16_t(depth == 16 ? 0x5678 : 0x56),
                                 uint16_t(depth == 16 ? 0x9ABC : 0x9A)};
        for (uint32_t x = 0; x < 16; x += 3)
            for (int c = 0; c < 3; ++c) s.at(x, x, c) = key[c];
        Options o;
        Bytes trns;
        for (uint16_t k : key) {
            const Bytes b = be16(k);
            trns.insert(trns.end(), b.begin(), b.end());
        }
        o.beforeIdat.push_back({"tRNS", trns});
        o.beforeIdat.push_back({"bKGD", {0, 10, 0, 20, 0, 30}});
        const Rgb colour = depth == 16 ? Rgb{0, 0, 0} : Rgb{10, 20, 30};
        const Rgb keyRgb = depth == 16 ? Rgb{0x12, 0x56, 0x9A} : Rgb{0x12, 0x56, 0x9A};
        const Bytes file = makePng(s, o);
        const Decoded d = decode(file);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.pixels, expected(reference(file), {.colour = colour, .rgbKey = keyRgb}));
        EXPECT_EQ(d.pixels[0], colour);
    }
}

TEST(PngTransparency, AlphaIsFlattenedOntoWhiteOrTheBackground) {
    for (const Format f : {Format{8, 4}, Format{16, 4}, Format{8, 6}, Format{16, 6}}) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(testing::Message() << f.depth << "/" << f.colourType << " " << interlaced);
            Samples s = randomSamples(23, 17, f.depth, f.colourType, 50);
            Options o;
            o.interlaced = interlaced;
            const Bytes file = makePng(s, o);
            const Decoded d = decode(file);
            ASSERT_TRUE(d.ok);
            EXPECT_EQ(d.pixels, expected(reference(file)));

            // Alpha 0 everywhere: the whole picture is the flattening colour.
            const int alpha = s.channels() - 1;
            for (uint32_t y = 0; y < s.height; ++y)
                for (uint32_t x = 0; x < s.width; ++x) s.at(x, y, alpha) = 0;
            const Decoded white = decode(makePng(s, o));
            ASSERT_TRUE(white.ok);
            EXPECT_EQ(white.pixels, std::vector<Rgb>(white.pixels.size(), kWhite));
        }
    }
}

// bKGD of every kind, seen through fully transparent pictures.
TEST(PngTransparency, BackgroundOfEveryKind) {
    struct Case {
        int depth, colourType;
        Bytes bkgd;
        Rgb colour;
    };
    const std::vector<Case> cases = {
        {8, 4, {0x01, 0x40}, {0x40, 0x40, 0x40}},
        {16, 4, {0x40, 0x01}, {0x40, 0x40, 0x40}},
        {8, 6, {0x01, 10, 0x02, 20, 0x03, 30}, {10, 20, 30}},
        {16, 6, {10, 1, 20, 2, 30, 3}, {10, 20, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << "/" << c.colourType);
        Samples s = randomSamples(9, 9, c.depth, c.colourType, 60);
        for (uint32_t y = 0; y < 9; ++y)
            for (uint32_t x = 0; x < 9; ++x) s.at(x, y, s.channels() - 1) = 0;
        Options o;
        o.beforeIdat.push_back({"bKGD", c.bkgd});
        const Decoded d = decode(makePng(s, o));
        ASSERT_TRUE(d.ok);
        const uint8_t grey = c.colour.r;  // grey pictures take the red share
        for (const Rgb& p : d.pixels)
            EXPECT_EQ(p, (c.colourType == 4 ? Rgb{grey, grey, grey} : c.colour));
    }
    // Grey bKGD levels scale with the depth; palette bKGD names an entry.
    for (int depth : {1, 2, 4, 8, 16}) {
        Samples s = randomSamples(5, 5, depth, 0, 61);
        for (auto& v : s.values) v = 0;
        Options o;
        o.beforeIdat.push_back({"tRNS", be16(0)});
        o.beforeIdat.push_back({"bKGD", depth == 16 ? Bytes{0x99, 0x11} : Bytes{0, 1}});
        const Decoded d = decode(makePng(s, o));
        ASSERT_TRUE(d.ok);
        const int level = depth == 1   ? 255
                          : depth == 2 ? 85
                          : depth == 4 ? 17
                          : depth == 8 ? 1
                                       : 0x99;
        EXPECT_EQ(d.pixels[0], (Rgb{uint8_t(level), uint8_t(level), uint8_t(level)})) << depth;
    }
    Samples s = randomSamples(5, 5, 4, 3, 62, 4);
    for (auto& v : s.values) v = 0;
    Options o;
    o.palette = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    o.beforeIdat.push_back({"tRNS", {0}});
    o.beforeIdat.push_back({"bKGD", {2}});
    const Decoded d = decode(makePng(s, o));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[0], (Rgb{7, 8, 9}));
}

TEST(PngChunks, AncillaryChunksAfterImageDataAreIgnored) {
    const Samples s = randomSamples(12, 12, 8, 3, 70, 4);
    Options o;
    o.palette = randomPalette(4, 71);
    o.afterIdat.push_back({"tRNS", {0, 0, 0, 0}});
    o.afterIdat.push_back({"bKGD", {1}});
    o.afterIdat.push_back({"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}});
    o.afterIdat.push_back({"tEXt", {'a', 0, 'b'}});
    const Bytes file = makePng(s, o);
    const Decoded d = decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, expected(reference(file)));
    EXPECT_EQ(d.xPels, 0);

    Options late = o;
    late.afterIdat = {paletteChunk(randomPalette(4, 72))};
    EXPECT_EQ(decode(makePng(s, late)).error, DecodeError::ChunkOrder);  // PLTE after IDAT
}

TEST(PngChunks, UnknownCriticalChunkIsSkipped) {
    const Samples s = randomSamples(10, 10, 8, 2, 73);
    Options o;
    o.afterIdat.push_back({"ZZZZ", {1, 2, 3}, true});
    o.beforeIdat.push_back({"QQQQ", {4}});
    const Bytes file = makePng(s, o);
    const Decoded d = decode(file);
    ASSERT_TRUE(d.ok);
    Options plain;
    EXPECT_EQ(d.pixels, decode(makePng(s, plain)).pixels);
}

TEST(PngChunks, ResolutionInMetresIsTaken) {
    const Samples s = randomSamples(4, 4, 8, 0, 74);
    Options o;
    o.beforeIdat.push_back({"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0E, 0xC4, 1}});
    const Decoded d = decode(makePng(s, o));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.xPels, 2835);
    EXPECT_EQ(d.yPels, 3780);
    Options aspectOnly;
    aspectOnly.beforeIdat.push_back({"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0E, 0xC4, 0}});
    EXPECT_EQ(decode(makePng(s, aspectOnly)).xPels, 0);
}

// A damaged CRC fails the decode in the critical chunks and only drops the
// chunk elsewhere.
TEST(PngChunks, DamagedCrcInEachChunkKind) {
    const Samples s = randomSamples(16, 8, 8, 3, 75, 4);
    const auto palette = randomPalette(4, 76);
    const Bytes z = compress(filteredData(s, false, kCycleFilters));
    auto build = [&](const std::string& damaged) {
        std::vector<Chunk> chunks = {headerChunk(16, 8, 8, 3, false),
                                     paletteChunk(palette),
                                     {"tRNS", {0, 0, 0, 0}},
                                     {"bKGD", {1}},
                                     {"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}},
                                     {"gAMA", be32(45455)},
                                     {"tEXt", {'k', 0, 'v'}}};
        for (const Chunk& c : idatChunks(z, 3)) chunks.push_back(c);
        chunks.push_back({"IEND", {}});
        bool first = true;
        for (Chunk& c : chunks) {
            if (c.type == damaged && first) {
                c.damageCrc = true;
                first = damaged != "IDAT-2";
            }
        }
        if (damaged == "IDAT-2") chunks[8].damageCrc = true;
        return decode(assemble(chunks));
    };
    for (const char* critical : {"IHDR", "PLTE", "IDAT", "IDAT-2", "IEND"})
        EXPECT_EQ(build(critical).error, DecodeError::ChunkCrc) << critical;
    const Decoded intact = build("none");
    ASSERT_TRUE(intact.ok);
    EXPECT_EQ(intact.palette[0], intact.palette[1]);  // transparent, onto entry 1
    EXPECT_EQ(intact.xPels, 2835);
    const Decoded noTrns = build("tRNS");
    ASSERT_TRUE(noTrns.ok);
    EXPECT_EQ(noTrns.palette[0], (Rgb{palette[0], palette[1], palette[2]}));
    const Decoded noBkgd = build("bKGD");
    ASSERT_TRUE(noBkgd.ok);
    EXPECT_EQ(noBkgd.palette[0], kWhite);
    EXPECT_EQ(build("pHYs").xPels, 0);
    EXPECT_TRUE(build("gAMA").ok);
    EXPECT_TRUE(build("tEXt").ok);
}

TEST(PngChunks, FiftyImageDataChunksDecodeLikeOne) {
    for (bool interlaced : {false, true}) {
        const Samples s = randomSamples(61, 47, 8, 6, 77);
        Options one, fifty;
        one.interlaced = fifty.interlaced = interlaced;
        fifty.idatPieces = 50;
        const Decoded a = decode(makePng(s, one)), b = decode(makePng(s, fifty));
        ASSERT_TRUE(a.ok && b.ok);
        EXPECT_EQ(a.pixels, b.pixels);
    }
    // Empty IDAT chunks inside the run are harmless.
    const Samples s = randomSamples(20, 20, 8, 0, 78);
    const Bytes z = compress(filteredData(s, false, kCycleFilters));
    std::vector<Chunk> chunks = {headerChunk(20, 20, 8, 0, false), {"IDAT", {}}};
    for (const Chunk& c : idatChunks(z, 4)) {
        chunks.push_back(c);
        chunks.push_back({"IDAT", {}});
    }
    chunks.push_back({"IEND", {}});
    const Bytes file = assemble(chunks);
    const Decoded d = decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, expected(reference(file)));
}

TEST(PngChunks, RulesThatFailTheDecode) {
    const Samples s = randomSamples(8, 8, 8, 2, 79);
    const Bytes z = compress(filteredData(s, false, kCycleFilters));
    const Chunk header = headerChunk(8, 8, 8, 2, false);
    const auto idat = idatChunks(z, 2);
    auto refusal = [](std::vector<Chunk> c) { return decode(assemble(c)).error; };
    EXPECT_EQ(refusal({header, idat[0], idat[1], {"IEND", {}}}), DecodeError::None);
    EXPECT_EQ(refusal({header, idat[0], idat[1]}), DecodeError::Truncated);  // no IEND
    EXPECT_EQ(refusal({header, {"IEND", {}}}), DecodeError::MissingImageData);
    EXPECT_EQ(refusal({header, idat[0], {"tEXt", {'a', 0}}, idat[1], {"IEND", {}}}),
              DecodeError::ChunkOrder);  // a second run of image data
    EXPECT_EQ(refusal({header, header, idat[0], idat[1], {"IEND", {}}}), DecodeError::ChunkOrder);
    // Palette images need a PLTE, and only one.
    const Samples p = randomSamples(8, 8, 8, 3, 80, 2);
    const Bytes zp = compress(filteredData(p, false, kCycleFilters));
    EXPECT_EQ(refusal({headerChunk(8, 8, 8, 3, false), {"IDAT", zp}, {"IEND", {}}}),
              DecodeError::MissingPalette);
    EXPECT_EQ(refusal({headerChunk(8, 8, 8, 3, false),
                       paletteChunk({1, 2, 3, 4, 5, 6}),
                       paletteChunk({1, 2, 3}),
                       {"IDAT", zp},
                       {"IEND", {}}}),
              DecodeError::ChunkOrder);
    // A chunk running past the end of the file, or with a huge length.
    Bytes file = assemble({header, idat[0], idat[1], {"IEND", {}}});
    Bytes cut(file.begin(), file.end() - 1);
    EXPECT_EQ(decode(cut).error, DecodeError::DataOutsideFile);
    Bytes huge = file;
    const size_t lengthAt = 33;
    huge[lengthAt] = 0x80;
    EXPECT_EQ(decode(huge).error, DecodeError::DataOutsideFile);
    huge[lengthAt] = 0x7F;
    EXPECT_EQ(decode(huge).error, DecodeError::DataOutsideFile);
}

TEST(PngHeader, MalformedHeadersAreRefused) {
    const Samples s = randomSamples(4, 4, 8, 0, 81);
    const Bytes good = makePng(s, {});
    EXPECT_TRUE(decode(good).ok);
    EXPECT_EQ(decode(Bytes(good.begin(), good.begin() + 32)).error, DecodeError::Truncated);
    Bytes badSignature = good;
    badSignature[7] = 0;
    EXPECT_EQ(decode(badSignature).error, DecodeError::BadSignature);
    EXPECT_EQ(decode({}).error, DecodeError::Truncated);

    const Bytes z = compress(filteredData(s, false, kCycleFilters));
    auto withHeader = [&](Chunk header) {
        return decode(assemble({header, {"IDAT", z}, {"IEND", {}}})).error;
    };
    EXPECT_EQ(withHeader(headerChunk(0, 4, 8, 0, false)), DecodeError::SideOutOfRange);
    EXPECT_EQ(withHeader(headerChunk(4, 0, 8, 0, false)), DecodeError::SideOutOfRange);
    EXPECT_EQ(withHeader(headerChunk(25001, 4, 8, 0, false)), DecodeError::SideOutOfRange);
    EXPECT_EQ(withHeader(headerChunk(4, 0x80000004u, 8, 0, false)), DecodeError::SideOutOfRange);
    const struct {
        Format format;
        DecodeError reason;
    } badFormats[] = {
        {{16, 3}, DecodeError::UnsupportedBitDepth},
        {{4, 2}, DecodeError::UnsupportedBitDepth},
        {{2, 4}, DecodeError::UnsupportedBitDepth},
        {{1, 6}, DecodeError::UnsupportedBitDepth},
        {{3, 0}, DecodeError::UnsupportedBitDepth},
        {{32, 2}, DecodeError::UnsupportedBitDepth},
        {{8, 1}, DecodeError::UnsupportedColourModel},
        {{8, 7}, DecodeError::UnsupportedColourModel},
    };
    for (const auto& [bad, reason] : badFormats)
        EXPECT_EQ(withHeader(headerChunk(4, 4, bad.depth, bad.colourType, false)), reason)
            << bad.depth << "/" << bad.colourType;
    // Compression, filter and interlace method.
    for (auto [field, reason] : {std::pair{10, DecodeError::UnsupportedCompression},
                                 {11, DecodeError::BadHeader},
                                 {12, DecodeError::BadHeader}}) {
        Chunk h = headerChunk(4, 4, 8, 0, false);
        h.data[field] = 2;
        EXPECT_EQ(withHeader(h), reason) << field;
    }
    Chunk wrongLength = headerChunk(4, 4, 8, 0, false);
    wrongLength.data.push_back(0);
    EXPECT_EQ(withHeader(wrongLength), DecodeError::BadHeader);
    // The largest side accepted.
    const Chunk wide = headerChunk(25000, 1, 1, 0, false);
    Bytes row(1 + 25000 / 8, 0xFF);
    row[0] = 0;
    const Decoded d = decode(assemble({wide, {"IDAT", compress(row)}, {"IEND", {}}}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 25000u);
    EXPECT_EQ(d.indices[24999], 1);
}

TEST(PngData, FilterTypeAboveFourIsTakenAsNone) {
    const Samples s = randomSamples(6, 3, 8, 0, 82);
    Bytes raw = filteredData(s, false, 0);
    raw[7] = 7;  // second row's filter byte
    const Decoded d =
        decode(assemble({headerChunk(6, 3, 8, 0, false), {"IDAT", compress(raw)}, {"IEND", {}}}));
    ASSERT_TRUE(d.ok);
    for (uint32_t x = 0; x < 6; ++x) EXPECT_EQ(d.indices[6 + x], s.at(x, 1, 0));
}

// Data that breaks off leaves the rows it never reached at zero (black, or
// palette entry 0); with an alpha channel they show the background.
TEST(PngData, TruncatedDataLeavesLaterRowsAtZero) {
    const Samples s = randomSamples(40, 100, 8, 2, 83);
    const Bytes raw = filteredData(s, false, kCycleFilters);
    size_t cutAt = 0;
    const Bytes z = compress(raw, 10 * (1 + 40 * 3), &cutAt);
    const Bytes partial(z.begin(), z.begin() + cutAt);
    const Bytes file =
        assemble({headerChunk(40, 100, 8, 2, false), {"IDAT", partial}, {"IEND", {}}});
    const Decoded d = decode(file);
    ASSERT_TRUE(d.ok);
    const Decoded full = decode(makePng(s, {}));
    for (uint32_t y = 0; y < 100; ++y) {
        for (uint32_t x = 0; x < 40; ++x) {
            const size_t i = y * 40 + x;
            if (y < 10) {
                ASSERT_EQ(d.pixels[i], full.pixels[i]) << x << "," << y;
            } else {
                ASSERT_EQ(d.pixels[i], (Rgb{0, 0, 0})) << x << "," << y;
            }
        }
    }

    // With alpha, the unreached rows take the flattening colour.
    const Samples a = randomSamples(40, 100, 8, 6, 84);
    size_t cutA = 0;
    const Bytes za = compress(filteredData(a, false, kCycleFilters), 10 * (1 + 40 * 4), &cutA);
    const Decoded da = decode(assemble({headerChunk(40, 100, 8, 6, false),
                                        {"bKGD", {0, 1, 0, 2, 0, 3}},
                                        {"IDAT", Bytes(za.begin(), za.begin() + cutA)},
                                        {"IEND", {}}}));
    ASSERT_TRUE(da.ok);
    for (size_t i = 10 * 40; i < da.pixels.size(); ++i) ASSERT_EQ(da.pixels[i], (Rgb{1, 2, 3}));

    // Interlaced and cut after the first passes: the later passes' pixels
    // are the background.
    const Samples t = randomSamples(16, 16, 8, 4, 85);
    const Bytes rawT = filteredData(t, true, kCycleFilters);
    size_t cutT = 0;
    const size_t firstPasses = 2 * (1 + 2 * 2) + 2 * (1 + 2 * 2);  // passes 1 and 2
    const Bytes zt = compress(rawT, firstPasses, &cutT);
    const Decoded dt = decode(assemble({headerChunk(16, 16, 8, 4, true),
                                        {"IDAT", Bytes(zt.begin(), zt.begin() + cutT)},
                                        {"IEND", {}}}));
    ASSERT_TRUE(dt.ok);
    const Decoded fullT = decode(makePng(t, {.interlaced = true}));
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const bool reached = y % 8 == 0 && x % 4 == 0;
            const size_t i = y * 16 + x;
            EXPECT_EQ(dt.pixels[i], reached ? fullT.pixels[i] : kWhite) << x << "," << y;
        }
    }

    // Corrupt data mid-stream stops there as well; the decode still succeeds.
    Bytes corrupt = z;
    for (size_t i = cutAt; i < corrupt.size(); ++i) corrupt[i] = 0xFF;
    const Decoded dc =
        decode(assemble({headerChunk(40, 100, 8, 2, false), {"IDAT", corrupt}, {"IEND", {}}}));
    ASSERT_TRUE(dc.ok);
    EXPECT_EQ(dc.pixels[5 * 40], full.pixels[5 * 40]);
    EXPECT_EQ(dc.pixels.back(), (Rgb{0, 0, 0}));
}

TEST(PngRows, EveryInstructionSetAgreesWithThePortableRoutines) {
    for (int level = 1; level <= int(png::rowSimdAvailable()); ++level) {
        SCOPED_TRACE(level);
        pngrows::expectSameAsPortable(png::RowSimd(level));
    }
}

// The SIMD row routines of this build against the portable ones that the
// 32-bit program runs: same bitmap bytes, same reconstructed row.
TEST(PngRows, SimdAndPortableRoutinesAgree) {
    using png::PixelFormat;
    const std::pair<PixelFormat, uint32_t> formats[] = {{PixelFormat::Rgb8, 3},
                                                        {PixelFormat::Rgba8, 4}};
    png::Blend blend{};
    blend.colour[0] = 10;
    blend.colour[1] = 200;
    blend.colour[2] = 77;
    blend.product = png::productTable();
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 3; ++c) blend.backPart[a][2 - c] = product(255 - a, blend.colour[c]);
    const Samples noise = randomSamples(4096, 1, 8, 0, 90);
    for (const auto& [format, unit] : formats) {
        for (uint32_t pixels : {1u, 2u, 3u, 37u}) {
            for (uint32_t step : {1u, 2u, 8u}) {
                for (int filter = 0; filter < 5; ++filter) {
                    SCOPED_TRACE(testing::Message()
                                 << unit << " " << pixels << " " << step << " " << filter);
                    const size_t bytes = size_t(pixels) * unit;
                    std::vector<uint8_t> cur[2], prior(bytes + png::kRowSlack), out[2];
                    for (size_t i = 0; i < bytes; ++i) prior[i] = uint8_t(noise.values[i + 1000]);
                    for (int k = 0; k < 2; ++k) {
                        cur[k].assign(bytes + png::kRowSlack, 0);
                        for (size_t i = 0; i < bytes; ++i) cur[k][i] = uint8_t(noise.values[i]);
                        out[k].assign(size_t(pixels) * step * 3 + 8, 0x5A);
                        png::RowJob job{cur[k].data(), prior.data(), pixels,
                                        out[k].data(), step,         &blend};
                        const png::RowRoutine* set =
                            k == 0 ? png::rowRoutines(format, step != 1)
                                   : png::portableRowRoutines(format, step != 1);
                        set[filter](job);
                    }
                    EXPECT_TRUE(std::equal(cur[0].begin(), cur[0].begin() + bytes, cur[1].begin()));
                    // Bytes the row owns; spaced rows leave the others alone.
                    for (uint32_t x = 0; x < pixels; ++x)
                        for (int c = 0; c < 3; ++c)
                            ASSERT_EQ(out[0][x * step * 3 + c], out[1][x * step * 3 + c]) << x;
                    if (step != 1) EXPECT_EQ(out[0], out[1]);
                }
            }
        }
    }
}
