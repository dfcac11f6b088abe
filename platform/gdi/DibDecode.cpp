// Bitmap file and packed DIB decoder. Every field is read through bounded
// little-endian accessors; sizes are computed in 64 bits and checked against
// the limits and the bytes present before anything is allocated.
#include "platform/gdi/DibDecode.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t U16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Fail(const char **why, const char *reason) {
    if (why)
        *why = reason;
    return false;
}

// A colour mask must be one run of set bits.
bool ContiguousMask(uint32_t m) {
    if (m == 0)
        return false;
    while (!(m & 1))
        m >>= 1;
    return (m & (m + 1)) == 0;
}

int Shift(uint32_t m) {
    int s = 0;
    while (!(m >> s & 1))
        ++s;
    return s;
}

int Bits(uint32_t m) {
    int n = 0;
    for (; m; m &= m - 1)
        ++n;
    return n;
}

// Extracts one channel and widens it to 8 bits by repeating its top bits.
inline uint32_t Channel(uint32_t pixel, uint32_t mask, int shift, int bits) {
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8)
        return v >> (bits - 8);
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits)
        out = (out << bits) | v;
    // `out` now has at least 8 bits; keep the top 8.
    const int total = ((8 + bits - 1) / bits) * bits;
    return (out >> (total - 8)) & 0xFF;
}

} // namespace

uint32_t VxDibImage::Rgb(int x, int y) const {
    const size_t i = size_t(y) * size_t(width) + size_t(x);
    if (!Indexed())
        return rgb[i];
    const size_t index = indices[i];
    if (index >= colors.size())
        return 0;
    const RGBQUAD &q = colors[index];
    return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
}

bool VxReadDibInfo(const void *dib, size_t size, VxDibInfo *info, const char **why,
                   const VxDibLimits &limits) {
    const auto *p = static_cast<const uint8_t *>(dib);
    VxDibInfo r;
    if (!p || size < 4)
        return Fail(why, "header truncated");
    r.headerSize = U32(p);
    bool core = false;
    uint64_t clrUsed = 0;
    int64_t width, height;
    int planes;
    if (r.headerSize == 12) {
        if (size < 12)
            return Fail(why, "header truncated");
        core = true;
        width = U16(p + 4);
        height = U16(p + 6);
        planes = U16(p + 8);
        r.bitCount = U16(p + 10);
        r.compression = BI_RGB;
    } else if (r.headerSize >= 40) {
        if (size < r.headerSize)
            return Fail(why, "header truncated");
        width = int32_t(U32(p + 4));
        height = int32_t(U32(p + 8));
        planes = U16(p + 12);
        r.bitCount = U16(p + 14);
        r.compression = U32(p + 16);
        clrUsed = U32(p + 32);
    } else {
        return Fail(why, "unknown header size");
    }
    if (planes == 0)
        return Fail(why, "no planes");
    r.topDown = height < 0;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0)
        return Fail(why, "empty image");
    if (width > limits.maxDimension || height > limits.maxDimension)
        return Fail(why, "image too large");
    if (width * height > limits.maxPixels)
        return Fail(why, "image too large");
    r.width = int(width);
    r.height = int(height);

    switch (r.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (r.compression == BI_RLE8 && r.bitCount == 8)
            break;
        if (r.compression == BI_RLE4 && r.bitCount == 4)
            break;
        if (r.compression != BI_RGB)
            return Fail(why, "compression does not fit the bit count");
        break;
    case 16:
    case 32:
        if (r.compression != BI_RGB && r.compression != BI_BITFIELDS)
            return Fail(why, "compression does not fit the bit count");
        break;
    default:
        return Fail(why, "unsupported bit count");
    }
    const bool rle = r.compression == BI_RLE4 || r.compression == BI_RLE8;
    if (rle && r.topDown)
        return Fail(why, "compressed images cannot be top-down");

    // Colour masks: in the header from 52 bytes on, right after a 40-byte one.
    size_t tableOffset = r.headerSize;
    if (r.compression == BI_BITFIELDS) {
        if (r.headerSize < 52)
            tableOffset = 52;
        if (size < 52)
            return Fail(why, "colour masks truncated");
        for (int i = 0; i < 3; ++i)
            r.masks[i] = U32(p + 40 + 4 * i);
        const uint32_t limit = r.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (int i = 0; i < 3; ++i)
            if (!ContiguousMask(r.masks[i]) || (r.masks[i] & ~limit))
                return Fail(why, "bad colour mask");
        if ((r.masks[0] & r.masks[1]) || (r.masks[0] & r.masks[2]) || (r.masks[1] & r.masks[2]))
            return Fail(why, "overlapping colour masks");
    } else if (r.bitCount == 16) {
        r.masks[0] = 0x7C00, r.masks[1] = 0x03E0, r.masks[2] = 0x001F;
    } else if (r.bitCount == 32) {
        r.masks[0] = 0xFF0000, r.masks[1] = 0xFF00, r.masks[2] = 0xFF;
    }

    // The colour table: up to 256 entries present; for up to 8 bpp at most
    // 2^bpp of them are used (missing ones read as black).
    size_t present;
    if (core)
        present = r.bitCount <= 8 ? size_t(1) << r.bitCount : 0;
    else if (clrUsed)
        present = size_t(std::min<uint64_t>(clrUsed, 256));
    else
        present = r.bitCount <= 8 ? size_t(1) << r.bitCount : 0;
    r.colorCount = r.bitCount <= 8 ? std::min(present, size_t(1) << r.bitCount) : 0;
    r.tableOffset = tableOffset;
    r.tableBytes = present * (core ? 3 : 4);
    if (uint64_t(tableOffset) + r.tableBytes > size)
        return Fail(why, "colour table truncated");

    r.stride = size_t((uint64_t(r.width) * uint64_t(r.bitCount) + 31) / 32 * 4);
    if (rle) {
        r.imageBytes = U32(p + 20);
        if (r.imageBytes == 0)
            return Fail(why, "compressed image without a size");
    } else {
        r.imageBytes = r.stride * size_t(r.height);
    }
    *info = r;
    return true;
}

namespace {

// Run-length decoding into top-down indices. Runs stop at the row's end;
// deltas and rows past the image end the stream; reading stops at `size`.
bool DecodeRle(const uint8_t *data, size_t size, bool four, VxDibImage *out, const char **why) {
    const int w = out->width, h = out->height;
    int x = 0, y = 0; // y counts rows from the bottom
    auto put = [&](int value) {
        if (x < w && y < h)
            out->indices[size_t(h - 1 - y) * size_t(w) + size_t(x)] = uint8_t(value);
        ++x;
    };
    size_t i = 0;
    while (true) {
        if (i + 2 > size)
            return i == size ? true : Fail(why, "compressed data truncated");
        const int count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k)
                put(four ? (k & 1 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // delta
            if (i + 2 > size)
                return Fail(why, "compressed data truncated");
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else { // literal run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (i + bytes > size)
                return Fail(why, "compressed data truncated");
            for (int k = 0; k < value && x < w; ++k) {
                const uint8_t b = data[i + (four ? size_t(k) / 2 : size_t(k))];
                put(four ? (k & 1 ? b & 0x0F : b >> 4) : b);
            }
            i += std::min(padded, size - i);
        }
        if (y >= h)
            return true; // past the top: nothing more can be drawn
    }
}

} // namespace

bool VxDecodeDibBits(const void *header, const VxDibInfo &info, const void *bits, size_t bitsSize,
                     VxDibImage *out, const char **why) {
    const auto *hp = static_cast<const uint8_t *>(header);
    const auto *bp = static_cast<const uint8_t *>(bits);
    VxDibImage img;
    img.width = info.width;
    img.height = info.height;
    img.bitCount = info.bitCount;
    img.compression = info.compression;
    img.topDown = info.topDown;
    const bool core = info.headerSize == 12;
    if (info.bitCount <= 8) {
        img.colors.assign(size_t(1) << info.bitCount, RGBQUAD{0, 0, 0, 0});
        for (size_t i = 0; i < info.colorCount; ++i) {
            const uint8_t *e = hp + info.tableOffset + i * (core ? 3 : 4);
            img.colors[i] = RGBQUAD{e[0], e[1], e[2], 0};
        }
        img.colorsUsed = info.colorCount;
    }
    const size_t pixels = size_t(info.width) * size_t(info.height);
    if (!bp && bitsSize)
        return Fail(why, "no pixel data");
    if (info.compression == BI_RLE8 || info.compression == BI_RLE4) {
        img.indices.assign(pixels, 0);
        if (!DecodeRle(bp, std::min(bitsSize, info.imageBytes), info.compression == BI_RLE4, &img,
                       why))
            return false;
        *out = std::move(img);
        return true;
    }
    if (info.imageBytes > bitsSize)
        return Fail(why, "pixel data truncated");
    if (info.bitCount <= 8)
        img.indices.resize(pixels);
    else
        img.rgb.resize(pixels);
    int shifts[3] = {0, 0, 0}, widths[3] = {0, 0, 0};
    if (info.bitCount == 16 || info.bitCount == 32)
        for (int c = 0; c < 3; ++c) {
            shifts[c] = Shift(info.masks[c]);
            widths[c] = Bits(info.masks[c]);
        }
    for (int y = 0; y < info.height; ++y) {
        const uint8_t *row = bp + size_t(info.topDown ? y : info.height - 1 - y) * info.stride;
        const size_t base = size_t(y) * size_t(info.width);
        for (int x = 0; x < info.width; ++x) {
            switch (info.bitCount) {
            case 1:
                img.indices[base + size_t(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                img.indices[base + size_t(x)] = x & 1 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
                break;
            case 8:
                img.indices[base + size_t(x)] = row[x];
                break;
            case 24: {
                const uint8_t *q = row + size_t(x) * 3;
                img.rgb[base + size_t(x)] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
                break;
            }
            default: {
                const uint32_t v =
                    info.bitCount == 16 ? U16(row + size_t(x) * 2) : U32(row + size_t(x) * 4);
                img.rgb[base + size_t(x)] = Channel(v, info.masks[0], shifts[0], widths[0]) << 16 |
                                            Channel(v, info.masks[1], shifts[1], widths[1]) << 8 |
                                            Channel(v, info.masks[2], shifts[2], widths[2]);
            }
            }
        }
    }
    *out = std::move(img);
    return true;
}

bool VxDecodePackedDib(const void *dib, size_t size, VxDibImage *out, const char **why,
                       const VxDibLimits &limits) {
    VxDibInfo info;
    if (!VxReadDibInfo(dib, size, &info, why, limits))
        return false;
    const size_t bitsOffset = info.tableOffset + info.tableBytes;
    return VxDecodeDibBits(dib, info, static_cast<const uint8_t *>(dib) + bitsOffset,
                           size - bitsOffset, out, why);
}

bool VxDecodeBitmapFile(const void *file, size_t size, VxDibImage *out, const char **why,
                        const VxDibLimits &limits) {
    const auto *p = static_cast<const uint8_t *>(file);
    if (!p || size < 14 + 4)
        return Fail(why, "file too short");
    if (p[0] != 'B' || p[1] != 'M')
        return Fail(why, "not a bitmap file");
    const uint32_t offBits = U32(p + 10);
    VxDibInfo info;
    if (!VxReadDibInfo(p + 14, size - 14, &info, why, limits))
        return false;
    const size_t tableEnd = 14 + info.tableOffset + info.tableBytes;
    size_t bitsOffset = tableEnd;
    if (offBits != 0) {
        if (offBits < tableEnd || offBits >= size)
            return Fail(why, "pixel data offset out of range");
        bitsOffset = offBits;
    }
    if (bitsOffset >= size)
        return Fail(why, "no pixel data");
    return VxDecodeDibBits(p + 14, info, p + bitsOffset, size - bitsOffset, out, why);
}
