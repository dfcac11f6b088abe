// The embedded bitmaps: their format, the shared colour table, the key
// colour, the shadows and what the pictures must show.
#include "ResourceView.h"

#include "res/ResourceIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Size {
    int w, h;
};

Size SpriteSize(int row) {
    if (row <= 1)
        return {275, 200};
    if (row <= 3)
        return {222, 222};
    return {200, 275};
}

// Every bitmap id with the size it must have.
std::vector<std::pair<int, Size>> AllBitmaps() {
    std::vector<std::pair<int, Size>> v;
    for (int row = 0; row < JET_SPRITE_COUNT; ++row) {
        const Size s = SpriteSize(row);
        v.push_back({IDB_JET_FIRST + row, s});
        v.push_back({IDB_SHADOW_FIRST + row, {(s.w + 1) / 2, s.h / 2}});
    }
    for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f)
        v.push_back({IDB_EXPLOSION_FIRST + f, {200, 200}});
    v.push_back({IDB_SPLASH, {359, 216}});
    v.push_back({IDB_ABOUT, {120, 165}});
    return v;
}

DibView Bitmap(int id) {
    return ParseDib(FindBitmap(id));
}

struct Stats {
    double coverage = 0;        // fraction of non-key pixels
    double r = 0, g = 0, b = 0; // mean colour of the non-key pixels
    int top = -1, bottom = -1;  // rows holding the first and last opaque pixel
};

Stats Measure(const DibView &d) {
    Stats s;
    const std::vector<uint32_t> table = ColourTable(d);
    long n = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const uint8_t i = d.Index(x, y);
            if (i == 2)
                continue;
            ++n;
            s.r += table[i] >> 16 & 255, s.g += table[i] >> 8 & 255, s.b += table[i] & 255;
            if (s.top < 0)
                s.top = y;
            s.bottom = y;
        }
    if (n) {
        s.r /= double(n), s.g /= double(n), s.b /= double(n);
        s.coverage = double(n) / (double(d.width) * d.height);
    }
    return s;
}

TEST(Bitmaps, FormatOfEveryBitmap) {
    for (const auto &[id, size] : AllBitmaps()) {
        const Blob blob = FindBitmap(id);
        const DibView d = ParseDib(blob);
        ASSERT_EQ(d.error, "") << "bitmap " << id;
        EXPECT_EQ(d.width, size.w) << "bitmap " << id;
        EXPECT_EQ(d.height, size.h) << "bitmap " << id << " (bottom-up rows: positive height)";
        EXPECT_EQ(d.planes, 1) << "bitmap " << id;
        EXPECT_EQ(d.bitCount, 8) << "bitmap " << id;
        EXPECT_EQ(d.compression, 0u) << "bitmap " << id;
        EXPECT_EQ(d.coloursUsed, 256u) << "bitmap " << id;
        EXPECT_EQ(d.sizeImage, d.stride * size_t(d.height)) << "bitmap " << id;
        EXPECT_EQ(blob.size, d.totalSize) << "bitmap " << id << ": resource is not the packed DIB";
    }
}

TEST(Bitmaps, ShareOneColourTableWithTheVgaColours) {
    const DibView first = Bitmap(IDB_JET_FIRST);
    ASSERT_EQ(first.error, "");
    const std::vector<uint32_t> table = ColourTable(first);
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                              0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(table[size_t(i)], vga[i]) << "entry " << i;
        EXPECT_EQ(table[size_t(248 + i)], vga[8 + i]) << "entry " << 248 + i;
    }
    // The key colour is entry 2 and no other: a second entry of the same
    // colour would make opaque pixels transparent on a palette display.
    for (int i = 0; i < 256; ++i)
        if (i != 2) {
            EXPECT_NE(table[size_t(i)], 0x008000u) << "entry " << i << " repeats the key";
        }
    for (const auto &[id, size] : AllBitmaps()) {
        const DibView d = Bitmap(id);
        ASSERT_EQ(d.error, "") << "bitmap " << id;
        EXPECT_EQ(ColourTable(d), table) << "bitmap " << id << " has a table of its own";
    }
}

bool OpaqueOnBorder(const DibView &d) {
    for (int x = 0; x < d.width; ++x)
        if (d.Index(x, 0) != 2 || d.Index(x, d.height - 1) != 2)
            return true;
    for (int y = 0; y < d.height; ++y)
        if (d.Index(0, y) != 2 || d.Index(d.width - 1, y) != 2)
            return true;
    return false;
}

TEST(Bitmaps, SpritesLieInsideTheirBitmaps) {
    for (int row = 0; row < JET_SPRITE_COUNT; ++row) {
        const DibView d = Bitmap(IDB_JET_FIRST + row);
        ASSERT_EQ(d.error, "") << "row " << row;
        EXPECT_FALSE(OpaqueOnBorder(d)) << "row " << row << ": jet cut off by the sprite's edge";
        const Stats s = Measure(d);
        EXPECT_GT(s.coverage, 0.05) << "row " << row;
        EXPECT_LT(s.coverage, 0.7) << "row " << row;
    }
    for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f) {
        const DibView d = Bitmap(IDB_EXPLOSION_FIRST + f);
        ASSERT_EQ(d.error, "") << "frame " << f;
        EXPECT_FALSE(OpaqueOnBorder(d)) << "frame " << f;
        EXPECT_GT(Measure(d).coverage, 0.03) << "frame " << f;
    }
}

TEST(Bitmaps, OpaquePicturesHaveNoKeyColour) {
    for (int id : {IDB_SPLASH, IDB_ABOUT}) {
        const DibView d = Bitmap(id);
        ASSERT_EQ(d.error, "") << "bitmap " << id;
        EXPECT_DOUBLE_EQ(Measure(d).coverage, 1.0) << "bitmap " << id;
    }
}

TEST(Bitmaps, ShadowIsTheHalvedSilhouetteAsACheckerboard) {
    for (int row = 0; row < JET_SPRITE_COUNT; ++row) {
        const DibView jet = Bitmap(IDB_JET_FIRST + row), shadow = Bitmap(IDB_SHADOW_FIRST + row);
        ASSERT_EQ(jet.error, "") << "row " << row;
        ASSERT_EQ(shadow.error, "") << "row " << row;
        int wrong = 0, inside = 0;
        for (int y = 0; y < shadow.height; ++y)
            for (int x = 0; x < shadow.width; ++x) {
                // Covered when any jet pixel of the 2 x 2 block is.
                bool covered = false;
                for (int j = 0; j < 2; ++j)
                    for (int i = 0; i < 2; ++i)
                        if (2 * x + i < jet.width && 2 * y + j < jet.height)
                            covered |= jet.Index(2 * x + i, 2 * y + j) != 2;
                inside += covered;
                const uint8_t want = covered && (x + y) % 2 == 0 ? 0 : 2;
                wrong += shadow.Index(x, y) != want;
            }
        EXPECT_EQ(wrong, 0) << "row " << row;
        EXPECT_GT(inside, 0) << "row " << row;
    }
}

// Horizontal mirror of a sprite's opaque area compared with another's.
double MirrorOverlap(const DibView &a, const DibView &b) {
    long both = 0, either = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const bool pa = a.Index(x, y) != 2, pb = b.Index(a.width - 1 - x, y) != 2;
            both += pa && pb;
            either += pa || pb;
        }
    return either ? double(both) / double(either) : 0;
}

TEST(Bitmaps, JetPicturesFollowTheirRows) {
    // Nose left and nose right, upper right and upper left: mirror images.
    for (int row : {0, 2}) {
        const DibView a = Bitmap(IDB_JET_FIRST + row), b = Bitmap(IDB_JET_FIRST + row + 1);
        ASSERT_EQ(a.error + b.error, "") << "row " << row;
        EXPECT_GT(MirrorOverlap(a, b), 0.97) << "rows " << row << " and " << row + 1;
    }
    // Nose to the left: the jet is longer than it is wide and its nose, the
    // pointed end, is at the left (few opaque pixels in the leftmost columns).
    const DibView left = Bitmap(IDB_JET_FIRST);
    auto columnCount = [](const DibView &d, int x) {
        int n = 0;
        for (int y = 0; y < d.height; ++y)
            n += d.Index(x, y) != 2;
        return n;
    };
    int firstLeft = 0, firstRight = left.width - 1;
    while (firstLeft < left.width && columnCount(left, firstLeft) == 0)
        ++firstLeft;
    while (firstRight > 0 && columnCount(left, firstRight) == 0)
        --firstRight;
    EXPECT_LT(columnCount(left, firstLeft + 8), columnCount(left, firstRight - 8))
        << "row 0 should point its nose to the left";
    // Pulling up: rows 4 to 9 grow shorter on the screen, frame by frame.
    int previous = 1 << 30;
    for (int row = 4; row <= 9; ++row) {
        const Stats s = Measure(Bitmap(IDB_JET_FIRST + row));
        const int length = s.bottom - s.top;
        EXPECT_LT(length, previous) << "row " << row << " is not more foreshortened";
        previous = length;
    }
}

TEST(Bitmaps, ExplosionGoesFromFireToSmokeToScorch) {
    struct Row {
        int frame;
        const char *look;
        bool (*test)(const Stats &);
    };
    const Row rows[] = {
        {0, "grey ring", [](const Stats &s) { return std::abs(s.r - s.b) < 25 && s.g > 90; }},
        {1, "fire", [](const Stats &s) { return s.r - s.b > 90 && s.r > 180; }},
        {2, "fire", [](const Stats &s) { return s.r - s.b > 80; }},
        {6, "smoke", [](const Stats &s) { return std::abs(s.r - s.b) < 40; }},
        {7, "dark scorch", [](const Stats &s) { return s.r + s.g + s.b < 3 * 50; }},
    };
    for (const Row &r : rows) {
        const Stats s = Measure(Bitmap(IDB_EXPLOSION_FIRST + r.frame));
        EXPECT_TRUE(r.test(s)) << "frame " << r.frame << " should look like " << r.look
                               << " (mean colour " << s.r << ", " << s.g << ", " << s.b << ")";
    }
    // The fireball grows before it breaks up.
    EXPECT_LT(Measure(Bitmap(IDB_EXPLOSION_FIRST + 1)).coverage,
              Measure(Bitmap(IDB_EXPLOSION_FIRST + 3)).coverage);
}

} // namespace
