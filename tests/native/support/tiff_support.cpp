#include "tiff_support.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tifftest {

namespace {

struct Entry {
    uint16_t tag, type;
    std::vector<uint32_t> values;
};

class Writer {
public:
    explicit Writer(bool bigEndian) : be_(bigEndian) {}
    std::vector<uint8_t>& bytes() { return out_; }
    void u16(uint16_t v) {
        if (be_) {
            out_.push_back(static_cast<uint8_t>(v >> 8));
            out_.push_back(static_cast<uint8_t>(v));
        } else {
            out_.push_back(static_cast<uint8_t>(v));
            out_.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    void u32(uint32_t v) {
        if (be_) {
            u16(static_cast<uint16_t>(v >> 16));
            u16(static_cast<uint16_t>(v));
        } else {
            u16(static_cast<uint16_t>(v));
            u16(static_cast<uint16_t>(v >> 16));
        }
    }
    void value(uint16_t type, uint32_t v) {
        if (type == 3)
            u16(static_cast<uint16_t>(v));
        else
            u32(v);
    }

private:
    bool be_;
    std::vector<uint8_t> out_;
};

}  // namespace

size_t rowBytes(uint32_t width, const std::vector<uint16_t>& bps) {
    size_t bits = 0;
    for (uint16_t b : bps) bits += b;
    if (bps.empty()) bits = 1;
    return (size_t{width} * bits + 7) / 8;
}

std::vector<uint8_t> writeTiff(const File& f) {
    Writer w(f.bigEndian);
    auto& out = w.bytes();
    out.push_back(f.bigEndian ? 'M' : 'I');
    out.push_back(f.bigEndian ? 'M' : 'I');
    w.u16(42);
    w.u32(0);  // directory offset, patched below
    const size_t dataAt = out.size();
    out.insert(out.end(), f.data.begin(), f.data.end());

    const size_t rb = rowBytes(f.width, f.bitsPerSample);
    const uint32_t rps = f.rowsPerStrip ? f.rowsPerStrip : std::max<uint32_t>(f.height, 1);
    const uint32_t strips = std::max<uint32_t>((f.height + rps - 1) / rps, 1);
    std::vector<uint32_t> offsets, lengths;
    for (uint32_t i = 0; i < strips; ++i) {
        const size_t start = std::min(size_t{i} * rps * rb, f.data.size());
        const size_t end = std::min(size_t{i + 1} * rps * rb, f.data.size());
        offsets.push_back(static_cast<uint32_t>(dataAt + start));
        lengths.push_back(static_cast<uint32_t>(end - start));
    }

    const uint16_t sizeType = f.sizeAsShort ? 3 : 4;
    std::vector<Entry> entries = {{256, sizeType, {f.width}}, {257, sizeType, {f.height}}};
    if (!f.bitsPerSample.empty())
        entries.push_back(
            {258, 3, std::vector<uint32_t>(f.bitsPerSample.begin(), f.bitsPerSample.end())});
    if (f.compression >= 0) entries.push_back({259, 3, {static_cast<uint32_t>(f.compression)}});
    if (f.photometric >= 0) entries.push_back({262, 3, {static_cast<uint32_t>(f.photometric)}});
    entries.push_back({273, f.stripTableType, offsets});
    entries.push_back(
        {277, 3, {static_cast<uint32_t>(std::max<size_t>(f.bitsPerSample.size(), 1))}});
    entries.push_back({278, 4, {rps}});
    entries.push_back({279, f.stripTableType, lengths});
    if (!f.colorMap.empty())
        entries.push_back({320, 3, std::vector<uint32_t>(f.colorMap.begin(), f.colorMap.end())});

    // Arrays that do not fit in an entry go in front of the directory.
    std::vector<uint32_t> arrayAt(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.values.size() * (e.type == 3 ? 2 : 4) <= 4) continue;
        if (out.size() & 1) out.push_back(0);
        arrayAt[i] = static_cast<uint32_t>(out.size());
        for (uint32_t v : e.values) w.value(e.type, v);
    }
    if (out.size() & 1) out.push_back(0);
    const uint32_t dirAt = static_cast<uint32_t>(out.size());
    w.u16(static_cast<uint16_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        w.u16(e.tag);
        w.u16(e.type);
        w.u32(static_cast<uint32_t>(e.values.size()));
        if (arrayAt[i]) {
            w.u32(arrayAt[i]);
            continue;
        }
        const size_t before = out.size();
        for (uint32_t v : e.values) w.value(e.type, v);
        out.resize(before + 4, 0);
    }
    w.u32(0);  // no next directory
    // Patch the first directory's offset.
    std::vector<uint8_t> head;
    Writer hw(f.bigEndian);
    hw.u32(dirAt);
    std::copy(hw.bytes().begin(), hw.bytes().end(), out.begin() + 4);
    return out;
}

std::vector<uint8_t> randomBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> out(count);
    uint32_t s = seed * 2654435761u + 1;
    for (auto& b : out) {
        s = s * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(s >> 24);
    }
    return out;
}

namespace {
struct Memory {
    const std::vector<uint8_t>* bytes;
    toff_t pos;
};
tmsize_t readProc(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<Memory*>(h);
    if (m->pos >= m->bytes->size()) return 0;
    const size_t take = std::min<size_t>(static_cast<size_t>(n), m->bytes->size() - m->pos);
    std::memcpy(buf, m->bytes->data() + m->pos, take);
    m->pos += take;
    return static_cast<tmsize_t>(take);
}
tmsize_t writeProc(thandle_t, void*, tmsize_t) { return 0; }
toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<Memory*>(h);
    if (whence == SEEK_SET)
        m->pos = off;
    else if (whence == SEEK_CUR)
        m->pos += off;
    else
        m->pos = m->bytes->size() + off;
    return m->pos;
}
int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<Memory*>(h)->bytes->size(); }
int mapProc(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<Memory*>(h);
    *base = const_cast<uint8_t*>(m->bytes->data());
    *size = m->bytes->size();
    return 1;
}
void unmapProc(thandle_t, void*, toff_t) {}
}  // namespace

bool readWithLibtiff(const std::vector<uint8_t>& bytes, Reference& out, bool wantRgba) {
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    // Two openings: libtiff does not go back to the first strip for scanline
    // reads after a whole-picture read.
    Memory m{&bytes, 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &m, readProc, writeProc, seekProc, closeProc,
                               sizeProc, mapProc, unmapProc);
    if (!tif) return false;
    bool ok = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &out.width) == 1 &&
              TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &out.height) == 1;
    if (ok && wantRgba) {
        out.rgba.assign(size_t{out.width} * out.height, 0);
        ok = TIFFReadRGBAImageOriented(tif, out.width, out.height, out.rgba.data(),
                                       ORIENTATION_TOPLEFT, 0) == 1;
    }
    TIFFClose(tif);
    if (!ok) return false;
    m.pos = 0;
    tif = TIFFClientOpen("memory", "rm", &m, readProc, writeProc, seekProc, closeProc, sizeProc,
                         mapProc, unmapProc);
    if (!tif) return false;
    out.scanlines.assign(out.height, std::vector<uint8_t>(TIFFScanlineSize(tif)));
    for (uint32_t y = 0; ok && y < out.height; ++y)
        ok = TIFFReadScanline(tif, out.scanlines[y].data(), y, 0) == 1;
    TIFFClose(tif);
    return ok;
}

}  // namespace tifftest

namespace tifftest {

std::vector<uint8_t> encodeWithLibtiff(const Encoded& p) {
    char path[] = "/tmp/tiff_test_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    close(fd);
    std::vector<uint8_t> out;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(path, p.bigEndian ? "wb" : "wl");
    if (tif) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
        if (p.predictor != 1) TIFFSetField(tif, TIFFTAG_PREDICTOR, p.predictor);
        if (p.orientation != 1) TIFFSetField(tif, TIFFTAG_ORIENTATION, p.orientation);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     p.rowsPerStrip ? p.rowsPerStrip : TIFFDefaultStripSize(tif, 0));
        if (!p.colorMap.empty()) {
            const size_t n = p.colorMap.size() / 3;
            TIFFSetField(tif, TIFFTAG_COLORMAP, p.colorMap.data(), p.colorMap.data() + n,
                         p.colorMap.data() + 2 * n);
        }
        const size_t row = static_cast<size_t>(TIFFScanlineSize(tif));
        std::vector<uint8_t> line(row);
        bool ok = true;
        for (uint32_t y = 0; ok && y < p.height; ++y) {
            std::memcpy(line.data(), p.data.data() + y * row, row);  // libtiff may change it
            ok = TIFFWriteScanline(tif, line.data(), y, 0) == 1;
        }
        TIFFClose(tif);
        if (FILE* f = ok ? std::fopen(path, "rb") : nullptr) {
            uint8_t buf[65536];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
            std::fclose(f);
        }
    }
    unlink(path);
    return out;
}

}  // namespace tifftest
