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

Blob FindBitmap(int id) {
    return FindBlob(RT_BITMAP, id);
}

uint16_t Le16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t *p) {
    return uint32_t(Le16(p)) | uint32_t(Le16(p + 2)) << 16;
}

DibView ParseDib(Blob b, bool masks) {
    DibView d;
    if (!b || b.size < 40) {
        d.error = "shorter than its header";
        return d;
    }
    const uint8_t *p = b.data;
    d.headerSize = Le32(p);
    d.width = int32_t(Le32(p + 4));
    d.height = int32_t(Le32(p + 8));
    d.planes = Le16(p + 12);
    d.bitCount = Le16(p + 14);
    d.compression = Le32(p + 16);
    d.sizeImage = Le32(p + 20);
    d.coloursUsed = Le32(p + 32);
    if (d.headerSize != 40 || d.width <= 0 || d.height <= 0 || d.width > 4096 || d.height > 4096) {
        d.error = "bad header";
        return d;
    }
    size_t colours = d.coloursUsed;
    if (colours == 0 && d.bitCount <= 8)
        colours = size_t(1) << d.bitCount;
    d.stride = ((size_t(d.width) * d.bitCount + 31) / 32) * 4;
    d.totalSize = 40 + colours * 4 + d.stride * size_t(d.height);
    if (masks) {
        const size_t andStride = ((size_t(d.width) + 31) / 32) * 4;
        d.totalSize = 40 + colours * 4 + (d.stride + andStride) * size_t(d.height / 2);
    }
    if (d.totalSize > b.size) {
        d.error = "pixel data runs past the end";
        return d;
    }
    d.table = p + 40;
    d.bits = p + 40 + colours * 4;
    return d;
}

std::vector<uint32_t> ColourTable(const DibView &d) {
    std::vector<uint32_t> t;
    for (int i = 0; i < 256; ++i) {
        const uint8_t *q = d.table + 4 * i;
        t.push_back(uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]);
    }
    return t;
}

std::vector<uint8_t> KeyPixels(const DibView &d) {
    std::vector<uint8_t> k(size_t(d.width) * size_t(d.height));
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            k[size_t(y) * size_t(d.width) + size_t(x)] = d.Index(x, y) == 2;
    return k;
}

IconView ParseIcon(Blob b) {
    IconView v;
    if (!b || b.size < 22) {
        v.error = "shorter than its directory";
        return v;
    }
    const uint8_t *p = b.data;
    v.type = Le16(p + 2);
    v.count = Le16(p + 4);
    v.width = p[6];
    v.height = p[7];
    v.field4 = Le16(p + 10);
    v.field6 = Le16(p + 12);
    const uint32_t bytes = Le32(p + 14), offset = Le32(p + 18);
    if (Le16(p) != 0 || offset != 22 || size_t(offset) + bytes != b.size) {
        v.error = "directory does not describe the file";
        return v;
    }
    v.dib = ParseDib({p + offset, bytes}, true);
    if (!v.dib.error.empty()) {
        v.error = "image: " + v.dib.error;
        return v;
    }
    // The header's height counts the XOR and the AND mask.
    const int h = v.dib.height / 2;
    v.xorBits = v.dib.bits;
    v.xorStride = v.dib.stride;
    v.andBits = v.dib.bits + v.dib.stride * size_t(h);
    v.andStride = ((size_t(v.dib.width) + 31) / 32) * 4;
    if (v.andBits + v.andStride * size_t(h) != p + b.size)
        v.error = "masks do not end the file";
    return v;
}

WaveView ParseWave(Blob b) {
    WaveView w;
    if (!b || b.size < 12 || std::string(reinterpret_cast<const char *>(b.data), 4) != "RIFF" ||
        std::string(reinterpret_cast<const char *>(b.data + 8), 4) != "WAVE") {
        w.error = "not a RIFF WAVE file";
        return w;
    }
    w.riffSize = Le32(b.data + 4);
    size_t pos = 12;
    while (pos + 8 <= b.size) {
        const std::string id(reinterpret_cast<const char *>(b.data + pos), 4);
        const uint32_t size = Le32(b.data + pos + 4);
        const uint8_t *body = b.data + pos + 8;
        if (pos + 8 + size > b.size) {
            w.error = "chunk " + id + " runs past the end";
            return w;
        }
        w.chunks.push_back(id);
        if (id == "fmt " && size >= 16) {
            w.formatTag = Le16(body);
            w.channels = Le16(body + 2);
            w.rate = Le32(body + 4);
            w.byteRate = Le32(body + 8);
            w.blockAlign = Le16(body + 12);
            w.bitsPerSample = Le16(body + 14);
        } else if (id == "fact" && size >= 4) {
            w.factSamples = Le32(body);
        } else if (id == "data") {
            w.samples = body;
            w.sampleCount = size;
        }
        pos += 8 + size + (size & 1);
    }
    return w;
}
