// Decoder of the platform's bitmap formats: bitmap files (a 14-byte file
// header in front of a DIB) and packed DIBs (header, colour table, bits).
//
// Accepted: 12-byte core headers and info headers of 40 bytes or more (V4 108,
// V5 124 and anything between); 1, 4, 8, 16, 24 and 32 bits per pixel;
// BI_RGB, BI_RLE4, BI_RLE8 and BI_BITFIELDS; bottom-up and top-down rows.
// Every read is bounded by the buffer; anything malformed, truncated or of an
// unreasonable size is rejected with a reason, never read past or allocated
// for.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct VxDibLimits {
    int64_t maxPixels = int64_t(64) << 20; // width x height
    int maxDimension = 65535;
};

// A decoded image, rows top-down. Images of up to 8 bits per pixel keep their
// indices (one byte each) and colour table; others are 0x00RRGGBB.
struct VxDibImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;            // of the source: 1, 4, 8, 16, 24 or 32
    DWORD compression = 0;       // of the source
    bool topDown = false;        // of the source
    std::vector<RGBQUAD> colors; // the colour table (up to 8 bpp), 2^bpp entries
    size_t colorsUsed = 0;       // entries present in the source table
    std::vector<BYTE> indices;   // width x height, when bitCount <= 8
    std::vector<uint32_t> rgb;   // width x height, when bitCount > 8

    bool Indexed() const { return bitCount <= 8; }
    // The pixel as 0x00RRGGBB (indices through the table).
    uint32_t Rgb(int x, int y) const;
};

// Header facts of a DIB, validated.
struct VxDibInfo {
    DWORD headerSize = 0;
    int width = 0;
    int height = 0; // positive
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    DWORD masks[3] = {0, 0, 0}; // red, green, blue for 16/32 bpp
    size_t colorCount = 0;      // table entries counted (up to 2^bpp)
    size_t tableBytes = 0;      // bytes of table after the header (and masks)
    size_t tableOffset = 0;     // from the header start
    size_t stride = 0;          // bytes per uncompressed row
    size_t imageBytes = 0;      // uncompressed: stride x height; RLE: biSizeImage
};

// Reads and checks a DIB header at `dib` (`size` bytes available, which must
// cover the header, masks and colour table). `why` receives a short reason.
bool VxReadDibInfo(const void *dib, size_t size, VxDibInfo *info, const char **why = nullptr,
                   const VxDibLimits &limits = {});

// Decodes pixel bits described by `info` (already read from `header`).
bool VxDecodeDibBits(const void *header, const VxDibInfo &info, const void *bits, size_t bitsSize,
                     VxDibImage *out, const char **why = nullptr);

// A whole packed DIB of `size` bytes (bits right after the colour table).
bool VxDecodePackedDib(const void *dib, size_t size, VxDibImage *out, const char **why = nullptr,
                       const VxDibLimits &limits = {});

// A whole bitmap file of `size` bytes.
bool VxDecodeBitmapFile(const void *file, size_t size, VxDibImage *out, const char **why = nullptr,
                        const VxDibLimits &limits = {});
