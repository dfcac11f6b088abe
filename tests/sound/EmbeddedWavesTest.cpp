// The executable's own wave resources: each parses to the format its role
// needs and plays through the player from the real table.
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

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

        player.PlayResource(r.id);
        EXPECT_EQ(rec.last.samples, w.samples);
    }
    player.Stop();
    AfxSetResourceHandle(previous);
}
