#include "ExplosionArt.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

float Smoothstep(float a, float b, float x) {
    const float t = std::clamp((x - a) / (b - a), 0.f, 1.f);
    return t * t * (3 - 2 * t);
}

// Colour of burning gas by temperature (0 cold, 1 white-hot).
Rgb FireColour(float t) {
    struct Stop {
        float t;
        Rgb c;
    };
    static const Stop stops[] = {
        {0.00f, Rgb8(60, 14, 8)},     {0.18f, Rgb8(136, 30, 10)},  {0.36f, Rgb8(200, 62, 16)},
        {0.55f, Rgb8(240, 120, 24)},  {0.72f, Rgb8(254, 180, 48)}, {0.86f, Rgb8(255, 226, 120)},
        {1.00f, Rgb8(255, 250, 222)},
    };
    t = std::clamp(t, 0.f, 1.f);
    for (size_t i = 1; i < std::size(stops); ++i)
        if (t <= stops[i].t)
            return Mix(stops[i - 1].c, stops[i].c,
                       (t - stops[i - 1].t) / (stops[i].t - stops[i - 1].t));
    return stops[std::size(stops) - 1].c;
}

Rgb ShockRing(float x, float y, float &alpha) {
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    const float n = float(Fbm(std::cos(a) * 3 + 5, std::sin(a) * 3 + 5, r * 4, 4, 11));
    const float radius = 0.66f + 0.05f * (n - 0.5f);
    const float d = (r - radius) / 0.075f;
    // Sharp outer front, softer trailing inside.
    const float band = d > 0 ? std::exp(-d * d * 2.2f) : std::exp(-d * d * 0.35f);
    alpha = std::clamp(band * (0.55f + 0.9f * n), 0.f, 1.f);
    const float shade = 0.55f + 0.35f * Smoothstep(-1.5f, 0.8f, d) - 0.12f * (x + y);
    return Mix(Rgb8(96, 94, 92), Rgb8(222, 220, 216), std::clamp(shade, 0.f, 1.f));
}

Rgb Fireball(float x, float y, float tau, float &alpha) {
    const float r = std::sqrt(x * x + y * y);
    const float radius = 0.25f + 0.66f * std::pow(tau, 0.6f);
    // Billowing edge: the distance is pushed about by turbulence that grows
    // as the ball expands and cools.
    const float turb = float(Fbm(x * 2.6 + 10, y * 2.6 + 10, tau * 1.3, 5, 23)) - 0.5f;
    const float d = r / radius - (0.45f + 0.35f * tau) * turb;
    float density = 1.f - Smoothstep(0.72f, 1.0f, d);
    // Break-up: holes open in the cloud late in its life.
    const float holes = float(Fbm(x * 3.4 + 40, y * 3.4 + 40, tau * 0.8, 4, 31));
    const float breakAt = std::max(0.f, (tau - 0.45f) * 0.8f);
    density *= Smoothstep(breakAt, breakAt + 0.14f, holes);
    density *= 1.f - 0.25f * Smoothstep(0.6f, 1.f, tau);
    alpha = std::clamp(density * 1.25f, 0.f, 1.f);

    // Temperature: hottest in the core and early on.
    const float detail = float(Fbm(x * 6 + 70, y * 6 + 70, tau * 2, 4, 47)) - 0.5f;
    const float heat = 1.35f * std::pow(1.f - tau, 1.2f) + 0.15f;
    const float temp = (1.05f - d) * heat + detail * 0.5f;
    // Smoke takes over from the outside in, and overall with time.
    const float smoke =
        std::clamp((tau * 1.45f - 0.25f) + (d - 0.55f) * 0.9f + detail * 0.9f, 0.f, 1.f);
    // Smoke lit from the upper left: lumpy relief from the turbulence.
    const float light = std::clamp(0.42f + 0.9f * turb - 0.22f * (x + y) + 0.25f * tau, 0.f, 1.f);
    const Rgb soot = Mix(Rgb8(26, 24, 22), Rgb8(92, 86, 80), light);
    const Rgb ash = Mix(Rgb8(70, 66, 62), Rgb8(176, 172, 166), light);
    const Rgb smokeColour = Mix(soot, ash, Smoothstep(0.35f, 1.f, tau));
    Rgb c = Mix(FireColour(temp), smokeColour, Smoothstep(0.f, 1.f, smoke));
    // Patches of fire still glowing through the smoke, fading with time.
    const float ember = float(Fbm(x * 7 + 5, y * 7 + 5, tau * 3, 3, 59));
    const float glow = Smoothstep(0.56f, 0.72f, ember) * std::clamp(1.2f - tau * 1.25f, 0.f, 1.f) *
                       Smoothstep(0.3f, 0.8f, smoke);
    c = Mix(c, FireColour(0.35f + 0.35f * (1 - tau) + 0.3f * (ember - 0.56f)), glow * 0.9f);
    return c;
}

Rgb Scorch(float x, float y, float &alpha) {
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    const float edge = float(Fbm(x * 3 + 90, y * 3 + 90, 0.3, 5, 71)) - 0.5f;
    const float d = r / 0.56f + 0.55f * edge;
    // Streaks thrown out from the blast.
    const float ray = float(Fbm(std::cos(a) * 7 + 20, std::sin(a) * 7 + 20, r * 1.6, 3, 83));
    const float rays = Smoothstep(0.52f, 0.75f, ray) * (1.f - Smoothstep(0.5f, 0.95f, r));
    const float core = 1.f - Smoothstep(0.75f, 1.05f, d);
    alpha = std::clamp(std::max(core, rays * 0.85f), 0.f, 1.f);
    const float grain = float(Fbm(x * 14 + 3, y * 14 + 3, 0.7, 3, 97));
    Rgb c = Mix(Rgb8(8, 6, 5), Rgb8(52, 38, 26),
                Smoothstep(0.35f, 1.0f, d) * 0.8f + (grain - 0.5f) * 0.5f);
    // Charred brown at the rim and in the streaks; pale ash flecks.
    c = Mix(c, Rgb8(92, 68, 46), rays * (1 - core) * 0.7f);
    if (grain > 0.71f && d < 0.9f)
        c = Mix(c, Rgb8(118, 110, 100), 0.7f);
    return c;
}

} // namespace

std::vector<uint8_t> DitherCoverage(const Image &img) {
    // 8 x 8 Bayer matrix.
    static const int bayer[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
    };
    std::vector<uint8_t> out(size_t(img.Width()) * size_t(img.Height()));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const float threshold = (float(bayer[y & 7][x & 7]) + 0.5f) / 64.f;
            out[size_t(y) * size_t(img.Width()) + size_t(x)] = img.At(x, y).a > threshold;
        }
    return out;
}

ExplosionFrame RenderExplosion(int frame, int scale) {
    const int size = kExplosionSize * scale;
    ExplosionFrame f;
    f.colour = Image(size, size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            // Unit square centred on the frame, y up.
            const float x = (px + 0.5f) / (size / 2.f) - 1.f;
            const float y = 1.f - (py + 0.5f) / (size / 2.f);
            float alpha = 0;
            Rgb c;
            if (frame == 0)
                c = ShockRing(x, y, alpha);
            else if (frame == 7)
                c = Scorch(x, y, alpha);
            else
                c = Fireball(x, y, float(frame) / 6.f, alpha);
            // Nothing may reach the frame's border.
            const float r = std::sqrt(x * x + y * y);
            alpha *= 1.f - Smoothstep(0.93f, 0.99f, r);
            c = Clamp01(c);
            f.colour.At(px, py) = {c.r * alpha, c.g * alpha, c.b * alpha, alpha};
        }
    f.opaque = DitherCoverage(f.colour);
    return f;
}

} // namespace artgen
