// Builds DIBs and bitmap files byte by byte for the tests, independently of
// the decoder under test.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace dibtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes &b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void Put32(Bytes &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
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
    // Pixel value at (x, y), y from the top: an index up to 8 bpp, the raw
    // 16/32-bit value, or 0x00RRGGBB at 24 bpp.
    std::function<uint32_t(int, int)> pixel = [](int x, int y) { return uint32_t(x + y); };
    Bytes compressed; // pixel bits as given, for RLE
};

inline size_t Stride(int width, int bpp) {
    return (size_t(width) * size_t(bpp) + 31) / 32 * 4;
}

inline Bytes EncodeRows(const DibLayout &s) {
    const size_t stride = Stride(s.width, s.bitCount);
    Bytes bits(stride * size_t(s.height), 0);
    for (int y = 0; y < s.height; ++y) {
        uint8_t *row = bits.data() + stride * size_t(s.topDown ? y : s.height - 1 - y);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t v = s.pixel(x, y);
            switch (s.bitCount) {
            case 1:
                row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = uint8_t(v);
                break;
            case 16:
                row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
                break;
            case 24:
                row[3 * x] = uint8_t(v), row[3 * x + 1] = uint8_t(v >> 8),
                        row[3 * x + 2] = uint8_t(v >> 16);
                break;
            default:
                for (int i = 0; i < 4; ++i)
                    row[4 * x + i] = uint8_t(v >> (8 * i));
            }
        }
    }
    return bits;
}

// Header, masks (after a 40-byte header or inside a larger one), table, bits.
inline Bytes PackedDib(const DibLayout &s) {
    Bytes out(s.headerSize, 0);
    Put32(out, 0, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, 4, uint32_t(s.width));
        Put16(out, 6, uint32_t(s.height));
        Put16(out, 8, 1);
        Put16(out, 10, uint32_t(s.bitCount));
        for (const RGBQUAD &q : s.table)
            out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed});
    } else {
        Put32(out, 4, uint32_t(s.width));
        Put32(out, 8, uint32_t(s.topDown ? -s.height : s.height));
        Put16(out, 12, 1);
        Put16(out, 14, uint32_t(s.bitCount));
        Put32(out, 16, s.compression);
        Put32(out, 20, s.sizeImage);
        Put32(out, 32, s.clrUsed);
        if (!s.masks.empty()) {
            if (s.headerSize < 52)
                out.resize(52, 0);
            for (size_t i = 0; i < 3; ++i)
                Put32(out, 40 + 4 * i, s.masks[i]);
        }
        for (const RGBQUAD &q : s.table)
            out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    }
    const Bytes bits = s.compressed.empty() ? EncodeRows(s) : s.compressed;
    out.insert(out.end(), bits.begin(), bits.end());
    return out;
}

// A bitmap file: the 14-byte file header, then the packed DIB. `gap` extra
// bytes sit between the table and the bits, named by bfOffBits.
inline Bytes BitmapFile(const DibLayout &s, size_t gap = 0) {
    const Bytes dib = PackedDib(s);
    const size_t bitsSize = s.compressed.empty() ? EncodeRows(s).size() : s.compressed.size();
    const size_t headerAndTable = dib.size() - bitsSize;
    Bytes out(14, 0);
    out[0] = 'B', out[1] = 'M';
    out.insert(out.end(), dib.begin(), dib.begin() + long(headerAndTable));
    out.insert(out.end(), gap, 0xEE);
    out.insert(out.end(), dib.begin() + long(headerAndTable), dib.end());
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, uint32_t(14 + headerAndTable + gap));
    return out;
}

inline std::vector<RGBQUAD> GreyTable(int n) {
    std::vector<RGBQUAD> t;
    for (int i = 0; i < n; ++i)
        t.push_back(RGBQUAD{BYTE(i * 7), BYTE(i * 3), BYTE(255 - i), 0});
    return t;
}

inline uint32_t RgbOfQuad(const RGBQUAD &q) {
    return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
}

// The sprites' colour table: VGA colours at 0-7 and 248-255 (entry 2 is the
// key colour 0,128,0), image colours in between.
inline std::vector<RGBQUAD> SpriteTable() {
    const uint32_t low[8] = {0x000000, 0x800000, 0x008000, 0x808000,
                             0x000080, 0x800080, 0x008080, 0xC0C0C0};
    const uint32_t high[8] = {0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<RGBQUAD> t(256);
    auto quad = [](uint32_t c) { return RGBQUAD{BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0}; };
    for (int i = 0; i < 8; ++i) {
        t[size_t(i)] = quad(low[i]);
        t[size_t(248 + i)] = quad(high[i]);
    }
    for (int i = 8; i < 248; ++i)
        t[size_t(i)] = quad(uint32_t((i * 37) & 0xFF) << 16 | uint32_t((i * 91) & 0xFF) << 8 |
                            uint32_t((i * 13 + 5) & 0xFF));
    return t;
}

} // namespace dibtest
