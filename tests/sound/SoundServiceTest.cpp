// The multimedia calls over the sound output, and WavePlayer's held-resource
// rule, watched through a recording output.
#include "platform/afx/SoundOutput.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundDoubles.h"

#include <gtest/gtest.h>

using namespace wavetest;

namespace {
using Calls = std::vector<std::string>;
constexpr DWORD kMemoryAsync = SND_ASYNC | SND_NODEFAULT | SND_MEMORY;

LPCSTR AsSound(const Bytes &b, size_t offset = 0) {
    return reinterpret_cast<LPCSTR>(b.data() + offset);
}
} // namespace

TEST(PlaySound, RequestsReachTheOutputOnlyWhenPlayable) {
    TestWaveModule module;
    ScopedRecorder rec;
    module.Label(rec.output);
    const Bytes &wave3000 = module.Image(1);
    const Bytes outside = SimpleWave({}, Square8(10)); // valid, but in no resource

    struct Row {
        const char *label;
        LPCSTR sound;
        HMODULE module;
        DWORD flags;
        BOOL result;
        Calls calls;
    };
    const Row rows[] = {
        {"memory image, current module",
         AsSound(wave3000),
         nullptr,
         kMemoryAsync,
         TRUE,
         {"play 3000"}},
        {"memory image, module given",
         AsSound(wave3000),
         AfxGetResourceHandle(),
         kMemoryAsync,
         TRUE,
         {"play 3000"}},
        {"without SND_NODEFAULT",
         AsSound(wave3000),
         nullptr,
         SND_ASYNC | SND_MEMORY,
         TRUE,
         {"play 3000"}},
        {"null sound stops", nullptr, nullptr, kMemoryAsync, TRUE, {"stop"}},
        {"synchronous play is refused", AsSound(wave3000), nullptr, SND_MEMORY, FALSE, {"stop"}},
        {"looping is refused",
         AsSound(wave3000),
         nullptr,
         kMemoryAsync | SND_LOOP,
         FALSE,
         {"stop"}},
        {"SND_NOSTOP is refused",
         AsSound(wave3000),
         nullptr,
         kMemoryAsync | SND_NOSTOP,
         FALSE,
         {"stop"}},
        {"file names are refused",
         "/tmp/boom.wav",
         nullptr,
         SND_ASYNC | SND_NODEFAULT,
         FALSE,
         {"stop"}},
        {"image outside the module's resources",
         AsSound(outside),
         nullptr,
         kMemoryAsync,
         FALSE,
         {"stop"}},
        {"pointer into the middle of a resource",
         AsSound(wave3000, 8),
         nullptr,
         kMemoryAsync,
         FALSE,
         {"stop"}},
        {"malformed image", AsSound(module.Image(4)), nullptr, kMemoryAsync, FALSE, {"stop"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        rec.output.calls.clear();
        EXPECT_EQ(PlaySoundA(r.sound, r.module, r.flags), r.result);
        EXPECT_EQ(rec.output.calls, r.calls);
    }
}

TEST(PlaySound, TheResourceBoundsTheParseNotTheImageHeader) {
    // A resource whose RIFF header claims more bytes than the resource holds:
    // the parse must stop at the resource's end (the sanitizer build would
    // report any read past it).
    const Bytes full = SimpleWave({}, Square8(400));
    const Bytes cut(full.begin(), full.begin() + 100); // its own heap block
    const ResourceEntry entries[] = {{"WAVE", 1, cut.data(), DWORD(cut.size())}};
    const ResourceModule table{entries, 1};
    ScopedRecorder rec;
    EXPECT_FALSE(PlaySoundA(AsSound(cut), VxModuleHandle(&table), kMemoryAsync));
    EXPECT_EQ(rec.output.calls, Calls{"stop"});
}

TEST(PlaySound, PassesTheParsedSoundAndTheOutputsAnswer) {
    TestWaveModule module;
    ScopedRecorder rec;
    EXPECT_TRUE(PlaySoundA(AsSound(module.Image(0)), nullptr, kMemoryAsync));
    EXPECT_EQ(rec.output.lastPlayed.format.sampleRate, 11025u);
    EXPECT_EQ(rec.output.lastPlayed.FrameCount(), 200u);
    EXPECT_EQ(rec.output.lastPlayed.samples, module.Image(0).data() + 44);

    rec.output.playResult = FALSE; // e.g. no audio device
    EXPECT_FALSE(PlaySoundA(AsSound(module.Image(0)), nullptr, kMemoryAsync));
}

TEST(PlaySound, StopsAndPlaysWithAndWithoutAnOutput) {
    TestWaveModule module;
    {
        ScopedRecorder rec;
        module.Label(rec.output);
        EXPECT_TRUE(sndPlaySoundA(nullptr, 0));
        EXPECT_TRUE(sndPlaySoundA(AsSound(module.Image(3)), SND_ASYNC | SND_MEMORY));
        EXPECT_EQ(rec.output.calls, (Calls{"stop", "play 3002"}));
    }
    ISoundOutput *previous = VxSetSoundOutput(nullptr);
    EXPECT_FALSE(PlaySoundA(AsSound(module.Image(1)), nullptr, kMemoryAsync));
    EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0));
    EXPECT_TRUE(sndPlaySoundA(nullptr, 0));
    VxSetSoundOutput(previous);
}

// WavePlayer: each row starts from a fresh player and runs a short script:
// a number plays that wave id, "stop" stops.
TEST(WavePlayer, HeldResourceRule) {
    TestWaveModule module;
    ScopedRecorder rec;
    module.Label(rec.output);
    struct Row {
        const char *label;
        std::vector<std::string> script;
        Calls calls;
        bool heldAfter;
    };
    const Row rows[] = {
        {"stop with nothing held makes no call", {"stop", "stop"}, {}, false},
        {"play then stop", {"3000", "stop"}, {"play 3000", "stop"}, false},
        {"a second stop makes no call", {"3000", "stop", "stop"}, {"play 3000", "stop"}, false},
        {"a new sound stops the held one first",
         {"3000", "170"},
         {"play 3000", "stop", "play 170"},
         true},
        {"the held resource outlives the sound", {"3001"}, {"play 3001"}, true},
        {"missing id stops the current sound and plays nothing",
         {"3000", "4242"},
         {"play 3000", "stop"},
         false},
        {"missing id with nothing held makes no call", {"4242", "stop"}, {}, false},
        {"right id, wrong type is missing", {"3003"}, {}, false},
        {"ids beyond the integer-resource range do not wrap", {"68536"}, {}, false},
        {"negative id", {"-1"}, {}, false},
        // The resource loads, so it is held, even though the output refuses it.
        {"malformed image: held, nothing played", {"500", "stop"}, {"stop", "stop"}, false},
        {"resource without data stays held until stopped", {"501", "stop"}, {"stop"}, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        rec.output.calls.clear();
        {
            WavePlayer player;
            for (const std::string &step : r.script) {
                if (step == "stop")
                    player.Stop();
                else
                    player.PlayResource(std::stoi(step));
            }
            EXPECT_EQ(rec.output.calls, r.calls);
            EXPECT_EQ(player.heldResource() != nullptr, r.heldAfter);
            rec.output.calls.clear();
        }
        EXPECT_TRUE(rec.output.calls.empty()) << "the destructor made a call";
    }
}

TEST(WavePlayer, LooksUpTheCurrentResourceModuleAtEachPlay) {
    ScopedRecorder rec;
    WavePlayer player;
    AfxSetResourceHandle(nullptr);
    player.PlayResource(3000); // no module yet: nothing
    EXPECT_TRUE(rec.output.calls.empty());
    EXPECT_EQ(player.heldResource(), nullptr);
    {
        TestWaveModule module;
        module.Label(rec.output);
        player.PlayResource(3000);
        EXPECT_EQ(rec.output.calls, Calls{"play 3000"});
        player.Stop();
    }
}
