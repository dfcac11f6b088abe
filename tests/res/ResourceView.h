// Read-only views of the embedded resources for the tests: lookup by id, the
// bitmaps as the drawing layer decodes them (its decoder is checked against
// hand-built files in tests/gdi) and a small, bounds-checked icon parser.
#pragma once

#include "platform/gdi/DibDecode.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct Blob {
    const uint8_t *data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The bytes of resource (type, id) of the executable's table; empty when absent.
Blob FindBlob(const char *type, int id);
uint32_t Le(const uint8_t *p, int bytes = 4);

// A decoded 8-bit DIB; `ok` false when the decoder refuses it.
struct DibView : VxDibImage {
    bool ok = false;
    // Palette index at (x, y), y = 0 being the top row.
    uint8_t Index(int x, int y) const { return indices[size_t(y) * size_t(width) + size_t(x)]; }
    bool Key(int x, int y) const { return Index(x, y) == 2; }
    // The colour table as 0xRRGGBB.
    std::vector<uint32_t> Colours() const;
};
DibView ParseDib(Blob packed);
DibView ParseBitmapFile(Blob file);
inline DibView Bitmap(int id) {
    return ParseDib(FindBlob(RT_BITMAP, id));
}

// A single-image .ico or .cur file of 32x32 pixels whose image header's
// height counts the colour image and the 1-bit AND mask below it.
struct IconView {
    bool ok = false;
    uint16_t type = 0, count = 0, field4 = 0, field6 = 0; // planes and bit count, or the hot spot
    uint8_t width = 0, height = 0;
    uint32_t imageHeight = 0, bitCount = 0, compression = 0;
    const uint8_t *xorBits = nullptr, *andBits = nullptr; // bottom row first

    bool Bit(const uint8_t *bits, size_t stride, int x, int y) const {
        return (bits[size_t(31 - y) * stride + size_t(x / 8)] >> (7 - x % 8)) & 1;
    }
    bool Transparent(int x, int y) const { return Bit(andBits, 4, x, y); }
};
IconView ParseIcon(Blob b);
