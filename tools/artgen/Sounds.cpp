#include "Sounds.h"

#include "Noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSpeedOfSound = 343.0;

// Second-order filter section (the usual audio cookbook forms).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    static Biquad LowPass(double f, double q, double rate) {
        const double w = 2 * kPi * f / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
    }
    static Biquad HighPass(double f, double q, double rate) {
        const double w = 2 * kPi * f / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
    }
    static Biquad BandPass(double f, double q, double rate) {
        const double w = 2 * kPi * f / rate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
        const double a0 = 1 + alpha;
        return {alpha / a0, 0, -alpha / a0, -2 * c / a0, (1 - alpha) / a0};
    }
    // Changes the coefficients, keeping the state (for swept filters).
    void Retune(const Biquad &o) { b0 = o.b0, b1 = o.b1, b2 = o.b2, a1 = o.a1, a2 = o.a2; }
    double operator()(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// Gaussian-ish white noise (sum of uniforms).
double Noise(Random &rng) {
    return rng.Uniform() + rng.Uniform() + rng.Uniform() - 1.5;
}

// Smoothly varying random value in about [-1, 1], `rate` changes per second.
double Wander(double t, double rate, uint32_t seed) {
    return 2 * ValueNoise(t * rate, 0.5, 0.5, seed) - 1;
}

// Removes DC, gently compresses peaks, scales to the 8-bit range, fades the
// ends and quantises with triangular dither that fades out with the signal.
std::vector<uint8_t> ToPcm8(std::vector<double> x, double rate, uint64_t seed, double drive,
                            double fadeInSeconds, double fadeOutSeconds) {
    Biquad dc = Biquad::HighPass(25, 0.7, rate);
    for (double &v : x)
        v = dc(v);
    double peak = 1e-9;
    for (double v : x)
        peak = std::max(peak, std::abs(v));
    const double norm = std::tanh(drive);
    for (double &v : x)
        v = std::tanh(drive * v / peak) / norm;
    const size_t n = x.size();
    // Raised-cosine fades, reaching exact silence at both ends.
    auto fade = [](double t) { return 0.5 - 0.5 * std::cos(kPi * t); };
    const size_t fadeIn = size_t(rate * fadeInSeconds), fadeOut = size_t(rate * fadeOutSeconds);
    for (size_t i = 0; i < fadeIn && i < n; ++i)
        x[i] *= fade(double(i) / double(fadeIn));
    for (size_t i = 0; i < fadeOut && i < n; ++i)
        x[n - 1 - i] *= fade(double(i) / double(fadeOut));
    Random rng(seed);
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) {
        const double level = std::min(1.0, std::abs(x[i]) * 200.0);
        const double dither = (rng.Uniform() - rng.Uniform()) * level;
        const double v = 128.0 + 124.0 * x[i] + dither;
        out[i] = uint8_t(std::clamp(std::lround(v), 0l, 255l));
    }
    return out;
}

struct FlybyParams {
    size_t samples;
    double speed;     // m/s
    double altitude;  // m above the listener's ears
    double lateral;   // m to the side of the listener
    double closestAt; // s: when the jet is overhead
    double whine;     // Hz: compressor tone
    double roarCorner, rumble;
    uint64_t seed;
};

// The source as heard from nearby: roar, rumble and the turbine's whine, as
// separate tracks sampled on a fine grid of emission time so the listener
// side can read them at any instant (the Doppler shift).
struct SourceTracks {
    double start, rate;
    std::vector<double> roar, whine;

    double Read(const std::vector<double> &track, double t) const {
        const double p = (t - start) * rate;
        const long i = long(std::floor(p));
        if (i < 1 || i + 2 >= long(track.size()))
            return 0;
        // Cubic (Catmull-Rom) interpolation between samples.
        const double f = p - double(i);
        const double y0 = track[size_t(i - 1)], y1 = track[size_t(i)], y2 = track[size_t(i + 1)],
                     y3 = track[size_t(i + 2)];
        return y1 +
               0.5 * f *
                   (y2 - y0 + f * (2 * y0 - 5 * y1 + 4 * y2 - y3 + f * (3 * (y1 - y2) + y3 - y0)));
    }
};

SourceTracks MakeSource(const FlybyParams &p, double duration) {
    SourceTracks s;
    s.rate = kFlybyRate;
    s.start = -1.5;
    const size_t n = size_t((duration - s.start + 0.5) * s.rate);
    s.roar.resize(n);
    s.whine.resize(n);
    Random rng(p.seed);
    // Roar: noise shaped to a broad hump (jet mixing noise), plus rumble.
    Biquad lp1 = Biquad::LowPass(p.roarCorner, 0.6, s.rate);
    Biquad lp2 = Biquad::LowPass(p.roarCorner * 2.2, 0.5, s.rate);
    Biquad hp = Biquad::HighPass(70, 0.7, s.rate);
    Biquad rumbleLp = Biquad::LowPass(160, 0.8, s.rate);
    Biquad hiss = Biquad::BandPass(4200, 0.7, s.rate);
    // Whine: narrow noise bands around the blade-passing tone and its
    // harmonic, wandering slightly in pitch, plus a thin pure component.
    Biquad tone1 = Biquad::BandPass(p.whine, 30, s.rate);
    Biquad tone2 = Biquad::BandPass(p.whine * 2.03, 25, s.rate);
    Biquad tone3 = Biquad::BandPass(p.whine * 2.9, 20, s.rate);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = s.start + double(i) / s.rate;
        const double w = Noise(rng);
        const double body = hp(lp2(lp1(w)));
        const double low = rumbleLp(Noise(rng)) * p.rumble;
        // Slow surges make the roar breathe instead of hiss evenly.
        const double surge = 1 + 0.25 * Wander(t, 7, 3) + 0.12 * Wander(t, 23, 4);
        s.roar[i] = (body * 1.4 + low * 2.5 + hiss(w) * 0.25) * surge;
        const double f = p.whine * (1 + 0.004 * Wander(t, 3, 5));
        phase += 2 * kPi * f / s.rate;
        const double pure = std::sin(phase) * 0.05 + std::sin(2.03 * phase) * 0.025;
        s.whine[i] = tone1(w) * 3.0 + tone2(w) * 2.2 + tone3(w) * 1.2 + pure;
    }
    return s;
}

std::vector<double> RenderFlyby(const FlybyParams &p) {
    const double rate = kFlybyRate;
    const double duration = double(p.samples) / rate;
    const SourceTracks src = MakeSource(p, duration);
    std::vector<double> out(p.samples);
    // The jet flies along x at the given height and side offset. It is
    // overhead (x = 0) at closestAt in listener time, so shift its emission
    // clock by the sound's travel time from there.
    const double overheadDist = std::hypot(p.altitude, p.lateral);
    const double tOverhead = p.closestAt - overheadDist / kSpeedOfSound;
    auto position = [&](double te, double mirror) {
        return std::array<double, 3>{p.speed * (te - tOverhead), p.lateral, mirror * p.altitude};
    };
    // The ground reflection reaches an ear 1.7 m up from a mirror image of
    // the jet, later and weaker: the sweeping comb of a real fly-by.
    const double ear = 1.7;
    auto distance = [&](double te, double mirror) {
        auto q = position(te, mirror);
        const double dz = mirror > 0 ? q[2] - ear : q[2] - ear;
        return std::sqrt(q[0] * q[0] + q[1] * q[1] + dz * dz);
    };
    auto emission = [&](double t, double mirror) {
        double te = t - distance(t, mirror) / kSpeedOfSound;
        for (int k = 0; k < 12; ++k)
            te = t - distance(te, mirror) / kSpeedOfSound;
        return te;
    };
    Biquad air = Biquad::LowPass(8000, 0.7, rate);
    for (size_t i = 0; i < p.samples; ++i) {
        const double t = double(i) / rate;
        double sum = 0, nearest = 1e9;
        for (double mirror : {1.0, -1.0}) {
            const double te = emission(t, mirror);
            auto q = position(te, mirror);
            const double r = distance(te, mirror);
            nearest = std::min(nearest, r);
            // Angle between the flight direction and the way to the listener:
            // the whine leads (inlet), the roar trails (exhaust).
            const double cosA = -q[0] / r;
            const double ahead = std::max(0.0, cosA), behind = std::max(0.0, -cosA);
            const double gWhine = 0.15 + 1.1 * ahead * ahead;
            const double gRoar = 0.55 + 0.9 * std::pow(behind, 1.5);
            const double g = (mirror > 0 ? 1.0 : 0.6) * 30.0 / r;
            sum += g * (gRoar * src.Read(src.roar, te) + gWhine * src.Read(src.whine, te));
        }
        // Air absorbs the highs of a distant jet.
        if ((i & 31) == 0)
            air.Retune(Biquad::LowPass(
                std::clamp(9500.0 * std::pow(45.0 / nearest, 0.9), 700.0, 9800.0), 0.7, rate));
        out[i] = air(sum);
    }
    return out;
}

} // namespace

std::vector<uint8_t> FlybySound(int variant) {
    FlybyParams p;
    if (variant == 1) {
        p = {kFlyby1Samples, 175, 32, 14, 1.25, 1180, 900, 0.9, 31};
    } else {
        p = {kFlyby2Samples, 105, 70, 30, 2.55, 760, 520, 1.6, 32};
    }
    return ToPcm8(RenderFlyby(p), kFlybyRate, 1000 + uint64_t(variant), 1.6, 0.3, 0.45);
}

std::vector<uint8_t> ExplosionSound() {
    const double rate = kExplosionRate;
    const size_t n = kExplosionSamples;
    std::vector<double> x(n, 0.0);
    Random rng(170);
    // The blast: a sharp crack, then a deep thump falling in pitch, with
    // noise whose brightness falls as fast.
    Biquad sweep = Biquad::LowPass(3000, 0.8, rate);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double crack = Noise(rng) * std::exp(-t / 0.012) * 1.4;
        const double f = 32 + 70 * std::exp(-t / 0.18);
        phase += 2 * kPi * f / rate;
        const double thump =
            std::sin(phase) * std::exp(-t / 0.45) * (1 - std::exp(-t / 0.004)) * 1.3;
        if ((i & 15) == 0)
            sweep.Retune(Biquad::LowPass(120 + 2600 * std::exp(-t / 0.09), 0.8, rate));
        const double blast =
            sweep(Noise(rng)) * std::exp(-t / 0.32) * (1 - std::exp(-t / 0.003)) * 2.2;
        x[i] = crack + thump + blast;
    }
    // Rumbling tail: low noise rolling in slow swells, and the echoes of the
    // blast coming back from far away, each duller than the last.
    Biquad rumble1 = Biquad::LowPass(220, 0.9, rate), rumble2 = Biquad::LowPass(220, 0.9, rate);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double swell = 0.65 + 0.35 * Wander(t, 3.2, 9) + 0.2 * Wander(t, 9, 10);
        const double env = (1 - std::exp(-t / 0.08)) * std::exp(-t / 1.05);
        x[i] += rumble2(rumble1(Noise(rng))) * 3.2 * swell * env;
    }
    struct Echo {
        double delay, gain, corner;
    };
    const Echo echoes[] = {
        {0.23, 0.45, 700}, {0.55, 0.32, 420}, {0.98, 0.22, 300}, {1.6, 0.14, 220}};
    const std::vector<double> dry = x;
    for (const Echo &e : echoes) {
        Biquad lp = Biquad::LowPass(e.corner, 0.7, rate);
        const size_t d = size_t(e.delay * rate);
        for (size_t i = d; i < n; ++i)
            x[i] += lp(dry[i - d]) * e.gain;
    }
    // Debris and crackle: short bright pops, thinning out.
    Biquad pop = Biquad::HighPass(900, 0.7, rate);
    double popEnv = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double density = t > 0.06 ? 55 * std::exp(-t / 0.6) : 0;
        if (rng.Uniform() < density / rate)
            popEnv = rng.Uniform(0.3, 1.0) * std::exp(-t / 0.9);
        popEnv *= std::exp(-1 / (rate * 0.004));
        x[i] += pop(Noise(rng)) * popEnv * 0.8;
    }
    // A gentle tail fade so the rumble dies away rather than stops.
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate, end = double(n) / rate;
        x[i] *= std::min(1.0, (end - t) / 0.8);
    }
    return ToPcm8(x, rate, 1170, 2.2, 0.002, 0.06);
}

} // namespace artgen
