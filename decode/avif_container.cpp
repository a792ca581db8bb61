#include "decode/avif_container.h"

#include <cstring>

#include "image/loaded_image.h"

namespace {

constexpr uint32_t kFtyp = boxType("ftyp"), kMeta = boxType("meta"), kHdlr = boxType("hdlr"),
                   kPict = boxType("pict"), kPitm = boxType("pitm"), kIloc = boxType("iloc"),
                   kIinf = boxType("iinf"), kInfe = boxType("infe"), kIref = boxType("iref"),
                   kAuxl = boxType("auxl"), kIprp = boxType("iprp"), kIpco = boxType("ipco"),
                   kIpma = boxType("ipma"), kIspe = boxType("ispe"), kColr = boxType("colr"),
                   kNclx = boxType("nclx"), kIrot = boxType("irot"), kImir = boxType("imir"),
                   kAuxC = boxType("auxC"), kAv01 = boxType("av01"), kAvif = boxType("avif"),
                   kAvis = boxType("avis");

// A bounded big-endian reader over one box's payload: a read past the end
// gives 0 and marks the reader, which the caller checks once at the end.
struct Reader {
    const uint8_t* p;
    size_t size;
    size_t pos = 0;
    bool overrun = false;

    uint64_t value(int bytes) noexcept {
        if (bytes < 0 || size_t(bytes) > size - pos) {
            overrun = true;
            pos = size;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | p[pos++];
        return v;
    }
    uint32_t u8() noexcept { return uint32_t(value(1)); }
    uint32_t u16() noexcept { return uint32_t(value(2)); }
    uint32_t u32() noexcept { return uint32_t(value(4)); }
    void skip(size_t n) noexcept {
        if (n > size - pos) {
            overrun = true;
            pos = size;
        } else {
            pos += n;
        }
    }
    size_t left() const noexcept { return size - pos; }
};

// One box inside a parent's payload.
struct Box {
    uint32_t type = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
};

// The next box of r, or false at the end (with *fault set when a box does
// not fit its parent).
bool nextBox(Reader& r, Box& box, DecodeError* fault) noexcept {
    if (r.left() == 0) return false;
    if (r.left() < 8) {
        *fault = DecodeError::DataOutsideFile;
        return false;
    }
    const size_t start = r.pos;
    uint64_t size = r.u32();
    box.type = r.u32();
    if (size == 1) {
        if (r.left() < 8) {
            *fault = DecodeError::DataOutsideFile;
            return false;
        }
        size = r.value(8);
    } else if (size == 0) {
        size = r.size - start;  // to the end of the parent
    }
    const size_t header = r.pos - start;
    if (size < header || size > r.size - start) {
        *fault = DecodeError::DataOutsideFile;
        return false;
    }
    box.payload = r.p + r.pos;
    box.size = size_t(size) - header;
    r.pos = start + size_t(size);
    return true;
}

// What the meta box says about every item the picture needs.
struct MetaItems {
    uint32_t primary = 0;
    bool primarySeen = false, handlerSeen = false;
    // Item types and locations are kept for the primary item and its alpha
    // only; the property links for the same.
    struct Item {
        uint32_t id = 0;
        uint32_t type = 0;
        AvifItemData data;
        bool multiExtent = false, otherConstruction = false;
        uint32_t properties[32];
        int propertyCount = 0;
        bool auxlOfPrimary = false;
    };
    static constexpr int kMaxItems = 64;
    Item items[kMaxItems];
    int itemCount = 0;

    Item* find(uint32_t id, bool create) noexcept {
        for (int i = 0; i < itemCount; ++i)
            if (items[i].id == id) return &items[i];
        if (!create || itemCount == kMaxItems) return nullptr;
        items[itemCount].id = id;
        return &items[itemCount++];
    }
};

DecodeError readIloc(const Box& box, MetaItems& m) noexcept {
    Reader r{box.payload, box.size};
    const uint32_t version = r.u8();
    r.skip(3);
    if (version > 2) return DecodeError::BadHeader;
    const uint32_t sizes = r.u8(), more = r.u8();
    const int offsetSize = int(sizes >> 4), lengthSize = int(sizes & 15);
    const int baseSize = int(more >> 4), indexSize = version >= 1 ? int(more & 15) : 0;
    for (int s : {offsetSize, lengthSize, baseSize, indexSize})
        if (s != 0 && s != 4 && s != 8) return DecodeError::BadHeader;
    const uint32_t count = version < 2 ? r.u16() : r.u32();
    for (uint32_t i = 0; i < count && !r.overrun; ++i) {
        const uint32_t id = version < 2 ? r.u16() : r.u32();
        uint32_t construction = 0;
        if (version >= 1) construction = r.u16() & 15;
        r.skip(2);  // data reference index
        const uint64_t base = r.value(baseSize);
        const uint32_t extents = r.u16();
        MetaItems::Item* item = m.find(id, true);
        for (uint32_t e = 0; e < extents && !r.overrun; ++e) {
            r.skip(size_t(indexSize));
            const uint64_t offset = r.value(offsetSize), length = r.value(lengthSize);
            if (!item) continue;
            if (e == 0) {
                item->data.offset = base + offset;
                item->data.length = length;
                item->data.present = base + offset >= base;  // no wrap
            } else {
                item->multiExtent = true;
            }
        }
        if (item) item->otherConstruction = construction != 0;
    }
    return r.overrun ? DecodeError::Truncated : DecodeError::None;
}

DecodeError readIinf(const Box& box, MetaItems& m) noexcept {
    Reader r{box.payload, box.size};
    const uint32_t version = r.u8();
    r.skip(3);
    r.skip(version == 0 ? 2 : 4);  // entry count: the boxes themselves are walked
    DecodeError fault = DecodeError::None;
    Box infe;
    while (!r.overrun && nextBox(r, infe, &fault)) {
        if (infe.type != kInfe) continue;
        Reader e{infe.payload, infe.size};
        const uint32_t v = e.u8();
        e.skip(3);
        if (v < 2) continue;  // no item type in the older forms
        const uint32_t id = v == 2 ? e.u16() : e.u32();
        e.skip(2);  // protection index
        const uint32_t type = e.u32();
        if (e.overrun) return DecodeError::Truncated;
        if (MetaItems::Item* item = m.find(id, true)) item->type = type;
    }
    return r.overrun ? DecodeError::Truncated : fault;
}

DecodeError readIref(const Box& box, MetaItems& m) noexcept {
    Reader r{box.payload, box.size};
    const uint32_t version = r.u8();
    r.skip(3);
    DecodeError fault = DecodeError::None;
    Box ref;
    while (nextBox(r, ref, &fault)) {
        if (ref.type != kAuxl) continue;
        Reader e{ref.payload, ref.size};
        const uint32_t from = version == 0 ? e.u16() : e.u32();
        const uint32_t count = e.u16();
        for (uint32_t i = 0; i < count && !e.overrun; ++i) {
            const uint32_t to = version == 0 ? e.u16() : e.u32();
            if (!e.overrun && m.primarySeen && to == m.primary)
                if (MetaItems::Item* item = m.find(from, true)) item->auxlOfPrimary = true;
        }
        if (e.overrun) return DecodeError::Truncated;
    }
    return fault;
}

// ipco's properties in order (index 1 is the first) and ipma's links.
struct Properties {
    static constexpr int kMax = 128;
    Box list[kMax];
    int count = 0;
};

DecodeError readIprp(const Box& box, MetaItems& m, Properties& props) noexcept {
    Reader r{box.payload, box.size};
    DecodeError fault = DecodeError::None;
    Box child;
    while (nextBox(r, child, &fault)) {
        if (child.type == kIpco) {
            Reader c{child.payload, child.size};
            Box prop;
            while (nextBox(c, prop, &fault))
                if (props.count < Properties::kMax) props.list[props.count++] = prop;
            if (fault != DecodeError::None) return fault;
        } else if (child.type == kIpma) {
            Reader p{child.payload, child.size};
            const uint32_t version = p.u8();
            const uint32_t flags = p.value(3) & 0xFFFFFF;
            const uint32_t entries = p.u32();
            for (uint32_t i = 0; i < entries && !p.overrun; ++i) {
                const uint32_t id = version < 1 ? p.u16() : p.u32();
                const uint32_t associations = p.u8();
                MetaItems::Item* item = m.find(id, false);
                for (uint32_t a = 0; a < associations && !p.overrun; ++a) {
                    const uint32_t index = (flags & 1) ? p.u16() & 0x7FFF : p.u8() & 0x7F;
                    if (item && item->propertyCount < 32 && index != 0)
                        item->properties[item->propertyCount++] = index;
                }
            }
            if (p.overrun) return DecodeError::Truncated;
        }
    }
    return fault;
}

// The EXIF orientation of a rotation by `quarters` quarter turns
// anticlockwise (irot), then a mirror (imir): mode 0 exchanges top and
// bottom, mode 1 left and right.
Orientation orientationOf(uint32_t quarters, int mirrorMode) noexcept {
    static constexpr uint8_t kTable[3][4] = {
        {1, 8, 3, 6},  // no mirror
        {4, 5, 2, 7},  // top and bottom exchanged after the turn
        {2, 7, 4, 5},  // left and right exchanged after the turn
    };
    return orientationFromValue(kTable[mirrorMode + 1][quarters & 3]);
}

const char kAlphaUrn[] = "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha";
const char kHevcAlphaUrn[] = "urn:mpeg:hevc:2015:auxid:1";

bool isAlphaAux(const Box& prop) noexcept {
    if (prop.size < 4) return false;
    const char* urn = reinterpret_cast<const char*>(prop.payload + 4);
    const size_t n = prop.size - 4;
    for (const char* want : {kAlphaUrn, kHevcAlphaUrn}) {
        const size_t w = std::strlen(want);
        if (n >= w && std::memcmp(urn, want, w) == 0 && (n == w || urn[w] == 0)) return true;
    }
    return false;
}

}  // namespace

bool hasAvifBrand(const uint8_t* ftyp, size_t size) noexcept {
    for (size_t at = 0; at + 4 <= size; at += at == 0 ? 8 : 4) {
        const uint32_t brand = uint32_t(ftyp[at]) << 24 | uint32_t(ftyp[at + 1]) << 16 |
                               uint32_t(ftyp[at + 2]) << 8 | ftyp[at + 3];
        if (brand == kAvif || brand == kAvis) return true;
    }
    return false;
}

DecodeError readAvifMeta(const uint8_t* meta, size_t size, AvifLayout& layout) noexcept {
    layout = AvifLayout{};
    if (size > kMaxAvifMeta) return DecodeError::TooLarge;
    Reader r{meta, size};
    r.skip(4);  // version and flags
    if (r.overrun) return DecodeError::Truncated;
    // The tables are bounded and small enough for the stack.
    static_assert(sizeof(MetaItems) + sizeof(Properties) < 20000);
    MetaItems m;
    Properties props;
    Box box;
    DecodeError fault = DecodeError::None;
    Box iloc{}, iinf{}, iref{}, iprp{};
    while (nextBox(r, box, &fault)) {
        if (box.type == kHdlr) {
            Reader h{box.payload, box.size};
            h.skip(8);  // version, flags, pre-defined
            if (h.u32() != kPict) return DecodeError::BadHeader;
            m.handlerSeen = true;
        } else if (box.type == kPitm) {
            Reader p{box.payload, box.size};
            const uint32_t version = p.u8();
            p.skip(3);
            m.primary = version == 0 ? p.u16() : p.u32();
            if (p.overrun) return DecodeError::Truncated;
            m.primarySeen = true;
        } else if (box.type == kIloc) {
            iloc = box;
        } else if (box.type == kIinf) {
            iinf = box;
        } else if (box.type == kIref) {
            iref = box;
        } else if (box.type == kIprp) {
            iprp = box;
        }
    }
    if (fault != DecodeError::None) return fault;
    if (!m.handlerSeen || !m.primarySeen || !iloc.payload || !iinf.payload || !iprp.payload)
        return DecodeError::MissingImageData;
    // The primary item first, so that the table never fills before it.
    m.find(m.primary, true);
    for (DecodeError e : {readIinf(iinf, m), readIloc(iloc, m)})
        if (e != DecodeError::None) return e;
    if (iref.payload)
        if (DecodeError e = readIref(iref, m); e != DecodeError::None) return e;
    if (DecodeError e = readIprp(iprp, m, props); e != DecodeError::None) return e;

    MetaItems::Item* primary = m.find(m.primary, false);
    if (!primary || !primary->data.present) return DecodeError::MissingImageData;
    // A grid of tiles, or another coding: not read.
    if (primary->type != kAv01) return DecodeError::UnsupportedCompression;
    if (primary->multiExtent || primary->otherConstruction)
        return DecodeError::UnsupportedCompression;
    uint32_t quarters = 0;
    int mirror = -1;
    bool sized = false;
    for (int i = 0; i < primary->propertyCount; ++i) {
        const uint32_t index = primary->properties[i];
        if (index > uint32_t(props.count)) return DecodeError::BadHeader;
        const Box& prop = props.list[index - 1];
        Reader p{prop.payload, prop.size};
        if (prop.type == kIspe) {
            p.skip(4);
            layout.width = p.u32();
            layout.height = p.u32();
            if (p.overrun) return DecodeError::Truncated;
            sized = true;
        } else if (prop.type == kColr) {
            if (p.u32() == kNclx && !layout.nclx.present) {
                p.skip(4);  // colour primaries, transfer characteristics
                layout.nclx.matrix = uint16_t(p.u16());
                layout.nclx.fullRange = (p.u8() & 0x80) != 0;
                if (p.overrun) return DecodeError::Truncated;
                layout.nclx.present = true;
            }
        } else if (prop.type == kIrot) {
            quarters = p.u8() & 3;
        } else if (prop.type == kImir) {
            mirror = int(p.u8() & 1);
        }
    }
    if (!sized) return DecodeError::BadHeader;
    if (layout.width < 1 || layout.width > uint32_t{kMaxImageSide} || layout.height < 1 ||
        layout.height > uint32_t{kMaxImageSide})
        return DecodeError::SideOutOfRange;
    layout.colour = primary->data;
    layout.orientation = orientationOf(quarters, mirror);
    // The alpha plane: an auxiliary image of the primary one, marked as alpha.
    for (int i = 0; i < m.itemCount; ++i) {
        const MetaItems::Item& item = m.items[i];
        if (!item.auxlOfPrimary || item.type != kAv01 || item.multiExtent ||
            item.otherConstruction || !item.data.present)
            continue;
        for (int k = 0; k < item.propertyCount; ++k) {
            const uint32_t index = item.properties[k];
            if (index <= uint32_t(props.count) && props.list[index - 1].type == kAuxC &&
                isAlphaAux(props.list[index - 1]))
                layout.alpha = item.data;
        }
        if (layout.alpha.present) break;
    }
    return DecodeError::None;
}

DecodeError readAvifFile(const uint8_t* data, size_t size, AvifLayout& layout) noexcept {
    layout = AvifLayout{};
    if (!data || size < 12) return DecodeError::Truncated;
    Reader r{data, size};
    Box box;
    DecodeError fault = DecodeError::None;
    bool first = true;
    while (nextBox(r, box, &fault)) {
        if (first) {
            if (box.type != kFtyp || !hasAvifBrand(box.payload, box.size))
                return DecodeError::BadSignature;
            first = false;
        } else if (box.type == kMeta) {
            const DecodeError e = readAvifMeta(box.payload, box.size, layout);
            if (e != DecodeError::None) return e;
            for (const AvifItemData* item : {&layout.colour, &layout.alpha}) {
                if (!item->present) continue;
                if (item->offset > size || item->length > size - item->offset)
                    return DecodeError::DataOutsideFile;
                if (item->length == 0) return DecodeError::MissingImageData;
            }
            return DecodeError::None;
        }
    }
    if (first)
        return fault != DecodeError::None ? DecodeError::Truncated : DecodeError::BadSignature;
    return fault != DecodeError::None ? fault : DecodeError::MissingImageData;
}
