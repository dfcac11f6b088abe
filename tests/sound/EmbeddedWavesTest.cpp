// The executable's own wave resources: each parses to the format its role
// needs, is audible, and plays through the player from the real table.
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace wavetest;

TEST(EmbeddedWaves, EachParsesToItsRoleAndPlays) {
    struct Row {
        const char *label;
        int id;
        DWORD rate, samples;
    };
    const Row rows[] = {
        {"explosion", IDW_EXPLOSION, 11025, 36664},
        {"fly-by 1", IDW_FLYBY_1, 22050, 64208},
        {"fly-by 2", IDW_FLYBY_2, 22050, 124210},
        {"fly-by 3 (fly-by 1 an octave lower)", IDW_FLYBY_3, 11025, 64208},
    };
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    Recorder rec;
    WavePlayer player;
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(WORD(r.id)), "WAVE");
        ASSERT_NE(found, nullptr);
        WaveSound w;
        const WaveError e = ParseWave(LockResource(LoadResource(nullptr, found)),
                                      SizeofResource(nullptr, found), &w);
        ASSERT_EQ(e, WaveError::None) << WaveErrorName(e);
        EXPECT_EQ(w.format.sampleRate, r.rate);
        EXPECT_EQ(w.format.bitsPerSample, 8);
        EXPECT_EQ(w.format.channels, 1);
        EXPECT_EQ(w.FrameCount(), r.samples);

        // Audible: centred on 128 with real swing.
        double sum = 0, sumSq = 0;
        for (DWORD i = 0; i < w.sampleBytes; ++i) {
            sum += w.samples[i] - 128.0;
            sumSq += (w.samples[i] - 128.0) * (w.samples[i] - 128.0);
        }
        EXPECT_LT(std::abs(sum / w.sampleBytes), 2.0) << "DC offset";
        EXPECT_GT(std::sqrt(sumSq / w.sampleBytes), 4.0) << "next to silent";

        player.PlayResource(r.id);
        EXPECT_EQ(rec.last.samples, w.samples);
    }
    player.Stop();
    AfxSetResourceHandle(previous);
}
