// A real play: a private PulseAudio server with a null sink is started for the
// test, waves are played through the Qt output, and the sink's monitor is
// recorded to show that a sound reaches the server once and whole, and that a
// stop or a new sound cuts it off. Skips when PulseAudio is not available.
#include "platform/qt/QtSoundOutput.h"
#include "tests/sound/SoundDoubles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace wavetest;

namespace {

constexpr int kCaptureRate = 22050;
// The test waves swing 64 either side of the 8-bit midpoint, about 16000 at
// 16 bits; the silent null sink records zeros.
constexpr int kLoud = 2000;

// Runs a helper program to its end, never longer than `timeoutMs`.
bool Run(const QString &program, const QStringList &args, int timeoutMs = 10000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The private server and the monitor capture; both end with the object.
class PrivatePulse {
  public:
    QString error; // empty when the server runs and the capture is recording

    PrivatePulse() { error = Start(); }

    ~PrivatePulse() {
        if (m_capture.state() != QProcess::NotRunning) {
            m_capture.kill();
            m_capture.waitForFinished(2000);
        }
        if (m_started)
            Run("pulseaudio", {"--kill"}, 5000);
    }

    // Reads the capture while the event loop runs, for `ms` milliseconds or
    // until `done` holds; returns whether it did.
    bool RecordUntil(
        int ms, const std::function<bool()> &done = [] { return false; }) {
        for (QDeadlineTimer until(ms); !until.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            m_capture.waitForReadyRead(10);
            m_pending.append(m_capture.readAllStandardOutput());
            const qsizetype whole = m_pending.size() / 2 * 2;
            for (qsizetype i = 0; i < whole; i += 2)
                m_samples.push_back(
                    int16_t(uint8_t(m_pending[i]) | uint8_t(m_pending[i + 1]) << 8));
            m_pending.remove(0, whole);
            if (done())
                return true;
        }
        return false;
    }

    size_t CapturedMs() const { return m_samples.size() * 1000 / kCaptureRate; }
    // Milliseconds of capture louder than a quiet hiss, in all of it or (when
    // given) in its last `lastMs` milliseconds.
    size_t LoudMs(size_t lastMs = 0) const {
        const size_t all = m_samples.size();
        const size_t tail = lastMs ? std::min(all, lastMs * kCaptureRate / 1000) : all;
        const auto loud = std::count_if(m_samples.end() - tail, m_samples.end(),
                                        [](int16_t v) { return std::abs(int(v)) > kLoud; });
        return size_t(loud) * 1000 / kCaptureRate;
    }
    void Restart() { m_samples.clear(); }

  private:
    QString Start() {
        for (const char *tool : {"pulseaudio", "pactl", "parec"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return QString("%1 is not installed").arg(tool);
        if (!m_runtime.isValid())
            return "no temporary folder";
        // Everything the client and server share lives in the private folder.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qunsetenv("PULSE_SERVER");
        qunsetenv("PULSE_RUNTIME_PATH");
        m_started = Run("pulseaudio", {"-n", "--daemonize=yes", "--exit-idle-time=-1",
                                       "--log-target=stderr", "--log-level=error", "-L",
                                       "module-null-sink sink_name=testsink rate=44100", "-L",
                                       "module-native-protocol-unix"});
        if (!m_started)
            return "pulseaudio did not start";
        for (QDeadlineTimer ready(10000); !Run("pactl", {"info"}, 2000); QThread::msleep(100))
            if (ready.hasExpired())
                return "pulseaudio did not answer";
        if (!Run("pactl", {"set-default-sink", "testsink"}))
            return "could not select the null sink";
        m_capture.start("parec",
                        {"--device=testsink.monitor", "--format=s16le", "--channels=1",
                         QString("--rate=%1").arg(kCaptureRate), "--raw", "--latency-msec=20"});
        return m_capture.waitForStarted(5000) ? QString() : "parec did not start";
    }

    QTemporaryDir m_runtime;
    bool m_started = false;
    QProcess m_capture;
    QByteArray m_pending;
    std::vector<int16_t> m_samples;
};

} // namespace

TEST(PulsePlayback, APlayReachesTheServerAndAStopSilencesIt) {
    // The application object first: the helper processes need its event
    // dispatcher. Qt Multimedia looks for the server only at the first play,
    // after the private server's address is in the environment.
    static int argc = 1;
    static char name[] = "vx_sound_pulse_test";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    PrivatePulse pulse;
    if (!pulse.error.isEmpty())
        GTEST_SKIP() << "no private PulseAudio server: " << pulse.error.toStdString();
    VxInstallQtSoundOutput();
    auto *output = dynamic_cast<QtSoundOutput *>(VxGetSoundOutput());
    ASSERT_NE(output, nullptr);

    // A short and a long 8-bit mono wave, played from a resource module.
    const Bytes shortWave = SimpleWave({1, 1, 22050, 8}, Square8(22050 / 2)); // 0.5 s
    const Bytes longWave = SimpleWave({1, 1, 11025, 8}, Square8(11025 * 4));  // 4 s
    const ResourceEntry entries[] = {{"WAVE", 1, shortWave.data(), DWORD(shortWave.size())},
                                     {"WAVE", 2, longWave.data(), DWORD(longWave.size())}};
    const ResourceModule table{entries, 2};
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(VxModuleHandle(&table));

    const auto play = [](const Bytes &wave) {
        return PlaySoundA(reinterpret_cast<LPCSTR>(wave.data()), nullptr,
                          SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    };
    const auto idle = [&] { return !output->IsPlaying(); };

    // 0. The capture is running and hears silence. The first samples can take
    //    a while to come through on a freshly started server.
    ASSERT_TRUE(pulse.RecordUntil(10000, [&] { return pulse.CapturedMs() >= 500; }))
        << "the monitor capture delivered nothing";
    EXPECT_EQ(pulse.LoudMs(), 0u) << "the null sink was not silent";

    // 1. The short wave plays once, to its end, and the output goes idle by
    //    itself.
    pulse.Restart();
    ASSERT_TRUE(play(shortWave)) << "the server offered no device or refused 8-bit mono";
    EXPECT_TRUE(pulse.RecordUntil(10000, idle)) << "a 0.5 s sound never ended";
    pulse.RecordUntil(500);
    EXPECT_GE(pulse.LoudMs(), 400u) << "the sound did not reach the server";
    EXPECT_LE(pulse.LoudMs(), 600u) << "the sound played more than once";
    EXPECT_EQ(pulse.LoudMs(300), 0u) << "sound after the end";

    // 2. The long wave is cut short by a stop.
    pulse.Restart();
    ASSERT_TRUE(play(longWave));
    ASSERT_TRUE(pulse.RecordUntil(10000, [&] { return pulse.LoudMs() >= 300; }));
    sndPlaySoundA(nullptr, 0);
    EXPECT_FALSE(output->IsPlaying());
    pulse.RecordUntil(1500);
    EXPECT_LT(pulse.LoudMs(), 1500u) << "the stop did not cut the 4 s sound";
    EXPECT_EQ(pulse.LoudMs(1000), 0u) << "the sound went on after the stop";

    // 3. A new sound cuts off the one playing: the long wave, then the short
    //    one, sound for far less than the long wave alone.
    pulse.Restart();
    ASSERT_TRUE(play(longWave));
    ASSERT_TRUE(pulse.RecordUntil(10000, [&] { return pulse.LoudMs() >= 300; }));
    ASSERT_TRUE(play(shortWave));
    EXPECT_TRUE(pulse.RecordUntil(10000, idle));
    pulse.RecordUntil(500);
    EXPECT_LT(pulse.LoudMs(), 2000u) << "the long sound went on under the short one";
    EXPECT_EQ(pulse.LoudMs(300), 0u);

    AfxSetResourceHandle(previous);
}
