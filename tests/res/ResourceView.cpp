#include "ResourceView.h"

#include "platform/afx/Resources.h"
#include "res/ResourceTable.h"

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

DibView ParseDib(Blob packed) {
    DibView d;
    d.ok = packed && VxDecodePackedDib(packed.data, packed.size, &d);
    return d;
}

DibView ParseBitmapFile(Blob file) {
    DibView d;
    d.ok = file && VxDecodeBitmapFile(file.data, file.size, &d);
    return d;
}

std::vector<uint32_t> DibView::Colours() const {
    std::vector<uint32_t> t;
    for (const RGBQUAD &q : colors)
        t.push_back(uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue);
    return t;
}

IconView ParseIcon(Blob b) {
    IconView v;
    if (!b || b.size < 22 + 40)
        return v;
    const uint8_t *p = b.data, *h = p + 22;
    v.type = uint16_t(Le(p + 2, 2));
    v.count = uint16_t(Le(p + 4, 2));
    v.width = p[6];
    v.height = p[7];
    v.field4 = uint16_t(Le(p + 10, 2));
    v.field6 = uint16_t(Le(p + 12, 2));
    v.imageHeight = Le(h + 8);
    v.bitCount = Le(h + 14, 2);
    v.compression = Le(h + 16);
    if (Le(p, 2) != 0 || Le(p + 18) != 22 || 22 + size_t(Le(p + 14)) != b.size || Le(h) != 40 ||
        Le(h + 4) != 32 || v.bitCount > 8)
        return v;
    // The table, the XOR image and the AND mask end the file.
    const size_t colours = Le(h + 32) ? Le(h + 32) : 1u << v.bitCount;
    const size_t xorBytes = (32 * size_t(v.bitCount) + 31) / 32 * 4 * 32;
    v.ok = 22 + 40 + 4 * colours + xorBytes + 4 * 32 == b.size;
    v.xorBits = h + 40 + 4 * colours;
    v.andBits = v.xorBits + xorBytes;
    return v;
}
