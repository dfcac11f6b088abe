// The Qt sound output with no sound server: every sound plays nothing, quickly
// and without error, the way a headless box or CI runs the saver.
#include "platform/qt/QtSoundOutput.h"
#include "tests/sound/SoundDoubles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

using namespace wavetest;

namespace {

// Points the sound client at a server that cannot exist before the output
// first looks for one, whatever the machine running the tests has.
std::unique_ptr<QCoreApplication> MakeAppWithoutSoundServer() {
    qputenv("PULSE_SERVER", "unix:/nonexistent/vantorix-test/native");
    qunsetenv("PIPEWIRE_REMOTE");
    static int argc = 1;
    static char name[] = "vx_sound_qt_test";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

WaveSound Parsed(const Bytes &image) {
    WaveSound w;
    EXPECT_EQ(ParseWave(image.data(), image.size(), &w), WaveError::None);
    return w;
}

} // namespace

// Runs first (and alone under CTest): there is no application object yet.
TEST(QtSoundOutputHeadless, WithoutAnApplicationObjectNothingPlays) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    QtSoundOutput output;
    EXPECT_FALSE(output.Play(Parsed(SimpleWave({}, Square8(2000)))));
    EXPECT_FALSE(output.IsPlaying());
    output.Stop();
    VxInstallQtSoundOutput();
    EXPECT_EQ(VxGetSoundOutput(), nullptr) << "installed without an application object";
}

TEST(QtSoundOutputHeadless, WithoutADeviceEverySoundIsSilentAndQuick) {
    ISoundOutput *previous = VxSetSoundOutput(nullptr);
    {
        auto app = MakeAppWithoutSoundServer();
        VxInstallQtSoundOutput();
        ISoundOutput *installed = VxGetSoundOutput();
        QPointer<QtSoundOutput> output(dynamic_cast<QtSoundOutput *>(installed));
        ASSERT_FALSE(output.isNull());
        VxInstallQtSoundOutput(); // a second call keeps the first output
        EXPECT_EQ(VxGetSoundOutput(), installed);

        const Bytes images[] = {SimpleWave({1, 1, 11025, 8}, Square8(36664)),
                                SimpleWave({1, 2, 44100, 16}, Bytes(44100 * 4, 0))};
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 10; ++round) {
            for (const Bytes &image : images) {
                EXPECT_FALSE(output->Play(Parsed(image)));
                EXPECT_FALSE(output->IsPlaying());
            }
            output->Stop();
            QCoreApplication::processEvents();
        }
        EXPECT_LT(clock.elapsed(), 5000) << "an attempt waited for a device";

        // The whole path from a resource to the output.
        TestWaveModule module;
        EXPECT_FALSE(PlaySoundA(reinterpret_cast<LPCSTR>(module.Image(1).data()), nullptr,
                                SND_ASYNC | SND_NODEFAULT | SND_MEMORY));
        EXPECT_TRUE(sndPlaySoundA(nullptr, 0));
        app.reset();
        EXPECT_TRUE(output.isNull()) << "the output outlived the application object";
    }
    EXPECT_EQ(VxGetSoundOutput(), nullptr) << "a deleted output stayed installed";
    VxSetSoundOutput(previous);
}

// Every sound reaches the stream as 16-bit mono at the stream's rate: the
// length scales with the rate, 8-bit samples are centred on 128, channels are
// averaged, and samples between two source samples are interpolated.
TEST(QtSoundOutputConvert, EveryFormatBecomesTheStreamFormat) {
    constexpr int kRate = QtSoundOutput::kStreamRate;
    struct Row {
        const char *label;
        Fmt fmt;
        Bytes samples;
        size_t count;               // samples out
        std::vector<int16_t> first; // the first ones out
    };
    const Row rows[] = {
        {"8-bit, rate / 4", {1, 1, kRate / 4, 8}, {128, 192, 0}, 12, {0, 4096, 8192, 12288, 16384}},
        {"8-bit at the stream rate", {1, 1, kRate, 8}, {0, 128, 255}, 3, {-32768, 0, 32512}},
        {"16-bit stereo averaged", {1, 2, kRate, 16}, {0, 16, 0, 48, 255, 255, 1, 0}, 2, {8192, 0}},
        {"16-bit at twice the rate", {1, 1, kRate * 2, 16}, {1, 0, 2, 0, 3, 0, 4, 0}, 2, {1, 3}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        const std::vector<int16_t> out =
            QtSoundOutput::Convert(Parsed(SimpleWave(r.fmt, r.samples)));
        ASSERT_EQ(out.size(), r.count);
        EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + long(r.first.size())), r.first);
    }
}
