#include "gif_support.h"

#include <gif_lib.h>

#include <cstring>

namespace giftest {

namespace {

class BitWriter {
public:
    void put(uint32_t code, int size) {
        acc_ |= uint64_t{code} << bits_;
        bits_ += size;
        while (bits_ >= 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::vector<uint8_t> finish() {
        if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
        return std::move(out_);
    }

private:
    std::vector<uint8_t> out_;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

// Open-addressing map from (prefix code, next byte) to a code.
class StringTable {
public:
    StringTable() : keys_(kSlots), values_(kSlots) { clear(); }
    void clear() { std::fill(keys_.begin(), keys_.end(), 0u); }
    int find(uint32_t prefix, uint8_t byte) const {
        const uint32_t key = (prefix << 8 | byte) + 1;
        for (uint32_t i = hash(key);; i = (i + 1) & (kSlots - 1)) {
            if (keys_[i] == key) return values_[i];
            if (keys_[i] == 0) return -1;
        }
    }
    void add(uint32_t prefix, uint8_t byte, int code) {
        const uint32_t key = (prefix << 8 | byte) + 1;
        uint32_t i = hash(key);
        while (keys_[i] != 0) i = (i + 1) & (kSlots - 1);
        keys_[i] = key;
        values_[i] = static_cast<uint16_t>(code);
    }

private:
    static constexpr uint32_t kSlots = 16384;
    static uint32_t hash(uint32_t key) { return (key * 2654435761u) >> 18; }
    std::vector<uint32_t> keys_;
    std::vector<uint16_t> values_;
};

void putLe16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// log2 of the table's entry count minus one, as the packed fields keep it.
int tableSizeField(size_t tableBytes) {
    int field = 0;
    while ((size_t{2} << field) * 3 < tableBytes) ++field;
    return field;
}

}  // namespace

std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& pixels, const LzwOptions& o) {
    const uint32_t clear = 1u << o.minCodeSize, end = clear + 1;
    int codeSize = o.minCodeSize + 1;
    uint32_t next = end + 1;
    StringTable table;
    BitWriter w;
    if (o.initialClear) w.put(clear, codeSize);
    if (pixels.empty()) {
        w.put(end, codeSize);
        return w.finish();
    }
    uint32_t prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint8_t k = pixels[i];
        const int found = table.find(prefix, k);
        if (found >= 0) {
            prefix = static_cast<uint32_t>(found);
            continue;
        }
        w.put(prefix, codeSize);
        if (next < 4096) {
            table.add(prefix, k, static_cast<int>(next));
            ++next;
            // The reader defines each entry one code later than we do.
            if (next > (1u << codeSize) && codeSize < 12) ++codeSize;
        } else if (o.clearWhenFull) {
            w.put(clear, codeSize);
            table.clear();
            codeSize = o.minCodeSize + 1;
            next = end + 1;
        }
        prefix = k;
    }
    w.put(prefix, codeSize);
    // After the last code the reader's next entry is one further on.
    if (next < 4096 && next + 1 > (1u << codeSize) && codeSize < 12) ++codeSize;
    w.put(end, codeSize);
    return w.finish();
}

std::vector<uint8_t> subBlocks(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < stream.size(); i += 255) {
        const size_t n = std::min<size_t>(255, stream.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), stream.begin() + static_cast<long>(i),
                   stream.begin() + static_cast<long>(i + n));
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> writeGif(const File& f) {
    std::vector<uint8_t> out;
    const char* magic = f.version89a ? "GIF89a" : "GIF87a";
    out.insert(out.end(), magic, magic + 6);
    putLe16(out, f.screenWidth);
    putLe16(out, f.screenHeight);
    uint8_t packed = 0x70;  // colour resolution 8 bits
    if (!f.globalTable.empty()) packed |= 0x80 | tableSizeField(f.globalTable.size());
    out.push_back(packed);
    out.push_back(static_cast<uint8_t>(f.background));
    out.push_back(0);
    if (!f.globalTable.empty()) {
        out.insert(out.end(), f.globalTable.begin(), f.globalTable.end());
        const size_t full = (size_t{2} << tableSizeField(f.globalTable.size())) * 3;
        out.resize(out.size() + full - f.globalTable.size(), 0);
    }
    if (f.applicationBlock) {
        const uint8_t app[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                               'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
        out.insert(out.end(), app, app + sizeof app);
        const uint8_t comment[] = {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0};
        out.insert(out.end(), comment, comment + sizeof comment);
    }
    for (const Frame& fr : f.frames) {
        if (fr.transparentIndex >= 0) {
            const uint8_t gce[] = {
                0x21, 0xF9, 4, 0x01, 10, 0, static_cast<uint8_t>(fr.transparentIndex), 0};
            out.insert(out.end(), gce, gce + sizeof gce);
        }
        out.push_back(0x2C);
        putLe16(out, fr.left);
        putLe16(out, fr.top);
        putLe16(out, fr.width);
        putLe16(out, fr.height);
        uint8_t ip = fr.interlaced ? 0x40 : 0;
        if (!fr.localTable.empty()) ip |= 0x80 | tableSizeField(fr.localTable.size());
        out.push_back(ip);
        if (!fr.localTable.empty()) {
            out.insert(out.end(), fr.localTable.begin(), fr.localTable.end());
            const size_t full = (size_t{2} << tableSizeField(fr.localTable.size())) * 3;
            out.resize(out.size() + full - fr.localTable.size(), 0);
        }
        // Interlaced frames store their rows pass by pass.
        std::vector<uint8_t> stored;
        if (fr.interlaced) {
            const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int r = starts[pass]; r < fr.height; r += steps[pass])
                    stored.insert(stored.end(), fr.pixels.begin() + r * fr.width,
                                  fr.pixels.begin() + (r + 1) * fr.width);
        } else {
            stored = fr.pixels;
        }
        out.push_back(static_cast<uint8_t>(f.lzw.minCodeSize));
        const std::vector<uint8_t> data = subBlocks(lzwEncode(stored, f.lzw));
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

std::vector<uint8_t> makeTable(int entries, int seed) {
    std::vector<uint8_t> t(static_cast<size_t>(entries) * 3);
    for (int i = 0; i < entries; ++i) {
        t[i * 3] = static_cast<uint8_t>(i * 7 + seed);
        t[i * 3 + 1] = static_cast<uint8_t>(255 - i);
        t[i * 3 + 2] = static_cast<uint8_t>(i * 13 + 5 + seed * 3);
    }
    return t;
}

std::vector<uint8_t> makePixels(int width, int height, int colors, int seed) {
    std::vector<uint8_t> p(static_cast<size_t>(width) * height);
    uint32_t state = 12345u + static_cast<uint32_t>(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>((state >> 16) % 5);
            const int v = (x / 3 + y / 5 + (x * y) / 97 + noise) % colors;
            p[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(v);
        }
    }
    return p;
}

namespace {
struct MemoryInput {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

int readFromMemory(GifFileType* gif, GifByteType* buf, int n) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const size_t left = in->bytes->size() - in->pos;
    const size_t take = std::min<size_t>(left, static_cast<size_t>(n));
    std::memcpy(buf, in->bytes->data() + in->pos, take);
    in->pos += take;
    return static_cast<int>(take);
}
}  // namespace

bool readWithGiflib(const std::vector<uint8_t>& bytes, Reference& out) {
    MemoryInput in{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&in, readFromMemory, &error);
    if (!gif) return false;
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        DGifCloseFile(gif, &error);
        return false;
    }
    const SavedImage& img = gif->SavedImages[0];
    const GifImageDesc& d = img.ImageDesc;
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    const int background = gif->SColorMap ? gif->SBackGroundColor : 0;
    out.indices.assign(static_cast<size_t>(out.width) * out.height,
                       static_cast<uint8_t>(background));
    for (int y = 0; y < d.Height; ++y)
        std::memcpy(&out.indices[static_cast<size_t>(d.Top + y) * out.width + d.Left],
                    img.RasterBits + static_cast<size_t>(y) * d.Width, d.Width);

    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    GifColorType colors[256] = {};
    for (int i = 0; i < map->ColorCount; ++i) colors[i] = map->Colors[i];
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK && gcb.TransparentColor >= 0) {
        if (gif->SColorMap)
            colors[gcb.TransparentColor] = gif->SColorMap->Colors[gif->SBackGroundColor];
        else
            colors[gcb.TransparentColor] = GifColorType{255, 255, 255};
    }
    for (int i = 0; i < 256; ++i) {
        const GifColorType c = i < map->ColorCount ? colors[i] : GifColorType{0, 0, 0};
        out.palette[i] = dib::RGBQUAD{c.Blue, c.Green, c.Red, 0};
    }
    DGifCloseFile(gif, &error);
    return true;
}

std::vector<uint8_t> topDownIndices(const LoadedImage& image) {
    const int w = image.header.biWidth, h = image.header.biHeight;
    const uint32_t stride = rowStride(w, 8);
    std::vector<uint8_t> out(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(&out[static_cast<size_t>(y) * w],
                    image.bits + static_cast<size_t>(h - 1 - y) * stride, w);
    return out;
}

}  // namespace giftest
