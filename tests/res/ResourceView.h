// Read-only views of the embedded resources for the tests: lookup by id and
// small, bounds-checked parsers of packed DIBs, icon files and wave files.
#pragma once

#include "platform/win/WinTypes.h"

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

// A packed DIB with a 40-byte header; `ok` false when malformed or short.
struct DibView {
    bool ok = false;
    uint32_t compression = 0, sizeImage = 0, coloursUsed = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bitCount = 0;
    const uint8_t *table = nullptr; // RGBQUAD entries
    const uint8_t *bits = nullptr;
    size_t stride = 0, totalSize = 0;

    // Palette index at (x, y), y = 0 being the top row (8-bit DIBs).
    uint8_t Index(int x, int y) const { return bits[size_t(height - 1 - y) * stride + size_t(x)]; }
    bool Key(int x, int y) const { return Index(x, y) == 2; }
    // The 256 colours of the table as 0xRRGGBB.
    std::vector<uint32_t> Colours() const;
};
// With `masks` the DIB is an icon or cursor image: its header's height counts
// the colour image and the 1-bit AND mask below it.
DibView ParseDib(Blob b, bool masks = false);
inline DibView Bitmap(int id) {
    return ParseDib(FindBlob(RT_BITMAP, id));
}

// A single-image .ico or .cur file of 32x32 pixels.
struct IconView {
    bool ok = false;
    uint16_t type = 0, count = 0, field4 = 0, field6 = 0; // planes and bit count, or the hot spot
    uint8_t width = 0, height = 0;
    DibView dib; // the image with both masks (height doubled)
    const uint8_t *andBits = nullptr;

    bool Bit(const uint8_t *bits, size_t stride, int x, int y) const {
        return (bits[size_t(31 - y) * stride + size_t(x / 8)] >> (7 - x % 8)) & 1;
    }
    bool Transparent(int x, int y) const { return Bit(andBits, 4, x, y); }
};
IconView ParseIcon(Blob b);

// The samples of a RIFF wave file's data chunk.
struct WaveView {
    const uint8_t *samples = nullptr;
    size_t sampleCount = 0;
};
WaveView ParseWave(Blob b);
