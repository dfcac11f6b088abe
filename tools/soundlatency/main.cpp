// vantorix-soundlatency: how late the saver's sounds start, measured at the
// sound server.
//
// Starts a private PulseAudio server with a null sink (or, with --external,
// loads a null sink into the server the environment names), records the
// sink's monitor, and plays the four embedded waves through WavePlayer and the
// real sound output in a rapid sequence: sounds that start from silence,
// sounds that cut the one before them after 0.5 s, a stop, and a sound left
// to play whole. Each sound's onset is found by matching the start of its
// samples in the recording; the tool prints, per sound, the delay from the
// play request to the onset and how long it was heard, and for each stop the
// delay until the sink went silent.
//
// The capture's clock is tied to the wall clock by the earliest arrival of its
// data, so every figure includes the monitor's own capture delay: it is an
// upper bound of what a listener would hear.
#include "platform/afx/Resources.h"
#include "platform/qt/QtSoundOutput.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "sound/WavePlayer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100; // the null sink's rate
constexpr const char *kSink = "vx_latency";

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs a program to its end; true when it exits with 0.
bool Run(std::vector<std::string> args, std::string *output = nullptr) {
    int pipeFd[2] = {-1, -1};
    if (output && pipe(pipeFd) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output) {
        posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(pipeFd[1]);
        char buf[4096];
        ssize_t n;
        while (rc == 0 && (n = read(pipeFd[0], buf, sizeof buf)) > 0)
            output->append(buf, size_t(n));
        close(pipeFd[0]);
    }
    if (rc != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// parec on the sink's monitor, read on a thread that stamps each arrival.
class Capture {
  public:
    // A short capture latency matters: with parec's default (fragments of
    // about two seconds) the monitor loses the start of sounds that follow
    // silence on a low-latency stream.
    bool Start(int latencyMs) {
        std::string latency = "--latency-msec=" + std::to_string(latencyMs);
        int fd[2];
        if (pipe(fd) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fd[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fd[0]);
        std::string device = std::string("--device=") + kSink + ".monitor";
        std::string rate = "--rate=" + std::to_string(kRate);
        char *argv[] = {const_cast<char *>("parec"),
                        device.data(),
                        const_cast<char *>("--format=s16le"),
                        const_cast<char *>("--channels=1"),
                        rate.data(),
                        const_cast<char *>("--raw"),
                        latency.data(),
                        nullptr};
        const int rc = posix_spawnp(&m_pid, "parec", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fd[1]);
        if (rc != 0) {
            close(fd[0]);
            return false;
        }
        m_fd = fd[0];
        m_reader = std::thread([this] { Read(); });
        return true;
    }
    ~Capture() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_reader.joinable())
            m_reader.join();
        if (m_fd >= 0)
            close(m_fd);
    }
    size_t Samples() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_samples.size();
    }
    // The samples, and the wall-clock time of sample 0.
    std::vector<int16_t> Take(Clock::time_point *start) {
        std::lock_guard<std::mutex> lock(m_mutex);
        *start = m_start;
        return m_samples;
    }

  private:
    void Read() {
        char buf[4096];
        std::string pending;
        for (;;) {
            const ssize_t n = read(m_fd, buf, sizeof buf);
            if (n <= 0)
                return;
            const Clock::time_point now = Clock::now();
            pending.append(buf, size_t(n));
            std::lock_guard<std::mutex> lock(m_mutex);
            const size_t whole = pending.size() / 2;
            for (size_t i = 0; i < whole; ++i)
                m_samples.push_back(
                    int16_t(uint8_t(pending[2 * i]) | uint8_t(pending[2 * i + 1]) << 8));
            pending.erase(0, whole * 2);
            // The last sample read cannot have been recorded after it arrived;
            // the earliest such bound over all reads places sample 0.
            const auto bound =
                now - std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(double(m_samples.size()) / kRate));
            if (m_first || bound < m_start)
                m_start = bound;
            m_first = false;
        }
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::vector<int16_t> m_samples;
    Clock::time_point m_start;
    bool m_first = true;
};

struct Wave {
    int id;
    const char *role;
    std::vector<int16_t> pcm; // 16-bit at kRate, as the sink renders it
};

struct Event {
    int atMs;   // from the start of the round
    int waveId; // 0: stop
};

// A round: a fly-by from silence cut after 0.5 s by the next (a missile run's
// fly-by cut by its explosion), two more cuts, a stop, then an explosion from
// silence left to play whole.
const Event kRound[] = {{0, IDW_FLYBY_1},      {500, IDW_FLYBY_2}, {1000, IDW_FLYBY_3},
                        {1500, IDW_EXPLOSION}, {2500, 0},          {3000, IDW_EXPLOSION}};
constexpr int kRoundMs = 7000;

// The 8-bit mono samples of `w` as 16-bit at kRate, linearly interpolated.
std::vector<int16_t> ToSinkFormat(const WaveSound &w) {
    const uint64_t frames = w.FrameCount(), rate = w.format.sampleRate;
    std::vector<int16_t> out(size_t(frames * kRate / rate));
    auto at = [&](uint64_t i) { return (int(w.samples[std::min(i, frames - 1)]) - 128) * 256; };
    for (size_t j = 0; j < out.size(); ++j) {
        const uint64_t pos = j * rate, i = pos / kRate;
        const int64_t frac = int64_t(pos % kRate);
        out[j] = int16_t((at(i) * (kRate - frac) + at(i + 1) * frac) / kRate);
    }
    return out;
}

// The first offset in [from, to) where `capture` matches `pattern` (normalised
// correlation of at least 0.9), refined to the best match nearby;
// -1 when none.
long FindOnset(const std::vector<int16_t> &capture, const std::vector<int16_t> &pattern, long from,
               long to, double *score) {
    const long n = long(pattern.size());
    to = std::min(to, long(capture.size()) - n);
    double pp = 0;
    for (int16_t v : pattern)
        pp += double(v) * v;
    auto ncc = [&](long at) {
        double cp = 0, cc = 0;
        for (long i = 0; i < n; ++i) {
            const double c = capture[size_t(at + i)];
            cp += c * pattern[size_t(i)];
            cc += c * c;
        }
        return cc > 0 && pp > 0 ? cp / std::sqrt(cc * pp) : 0.0;
    };
    for (long at = std::max(0L, from); at < to; ++at) {
        double s = ncc(at);
        if (s < 0.9)
            continue;
        long best = at;
        for (long k = at + 1; k < std::min(to, at + 64); ++k)
            if (const double t = ncc(k); t > s)
                s = t, best = k;
        *score = s;
        return best;
    }
    return -1;
}

// The executable's four waves.
std::vector<Wave> LoadWaves() {
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    std::vector<Wave> waves;
    for (auto [id, role] : {std::pair{IDW_FLYBY_1, "fly-by 1"},
                            {IDW_FLYBY_2, "fly-by 2"},
                            {IDW_FLYBY_3, "fly-by 3"},
                            {IDW_EXPLOSION, "explosion"}}) {
        HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(WORD(id)), "WAVE");
        WaveSound w;
        if (res && ParseWave(LockResource(LoadResource(nullptr, res)), SizeofResource(nullptr, res),
                             &w) == WaveError::None)
            waves.push_back({id, role, ToSinkFormat(w)});
    }
    return waves;
}

// Lists every sound heard in a recording of the monitor (s16le mono at
// kRate), such as one made while the saver runs: when each starts and how
// long it is heard, until the next one or silence.
int Analyse(const char *path, const std::vector<Wave> &waves) {
    std::vector<int16_t> rec;
    if (FILE *f = std::fopen(path, "rb")) {
        int16_t buf[4096];
        size_t n;
        while ((n = std::fread(buf, 2, 4096, f)) > 0)
            rec.insert(rec.end(), buf, buf + n);
        std::fclose(f);
    }
    if (rec.empty())
        return std::fprintf(stderr, "%s: no samples\n", path), 1;
    struct Hit {
        long at;
        const Wave *wave;
        long first; // the wave's first clearly audible sample
    };
    std::vector<Hit> hits;
    for (const Wave &w : waves) {
        size_t first = 0;
        while (first < w.pcm.size() && std::abs(int(w.pcm[first])) < 500)
            ++first;
        const std::vector<int16_t> pattern(w.pcm.begin() + long(first),
                                           w.pcm.begin() +
                                               long(std::min(w.pcm.size(), first + kRate / 100)));
        for (long from = 0;;) {
            // Only where something is heard: a match needs sound.
            while (from < long(rec.size()) && rec[size_t(from)] == 0)
                ++from;
            double score = 0;
            // Matches sample for sample: the recording must come from a sink
            // at kRate, which then plays the saver's stream unresampled.
            const long at = FindOnset(rec, pattern, from, from + kRate / 10, &score);
            if (from >= long(rec.size()))
                break;
            if (at < 0) {
                from += kRate / 10 - long(pattern.size());
                continue;
            }
            hits.push_back({at - long(first), &w, long(first)});
            from = at + kRate / 5;
        }
    }
    std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.at < b.at; });
    std::printf("%10s  %-10s %11s %11s\n", "at (s)", "sound", "heard (ms)", "length (ms)");
    for (size_t i = 0; i < hits.size(); ++i) {
        long end = i + 1 < hits.size() ? hits[i + 1].at : long(rec.size());
        // Or the first 20 ms of zeros once it is heard.
        for (long k = hits[i].at + hits[i].first, run = 0; k < end; ++k)
            if ((run = rec[size_t(k)] == 0 ? run + 1 : 0) == kRate / 50) {
                end = k - run + 1;
                break;
            }
        std::printf("%10.3f  %-10s %11.1f %11.1f\n", double(hits[i].at) / kRate, hits[i].wave->role,
                    double(end - hits[i].at) * 1000.0 / kRate,
                    double(hits[i].wave->pcm.size()) * 1000.0 / kRate);
    }
    return 0;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void Summary(const char *label, const std::vector<double> &v) {
    if (v.empty())
        return;
    std::printf("%-34s n=%-3zu median %6.1f  p95 %6.1f  max %6.1f ms\n", label, v.size(),
                Percentile(v, 0.5), Percentile(v, 0.95), *std::max_element(v.begin(), v.end()));
}

} // namespace

int main(int argc, char **argv) {
    int rounds = 5, captureMs = 5;
    bool external = false;
    std::string dump;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--capture-latency" && i + 1 < argc)
            captureMs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--dump" && i + 1 < argc)
            dump = argv[++i];
        else if (a == "--external")
            external = true;
        else if (a == "--analyze" && i + 1 < argc)
            return Analyse(argv[i + 1], LoadWaves());
        else {
            std::fprintf(
                stderr,
                "usage: %s [--rounds N] [--capture-latency MS] [--dump FILE] [--external]\n"
                "       %s --analyze FILE\n"
                "  --rounds N            rounds of six requests, 7 s each (default 5)\n"
                "  --capture-latency MS  latency asked of the monitor capture (default 5)\n"
                "  --dump FILE           write the capture (s16le mono 44100 Hz) to FILE\n"
                "  --external            use the sound server named by the environment (a\n"
                "                        null sink is loaded into it for the run) instead\n"
                "                        of a private PulseAudio server\n"
                "  --analyze FILE        list the sounds heard in a recording (s16le mono\n"
                "                        44100 Hz), e.g. of the monitor while the saver runs\n",
                argv[0], argv[0]);
            return 2;
        }
    }

    // The server: a private one, whose socket lives in a private runtime dir.
    QTemporaryDir runtime;
    std::string module;
    if (!external) {
        if (!runtime.isValid())
            return std::fprintf(stderr, "no temporary folder\n"), 1;
        setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
        unsetenv("PULSE_SERVER");
        unsetenv("PULSE_RUNTIME_PATH");
        if (!Run({"pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1",
                  "--log-target=stderr", "--log-level=error", "-L",
                  std::string("module-null-sink sink_name=") + kSink + " rate=44100", "-L",
                  "module-native-protocol-unix"}))
            return std::fprintf(stderr, "pulseaudio did not start\n"), 1;
    } else if (!Run({"pactl", "load-module", "module-null-sink", std::string("sink_name=") + kSink,
                     "rate=44100"},
                    &module)) {
        return std::fprintf(stderr, "could not load a null sink into the server\n"), 1;
    }
    struct Cleanup {
        bool external;
        std::string module;
        ~Cleanup() {
            if (!external)
                Run({"pulseaudio", "--kill"});
            else if (!module.empty())
                Run({"pactl", "unload-module", module.substr(0, module.find('\n'))});
        }
    } cleanup{external, module};
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        ready = Run({"pactl", "info"});
        if (!ready)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!ready)
        return std::fprintf(stderr, "the sound server did not answer\n"), 1;
    // The output's stream goes to the null sink; the server's default sink is
    // left alone.
    setenv("PULSE_SINK", kSink, 1);
    std::string info;
    Run({"pactl", "info"}, &info);
    const size_t nameAt = info.find("Server Name: ");
    std::printf("server: %s\n",
                nameAt == std::string::npos
                    ? "?"
                    : info.substr(nameAt + 13, info.find('\n', nameAt) - nameAt - 13).c_str());

    Capture capture;
    if (!capture.Start(captureMs))
        return std::fprintf(stderr, "parec did not start\n"), 1;
    for (int i = 0; i < 1000 && capture.Samples() < size_t(kRate); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (capture.Samples() < size_t(kRate))
        return std::fprintf(stderr, "the monitor capture delivered nothing\n"), 1;

    // The saver's own player and output, on the executable's own waves.
    QCoreApplication app(argc, argv);
    VxInstallQtSoundOutput();
    const std::vector<Wave> waves = LoadWaves();
    auto waveOf = [&](int id) -> const Wave & {
        return *std::find_if(waves.begin(), waves.end(), [&](const Wave &w) { return w.id == id; });
    };

    // Play the rounds; the request times are taken right before each call.
    struct Request {
        int waveId;
        Clock::time_point at;
    };
    std::vector<Request> requests;
    WavePlayer player;
    // The event loop runs while waiting, as in the saver.
    auto waitUntil = [](Clock::time_point t) {
        while (Clock::now() < t) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    // The saver's first sound comes after its title card (2.5 s).
    const Clock::time_point begin = Clock::now() + std::chrono::milliseconds(1000);
    for (int r = 0; r < rounds; ++r)
        for (const Event &e : kRound) {
            waitUntil(begin + std::chrono::milliseconds(r * kRoundMs + e.atMs));
            requests.push_back({e.waveId, Clock::now()});
            if (e.waveId)
                player.PlayResource(e.waveId);
            else
                player.Stop();
        }
    waitUntil(begin + std::chrono::milliseconds(rounds * kRoundMs + 300));
    player.Stop();

    Clock::time_point start;
    const std::vector<int16_t> rec = capture.Take(&start);
    if (!dump.empty()) {
        if (FILE *f = std::fopen(dump.c_str(), "wb")) {
            std::fwrite(rec.data(), 2, rec.size(), f);
            std::fclose(f);
        }
    }
    auto index = [&](Clock::time_point t) { return long(Ms(t - start) * kRate / 1000.0); };
    auto lastSound = [&](long from, long to) { // last non-silent sample in [from, to)
        for (long i = std::min(to, long(rec.size())) - 1; i >= from; --i)
            if (std::abs(int(rec[size_t(i)])) > 2)
                return i;
        return from - 1;
    };

    std::printf("\n%-10s %9s %11s %11s %11s %6s\n", "sound", "request", "start (ms)", "heard (ms)",
                "due (ms)", "match");
    std::vector<double> fromSilence, replacing, stops, shortfall;
    int missing = 0;
    std::vector<long> onsets(requests.size(), -1);
    std::vector<double> scores(requests.size(), 0);
    for (size_t i = 0; i < requests.size(); ++i) {
        const Request &q = requests[i];
        if (!q.waveId)
            continue;
        const Wave &w = waveOf(q.waveId);
        // Match 20 ms from the first clearly audible sample of the wave.
        size_t first = 0;
        while (first < w.pcm.size() && std::abs(int(w.pcm[first])) < 500)
            ++first;
        const std::vector<int16_t> pattern(w.pcm.begin() + long(first),
                                           w.pcm.begin() +
                                               long(std::min(w.pcm.size(), first + kRate / 50)));
        double score = 0;
        // The search starts a little before the request: the sink renders in
        // blocks, so the capture clock is only good to about a block.
        const long at = FindOnset(rec, pattern, index(q.at) - kRate / 30 + long(first),
                                  index(q.at) + 2 * kRate + long(first), &score);
        if (at >= 0)
            onsets[i] = at - long(first), scores[i] = score;
    }
    for (size_t i = 0; i < requests.size(); ++i) {
        const Request &q = requests[i];
        const long next = i + 1 < requests.size() ? index(requests[i + 1].at) : long(rec.size());
        if (!q.waveId) {
            // Silent from the first 20 ms of zeros on.
            long quiet = index(q.at), run = 0;
            for (long k = std::max(0L, quiet); k < long(rec.size()) && run < kRate / 50; ++k)
                run = rec[size_t(k)] == 0 ? run + 1 : 0, quiet = run == 1 ? k : quiet;
            const double ms = std::max(0.0, double(quiet - index(q.at)) * 1000.0 / kRate);
            stops.push_back(ms);
            std::printf("%-10s %9.0f %11s %11s %11s   silent after %.1f ms\n", "stop",
                        Ms(q.at - begin), "", "", "", ms);
            continue;
        }
        const Wave &w = waveOf(q.waveId);
        if (onsets[i] < 0) {
            ++missing;
            std::printf("%-10s %9.0f %11s\n", w.role, Ms(q.at - begin), "not heard");
            continue;
        }
        const double startMs = double(onsets[i] - index(q.at)) * 1000.0 / kRate;
        // A wave may end in a few samples of silence: its audible length.
        size_t audible = w.pcm.size();
        while (audible > 0 && std::abs(int(w.pcm[audible - 1])) <= 2)
            --audible;
        const double lengthMs = double(audible) * 1000.0 / kRate;
        // Heard until the next sound's onset when that one cuts it, otherwise
        // until the sink went silent.
        const bool cutByPlay = i + 1 < requests.size() && requests[i + 1].waveId &&
                               onsets[i + 1] >= 0 && Ms(requests[i + 1].at - q.at) < lengthMs;
        const long bound = i + 1 < requests.size() && requests[i + 1].waveId && onsets[i + 1] >= 0
                               ? std::min(next, onsets[i + 1])
                               : next + (i + 1 < requests.size() ? 0 : kRate);
        const long end = cutByPlay ? onsets[i + 1] : lastSound(onsets[i], bound) + 1;
        const double heardMs = double(end - onsets[i]) * 1000.0 / kRate;
        const double dueMs =
            i + 1 < requests.size() ? std::min(lengthMs, Ms(requests[i + 1].at - q.at)) : lengthMs;
        const bool afterSilence = i == 0 || !requests[i - 1].waveId ||
                                  Ms(q.at - requests[i - 1].at) * kRate / 1000.0 >=
                                      double(waveOf(requests[i - 1].waveId).pcm.size());
        (afterSilence ? fromSilence : replacing).push_back(startMs);
        shortfall.push_back(dueMs - heardMs);
        std::printf("%-10s %9.0f %11.1f %11.1f %11.1f %6.2f\n", w.role, Ms(q.at - begin), startMs,
                    heardMs, dueMs, scores[i]);
    }
    std::printf("\n(times are placed on the capture by the earliest arrival of its data; the\n"
                "sink renders a block ahead, so a prompt start can read a few ms below 0)\n");
    std::vector<double> all = fromSilence;
    all.insert(all.end(), replacing.begin(), replacing.end());
    Summary("start, every sound", all);
    Summary("start, from silence", fromSilence);
    Summary("start, replacing another sound", replacing);
    Summary("stop until silent", stops);
    Summary("due minus heard (cut short by)", shortfall);
    if (missing)
        std::printf("%d sound(s) never heard\n", missing);
    return missing ? 1 : 0;
}
