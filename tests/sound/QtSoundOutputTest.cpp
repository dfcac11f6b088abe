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

// Points the sound client at a server that cannot exist before Qt Multimedia
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
