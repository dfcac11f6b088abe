// The embedded bitmaps: their format, the shared colour table, the key
// colour and the shadows.
#include "ResourceView.h"

#include "res/ResourceIds.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int id, w, h;
};

// The id offsets of the single- and double-size sprite sets, with their scale.
constexpr std::pair<int, int> kSets[] = {{0, 1}, {IDB_DOUBLE_SIZE_OFFSET, 2}};

// Every bitmap id with the size it must have: the double-size sprites are
// exactly twice the single-size ones, shadows included.
std::vector<Expected> AllBitmaps() {
    std::vector<Expected> v;
    for (const auto &[offset, s] : kSets) {
        for (int row = 0; row < JET_SPRITE_COUNT; ++row) {
            const int w = row <= 1   ? 275
                          : row <= 3 ? 222
                                     : 200,
                      h = row <= 1   ? 200
                          : row <= 3 ? 222
                                     : 275;
            v.push_back({offset + IDB_JET_FIRST + row, s * w, s * h});
            v.push_back({offset + IDB_SHADOW_FIRST + row, s * ((w + 1) / 2), s * (h / 2)});
        }
        for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f)
            v.push_back({offset + IDB_EXPLOSION_FIRST + f, 200 * s, 200 * s});
    }
    v.push_back({IDB_SPLASH, 359, 216});
    v.push_back({IDB_ABOUT, 120, 165});
    return v;
}

TEST(Bitmaps, FormatAndColourTableOfEveryBitmap) {
    const std::vector<uint32_t> table = Bitmap(IDB_JET_FIRST).Colours();
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                              0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    // VGA colours at 0-7 and 248-255; the key colour (entry 2) nowhere else,
    // or opaque pixels would turn transparent on a palette display.
    for (int i = 0; i < 256; ++i) {
        if (i < 8 || i >= 248)
            EXPECT_EQ(table[size_t(i)], vga[i < 8 ? i : i - 240]) << "entry " << i;
        else
            EXPECT_NE(table[size_t(i)], 0x008000u) << "entry " << i << " repeats the key";
    }
    for (const Expected &e : AllBitmaps()) {
        const Blob blob = FindBlob(RT_BITMAP, e.id);
        const DibView d = ParseDib(blob);
        ASSERT_TRUE(d.ok) << "bitmap " << e.id;
        // Header size, width, height (bottom-up: positive), planes, bits,
        // compression, image size, colours used; the resource is the packed
        // DIB and nothing more.
        const int64_t rows = int64_t((e.w + 3) & ~3) * e.h;
        EXPECT_EQ(
            (std::vector<int64_t>{Le(blob.data), d.width, d.height, Le(blob.data + 12, 2),
                                  Le(blob.data + 14, 2), Le(blob.data + 16), Le(blob.data + 20),
                                  Le(blob.data + 32), int64_t(blob.size)}),
            (std::vector<int64_t>{40, e.w, e.h, 1, 8, 0, rows, 256, 40 + 1024 + rows}))
            << "bitmap " << e.id;
        EXPECT_EQ(d.Colours(), table) << "bitmap " << e.id << " has a table of its own";
    }
}

// The fraction of pixels that are not the key colour, and whether any of
// them touches the border.
std::pair<double, bool> Coverage(const DibView &d) {
    long opaque = 0;
    bool border = false;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (!d.Key(x, y)) {
                ++opaque;
                border |= x == 0 || y == 0 || x == d.width - 1 || y == d.height - 1;
            }
    return {double(opaque) / (double(d.width) * d.height), border};
}

TEST(Bitmaps, KeyColourOnlyAroundSpritesAndNeverInPictures) {
    for (const auto &[offset, s] : kSets) {
        for (int row = 0; row < JET_SPRITE_COUNT; ++row) {
            const int id = offset + IDB_JET_FIRST + row;
            const auto [coverage, border] = Coverage(Bitmap(id));
            EXPECT_FALSE(border) << "jet " << id << " cut off by the sprite's edge";
            EXPECT_TRUE(coverage > 0.05 && coverage < 0.7) << "jet " << id << ": " << coverage;
            // The double-size jet covers what the single-size one does.
            if (s == 2) {
                EXPECT_NEAR(coverage, Coverage(Bitmap(IDB_JET_FIRST + row)).first, 0.01)
                    << "jet " << id;
            }
        }
        for (int f = 0; f < EXPLOSION_FRAME_COUNT; ++f) {
            const int id = offset + IDB_EXPLOSION_FIRST + f;
            const auto [coverage, border] = Coverage(Bitmap(id));
            EXPECT_FALSE(border) << "frame " << id;
            EXPECT_GT(coverage, 0.03) << "frame " << id;
        }
    }
    for (int id : {IDB_SPLASH, IDB_ABOUT})
        EXPECT_EQ(Coverage(Bitmap(id)).first, 1.0) << "bitmap " << id;
}

TEST(Bitmaps, ShadowIsTheHalvedSilhouetteAsACheckerboard) {
    for (int i = 0; i < 2 * JET_SPRITE_COUNT; ++i) {
        // Both sets: the double-size shadow is the double-size jet's own.
        const int row = i % JET_SPRITE_COUNT, offset = kSets[i / JET_SPRITE_COUNT].first;
        const DibView jet = Bitmap(offset + IDB_JET_FIRST + row),
                      shadow = Bitmap(offset + IDB_SHADOW_FIRST + row);
        int wrong = 0, inside = 0;
        for (int y = 0; y < shadow.height; ++y)
            for (int x = 0; x < shadow.width; ++x) {
                // Covered when any jet pixel of the 2 x 2 block is.
                bool covered = false;
                for (int j = 0; j < 4; ++j)
                    if (2 * x + j % 2 < jet.width && 2 * y + j / 2 < jet.height)
                        covered |= !jet.Key(2 * x + j % 2, 2 * y + j / 2);
                inside += covered;
                wrong += shadow.Index(x, y) != (covered && (x + y) % 2 == 0 ? 0 : 2);
            }
        EXPECT_EQ(wrong, 0) << "shadow " << offset + IDB_SHADOW_FIRST + row;
        EXPECT_GT(inside, 0) << "shadow " << offset + IDB_SHADOW_FIRST + row;
    }
}

TEST(Bitmaps, MirroredRowsAreMirrorImages) {
    // Nose left and nose right, upper right and upper left.
    for (int row : {0, 2}) {
        const DibView a = Bitmap(IDB_JET_FIRST + row), b = Bitmap(IDB_JET_FIRST + row + 1);
        long both = 0, either = 0;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const bool pa = !a.Key(x, y), pb = !b.Key(a.width - 1 - x, y);
                both += pa && pb;
                either += pa || pb;
            }
        EXPECT_GT(double(both) / double(either), 0.97) << "rows " << row << " and " << row + 1;
    }
}

} // namespace
