// The multimedia calls over the sound output, and WavePlayer's held-resource
// rule, watched through a recording output.
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace wavetest;

namespace {
constexpr DWORD kMemoryAsync = SND_ASYNC | SND_NODEFAULT | SND_MEMORY;
LPCSTR At(const Bytes &b, size_t offset = 0) {
    return reinterpret_cast<LPCSTR>(b.data() + offset);
}
} // namespace

TEST(PlaySound, RequestsReachTheOutputOnlyWhenPlayable) {
    Recorder rec;
    TestWaveModule module(&rec);
    const Bytes &wave = module.Image(1), outside = SimpleWave({}, Square8(10));
    struct Row {
        const char *label;
        LPCSTR sound;
        HMODULE module;
        DWORD flags;
        BOOL result;
        const char *calls;
    };
    const Row rows[] = {
        {"memory image, current module", At(wave), nullptr, kMemoryAsync, TRUE, "play 3000"},
        {"module given, SND_NODEFAULT left out", At(wave), AfxGetResourceHandle(),
         SND_ASYNC | SND_MEMORY, TRUE, "play 3000"},
        {"null sound stops", nullptr, nullptr, kMemoryAsync, TRUE, "stop"},
        {"synchronous play is refused", At(wave), nullptr, SND_MEMORY, FALSE, "stop"},
        {"looping is refused", At(wave), nullptr, kMemoryAsync | SND_LOOP, FALSE, "stop"},
        {"file names are refused", "/tmp/boom.wav", nullptr, SND_ASYNC, FALSE, "stop"},
        {"image in no resource", At(outside), nullptr, kMemoryAsync, FALSE, "stop"},
        // Its header claims more than the resource holds: the resource bounds
        // the parse (the sanitizer build reports a read past it).
        {"image cut short by its resource", At(module.Image(3)), nullptr, kMemoryAsync, FALSE,
         "stop"},
    };
    for (const Row &r : rows) {
        rec.calls.clear();
        EXPECT_EQ(PlaySoundA(r.sound, r.module, r.flags), r.result) << r.label;
        EXPECT_EQ(rec.calls, r.calls) << r.label;
    }
}

// Each row runs a script on a fresh player: a number plays that wave id,
// "stop" stops.
TEST(WavePlayer, HeldResourceRule) {
    Recorder rec;
    TestWaveModule module(&rec);
    struct Row {
        const char *label, *script, *calls;
        bool heldAfter;
    };
    const Row rows[] = {
        {"stop with nothing held makes no call", "stop stop", "", false},
        {"play, stop, and a second stop makes no call", "3000 stop stop", "play 3000, stop", false},
        {"a new sound stops the held one first", "3000 170", "play 3000, stop, play 170", true},
        {"an id the module does not hold stops the current sound and plays nothing", "3000 4242",
         "play 3000, stop", false},
        {"a missing id with nothing held makes no call", "4242 stop", "", false},
        {"right id, wrong type is missing", "3003", "", false},
        {"ids outside the integer-resource range do not wrap", "68536 -1", "", false},
        {"a broken image is held though nothing plays", "500 stop", "stop, stop", false},
        {"a resource without data is held until stopped", "501 stop", "stop", false},
    };
    for (const Row &r : rows) {
        rec.calls.clear();
        {
            WavePlayer player;
            std::istringstream script(r.script);
            for (std::string step; script >> step;)
                step == "stop" ? player.Stop() : player.PlayResource(std::stoi(step));
            EXPECT_EQ(rec.calls, r.calls) << r.label;
            EXPECT_EQ(player.heldResource() != nullptr, r.heldAfter) << r.label;
            rec.calls.clear();
        }
        EXPECT_EQ(rec.calls, "") << r.label << ": the destructor made a call";
    }
}

TEST(WavePlayer, LooksUpTheResourceModuleAtEachPlay) {
    Recorder rec;
    WavePlayer player;
    AfxSetResourceHandle(nullptr);
    player.PlayResource(3000); // no module: nothing
    EXPECT_EQ(player.heldResource(), nullptr);
    TestWaveModule module(&rec);
    player.PlayResource(3000);
    player.Stop();
    EXPECT_EQ(rec.calls, "play 3000, stop");
}
