// Block transfers: BitBlt, StretchBlt, PatBlt, FillRect and single pixels.
//
// Every transfer clips its rectangles once against both surfaces, converts
// the source rows to the destination's pixel format (when the formats
// differ), and then applies the raster operation to stored pixel values in
// one tight loop per row. The four operations the saver draws with (copy,
// xor, and, blackness) and a few other common ones have their own loops; a
// general evaluator covers all 256 ternary operations.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vxgdi {

namespace {

inline uint8_t RopIndex(DWORD rop) {
    return uint8_t(rop >> 16);
}
inline bool UsesSource(uint8_t i) {
    return (((i >> 2) ^ i) & 0x33) != 0;
}
inline bool UsesPattern(uint8_t i) {
    return (((i >> 4) ^ i) & 0x0F) != 0;
}

inline uint64_t Load64(const uint8_t *p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void Store64(uint8_t *p, uint64_t v) {
    std::memcpy(p, &v, 8);
}

// Output bit = bit (4P + 2S + D) of the operation's index, for all bits of a
// word at once: OR together the minterms whose index bit is set.
inline uint64_t Rop3Word(uint8_t index, uint64_t p, uint64_t s, uint64_t d) {
    uint64_t r = 0;
    for (int k = 0; k < 8; ++k)
        if (index >> k & 1)
            r |= (k & 4 ? p : ~p) & (k & 2 ? s : ~s) & (k & 1 ? d : ~d);
    return r;
}

// Applies the operation to `n` bytes of `d`. `s` is the source in the
// destination's format (unused operations may pass null); `pattern` holds the
// brush pixel repeated over a word, in phase with `d`.
void ApplyRopBytes(uint8_t index, uint8_t *d, const uint8_t *s, uint64_t pattern, size_t n) {
    size_t i = 0;
    switch (index) {
    case 0xAA: // D
        return;
    case 0xCC: // SRCCOPY
        std::memcpy(d, s, n);
        return;
    case 0x00: // BLACKNESS
        std::memset(d, 0, n);
        return;
    case 0xFF: // WHITENESS
        std::memset(d, 0xFF, n);
        return;
    case 0x66: // SRCINVERT
        for (; i + 8 <= n; i += 8)
            Store64(d + i, Load64(d + i) ^ Load64(s + i));
        for (; i < n; ++i)
            d[i] ^= s[i];
        return;
    case 0x88: // SRCAND
        for (; i + 8 <= n; i += 8)
            Store64(d + i, Load64(d + i) & Load64(s + i));
        for (; i < n; ++i)
            d[i] &= s[i];
        return;
    case 0xEE: // SRCPAINT
        for (; i + 8 <= n; i += 8)
            Store64(d + i, Load64(d + i) | Load64(s + i));
        for (; i < n; ++i)
            d[i] |= s[i];
        return;
    case 0xF0: // PATCOPY
        for (; i + 8 <= n; i += 8)
            Store64(d + i, pattern);
        for (; i < n; ++i)
            d[i] = uint8_t(pattern >> (8 * (i & 7)));
        return;
    default:
        break;
    }
    for (; i + 8 <= n; i += 8)
        Store64(d + i, Rop3Word(index, pattern, s ? Load64(s + i) : 0, Load64(d + i)));
    if (i < n) {
        uint8_t dt[8] = {}, st[8] = {};
        std::memcpy(dt, d + i, n - i);
        if (s)
            std::memcpy(st, s + i, n - i);
        Store64(dt, Rop3Word(index, pattern, Load64(st), Load64(dt)));
        std::memcpy(d + i, dt, n - i);
    }
}

uint64_t PatternWord(const Bitmap *b, uint32_t pixel) {
    switch (b->bpp) {
    case 32:
        return uint64_t(pixel) | uint64_t(pixel) << 32;
    case 8:
        return uint64_t(pixel & 0xFF) * 0x0101010101010101ull;
    default:
        return pixel ? ~uint64_t(0) : 0;
    }
}

// Applies the operation to pixels [x, x + w) of row y. For 1 bpp the source
// bytes are aligned with the destination bytes (bit x & 7 of the first one).
void ApplyRopRow(const Bitmap *b, int y, int x, int w, uint8_t index, const uint8_t *s,
                 uint64_t pattern) {
    uint8_t *row = b->Row(y);
    if (b->bpp == 32) {
        uint8_t *d = row + size_t(x) * 4;
        ApplyRopBytes(index, d, s, pattern, size_t(w) * 4);
        // Operations that turn all-zero inputs into ones would set the unused
        // top byte; it stays 0 so that pixels compare by colour.
        if (index & 1)
            for (int i = 0; i < w; ++i)
                d[size_t(i) * 4 + 3] = 0;
        return;
    }
    if (b->bpp == 8) {
        ApplyRopBytes(index, row + x, s, pattern, size_t(w));
        return;
    }
    const int first = x >> 3, last = (x + w - 1) >> 3;
    const size_t n = size_t(last - first + 1);
    uint8_t *d = row + first;
    uint8_t leftMask = uint8_t(0xFF >> (x & 7));
    uint8_t rightMask = uint8_t(0xFF << (7 - ((x + w - 1) & 7)));
    if (n == 1)
        leftMask = rightMask = uint8_t(leftMask & rightMask);
    const uint8_t keepFirst = d[0], keepLast = d[n - 1];
    ApplyRopBytes(index, d, s, pattern, n);
    d[0] = uint8_t((keepFirst & ~leftMask) | (d[0] & leftMask));
    d[n - 1] = uint8_t((keepLast & ~rightMask) | (d[n - 1] & rightMask));
}

inline uint32_t ReadPixel(const Bitmap *b, int x, int y) {
    const uint8_t *row = b->Row(y);
    switch (b->bpp) {
    case 32: {
        uint32_t v;
        std::memcpy(&v, row + size_t(x) * 4, 4);
        return v;
    }
    case 8:
        return row[x];
    default:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    }
}

inline void WritePixel(const Bitmap *b, int x, int y, uint32_t v) {
    uint8_t *row = b->Row(y);
    switch (b->bpp) {
    case 32:
        v &= 0xFFFFFF;
        std::memcpy(row + size_t(x) * 4, &v, 4);
        break;
    case 8:
        row[x] = uint8_t(v);
        break;
    default: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = uint8_t(v ? row[x >> 3] | bit : row[x >> 3] & ~bit);
    }
    }
}

bool SameTables(const Bitmap *a, const Bitmap *b) {
    if (a->dibSection != b->dibSection)
        return false;
    if (!a->dibSection)
        return true; // both hold system palette indices
    return a->table.size() == b->table.size() &&
           std::memcmp(a->table.data(), b->table.data(), a->table.size() * sizeof(RGBQUAD)) == 0;
}

// Reads source pixels as pixel values of the destination's format.
class Converter {
  public:
    Converter(const Bitmap *src, const Dc *srcDc, const Bitmap *dst, const Dc *dstDc)
        : src_(src), dst_(dst), dstDc_(dstDc) {
        raw_ = src->bpp == dst->bpp && (src->bpp != 8 || SameTables(src, dst));
        if (raw_)
            return;
        if (src->bpp == 1) {
            // Monochrome to colour: 0 bits take the destination DC's text
            // colour, 1 bits its background colour.
            mono_[0] = PixelOfColorref(dstDc, dst, dstDc ? dstDc->text : 0);
            mono_[1] = PixelOfColorref(dstDc, dst, dstDc ? dstDc->background : 0xFFFFFF);
        } else if (dst->bpp == 1) {
            // Colour to monochrome: a source pixel whose stored value equals
            // the source DC's background colour (as a pixel of the source)
            // becomes 1, every other pixel 0.
            key_ = PixelOfColorref(srcDc, src, srcDc ? srcDc->background : 0xFFFFFF);
        } else if (src->bpp == 8) {
            int count = 0;
            const RGBQUAD *table = TableOf(src, &count);
            lut_.resize(256);
            for (int i = 0; i < 256; ++i)
                lut_[size_t(i)] = PixelOfRgb(dstDc, dst, i < count ? RgbOf(table[i]) : 0);
        } else {
            // True colour into 8 bpp: channels reduced to 5 bits, then the
            // nearest colour, remembered per reduced colour.
            memo_.assign(32768, -1);
        }
    }

    bool Raw() const { return raw_; }

    uint32_t Value(int x, int y) {
        const uint32_t v = ReadPixel(src_, x, y);
        if (raw_)
            return v;
        if (src_->bpp == 1)
            return mono_[v];
        if (dst_->bpp == 1)
            return v == key_ ? 1u : 0u;
        if (src_->bpp == 8)
            return lut_[v];
        const uint32_t key = ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F);
        int &m = memo_[key];
        if (m < 0) {
            const uint32_t rounded = (v & 0xF8F8F8) | 0x040404;
            m = int(PixelOfRgb(dstDc_, dst_, rounded));
        }
        return uint32_t(m);
    }

    // Source pixels [x, x + w) of row y as destination pixel values.
    void Values(int x, int y, int w, uint32_t *out) {
        if (src_->bpp == 32 && dst_->bpp == 32) {
            std::memcpy(out, src_->Row(y) + size_t(x) * 4, size_t(w) * 4);
            return;
        }
        if (src_->bpp == 1 && dst_->bpp != 1) {
            // Mask expansion: whole source bytes at a time once aligned.
            const uint8_t *row = src_->Row(y);
            int i = 0, sx = x;
            for (; i < w && (sx & 7); ++i, ++sx)
                out[i] = mono_[(row[sx >> 3] >> (7 - (sx & 7))) & 1];
            for (; i + 8 <= w; i += 8, sx += 8) {
                const unsigned bits = row[sx >> 3];
                for (int k = 0; k < 8; ++k)
                    out[i + k] = mono_[(bits >> (7 - k)) & 1];
            }
            for (; i < w; ++i, ++sx)
                out[i] = mono_[(row[sx >> 3] >> (7 - (sx & 7))) & 1];
            return;
        }
        if (src_->bpp == 8 && !raw_ && dst_->bpp != 1) {
            const uint8_t *row = src_->Row(y) + x;
            for (int i = 0; i < w; ++i)
                out[i] = lut_[row[i]];
            return;
        }
        for (int i = 0; i < w; ++i)
            out[i] = Value(x + i, y);
    }

  private:
    const Bitmap *src_, *dst_;
    const Dc *dstDc_;
    bool raw_ = false;
    uint32_t mono_[2] = {0, 0};
    uint32_t key_ = 0;
    std::vector<uint32_t> lut_;
    std::vector<int> memo_;
};

// Packs pixel values into destination-format bytes; for 1 bpp aligned so that
// the first value lands on bit (x & 7) of byte 0.
void Pack(const uint32_t *values, int w, int bpp, int x, uint8_t *out) {
    if (bpp == 32) {
        std::memcpy(out, values, size_t(w) * 4);
    } else if (bpp == 8) {
        for (int i = 0; i < w; ++i)
            out[i] = uint8_t(values[i]);
    } else {
        const int offset = x & 7;
        std::memset(out, 0, size_t(offset + w + 7) / 8);
        for (int i = 0; i < w; ++i)
            if (values[i])
                out[(offset + i) >> 3] |= uint8_t(0x80 >> ((offset + i) & 7));
    }
}

// Copies 1 bpp pixels [sx, sx + w) of a row so that they line up with a
// destination starting at bit (dx & 7).
void ShiftMonoRow(const uint8_t *row, int sx, int w, int dx, uint8_t *out) {
    const int offset = dx & 7;
    std::memset(out, 0, size_t(offset + w + 7) / 8);
    for (int i = 0; i < w; ++i) {
        const int s = sx + i;
        if ((row[s >> 3] >> (7 - (s & 7))) & 1)
            out[(offset + i) >> 3] |= uint8_t(0x80 >> ((offset + i) & 7));
    }
}

// A private copy of part of a bitmap, for transfers within one bitmap whose
// rectangles overlap: the result is as if the whole source was read first.
std::unique_ptr<Bitmap> CopyRegion(const Bitmap *src, int x, int y, int w, int h) {
    auto copy = std::make_unique<Bitmap>();
    copy->width = w;
    copy->height = h;
    copy->bpp = src->bpp;
    copy->dibSection = src->dibSection;
    copy->table = src->table;
    copy->tableUsed = src->tableUsed;
    copy->stride = src->bpp == 1   ? size_t(w + 15) / 16 * 2
                   : src->bpp == 8 ? size_t(w + 3) / 4 * 4
                                   : size_t(w) * 4;
    copy->bits.reset(static_cast<uint8_t *>(std::calloc(copy->stride * size_t(h) + 8, 1)));
    if (!copy->bits)
        return nullptr;
    for (int r = 0; r < h; ++r) {
        if (src->bpp == 1)
            ShiftMonoRow(src->Row(y + r), x, w, 0, copy->Row(r));
        else
            std::memcpy(copy->Row(r), src->Row(y + r) + size_t(x) * (src->bpp / 8),
                        size_t(w) * (src->bpp / 8));
    }
    return copy;
}

uint64_t BrushPattern(const Dc *dc, const Bitmap *target) {
    const COLORREF colour = dc->brush && Lookup(dc->brush) ? dc->brush->colour : 0xFFFFFF;
    return PatternWord(target, PixelOfColorref(dc, target, colour));
}

// Clips [a, a + n) against [0, limit) in 64 bits; false when nothing is left.
struct Span {
    int64_t lo, hi;
};

bool PatBltRect(Dc *dc, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t index) {
    Bitmap *b = dc->Target();
    if (!b)
        return true;
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(x + w, b->width);
    const int64_t top = std::max<int64_t>(y, 0), bottom = std::min<int64_t>(y + h, b->height);
    if (left >= right || top >= bottom)
        return true;
    const uint64_t pattern = UsesPattern(index) ? BrushPattern(dc, b) : 0;
    for (int64_t r = top; r < bottom; ++r)
        ApplyRopRow(b, int(r), int(left), int(right - left), index, nullptr, pattern);
    AddDirty(dc, int(left), int(top), int(right), int(bottom));
    return true;
}

// One stretched axis of `src` source pixels onto `dst` destination pixels:
// destination i takes the source pixels [first, last]. Enlarging samples at
// centres (exact ties to the lower source pixel); shrinking sends source j to
// destination floor(((2j + 1) dst - 1) / (2 src)). Closed forms, so only the
// visible pixels of an axis are ever mapped, whatever its extent.
struct Axis {
    int64_t src, dst;
    void Group(int64_t i, int64_t *first, int64_t *last) const {
        using Wide = __int128;
        if (dst >= src) {
            *first = *last = int64_t((Wide(2 * i + 1) * src - 1) / (Wide(2) * dst));
            return;
        }
        *first = FirstSource(i);
        *last = FirstSource(i + 1) - 1;
    }
    // The smallest j with floor(((2j + 1) dst - 1) / (2 src)) >= i.
    int64_t FirstSource(int64_t i) const {
        using Wide = __int128;
        if (i >= dst)
            return src;
        const Wide num = Wide(2) * src * i + 1 - dst;
        if (num <= 0)
            return 0;
        return int64_t((num + Wide(2) * dst - 1) / (Wide(2) * dst));
    }
};

} // namespace

} // namespace vxgdi

using namespace vxgdi;

BOOL BitBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc,
            DWORD rop) {
    Dc *dst = AsDc(destHandle);
    if (!dst)
        return FALSE;
    const uint8_t index = RopIndex(rop);
    if (!UsesSource(index))
        return PatBlt(destHandle, x, y, width, height, rop);
    Dc *srcDc = AsDc(srcHandle);
    if (!srcDc)
        return FALSE;
    Bitmap *db = dst->Target();
    Bitmap *sb = srcDc->Target();
    if (!db || !sb)
        return TRUE;
    // A negative extent covers the pixels before the origin, on both sides.
    int64_t dx = x, dy = y, sx = xSrc, sy = ySrc, w = width, h = height;
    if (w < 0) {
        dx += w + 1;
        sx += w + 1;
        w = -w;
    }
    if (h < 0) {
        dy += h + 1;
        sy += h + 1;
        h = -h;
    }
    // Clip once against both surfaces.
    const int64_t ox = dx - sx, oy = dy - sy;
    const int64_t left = std::max({dx, int64_t(0), ox});
    const int64_t right = std::min({dx + w, int64_t(db->width), int64_t(sb->width) + ox});
    const int64_t top = std::max({dy, int64_t(0), oy});
    const int64_t bottom = std::min({dy + h, int64_t(db->height), int64_t(sb->height) + oy});
    if (left >= right || top >= bottom)
        return TRUE;
    const int cw = int(right - left), ch = int(bottom - top);
    int csx = int(left - ox), csy = int(top - oy);

    std::unique_ptr<Bitmap> copy;
    const Bitmap *source = sb;
    if (sb == db && csx < int(right) && int(left) < csx + cw && csy < int(bottom) &&
        int(top) < csy + ch) {
        copy = CopyRegion(sb, csx, csy, cw, ch);
        if (!copy)
            return FALSE;
        source = copy.get();
        csx = csy = 0;
    }

    Converter conv(source, srcDc, db, dst);
    const uint64_t pattern = UsesPattern(index) ? BrushPattern(dst, db) : 0;
    std::vector<uint8_t> tmp;
    std::vector<uint32_t> values;
    const int dx0 = int(left);
    if (conv.Raw() && index == 0xCC && db->bpp != 1 &&
        size_t(cw) * size_t(db->bpp / 8) == db->stride && db->stride == source->stride) {
        // Whole rows of equal stride on both sides: one block copy.
        std::memcpy(db->Row(int(top)), source->Row(csy), db->stride * size_t(ch));
    } else if (conv.Raw()) {
        if (db->bpp == 1 && (csx & 7) != (dx0 & 7))
            tmp.resize(size_t(cw) / 8 + 2);
        for (int r = 0; r < ch; ++r) {
            const uint8_t *srow = source->Row(csy + r);
            const uint8_t *s;
            if (db->bpp == 32)
                s = srow + size_t(csx) * 4;
            else if (db->bpp == 8)
                s = srow + csx;
            else if ((csx & 7) == (dx0 & 7))
                s = srow + (csx >> 3);
            else {
                ShiftMonoRow(srow, csx, cw, dx0, tmp.data());
                s = tmp.data();
            }
            ApplyRopRow(db, int(top) + r, dx0, cw, index, s, pattern);
        }
    } else {
        values.resize(size_t(cw));
        tmp.resize(size_t(cw) * 4 + 8);
        for (int r = 0; r < ch; ++r) {
            conv.Values(csx, csy + r, cw, values.data());
            Pack(values.data(), cw, db->bpp, dx0, tmp.data());
            ApplyRopRow(db, int(top) + r, dx0, cw, index, tmp.data(), pattern);
        }
    }
    AddDirty(dst, int(left), int(top), int(right), int(bottom));
    return TRUE;
}

BOOL StretchBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc,
                int ySrc, int srcWidth, int srcHeight, DWORD rop) {
    if (width == srcWidth && height == srcHeight)
        return BitBlt(destHandle, x, y, width, height, srcHandle, xSrc, ySrc, rop);
    Dc *dst = AsDc(destHandle);
    if (!dst)
        return FALSE;
    const uint8_t index = RopIndex(rop);
    if (!UsesSource(index))
        return PatBlt(destHandle, x, y, width, height, rop);
    Dc *srcDc = AsDc(srcHandle);
    if (!srcDc)
        return FALSE;
    Bitmap *db = dst->Target();
    Bitmap *sb = srcDc->Target();
    if (!db || !sb || width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0)
        return TRUE;
    // Normalise the rectangles; a sign difference mirrors that axis.
    const bool mirrorX = (width < 0) != (srcWidth < 0);
    const bool mirrorY = (height < 0) != (srcHeight < 0);
    const int64_t dW = width < 0 ? -int64_t(width) : width;
    const int64_t dH = height < 0 ? -int64_t(height) : height;
    const int64_t sW = srcWidth < 0 ? -int64_t(srcWidth) : srcWidth;
    const int64_t sH = srcHeight < 0 ? -int64_t(srcHeight) : srcHeight;
    const int64_t dx = width < 0 ? int64_t(x) + width + 1 : x;
    const int64_t dy = height < 0 ? int64_t(y) + height + 1 : y;
    const int64_t sx = srcWidth < 0 ? int64_t(xSrc) + srcWidth + 1 : xSrc;
    const int64_t sy = srcHeight < 0 ? int64_t(ySrc) + srcHeight + 1 : ySrc;
    // Only destination pixels on the surface are computed.
    const int64_t dl = std::max<int64_t>(dx, 0), dr = std::min<int64_t>(dx + dW, db->width);
    const int64_t dt = std::max<int64_t>(dy, 0), dbm = std::min<int64_t>(dy + dH, db->height);
    if (dl >= dr || dt >= dbm)
        return TRUE;
    const Axis mx{sW, dW}, my{sH, dH};
    const int mode = (dW >= sW && dH >= sH) ? COLORONCOLOR : dst->stretchMode;
    // Source pixels outside the source surface are left out of their group;
    // a destination pixel whose group is left empty stays untouched.
    auto clipGroup = [](const Axis &m, int64_t i, int64_t origin, int64_t limit, int *a, int *b) {
        int64_t first, last;
        m.Group(i, &first, &last);
        *a = int(std::max<int64_t>(first + origin, 0));
        *b = int(std::min<int64_t>(last + origin, limit - 1));
        return first + origin <= limit - 1 && last + origin >= 0 && *a <= *b;
    };

    std::unique_ptr<Bitmap> copy;
    const Bitmap *source = sb;
    int64_t sox = sx, soy = sy;
    if (sb == db) {
        const int64_t l = std::max<int64_t>(sx, 0), r = std::min<int64_t>(sx + sW, sb->width);
        const int64_t t = std::max<int64_t>(sy, 0), b = std::min<int64_t>(sy + sH, sb->height);
        if (l >= r || t >= b)
            return TRUE;
        copy = CopyRegion(sb, int(l), int(t), int(r - l), int(b - t));
        if (!copy)
            return FALSE;
        source = copy.get();
        sox = sx - l;
        soy = sy - t;
    }
    Converter conv(source, srcDc, db, dst);
    const uint64_t pattern = UsesPattern(index) ? BrushPattern(dst, db) : 0;

    // Visible destination columns with a non-empty source group. Groups are
    // monotonic and the source surface is one interval, so these columns
    // form one run.
    std::vector<int> colA(size_t(dr - dl)), colB(size_t(dr - dl));
    std::vector<char> colOk(size_t(dr - dl));
    int64_t firstCol = -1, lastCol = -1;
    int srcLo = INT32_MAX, srcHi = -1;
    for (int64_t c = dl; c < dr; ++c) {
        const int64_t i = mirrorX ? dW - 1 - (c - dx) : c - dx;
        int a, b;
        const bool ok = clipGroup(mx, i, sox, source->width, &a, &b);
        colOk[size_t(c - dl)] = ok;
        colA[size_t(c - dl)] = a;
        colB[size_t(c - dl)] = b;
        if (ok) {
            if (firstCol < 0)
                firstCol = c;
            lastCol = c;
            srcLo = std::min(srcLo, a);
            srcHi = std::max(srcHi, b);
        }
    }
    if (firstCol < 0)
        return TRUE;
    const int outW = int(lastCol - firstCol + 1);
    std::vector<uint32_t> srcVals(size_t(srcHi - srcLo + 1));
    std::vector<uint32_t> rowVals(static_cast<size_t>(outW));
    std::vector<uint32_t> acc(static_cast<size_t>(outW));
    std::vector<uint8_t> packed(size_t(outW) * 4 + 8);
    int64_t topDrawn = -1, bottomDrawn = -1;
    for (int64_t r = dt; r < dbm; ++r) {
        const int64_t i = mirrorY ? dH - 1 - (r - dy) : r - dy;
        int ra, rb;
        if (!clipGroup(my, i, soy, source->height, &ra, &rb))
            continue;
        if (mode == COLORONCOLOR || mode == HALFTONE)
            rb = ra; // the first row of a vertical group
        for (int sr = ra; sr <= rb; ++sr) {
            conv.Values(srcLo, sr, srcHi - srcLo + 1, srcVals.data());
            for (int k = 0; k < outW; ++k) {
                const size_t ci = size_t(firstCol - dl + k);
                if (!colOk[ci]) {
                    rowVals[size_t(k)] = 0;
                    continue;
                }
                const uint32_t *g = srcVals.data() + (colA[ci] - srcLo);
                const int n = colB[ci] - colA[ci] + 1;
                uint32_t v;
                if (mode == BLACKONWHITE) {
                    v = ~uint32_t(0);
                    for (int j = 0; j < n; ++j)
                        v &= g[j];
                } else if (mode == WHITEONBLACK) {
                    v = 0;
                    for (int j = 0; j < n; ++j)
                        v |= g[j];
                } else {
                    v = g[n - 1]; // the last pixel of a horizontal group
                }
                rowVals[size_t(k)] = v;
            }
            if (sr == ra)
                acc = rowVals;
            else if (mode == BLACKONWHITE)
                for (int k = 0; k < outW; ++k)
                    acc[size_t(k)] &= rowVals[size_t(k)];
            else
                for (int k = 0; k < outW; ++k)
                    acc[size_t(k)] |= rowVals[size_t(k)];
        }
        Pack(acc.data(), outW, db->bpp, int(firstCol), packed.data());
        ApplyRopRow(db, int(r), int(firstCol), outW, index, packed.data(), pattern);
        if (topDrawn < 0)
            topDrawn = r;
        bottomDrawn = r + 1;
    }
    if (topDrawn >= 0)
        AddDirty(dst, int(firstCol), int(topDrawn), int(lastCol + 1), int(bottomDrawn));
    return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
    Dc *dc = AsDc(handle);
    const uint8_t index = RopIndex(rop);
    if (!dc || UsesSource(index))
        return FALSE;
    // A negative extent covers the pixels before the origin and the origin.
    int64_t px = x, py = y, w = width, h = height;
    if (w < 0) {
        px += w + 1;
        w = -w;
    }
    if (h < 0) {
        py += h + 1;
        h = -h;
    }
    return PatBltRect(dc, px, py, w, h, index) ? TRUE : FALSE;
}

int FillRect(HDC handle, const RECT *rect, HBRUSH brushHandle) {
    Dc *dc = AsDc(handle);
    Brush *brush = AsBrush(brushHandle);
    if (!dc || !rect || !brush)
        return 0;
    if (rect->right <= rect->left || rect->bottom <= rect->top)
        return 1;
    Brush *previous = dc->brush;
    dc->brush = brush;
    PatBltRect(dc, rect->left, rect->top, int64_t(rect->right) - rect->left,
               int64_t(rect->bottom) - rect->top, 0xF0);
    dc->brush = previous;
    return 1;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    auto *b = new Brush;
    b->colour = colour;
    Register(b);
    return reinterpret_cast<HBRUSH>(b);
}

COLORREF GetPixel(HDC handle, int x, int y) {
    Dc *dc = AsDc(handle);
    Bitmap *b = dc ? dc->Target() : nullptr;
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return CLR_INVALID;
    return ColorrefOf(RgbOfPixel(b, ReadPixel(b, x, y)));
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
    Dc *dc = AsDc(handle);
    Bitmap *b = dc ? dc->Target() : nullptr;
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return CLR_INVALID;
    const uint32_t pixel = PixelOfColorref(dc, b, colour);
    WritePixel(b, x, y, pixel);
    AddDirty(dc, x, y, x + 1, y + 1);
    return ColorrefOf(RgbOfPixel(b, pixel));
}
