// Raster operations, clipping, fills and stretching, checked pixel by pixel
// against oracles written from the rules rather than from the code.
#include "tests/gdi/GdiTestKit.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

using namespace gditest;

namespace {

uint32_t AllOnes(int bpp) {
    return bpp == 1 ? 1 : bpp == 8 ? 0xFF : 0xFFFFFF;
}

void FillRandom(HBITMAP b, std::mt19937 &rng) {
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    for (int y = 0; y < bm.bmHeight; ++y)
        for (int x = 0; x < bm.bmWidth; ++x)
            Write(b, x, y, rng() & AllOnes(bm.bmBitsPixel));
}

// The operation's truth table, bit by bit: output bit = bit (4P + 2S + D) of the index.
uint32_t Minterm(int index, uint32_t p, uint32_t s, uint32_t d, int bits) {
    uint32_t out = 0;
    for (int b = 0; b < bits; ++b)
        out |= uint32_t(index >> ((p >> b & 1) << 2 | (s >> b & 1) << 1 | (d >> b & 1)) & 1) << b;
    return out;
}

TEST(RasterOperations, AllTernaryCodesMatchTheTruthTableAtEveryDepth) {
    struct Row {
        int bpp;
        COLORREF brush;
        uint32_t patternPixel; // the brush as a stored pixel
    } const rows[] = {
        {32, RGB(0x12, 0x34, 0x56), 0x123456},
        {8, RGB(0x00, 0x80, 0x80), 6}, // a static colour: system index 6
        {1, RGB(255, 255, 255), 1},
        {1, RGB(0, 0, 0), 0},
    };
    std::mt19937 rng(7);
    for (const Row &row : rows) {
        DisplayDepth depth(row.bpp == 8 ? 8 : 32);
        Surface dst(37, 3, row.bpp), src(37, 3, row.bpp);
        HBRUSH brush = CreateSolidBrush(row.brush);
        HGDIOBJ oldBrush = SelectObject(dst.dc, brush);
        for (int index = 0; index < 256; ++index) {
            FillRandom(dst.bitmap, rng);
            FillRandom(src.bitmap, rng);
            const std::vector<uint32_t> before = Snapshot(dst.bitmap);
            // x = 3 and source x = 6 put mono pixels on different bit offsets.
            ASSERT_TRUE(BitBlt(dst.dc, 3, 1, 29, 1, src.dc, 6, 2, DWORD(index) << 16));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 37; ++x) {
                    const uint32_t old = before[size_t(y * 37 + x)];
                    const uint32_t want =
                        y == 1 && x >= 3 && x < 32
                            ? Minterm(index, row.patternPixel, Read(src.bitmap, x + 3, 2), old,
                                      row.bpp == 32 ? 24 : row.bpp)
                            : old;
                    ASSERT_EQ(Read(dst.bitmap, x, y), want)
                        << "bpp " << row.bpp << " rop index 0x" << std::hex << index << std::dec
                        << " at " << x << "," << y;
                }
        }
        SelectObject(dst.dc, oldBrush);
        DeleteObject(brush);
    }
}

TEST(RasterOperations, PatBltKeepsTheTopByteZeroAndCoversNegativeExtents) {
    Surface s(16, 1, 32);
    PatBlt(s.dc, 0, 0, 16, 1, WHITENESS);
    PatBlt(s.dc, 10, 0, -3, 1, DSTINVERT); // the origin and the two pixels before it
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(Read(s.bitmap, x, 0), x >= 8 && x <= 10 ? 0u : 0x00FFFFFFu) << x;
    EXPECT_FALSE(PatBlt(s.dc, 0, 0, 1, 1, SRCCOPY)) << "an operation with a source";
}

TEST(Clipping, BlitsTouchOnlyTheClippedRectangle) {
    struct Case {
        const char *name;
        int x, y, w, h, sx, sy;
    } const cases[] = {
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
    };
    for (int bpp : {32, 8, 1}) {
        DisplayDepth depth(bpp == 8 ? 8 : 32);
        for (const Case &c : cases) {
            Surface dst(16, 16, bpp), src(8, 8, bpp);
            std::mt19937 rng(3);
            FillRandom(src.bitmap, rng);
            const uint32_t sentinel = 0xABCDEF & AllOnes(bpp);
            for (int i = 0; i < 256; ++i)
                Write(dst.bitmap, i % 16, i / 16, sentinel);
            ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, c.w, c.h, src.dc, c.sx, c.sy, NOTSRCCOPY))
                << c.name;
            // A negative extent covers the pixels before the origin, on both sides.
            int64_t x0 = c.x, y0 = c.y, sx0 = c.sx, sy0 = c.sy, w = c.w, h = c.h;
            if (w < 0)
                x0 += w + 1, sx0 += w + 1, w = -w;
            if (h < 0)
                y0 += h + 1, sy0 += h + 1, h = -h;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const int64_t sx = x - x0 + sx0, sy = y - y0 + sy0;
                    const bool covered = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h &&
                                         sx >= 0 && sx < 8 && sy >= 0 && sy < 8;
                    ASSERT_EQ(Read(dst.bitmap, x, y),
                              covered ? ~Read(src.bitmap, int(sx), int(sy)) & AllOnes(bpp)
                                      : sentinel)
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
                ASSERT_EQ(Read(s.bitmap, x, y),
                          before[size_t(moved ? (y - 1) * 20 + x - 2 : y * 20 + x)])
                    << "bpp " << bpp << " " << x << "," << y;
            }
    }
}

TEST(Fills, FillRectExcludesRightAndBottomAndClips) {
    struct Case {
        const char *name;
        RECT rect;
    } const cases[] = {
        {"inside", {2, 3, 7, 9}},
        {"one pixel", {4, 4, 5, 5}},
        {"empty", {5, 5, 5, 9}},
        {"inverted", {7, 7, 3, 3}},
        {"overhanging every edge", {-4, -4, 40, 40}},
        {"outside", {20, 20, 30, 30}},
    };
    for (int bpp : {32, 8, 1}) {
        DisplayDepth depth(bpp == 8 ? 8 : 32);
        HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
        for (const Case &c : cases) {
            Surface s(12, 12, bpp);
            EXPECT_EQ(FillRect(s.dc, &c.rect, brush), 1) << c.name;
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x) {
                    const RECT &r = c.rect;
                    const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                    ASSERT_EQ(Read(s.bitmap, x, y), in ? AllOnes(bpp) : 0u)
                        << c.name << " bpp " << bpp << " at " << x << "," << y;
                }
        }
        DeleteObject(brush);
    }
}

// Stretches a line of `s` pixels valued 0, 1, ... into `d` pixels and
// returns what each destination pixel holds.
std::vector<uint32_t> StretchLine(int s, int d, int mode, bool vertical = false) {
    Surface src(vertical ? 1 : s, vertical ? s : 1, 32),
        dst(vertical ? 1 : d, vertical ? d : 1, 32);
    for (int i = 0; i < s; ++i)
        Write(src.bitmap, vertical ? 0 : i, vertical ? i : 0, uint32_t(i));
    SetStretchBltMode(dst.dc, mode);
    StretchBlt(dst.dc, 0, 0, vertical ? 1 : d, vertical ? d : 1, src.dc, 0, 0, vertical ? 1 : s,
               vertical ? s : 1, SRCCOPY);
    return Snapshot(dst.bitmap);
}

TEST(Stretching, ShrinkingCombinesEachGroupByMode) {
    // 5 to 3 groups the source as {0,1}, {2}, {3,4}.
    struct Case {
        const char *name;
        int mode;
        bool vertical;
        std::vector<uint32_t> want;
    } const cases[] = {
        {"COLORONCOLOR keeps the last of each group across", COLORONCOLOR, false, {1, 2, 4}},
        {"COLORONCOLOR keeps the first row of each group down", COLORONCOLOR, true, {0, 2, 3}},
        {"BLACKONWHITE ANDs", BLACKONWHITE, false, {0 & 1, 2, 3 & 4}},
        {"WHITEONBLACK ORs", WHITEONBLACK, false, {0 | 1, 2, 3 | 4}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(StretchLine(5, 3, c.mode, c.vertical), c.want) << c.name;
}

TEST(Stretching, EveryEnlargementIsCentreSampling) {
    for (int s = 1; s <= 24; ++s)
        for (int d = s; d <= 48; ++d) {
            const std::vector<uint32_t> got = StretchLine(s, d, BLACKONWHITE);
            for (int i = 0; i < d; ++i) {
                // The source pixel whose centre is nearest the destination
                // centre (i + 0.5) * s / d, ties going to the lower one.
                const double centre = (i + 0.5) * s / d;
                const int want = int(centre) - (centre == int(centre) && centre > 0);
                ASSERT_EQ(got[size_t(i)], uint32_t(want)) << s << "->" << d << " at " << i;
            }
        }
}

TEST(Stretching, MirroredAndClippedDestinations) {
    Surface src(4, 1, 32), dst(8, 1, 32), two(2, 1, 32);
    for (int x = 0; x < 4; ++x)
        Write(src.bitmap, x, 0, uint32_t(10 + x));
    Write(two.bitmap, 0, 0, 1);
    Write(two.bitmap, 1, 0, 2);
    // A negative destination width mirrors: [x + w + 1, x + 1) = [0, 4).
    StretchBlt(dst.dc, 3, 0, -4, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{13, 12, 11, 10, 0, 0, 0, 0}));
    // Enlarged 4 -> 8 starting at x = -4: only the right half shows.
    PatBlt(dst.dc, 0, 0, 8, 1, BLACKNESS);
    StretchBlt(dst.dc, -4, 0, 8, 1, src.dc, 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{12, 12, 13, 13, 0, 0, 0, 0}));
    // Regression: an extent of 2^30 pixels of which 8 are visible costs only
    // those 8; the source's halves meet at destination 2^29, i.e. x = 4.
    ASSERT_TRUE(StretchBlt(dst.dc, 4 - (1 << 29), 0, 1 << 30, 1, two.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(Snapshot(dst.bitmap), (std::vector<uint32_t>{1, 1, 1, 1, 2, 2, 2, 2}));
    // Shrinking from a huge source extent reads only the source's pixels.
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 1, src.dc, -(1 << 30), 0, INT_MAX, 1, SRCCOPY));
}

} // namespace
