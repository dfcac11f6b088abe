// A real play: a private PulseAudio server with a null sink is started for the
// test, waves are played through the Qt output, and the sink's monitor is
// recorded to show when a sound starts and ends at the server: promptly, once
// and whole, and cut off promptly by a stop or a new sound. Skips when
// PulseAudio is not available.
#include "platform/qt/QtSoundOutput.h"
#include "tests/sound/SoundDoubles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
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
// The loud test wave swings 64 either side of the 8-bit midpoint (about 16000
// at 16 bits), the quiet one 16 (about 4000); the silent null sink records
// zeros.
constexpr int kLoud = 10000;
constexpr int kHeard = 2000;
// How late a start or a stop may be at the server. The output manages a few
// tens of milliseconds (tools/soundlatency measures it); the bound leaves room
// for a loaded machine while catching the old fault, a replacing sound heard
// over a second late.
constexpr qint64 kPromptMs = 400;

// Runs a helper program to its end, never longer than `timeoutMs`.
bool Run(const QString &program, const QStringList &args, int timeoutMs = 10000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    p.kill(); // a helper past its time
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The private server and the monitor capture; both end with the object.
class PrivatePulse {
  public:
    QString error; // empty when the server runs and the capture is recording

    PrivatePulse() {
        m_clock.start();
        error = Start();
    }
    ~PrivatePulse() {
        m_capture.kill();
        m_capture.waitForFinished(2000);
        if (m_started)
            Run("pulseaudio", {"--kill"}, 5000);
    }

    // Milliseconds on the test's clock.
    qint64 Now() const { return m_clock.elapsed(); }

    // Reads the capture while the event loop runs, for `ms` milliseconds or
    // until `done` holds; returns whether it did.
    bool RecordUntil(
        int ms, const std::function<bool()> &done = [] { return false; }) {
        for (QDeadlineTimer until(ms); !until.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            m_capture.waitForReadyRead(5);
            m_pending.append(m_capture.readAllStandardOutput());
            const qsizetype whole = m_pending.size() / 2 * 2;
            for (qsizetype i = 0; i < whole; i += 2)
                m_samples.push_back(
                    int16_t(uint8_t(m_pending[i]) | uint8_t(m_pending[i + 1]) << 8));
            m_pending.remove(0, whole);
            // No sample arrives before it was recorded: the earliest bound
            // over all reads ties sample 0 to the clock.
            if (whole) {
                const double bound = double(Now()) - SampleMs(m_samples.size());
                m_startMs =
                    m_samples.size() == size_t(whole / 2) ? bound : std::min(m_startMs, bound);
            }
            if (done())
                return true;
        }
        return false;
    }

    size_t CapturedMs() const { return size_t(SampleMs(m_samples.size())); }
    // Milliseconds of capture from `fromMs` to `toMs` (test clock) whose level
    // lies in [low, high).
    size_t HeardMs(qint64 fromMs, qint64 toMs, int low = kHeard, int high = 1 << 16) const {
        size_t n = 0;
        for (size_t i = Index(fromMs); i < Index(toMs); ++i)
            n += Level(i) >= low && Level(i) < high;
        return size_t(SampleMs(n));
    }
    // The test-clock times of the first and the last capture sample from
    // `fromMs` on whose level lies in [low, high); -1 when there is none.
    std::pair<qint64, qint64> Heard(qint64 fromMs, int low = kHeard, int high = 1 << 16) const {
        std::pair<qint64, qint64> span(-1, -1);
        for (size_t i = Index(fromMs); i < m_samples.size(); ++i)
            if (Level(i) >= low && Level(i) < high) {
                span.second = qint64(m_startMs + SampleMs(i));
                span.first = span.first < 0 ? span.second : span.first;
            }
        return span;
    }

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
                         QString("--rate=%1").arg(kCaptureRate), "--raw", "--latency-msec=10"});
        return m_capture.waitForStarted(5000) ? QString() : "parec did not start";
    }

    static double SampleMs(size_t n) { return double(n) * 1000.0 / kCaptureRate; }
    size_t Index(qint64 ms) const {
        const double i = (double(ms) - m_startMs) * kCaptureRate / 1000.0;
        return std::min(m_samples.size(), size_t(std::max(0.0, i)));
    }
    // The peak over 5 ms around a sample: a square wave's edges pass through
    // every level, its plateaus tell the waves apart.
    int Level(size_t i) const {
        const size_t half = kCaptureRate / 400;
        int peak = 0;
        for (size_t k = i > half ? i - half : 0; k < std::min(m_samples.size(), i + half); ++k)
            peak = std::max(peak, std::abs(int(m_samples[k])));
        return peak;
    }

    QElapsedTimer m_clock;
    double m_startMs = 0;
    QTemporaryDir m_runtime;
    bool m_started = false;
    QProcess m_capture;
    QByteArray m_pending;
    std::vector<int16_t> m_samples;
};

} // namespace

TEST(PulsePlayback, SoundsStartAndEndPromptlyAtTheServer) {
    // The application object first: the helper processes need its event
    // dispatcher. The output connects at installation, after the private
    // server's address is in the environment.
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

    // A short loud wave, a long loud one and a short quiet one (to tell a
    // replacing sound from the one it replaces), played from a resource module.
    vxtest::TestResources table;
    table.Add("WAVE", 1, SimpleWave({1, 1, 22050, 8}, Square8(22050 / 2))); // 0.5 s
    table.Add("WAVE", 2, SimpleWave({1, 1, 11025, 8}, Square8(11025 * 4))); // 4 s
    table.Add("WAVE", 3, SimpleWave({1, 1, 22050, 8}, Square8(22050 / 2, 16)));
    const Bytes &shortWave = table.Blob(0), &longWave = table.Blob(1), &quietWave = table.Blob(2);
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(table.Handle());

    // Plays a wave; returns the request's time.
    const auto play = [&](const Bytes &wave) {
        const qint64 at = pulse.Now();
        EXPECT_TRUE(PlaySoundA(reinterpret_cast<LPCSTR>(wave.data()), nullptr,
                               SND_ASYNC | SND_NODEFAULT | SND_MEMORY))
            << "the server offered no device or refused the sound";
        return at;
    };
    const auto idle = [&] { return !output->IsPlaying(); };

    // 0. The capture is running and hears silence. The first samples can take
    //    a while to come through on a freshly started server.
    ASSERT_TRUE(pulse.RecordUntil(10000, [&] { return pulse.CapturedMs() >= 500; }))
        << "the monitor capture delivered nothing";
    EXPECT_EQ(pulse.HeardMs(0, pulse.Now()), 0u) << "the null sink was not silent";

    // 1. The short wave starts promptly and plays once, to its end, and the
    //    output goes idle by itself.
    qint64 at = play(shortWave);
    EXPECT_TRUE(pulse.RecordUntil(10000, idle)) << "a 0.5 s sound never ended";
    pulse.RecordUntil(500);
    qint64 heard = pulse.Heard(at - 50).first;
    EXPECT_GE(heard, at - 50) << "the sound did not reach the server";
    EXPECT_LE(heard - at, kPromptMs) << "the sound started late";
    EXPECT_NEAR(double(pulse.HeardMs(at, pulse.Now())), 500, 100) << "not played once and whole";

    // 2. The long wave is cut short by a stop.
    at = play(longWave);
    pulse.RecordUntil(1000);
    const qint64 stop = pulse.Now();
    sndPlaySoundA(nullptr, 0);
    EXPECT_FALSE(output->IsPlaying());
    pulse.RecordUntil(1000);
    EXPECT_GE(pulse.HeardMs(at, stop), size_t(1000 - kPromptMs)) << "the long sound started late";
    EXPECT_LE(pulse.Heard(stop).second - stop, kPromptMs) << "the sound went on after the stop";

    // 3. A new sound cuts off the one playing, as an explosion cuts its
    //    missile run's fly-by after half a second: the long loud wave is heard
    //    for most of that half second, then the quiet one starts promptly and
    //    plays whole, and nothing of the loud one follows.
    at = play(longWave);
    pulse.RecordUntil(500);
    const qint64 cut = play(quietWave);
    EXPECT_TRUE(pulse.RecordUntil(10000, idle));
    pulse.RecordUntil(500);
    EXPECT_GE(pulse.HeardMs(at, cut + kPromptMs, kLoud), size_t(500 - 150))
        << "the replaced sound was heard for too little of its time";
    heard = pulse.Heard(cut - 50, kHeard, kLoud).first;
    EXPECT_GE(heard, cut - 50) << "the replacing sound never reached the server";
    EXPECT_LE(heard - cut, kPromptMs) << "the replacing sound started late";
    EXPECT_LE(pulse.Heard(cut, kLoud).second - cut, kPromptMs) << "the replaced sound went on";
    EXPECT_NEAR(double(pulse.HeardMs(cut, pulse.Now(), kHeard, kLoud)), 500, 100)
        << "the replacing sound was not played once and whole";

    AfxSetResourceHandle(previous);
}
