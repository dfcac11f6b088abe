#include "ResourceView.h"

#include "platform/afx/Resources.h"
#include "res/ResourceTable.h"

#include <cstring>

Blob FindBlob(const char *type, int id) {
    HINSTANCE module = VxModuleHandle(&g_vantorixResources);
    HRSRC r = FindResourceA(module, MAKEINTRESOURCEA(WORD(id)), type);
    if (!r)
        return {};
    return {static_cast<const uint8_t *>(LockResource(LoadResource(module, r))),
            SizeofResource(module, r)};
}

uint32_t Le(const uint8_t *p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

DibView ParseDib(Blob b, bool masks) {
    DibView d;
    if (!b || b.size < 40)
        return d;
    const uint8_t *p = b.data;
    d.width = int32_t(Le(p + 4));
    d.height = int32_t(Le(p + 8));
    d.planes = uint16_t(Le(p + 12, 2));
    d.bitCount = uint16_t(Le(p + 14, 2));
    d.compression = Le(p + 16);
    d.sizeImage = Le(p + 20);
    d.coloursUsed = Le(p + 32);
    if (Le(p) != 40 || d.width <= 0 || d.height <= 0 || d.width > 4096 || d.height > 4096)
        return d;
    const size_t colours = d.coloursUsed || d.bitCount > 8 ? d.coloursUsed : 1u << d.bitCount;
    d.stride = (size_t(d.width) * d.bitCount + 31) / 32 * 4;
    const size_t rows = masks ? size_t(d.height / 2) : size_t(d.height);
    const size_t andStride = masks ? (size_t(d.width) + 31) / 32 * 4 : 0;
    d.totalSize = 40 + colours * 4 + (d.stride + andStride) * rows;
    d.table = p + 40;
    d.bits = p + 40 + colours * 4;
    d.ok = d.totalSize <= b.size;
    return d;
}

std::vector<uint32_t> DibView::Colours() const {
    std::vector<uint32_t> t;
    for (int i = 0; i < 256; ++i)
        t.push_back(Le(table + 4 * i, 3));
    return t;
}

IconView ParseIcon(Blob b) {
    IconView v;
    if (!b || b.size < 22)
        return v;
    const uint8_t *p = b.data;
    v.type = uint16_t(Le(p + 2, 2));
    v.count = uint16_t(Le(p + 4, 2));
    v.width = p[6];
    v.height = p[7];
    v.field4 = uint16_t(Le(p + 10, 2));
    v.field6 = uint16_t(Le(p + 12, 2));
    const uint32_t bytes = Le(p + 14), offset = Le(p + 18);
    if (Le(p, 2) != 0 || offset != 22 || size_t(offset) + bytes != b.size)
        return v;
    v.dib = ParseDib({p + offset, bytes}, true);
    // The masks end the file: the XOR image, then the AND mask.
    v.andBits = v.dib.bits + v.dib.stride * 32;
    v.ok = v.dib.ok && v.dib.width == 32 && v.andBits + 4 * 32 == p + b.size;
    return v;
}

WaveView ParseWave(Blob b) {
    WaveView w;
    if (!b || b.size < 12 || std::memcmp(b.data, "RIFF", 4) != 0)
        return w;
    for (size_t pos = 12; pos + 8 <= b.size;) {
        const uint32_t size = Le(b.data + pos + 4);
        if (pos + 8 + size > b.size)
            break;
        if (std::memcmp(b.data + pos, "data", 4) == 0)
            w.samples = b.data + pos + 8, w.sampleCount = size;
        pos += 8 + size + (size & 1);
    }
    return w;
}
