// Read-only views of the embedded resources for the tests: lookup by id and
// small, bounds-checked parsers of packed DIBs, icon files and wave files.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Blob {
    const uint8_t *data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The bytes of resource (type, id) of the executable's table; empty when absent.
Blob FindBlob(const char *type, int id);
Blob FindBitmap(int id);

uint16_t Le16(const uint8_t *p);
uint32_t Le32(const uint8_t *p);

// An 8-bit (or other depth) packed DIB with a 40-byte header.
struct DibView {
    std::string error; // empty when the DIB is well formed
    uint32_t headerSize = 0, compression = 0, sizeImage = 0, coloursUsed = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bitCount = 0;
    const uint8_t *table = nullptr; // RGBQUAD entries
    const uint8_t *bits = nullptr;
    size_t stride = 0, totalSize = 0;

    // Palette index at (x, y), y = 0 being the top row (8-bit DIBs).
    uint8_t Index(int x, int y) const { return bits[size_t(height - 1 - y) * stride + size_t(x)]; }
};
// With `masks` the DIB is an icon or cursor image: its header's height counts
// the colour image and the 1-bit AND mask below it.
DibView ParseDib(Blob b, bool masks = false);

// The 256 colours of an 8-bit DIB's table as 0xRRGGBB.
std::vector<uint32_t> ColourTable(const DibView &d);

// Whether each pixel of an 8-bit DIB holds the key index (2), top row first.
std::vector<uint8_t> KeyPixels(const DibView &d);

// A single-image .ico or .cur file.
struct IconView {
    std::string error;
    uint16_t type = 0, count = 0;
    uint8_t width = 0, height = 0;
    uint16_t field4 = 0, field6 = 0; // planes and bit count, or the hot spot
    DibView dib;                     // the image with both masks (height doubled)
    const uint8_t *xorBits = nullptr, *andBits = nullptr;
    size_t xorStride = 0, andStride = 0;

    bool Transparent(int x, int y) const {
        return (andBits[size_t(31 - y) * andStride + size_t(x / 8)] >> (7 - x % 8)) & 1;
    }
};
IconView ParseIcon(Blob b);

// A RIFF wave file: its chunks in order and the format fields.
struct WaveView {
    std::string error;
    std::vector<std::string> chunks; // chunk ids in file order
    uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
    uint32_t rate = 0, byteRate = 0, factSamples = 0, riffSize = 0;
    const uint8_t *samples = nullptr;
    size_t sampleCount = 0;
};
WaveView ParseWave(Blob b);
