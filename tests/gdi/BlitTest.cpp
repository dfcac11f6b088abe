// Raster operations, clipping, fills and stretching, checked pixel by pixel
// against oracles written from the rules rather than from the code.
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

class DisplayDepth {
  public:
    explicit DisplayDepth(int bits) { VxSetDisplayDepth(bits); }
    ~DisplayDepth() { VxSetDisplayDepth(32); }
};

uint32_t Read(HBITMAP b, int x, int y) {
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

void Write(HBITMAP b, int x, int y, uint32_t value) {
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

void FillRandom(HBITMAP b, std::mt19937 &rng) {
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    const uint32_t mask = bm.bmBitsPixel == 1 ? 1 : bm.bmBitsPixel == 8 ? 0xFF : 0xFFFFFF;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            Write(b, x, y, rng() & mask);
}

std::vector<uint32_t> Snapshot(HBITMAP b) {
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    std::vector<uint32_t> out;
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            out.push_back(Read(b, x, y));
    return out;
}

// One output bit from the operation's truth table: bit (4P + 2S + D).
uint32_t Minterm(uint8_t index, uint32_t p, uint32_t s, uint32_t d, int bits) {
    uint32_t out = 0;
    for (int b = 0; b < bits; ++b) {
        const int k = int((p >> b & 1) << 2 | (s >> b & 1) << 1 | (d >> b & 1));
        out |= uint32_t(index >> k & 1) << b;
    }
    return out;
}

// A memory DC holding a bitmap, released at the end of the scope.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    Surface(int w, int h, int bpp) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = bpp == 1 ? CreateBitmap(w, h, 1, 1, nullptr) : VxCreateDisplayBitmap(w, h);
        previous = SelectObject(dc, bitmap);
    }
    ~Surface() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

TEST(RasterOperations, AllTernaryCodesMatchTheTruthTableAtEveryDepth) {
    struct Row {
        int bpp;
        COLORREF brush;
        uint32_t patternPixel; // the brush as a stored pixel
    };
    const Row rows[] = {
        {32, RGB(0x12, 0x34, 0x56), 0x123456},
        {8, RGB(0x00, 0x80, 0x80), 6}, // a static colour: system index 6
        {1, RGB(255, 255, 255), 1},
        {1, RGB(0, 0, 0), 0},
    };
    std::mt19937 rng(7);
    for (const Row &row : rows) {
        DisplayDepth depth(row.bpp == 8 ? 8 : 32);
        const int bits = row.bpp == 32 ? 24 : row.bpp;
        Surface dst(37, 3, row.bpp), src(37, 3, row.bpp);
        HBRUSH brush = CreateSolidBrush(row.brush);
        HGDIOBJ oldBrush = SelectObject(dst.dc, brush);
        for (int index = 0; index < 256; ++index) {
            FillRandom(dst.bitmap, rng);
            FillRandom(src.bitmap, rng);
            const std::vector<uint32_t> before = Snapshot(dst.bitmap);
            // x = 3 and source x = 6 put mono pixels on different bit offsets.
            ASSERT_TRUE(BitBlt(dst.dc, 3, 1, 29, 1, src.dc, 6, 2, (DWORD(index) << 16) | 0x0000));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 37; ++x) {
                    const uint32_t old = before[size_t(y * 37 + x)];
                    uint32_t want = old;
                    if (y == 1 && x >= 3 && x < 32)
                        want = Minterm(uint8_t(index), row.patternPixel, Read(src.bitmap, x + 3, 2),
                                       old, bits);
                    ASSERT_EQ(Read(dst.bitmap, x, y), want)
                        << "bpp " << row.bpp << " rop index 0x" << std::hex << index << std::dec
                        << " at " << x << "," << y;
                }
        }
        SelectObject(dst.dc, oldBrush);
        DeleteObject(brush);
    }
}

TEST(RasterOperations, BlacknessClearsAScreenSizedSurfaceAtEveryDepth) {
    for (int depthBits : {32, 8}) {
        DisplayDepth depth(depthBits);
        Surface s(1920, 1080, depthBits);
        std::mt19937 rng(1);
        FillRandom(s.bitmap, rng);
        ASSERT_TRUE(PatBlt(s.dc, 0, 0, 1920, 1080, BLACKNESS));
        VxBitmapView v{};
        VxGetBitmapView(s.bitmap, &v);
        size_t nonZero = 0;
        for (int y = 0; y < v.height; ++y)
            for (int x = 0; x < v.width * v.bitsPixel / 8; ++x)
                nonZero += v.pixels[size_t(y) * size_t(v.stride) + size_t(x)] != 0;
        EXPECT_EQ(nonZero, 0u) << "depth " << depthBits;
    }
}

TEST(RasterOperations, WhitenessKeepsTheUnusedTopByteZero) {
    Surface s(5, 1, 32);
    PatBlt(s.dc, 0, 0, 5, 1, WHITENESS);
    PatBlt(s.dc, 1, 0, 2, 1, DSTINVERT);
    EXPECT_EQ(Read(s.bitmap, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(Read(s.bitmap, 1, 0), 0u);
    EXPECT_EQ(Read(s.bitmap, 3, 0), 0x00FFFFFFu);
}

TEST(Clipping, BlitsTouchOnlyTheClippedRectangle) {
    struct Case {
        const char *name;
        int x, y, w, h, sx, sy;
    };
    const Case cases[] = {
        {"inside", 2, 3, 4, 4, 1, 1},
        {"negative destination", -3, -2, 6, 6, 0, 0},
        {"past the right and bottom", 12, 13, 8, 8, 0, 0},
        {"negative source", 4, 4, 6, 6, -3, -5},
        {"source past its edges", 1, 1, 10, 10, 5, 6},
        {"zero width", 2, 2, 0, 5, 0, 0},
        {"negative extents", 8, 8, -4, -3, 6, 6},
        {"far outside", 100000, -100000, 5, 5, 0, 0},
        {"huge extent", -5, -5, INT_MAX, INT_MAX, 0, 0},
        {"huge offsets", INT_MAX - 2, INT_MIN + 2, 100, 100, INT_MIN + 1, INT_MAX - 1},
        {"source entirely outside", 0, 0, 16, 16, 20, 20},
    };
    for (int bpp : {32, 8, 1}) {
        DisplayDepth depth(bpp == 8 ? 8 : 32);
        for (const Case &c : cases) {
            Surface dst(16, 16, bpp), src(8, 8, bpp);
            std::mt19937 rng(3);
            FillRandom(src.bitmap, rng);
            const uint32_t sentinel = bpp == 1 ? 1 : bpp == 8 ? 0xA5 : 0xABCDEF;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    Write(dst.bitmap, x, y, sentinel);
            ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, NOTSRCCOPY))
                << c.name;
            // A negative extent covers the pixels before the origin, on both sides.
            int64_t x0 = c.x, y0 = c.y, sx0 = c.sx, sy0 = c.sy, w = c.w, h = c.h;
            if (w < 0)
                x0 += w + 1, sx0 += w + 1, w = -w;
            if (h < 0)
                y0 += h + 1, sy0 += h + 1, h = -h;
            const uint32_t all = bpp == 1 ? 1 : bpp == 8 ? 0xFF : 0xFFFFFF;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const int64_t sx = x - x0 + sx0, sy = y - y0 + sy0;
                    const bool covered = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h &&
                                         sx >= 0 && sx < 8 && sy >= 0 && sy < 8;
                    const uint32_t want =
                        covered ? ~Read(src.bitmap, int(sx), int(sy)) & all : sentinel;
                    ASSERT_EQ(Read(dst.bitmap, x, y), want)
                        << c.name << " bpp " << bpp << " at " << x << "," << y;
                }
        }
    }
}

TEST(Clipping, OverlappingCopyWithinOneBitmapReadsTheSourceFirst) {
    for (int bpp : {32, 1}) {
        Surface s(20, 20, bpp);
        std::mt19937 rng(5);
        FillRandom(s.bitmap, rng);
        const std::vector<uint32_t> before = Snapshot(s.bitmap);
        ASSERT_TRUE(BitBlt(s.dc, 3, 2, 12, 12, s.dc, 1, 1, SRCCOPY));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool moved = x >= 3 && x < 15 && y >= 2 && y < 14;
                const uint32_t want =
                    moved ? before[size_t((y - 1) * 20 + x - 2)] : before[size_t(y * 20 + x)];
                ASSERT_EQ(Read(s.bitmap, x, y), want) << "bpp " << bpp << " " << x << "," << y;
            }
    }
}

TEST(Fills, FillRectExcludesRightAndBottomAndClips) {
    struct Case {
        const char *name;
        RECT rect;
    };
    const Case cases[] = {
        {"inside", {2, 3, 7, 9}},
        {"one pixel", {4, 4, 5, 5}},
        {"empty", {5, 5, 5, 9}},
        {"inverted", {7, 7, 3, 3}},
        {"overhanging every edge", {-4, -4, 40, 40}},
        {"outside", {20, 20, 30, 30}},
    };
    for (int bpp : {32, 8, 1}) {
        DisplayDepth depth(bpp == 8 ? 8 : 32);
        for (const Case &c : cases) {
            Surface s(12, 12, bpp);
            HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
            EXPECT_EQ(FillRect(s.dc, &c.rect, brush), 1) << c.name;
            const uint32_t white = bpp == 1 ? 1 : bpp == 8 ? 255 : 0xFFFFFF;
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x) {
                    const bool in = x >= c.rect.left && x < c.rect.right && y >= c.rect.top &&
                                    y < c.rect.bottom;
                    ASSERT_EQ(Read(s.bitmap, x, y), in ? white : 0u)
                        << c.name << " bpp " << bpp << " at " << x << "," << y;
                }
            DeleteObject(brush);
        }
    }
}

TEST(Fills, PatBltWithNegativeExtentCoversTheOriginAndBefore) {
    Surface s(16, 1, 32);
    PatBlt(s.dc, 10, 0, -3, 1, WHITENESS);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(Read(s.bitmap, x, 0), x >= 8 && x <= 10 ? 0xFFFFFFu : 0u) << x;
    EXPECT_FALSE(PatBlt(s.dc, 0, 0, 1, 1, SRCCOPY)) << "an operation with a source";
}

// Stretching a single row: destination pixel i shows source value f(i).
std::vector<uint32_t> StretchRow(int srcCount, int dstCount, int mode,
                                 const std::vector<uint32_t> &values) {
    Surface src(srcCount, 1, 32), dst(dstCount, 1, 32);
    for (int x = 0; x < srcCount; ++x)
        Write(src.bitmap, x, 0, values[size_t(x)]);
    SetStretchBltMode(dst.dc, mode);
    StretchBlt(dst.dc, 0, 0, dstCount, 1, src.dc, 0, 0, srcCount, 1, SRCCOPY);
    std::vector<uint32_t> out;
    for (int x = 0; x < dstCount; ++x)
        out.push_back(Read(dst.bitmap, x, 0));
    return out;
}

TEST(Stretching, KnownMappings) {
    struct Case {
        const char *name;
        int s, d, mode;
        std::vector<uint32_t> want; // source indices, or combined values
    };
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < 8; ++i)
        ids.push_back(i);
    const Case cases[] = {
        {"2 to 5", 2, 5, COLORONCOLOR, {0, 0, 0, 1, 1}},
        {"3 to 7", 3, 7, COLORONCOLOR, {0, 0, 1, 1, 1, 2, 2}},
        {"5 to 3 keeps the last of each group", 5, 3, COLORONCOLOR, {1, 2, 4}},
        // Groups {0,1}, {2}, {3,4}: AND and OR of the indices.
        {"5 to 3 ANDs by default", 5, 3, BLACKONWHITE, {0 & 1, 2, 3 & 4}},
        {"5 to 3 ORs in WHITEONBLACK", 5, 3, WHITEONBLACK, {0 | 1, 2, 3 | 4}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StretchRow(c.s, c.d, c.mode, ids), c.want) << c.name;
}

TEST(Stretching, EveryEnlargementIsCentreSampling) {
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < 64; ++i)
        ids.push_back(i * 0x010101);
    for (int s = 1; s <= 24; ++s)
        for (int d = s; d <= 48; ++d) {
            const std::vector<uint32_t> got = StretchRow(s, d, BLACKONWHITE, ids);
            for (int i = 0; i < d; ++i) {
                // The source pixel whose centre is nearest the destination
                // centre (i + 0.5) * s / d, ties going to the lower one.
                const double centre = (i + 0.5) * s / d;
                int want = int(centre);
                if (centre == double(want) && want > 0)
                    --want;
                ASSERT_EQ(got[size_t(i)], ids[size_t(want)]) << s << "->" << d << " at " << i;
            }
        }
}

TEST(Stretching, VerticalShrinkKeepsTheFirstRowOfAGroupInColorOnColor) {
    Surface src(1, 5, 32), dst(1, 3, 32);
    for (int y = 0; y < 5; ++y)
        Write(src.bitmap, 0, y, uint32_t(y + 1));
    SetStretchBltMode(dst.dc, COLORONCOLOR);
    StretchBlt(dst.dc, 0, 0, 1, 3, src.dc, 0, 0, 1, 5, SRCCOPY);
    EXPECT_EQ(Read(dst.bitmap, 0, 0), 1u);
    EXPECT_EQ(Read(dst.bitmap, 0, 1), 3u);
    EXPECT_EQ(Read(dst.bitmap, 0, 2), 4u);
}

TEST(Stretching, ScreenSizedSurfaceIntoAWindowSizedOne) {
    // 6x6 blocks of one colour each shrink to one pixel each; the default
    // mode ANDs identical values, so every block keeps its colour exactly.
    Surface screen(1920, 1080, 32), window(320, 180, 32);
    EXPECT_EQ(GetStretchBltMode(window.dc), BLACKONWHITE);
    auto colour = [](int bx, int by) { return uint32_t(bx * 0x010203 + by * 0x030201) & 0xFFFFFF; };
    VxBitmapView v{};
    VxGetBitmapView(screen.bitmap, &v);
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x) {
            const uint32_t c = colour(x / 6, y / 6);
            std::memcpy(v.pixels + size_t(y) * size_t(v.stride) + 4 * size_t(x), &c, 4);
        }
    ASSERT_TRUE(StretchBlt(window.dc, 0, 0, 320, 180, screen.dc, 0, 0, 1920, 1080, SRCCOPY));
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(Read(window.bitmap, x, y), colour(x, y)) << x << "," << y;
}

TEST(Stretching, MirroredAndClippedDestinations) {
    Surface src(4, 1, 32), dst(8, 1, 32);
    for (int x = 0; x < 4; ++x)
        Write(src.bitmap, x, 0, uint32_t(10 + x));
    // A negative destination width mirrors: [x + w + 1, x + 1) = [0, 4).
    StretchBlt(dst.dc, 3, 0, -4, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{13, 12, 11, 10, 0, 0, 0, 0}));
    // Enlarged 4 -> 8 starting at x = -4: only the right half shows.
    PatBlt(dst.dc, 0, 0, 8, 1, BLACKNESS);
    StretchBlt(dst.dc, -4, 0, 8, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{12, 12, 13, 13, 0, 0, 0, 0}));
    // An extent of 2^30 pixels of which 8 are visible: the source's two
    // halves meet at destination 2^29, which lands on x = 4.
    Surface two(2, 1, 32);
    Write(two.bitmap, 0, 0, 1);
    Write(two.bitmap, 1, 0, 2);
    ASSERT_TRUE(StretchBlt(dst.dc, 4 - (1 << 29), 0, 1 << 30, 1, two.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{1, 1, 1, 1, 2, 2, 2, 2}));
    // Shrinking from a huge source extent reads only the source's pixels.
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 1, src.dc, -(1 << 30), 0, INT_MAX, 1, SRCCOPY));
}

} // namespace
