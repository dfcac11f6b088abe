// Deterministic pseudo-random numbers and smooth value noise.
#pragma once

#include <cmath>
#include <cstdint>

namespace artgen {

// A small generator with a published algorithm (splitmix64), so that every run of the
// generator makes the same choices on every platform.
class Random {
  public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

  private:
    uint64_t m_state;
};

inline uint32_t HashInts(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= uint32_t(x) * 0x8DA6B343u;
    h ^= uint32_t(y) * 0xD8163841u;
    h ^= uint32_t(z) * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

inline double Lattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    return double(HashInts(x, y, z, seed) & 0xFFFFFF) / double(0xFFFFFF);
}

// Smooth value noise in [0, 1] over 3D space.
inline double ValueNoise(double x, double y, double z, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int32_t ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double u = fade(x - fx), v = fade(y - fy), w = fade(z - fz);
    auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
    double c[2][2];
    for (int j = 0; j < 2; ++j)
        for (int k = 0; k < 2; ++k)
            c[j][k] =
                lerp(Lattice(ix, iy + j, iz + k, seed), Lattice(ix + 1, iy + j, iz + k, seed), u);
    return lerp(lerp(c[0][0], c[1][0], v), lerp(c[0][1], c[1][1], v), w);
}

// Fractal sum of `octaves` layers, normalised to [0, 1].
inline double Fbm(double x, double y, double z, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0, f = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * ValueNoise(x * f, y * f, z * f, seed + uint32_t(i) * 101u);
        norm += amp;
        amp *= 0.5;
        f *= 2.03;
    }
    return sum / norm;
}

} // namespace artgen
