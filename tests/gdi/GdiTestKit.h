// Helpers of the drawing-layer tests: DIBs and bitmap files built byte by
// byte (independently of the decoder under test), raw pixel access, a scoped
// display depth and a memory DC holding a bitmap.
#pragma once

#include "platform/gdi/Gdi.h"
#include "tests/TestEnv.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace gditest {

using Bytes = std::vector<uint8_t>;

// Writes v little-endian into n bytes at `at`.
inline void Put(Bytes &b, size_t at, uint32_t v, int n = 4) {
    for (int i = 0; i < n; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline RGBQUAD Quad(uint32_t rgb) {
    return RGBQUAD{BYTE(rgb), BYTE(rgb >> 8), BYTE(rgb >> 16), 0};
}
inline uint32_t RgbOfQuad(const RGBQUAD &q) {
    return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
}
inline std::vector<RGBQUAD> GreyTable(int n) {
    std::vector<RGBQUAD> t;
    for (int i = 0; i < n; ++i)
        t.push_back(RGBQUAD{BYTE(i * 7), BYTE(i * 3), BYTE(255 - i), 0});
    return t;
}

struct DibLayout {
    int width = 4;
    int height = 3; // rows of the image; stored negated when topDown
    int bitCount = 8;
    DWORD compression = BI_RGB;
    DWORD headerSize = 40; // 12 for a core header
    bool topDown = false;
    DWORD clrUsed = 0;
    DWORD sizeImage = 0;
    std::vector<RGBQUAD> table;  // written as given (RGBTRIPLEs for core headers)
    std::vector<uint32_t> masks; // BI_BITFIELDS: red, green, blue
    // Pixel at (x, y), y from the top: an index up to 8 bpp, else the raw value.
    std::function<uint32_t(int, int)> pixel = [](int x, int y) { return uint32_t(x + y); };
    Bytes compressed; // pixel bits as given, for RLE
};

inline Bytes PixelBits(const DibLayout &s) {
    if (!s.compressed.empty())
        return s.compressed;
    const int bpp = s.bitCount;
    const size_t stride = (size_t(s.width) * size_t(bpp) + 31) / 32 * 4;
    Bytes bits(stride * size_t(s.height), 0);
    for (int y = 0; y < s.height; ++y) {
        uint8_t *row = bits.data() + stride * size_t(s.topDown ? y : s.height - 1 - y);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = s.pixel(x, y);
            if (bpp < 8)
                row[x * bpp / 8] |= uint8_t((v & ((1u << bpp) - 1)) << (8 - bpp - x * bpp % 8));
            else
                for (int i = 0; i < bpp / 8; ++i)
                    row[x * bpp / 8 + i] = uint8_t(v >> (8 * i));
        }
    }
    return bits;
}

// Header, masks (after a 40-byte header or inside a larger one), table, bits.
inline Bytes PackedDib(const DibLayout &s) {
    Bytes out(s.headerSize, 0);
    Put(out, 0, s.headerSize);
    const bool core = s.headerSize == 12;
    if (core) {
        Put(out, 4, uint32_t(s.width), 2), Put(out, 6, uint32_t(s.height), 2);
        Put(out, 8, 1, 2), Put(out, 10, uint32_t(s.bitCount), 2);
    } else {
        Put(out, 4, uint32_t(s.width)), Put(out, 8, uint32_t(s.topDown ? -s.height : s.height));
        Put(out, 12, 1, 2), Put(out, 14, uint32_t(s.bitCount), 2);
        Put(out, 16, s.compression), Put(out, 20, s.sizeImage), Put(out, 32, s.clrUsed);
        if (!s.masks.empty()) {
            out.resize(std::max<size_t>(out.size(), 52), 0);
            for (size_t i = 0; i < 3; ++i)
                Put(out, 40 + 4 * i, s.masks[i]);
        }
    }
    for (const RGBQUAD &q : s.table) {
        out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed});
        if (!core)
            out.push_back(0);
    }
    const Bytes bits = PixelBits(s);
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

// A bitmap file: the 14-byte file header, then the packed DIB with `gap`
// extra bytes between the table and the bits, named by bfOffBits.
inline Bytes BitmapFile(const DibLayout &s, size_t gap = 0) {
    Bytes out = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes dib = PackedDib(s);
    const size_t head = dib.size() - PixelBits(s).size();
    out.insert(out.end(), dib.begin(), dib.begin() + long(head));
    out.insert(out.end(), gap, 0xEE);
    out.insert(out.end(), dib.begin() + long(head), dib.end());
    Put(out, 2, uint32_t(out.size()));
    Put(out, 10, uint32_t(14 + head + gap));
    return out;
}

inline std::string TempFile(const Bytes &bytes) {
    return vxtest::MakeTemp("vx-gdi-test-", false, std::string(bytes.begin(), bytes.end()));
}

struct DisplayDepth {
    explicit DisplayDepth(int bits) { VxSetDisplayDepth(bits); }
    ~DisplayDepth() { VxSetDisplayDepth(32); }
};

// The stored value of a pixel: a bit, an index or 0x00RRGGBB.
inline uint32_t Read(HBITMAP b, int x, int y) {
    VxBitmapView v{};
    VxGetBitmapView(b, &v);
    const BYTE *row = v.pixels + size_t(y) * size_t(v.stride);
    if (v.bitsPixel == 1)
        return (row[x / 8] >> (7 - x % 8)) & 1;
    if (v.bitsPixel == 8)
        return row[x];
    uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
}

inline void Write(HBITMAP b, int x, int y, uint32_t value) {
    VxBitmapView v{};
    VxGetBitmapView(b, &v);
    BYTE *row = v.pixels + size_t(y) * size_t(v.stride);
    if (v.bitsPixel == 1) {
        const BYTE bit = BYTE(0x80 >> (x % 8));
        row[x / 8] = BYTE(value ? row[x / 8] | bit : row[x / 8] & ~bit);
    } else if (v.bitsPixel == 8) {
        row[x] = BYTE(value);
    } else {
        std::memcpy(row + 4 * x, &value, 4);
    }
}

// Every stored value of a bitmap, row by row.
inline std::vector<uint32_t> Snapshot(HBITMAP b) {
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    std::vector<uint32_t> out;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            out.push_back(Read(b, x, y));
    return out;
}

// A memory DC holding a bitmap, both released at the end of the scope.
struct Surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    explicit Surface(HBITMAP b) : dc(CreateCompatibleDC(nullptr)), bitmap(b) {
        previous = SelectObject(dc, b);
    }
    Surface(int w, int h, int bpp)
        : Surface(bpp == 1 ? CreateBitmap(w, h, 1, 1, nullptr) : VxCreateDisplayBitmap(w, h)) {}
    ~Surface() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

} // namespace gditest
