// The embedded icons, the cursor and the wave sounds.
#include "ResourceView.h"

#include "res/ResourceIds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kIcons[] = {IDI_APP,       IDI_SCREEN_KEEP,   IDI_SCREEN_BLACK, IDI_SCREEN_WALLPAPER,
                      IDI_SOUND_OFF, IDI_SOUND_PARTIAL, IDI_SOUND_FULL};

uint8_t XorIndex(const IconView &v, int x, int y) {
    const uint8_t b = v.xorBits[size_t(31 - y) * v.xorStride + size_t(x / 2)];
    return x % 2 ? b & 15 : b >> 4;
}

TEST(Icons, EachIsOne32x32SixteenColourImage) {
    for (int id : kIcons) {
        const IconView v = ParseIcon(FindBlob(RT_GROUP_ICON, id));
        ASSERT_EQ(v.error, "") << "icon " << id;
        EXPECT_EQ(v.type, 1) << "icon " << id;
        EXPECT_EQ(v.count, 1) << "icon " << id;
        EXPECT_EQ(v.width, 32) << "icon " << id;
        EXPECT_EQ(v.height, 32) << "icon " << id;
        EXPECT_EQ(v.dib.width, 32) << "icon " << id;
        EXPECT_EQ(v.dib.height, 64) << "icon " << id << ": height counts both masks";
        EXPECT_EQ(v.dib.bitCount, 4) << "icon " << id;
        EXPECT_EQ(v.field6, 4) << "icon " << id << ": directory bit count";
        EXPECT_EQ(v.dib.compression, 0u) << "icon " << id;
        int transparent = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (v.Transparent(x, y)) {
                    ++transparent;
                    // Masked pixels must be black, or they would tint the screen.
                    EXPECT_EQ(XorIndex(v, x, y), 0) << "icon " << id << " at " << x << "," << y;
                }
        EXPECT_GT(transparent, 0) << "icon " << id << " has no transparent corner";
        EXPECT_LT(transparent, 32 * 32 * 85 / 100) << "icon " << id << " is mostly empty";
    }
}

TEST(Icons, AllDiffer) {
    // Each state of the dialog shows its own picture.
    std::vector<std::vector<uint8_t>> seen;
    for (int id : kIcons) {
        const Blob b = FindBlob(RT_GROUP_ICON, id);
        ASSERT_TRUE(b) << "icon " << id;
        std::vector<uint8_t> bytes(b.data, b.data + b.size);
        for (const auto &s : seen)
            EXPECT_NE(s, bytes) << "icon " << id << " repeats another";
        seen.push_back(bytes);
    }
}

TEST(Cursor, IsInvisibleWithHotSpotAtTheCorner) {
    const IconView v = ParseIcon(FindBlob(RT_GROUP_CURSOR, IDC_INVISIBLE_CURSOR));
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.type, 2);
    EXPECT_EQ(v.count, 1);
    EXPECT_EQ(v.width, 32);
    EXPECT_EQ(v.height, 32);
    EXPECT_EQ(v.field4, 0) << "hot spot x";
    EXPECT_EQ(v.field6, 0) << "hot spot y";
    EXPECT_EQ(v.dib.bitCount, 1);
    EXPECT_EQ(v.dib.height, 64);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            EXPECT_TRUE(v.Transparent(x, y)) << x << "," << y;
            const bool set =
                (v.xorBits[size_t(31 - y) * v.xorStride + size_t(x / 8)] >> (7 - x % 8)) & 1;
            EXPECT_FALSE(set) << "XOR bit at " << x << "," << y << " would invert the screen";
        }
}

TEST(Waves, FormatOfEverySound) {
    struct Row {
        int id;
        uint32_t rate;
        size_t bytes;
        bool fact;
    };
    const Row rows[] = {
        {IDW_EXPLOSION, 11025, 36664, true},
        {IDW_FLYBY_1, 22050, 64208, false},
        {IDW_FLYBY_2, 22050, 124210, false},
        {IDW_FLYBY_3, 11025, 64208, false},
    };
    for (const Row &r : rows) {
        const Blob b = FindBlob("WAVE", r.id);
        const WaveView w = ParseWave(b);
        ASSERT_EQ(w.error, "") << "wave " << r.id;
        EXPECT_EQ(w.riffSize, b.size - 8) << "wave " << r.id;
        const std::vector<std::string> order =
            r.fact ? std::vector<std::string>{"fmt ", "fact", "data"}
                   : std::vector<std::string>{"fmt ", "data"};
        EXPECT_EQ(w.chunks, order) << "wave " << r.id;
        EXPECT_EQ(w.formatTag, 1) << "wave " << r.id << ": PCM";
        EXPECT_EQ(w.channels, 1) << "wave " << r.id;
        EXPECT_EQ(w.rate, r.rate) << "wave " << r.id;
        EXPECT_EQ(w.byteRate, r.rate) << "wave " << r.id;
        EXPECT_EQ(w.blockAlign, 1) << "wave " << r.id;
        EXPECT_EQ(w.bitsPerSample, 8) << "wave " << r.id;
        EXPECT_EQ(w.sampleCount, r.bytes) << "wave " << r.id;
        if (r.fact) {
            EXPECT_EQ(w.factSamples, r.bytes) << "wave " << r.id;
        }
    }
}

TEST(Waves, ThirdFlyByIsTheFirstAtHalfTheRate) {
    const WaveView a = ParseWave(FindBlob("WAVE", IDW_FLYBY_1));
    const WaveView c = ParseWave(FindBlob("WAVE", IDW_FLYBY_3));
    ASSERT_EQ(a.error + c.error, "");
    ASSERT_EQ(a.sampleCount, c.sampleCount);
    EXPECT_EQ(std::memcmp(a.samples, c.samples, a.sampleCount), 0);
    EXPECT_EQ(c.rate * 2, a.rate);
}

TEST(Waves, SoundsAreCleanAndAudible) {
    for (int id : {IDW_EXPLOSION, IDW_FLYBY_1, IDW_FLYBY_2}) {
        const WaveView w = ParseWave(FindBlob("WAVE", id));
        ASSERT_EQ(w.error, "") << "wave " << id;
        ASSERT_GT(w.sampleCount, 1000u) << "wave " << id;
        double sum = 0, square = 0;
        size_t railed = 0;
        for (size_t i = 0; i < w.sampleCount; ++i) {
            const double v = double(w.samples[i]) - 128.0;
            sum += v;
            square += v * v;
            railed += w.samples[i] == 0 || w.samples[i] == 255;
        }
        const double n = double(w.sampleCount);
        EXPECT_LT(std::abs(sum / n), 1.0) << "wave " << id << ": DC offset";
        EXPECT_GT(std::sqrt(square / n), 12.0) << "wave " << id << ": too quiet";
        EXPECT_EQ(railed, 0u) << "wave " << id << ": clipped samples";
        // Both ends sit at the silent midpoint, so starting or cutting a
        // sound never clicks.
        EXPECT_NEAR(w.samples[0], 128, 2) << "wave " << id;
        EXPECT_NEAR(w.samples[w.sampleCount - 1], 128, 2) << "wave " << id;
    }
}

} // namespace
