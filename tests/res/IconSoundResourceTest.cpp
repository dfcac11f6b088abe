// The embedded icons, the cursor and the wave sounds.
#include "ResourceView.h"

#include "platform/afx/WaveFormat.h"
#include "res/ResourceIds.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {

TEST(Icons, EachIsItsOwn32x32SixteenColourImageWithBlackUnderTheMask) {
    std::set<std::vector<uint8_t>> seen;
    for (int id : {IDI_APP, IDI_SCREEN_KEEP, IDI_SCREEN_BLACK, IDI_SCREEN_WALLPAPER, IDI_SOUND_OFF,
                   IDI_SOUND_PARTIAL, IDI_SOUND_FULL}) {
        const Blob b = FindBlob(RT_GROUP_ICON, id);
        const IconView v = ParseIcon(b);
        ASSERT_TRUE(v.ok) << "icon " << id;
        // type, count, size, image height (both masks), bits, directory bits, compression
        EXPECT_EQ((std::vector<long>{v.type, v.count, v.width, v.height, v.imageHeight, v.bitCount,
                                     v.field6, v.compression}),
                  (std::vector<long>{1, 1, 32, 32, 64, 4, 4, 0}))
            << "icon " << id;
        int transparent = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (v.Transparent(x, y)) {
                    ++transparent;
                    // Masked pixels must be black, or they would tint the screen.
                    const uint8_t pair = v.xorBits[size_t(31 - y) * 16 + size_t(x / 2)];
                    EXPECT_EQ(x % 2 ? pair & 15 : pair >> 4, 0)
                        << "icon " << id << " at " << x << "," << y;
                }
        EXPECT_GT(transparent, 0) << "icon " << id << " has no transparent corner";
        EXPECT_LT(transparent, 32 * 32 * 85 / 100) << "icon " << id << " is mostly empty";
        EXPECT_TRUE(seen.emplace(b.data, b.data + b.size).second) << "icon " << id << " repeats";
    }
}

TEST(Icons, SmoothPicturesHaveTheirSizeTransparentCornersAndDetailOfTheirOwn) {
    const struct {
        int id, size;
    } rows[] = {{IDI_APP, 16},         {IDI_APP, 32},           {IDI_APP, 48},
                {IDI_APP, 64},         {IDI_APP, 128},          {IDI_APP, 256},
                {IDI_SCREEN_KEEP, 64}, {IDI_SCREEN_BLACK, 64},  {IDI_SCREEN_WALLPAPER, 64},
                {IDI_SOUND_OFF, 64},   {IDI_SOUND_PARTIAL, 64}, {IDI_SOUND_FULL, 64}};
    for (const auto &r : rows) {
        SCOPED_TRACE("icon " + std::to_string(r.id) + " at " + std::to_string(r.size));
        const Blob b = FindBlob(("PNG" + std::to_string(r.size)).c_str(), r.id);
        const QImage image = QImage::fromData(b.data, int(b.size), "PNG");
        ASSERT_EQ(image.size(), QSize(r.size, r.size));
        ASSERT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        // Drawn at its size, not the 32-pixel icon enlarged: some 2 x 2
        // blocks from the 32-pixel grid hold more than one colour.
        int mixed = 0;
        for (int y = 0; y + 1 < r.size; y += 2)
            for (int x = 0; x + 1 < r.size; x += 2) {
                const QRgb c = image.pixel(x, y);
                mixed += image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                         image.pixel(x + 1, y + 1) != c;
            }
        if (r.size > 32) {
            EXPECT_GT(mixed, r.size / 2);
        }
    }
}

TEST(Cursor, IsInvisibleWithHotSpotAtTheCorner) {
    const IconView v = ParseIcon(FindBlob(RT_GROUP_CURSOR, IDC_INVISIBLE_CURSOR));
    ASSERT_TRUE(v.ok);
    // type, count, size, hot spot, bits, image height
    EXPECT_EQ((std::vector<long>{v.type, v.count, v.width, v.height, v.field4, v.field6, v.bitCount,
                                 v.imageHeight}),
              (std::vector<long>{2, 1, 32, 32, 0, 0, 1, 64}));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_TRUE(v.Transparent(x, y) && !v.Bit(v.xorBits, 4, x, y))
                << x << "," << y << " is not transparent or would invert the screen";
}

// Each wave parses to the format of its role and is clean and audible.
TEST(Waves, FormatOfTheirRoleCleanAndAudible) {
    const struct {
        const char *label;
        int id;
        DWORD rate, frames;
    } rows[] = {
        {"explosion", IDW_EXPLOSION, 11025, 36664},
        {"fly-by 1", IDW_FLYBY_1, 22050, 64208},
        {"fly-by 2", IDW_FLYBY_2, 22050, 124210},
        {"fly-by 3 (fly-by 1 an octave lower)", IDW_FLYBY_3, 11025, 64208},
    };
    std::vector<std::vector<BYTE>> samples;
    for (const auto &r : rows) {
        SCOPED_TRACE(r.label);
        const Blob b = FindBlob("WAVE", r.id);
        WaveSound w;
        const WaveError e = ParseWave(b.data, b.size, &w);
        ASSERT_EQ(e, WaveError::None) << WaveErrorName(e);
        EXPECT_EQ((std::vector<DWORD>{w.format.sampleRate, w.format.bitsPerSample,
                                      w.format.channels, w.FrameCount()}),
                  (std::vector<DWORD>{r.rate, 8, 1, r.frames}));
        double sum = 0, square = 0;
        size_t railed = 0;
        for (size_t i = 0; i < w.sampleBytes; ++i) {
            const double v = double(w.samples[i]) - 128.0;
            sum += v, square += v * v;
            railed += w.samples[i] == 0 || w.samples[i] == 255;
        }
        const double n = double(w.sampleBytes);
        EXPECT_LT(std::abs(sum / n), 1.0) << "DC offset";
        EXPECT_GT(std::sqrt(square / n), 12.0) << "too quiet";
        EXPECT_EQ(railed, 0u) << "clipped samples";
        // Both ends sit at the silent midpoint, so starting or cutting never clicks.
        EXPECT_NEAR(w.samples[0], 128, 2);
        EXPECT_NEAR(w.samples[w.sampleBytes - 1], 128, 2);
        samples.emplace_back(w.samples, w.samples + w.sampleBytes);
    }
    EXPECT_EQ(samples[3], samples[1]) << "fly-by 3 is fly-by 1 at half the rate";
}

} // namespace
