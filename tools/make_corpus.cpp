// make_corpus CORPUS_DIR
// Writes the PNG and JPEG fuzzers' seed files into CORPUS_DIR/png and
// CORPUS_DIR/jpeg, and the TIFF fuzzer's compressed seeds into CORPUS_DIR/tiff
// (the folders must exist), built with the same builders as the decoder
// tests. The seeds in the repository come from
//     build/native/make_corpus fuzz/corpus
// and the builders are deterministic, so running it again rewrites the same
// bytes. Exit status: 0 done, 1 a file could not be written, 2 usage.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/jpeg_builder.h"
#include "support/png_builder.h"
#include "support/tiff_support.h"

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        std::fprintf(stderr, "make_corpus: nothing built for %s\n", path.c_str());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

// Every depth and colour type, plain and interlaced, plus the chunks the
// decoder takes (tRNS, bKGD, pHYs) and image data split over chunks.
bool writePngSeeds(const std::string& dir) {
    using namespace pngtest;
    bool ok = true;
    auto write = [&](const std::string& name, const Bytes& b) {
        ok = writeFile(dir + name + ".png", b) && ok;
    };
    uint32_t seed = 500;
    for (const Format f : kAllFormats) {
        const std::string base =
            "d" + std::to_string(f.depth) + "_t" + std::to_string(f.colourType);
        const Samples s =
            randomSamples(7, 5, f.depth, f.colourType, seed++, 1 << std::min(f.depth, 8));
        write(base, makePngWithPalette(s, {}));
        Options o;
        o.interlaced = true;
        write(base + "_adam7", makePngWithPalette(s, o));
    }
    Options split;
    split.idatPieces = 6;
    write("split_idat", makePng(randomSamples(9, 9, 8, 6, 600), split));
    Options trns;
    trns.palette = randomPalette(4, 601);
    trns.beforeIdat = {
        {"tRNS", {0, 100}}, {"bKGD", {3}}, {"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}}};
    write("palette_trns_bkgd", makePng(randomSamples(8, 6, 2, 3, 602, 4), trns));
    Options grey;
    grey.beforeIdat = {{"tRNS", be16(3)}, {"bKGD", be16(9)}, {"gAMA", be32(45455)}};
    grey.afterIdat = {{"tEXt", {'k', 0, 'v'}}};
    write("grey_trns_bkgd", makePng(randomSamples(6, 6, 4, 0, 603), grey));
    Options rgb;
    rgb.beforeIdat = {{"tRNS", {0, 1, 0, 2, 0, 3}}, {"bKGD", {0, 9, 0, 8, 0, 7}}};
    write("rgb_trns_bkgd", makePng(randomSamples(6, 6, 8, 2, 604), rgb));
    Options rgba;
    rgba.interlaced = true;
    rgba.beforeIdat = {{"bKGD", {0, 9, 0, 8, 0, 7}}};
    write("rgba16_bkgd_adam7", makePng(randomSamples(10, 10, 16, 6, 605), rgba));
    return ok;
}

// Baseline, progressive, grey, CMYK, two components, arithmetic coding,
// restart markers and a file cut in half.
bool writeJpegSeeds(const std::string& dir) {
    using namespace jpegtest;
    bool ok = true;
    auto write = [&](const std::string& name, const Bytes& b) {
        ok = writeFile(dir + name + ".jpg", b) && ok;
    };
    EncodeOptions o;
    o.quality = 75;
    write("baseline", encodeJpeg(24, 16, photoSamples(24, 16, 3, 1), o));
    o.densityUnit = 1;
    o.xDensity = o.yDensity = 72;
    write("baseline_72dpi", encodeJpeg(9, 7, photoSamples(9, 7, 3, 2), o));
    o.densityUnit = 0;
    o.progressive = true;
    write("progressive", encodeJpeg(24, 16, photoSamples(24, 16, 3, 3), o));
    o.components = 1;
    write("grey_progressive", encodeJpeg(17, 9, photoSamples(17, 9, 1, 4), o));
    o.progressive = false;
    write("grey", encodeJpeg(17, 9, photoSamples(17, 9, 1, 5), o));
    o.components = 4;
    write("cmyk", encodeJpeg(16, 8, photoSamples(16, 8, 4, 6), o));
    o.components = 2;
    write("two_components", encodeJpeg(8, 8, photoSamples(8, 8, 2, 7), o));
    o.components = 3;
    o.arithmetic = true;
    write("arithmetic", encodeJpeg(16, 16, photoSamples(16, 16, 3, 8), o));
    o.arithmetic = false;
    o.restartRows = 1;
    write("restarts", encodeJpeg(16, 24, photoSamples(16, 24, 3, 9), o));
    const Bytes whole = encodeJpeg(32, 32, photoSamples(32, 32, 3, 10), {});
    write("truncated", Bytes(whole.begin(), whole.begin() + whole.size() / 2));
    return ok;
}

// Small compressed TIFF files written by libtiff: each compression, with and
// without the predictor, grey, palette and RGB, one strip and several.
bool writeTiffSeeds(const std::string& dir) {
    bool ok = true;
    const struct {
        const char* name;
        uint16_t compression;
    } codecs[] = {{"lzw", 5}, {"deflate", 8}, {"deflate_old", 32946}, {"packbits", 32773}};
    const struct {
        const char* name;
        uint16_t photometric, samples, bits;
    } kinds[] = {{"grey1", 1, 1, 1},
                 {"grey8", 1, 1, 8},
                 {"palette4", 3, 1, 4},
                 {"rgb8", 2, 3, 8},
                 {"rgb16", 2, 3, 16}};
    for (const auto& c : codecs)
        for (const auto& k : kinds)
            for (uint16_t predictor : {1, 2}) {
                if (predictor == 2 && (k.bits < 8 || c.compression == 32773)) continue;
                tifftest::Encoded e;
                e.width = 9;
                e.height = 7;
                e.photometric = k.photometric;
                e.samples = k.samples;
                e.bits = k.bits;
                e.compression = c.compression;
                e.predictor = predictor;
                e.rowsPerStrip = k.bits == 8 ? 3 : 7;
                e.bigEndian = k.bits == 16;
                if (k.photometric == 3)
                    for (int i = 0; i < 3 * 16; ++i) e.colorMap.push_back(uint16_t(i * 1361));
                e.data = tifftest::randomBytes((9 * k.samples * k.bits + 7) / 8 * 7, 40);
                for (size_t i = 0; i < e.data.size(); i += 5) e.data[i] = 0;  // some repeats
                const std::string name = std::string("c_") + c.name + "_" + k.name +
                                         (predictor == 2 ? "_pred" : "") + ".tif";
                ok = writeFile(dir + name, tifftest::encodeWithLibtiff(e)) && ok;
            }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus CORPUS_DIR\n");
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const bool png = writePngSeeds(root + "png/");
    const bool jpeg = writeJpegSeeds(root + "jpeg/");
    const bool tiff = writeTiffSeeds(root + "tiff/");
    return png && jpeg && tiff ? 0 : 1;
}
