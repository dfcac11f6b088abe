// Floating-point images the artwork is painted in, before it is reduced to a
// palette. Colours are sRGB components in 0..1 with premultiplied alpha.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace artgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}
inline Rgb Clamp01(Rgb c) {
    return {std::clamp(c.r, 0.f, 1.f), std::clamp(c.g, 0.f, 1.f), std::clamp(c.b, 0.f, 1.f)};
}
inline Rgb Rgb8(int r, int g, int b) {
    return {r / 255.f, g / 255.f, b / 255.f};
}

// Premultiplied colour with coverage.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

class Image {
  public:
    Image() = default;
    Image(int w, int h) : m_w(w), m_h(h), m_px(size_t(w) * size_t(h)) {}

    int Width() const { return m_w; }
    int Height() const { return m_h; }
    Rgba &At(int x, int y) { return m_px[size_t(y) * size_t(m_w) + size_t(x)]; }
    const Rgba &At(int x, int y) const { return m_px[size_t(y) * size_t(m_w) + size_t(x)]; }

    void Fill(Rgb c, float a = 1.f) {
        for (Rgba &p : m_px)
            p = {c.r * a, c.g * a, c.b * a, a};
    }

    // Straight (unpremultiplied) colour of a pixel; black where it is empty.
    Rgb ColourAt(int x, int y) const {
        const Rgba &p = At(x, y);
        if (p.a <= 0.f)
            return {};
        return {p.r / p.a, p.g / p.a, p.b / p.a};
    }

    // Draws `src` over this image with its top-left corner at (dx, dy).
    void Over(const Image &src, int dx, int dy) {
        for (int y = 0; y < src.Height(); ++y) {
            const int ty = y + dy;
            if (ty < 0 || ty >= m_h)
                continue;
            for (int x = 0; x < src.Width(); ++x) {
                const int tx = x + dx;
                if (tx < 0 || tx >= m_w)
                    continue;
                const Rgba &s = src.At(x, y);
                Rgba &d = At(tx, ty);
                const float k = 1.f - s.a;
                d = {s.r + d.r * k, s.g + d.g * k, s.b + d.b * k, s.a + d.a * k};
            }
        }
    }

    // Box filter by an integer factor (supersampled rendering to final size).
    Image Downsample(int factor) const {
        Image out(m_w / factor, m_h / factor);
        const float k = 1.f / float(factor * factor);
        for (int y = 0; y < out.m_h; ++y)
            for (int x = 0; x < out.m_w; ++x) {
                Rgba s;
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i) {
                        const Rgba &p = At(x * factor + i, y * factor + j);
                        s.r += p.r, s.g += p.g, s.b += p.b, s.a += p.a;
                    }
                out.At(x, y) = {s.r * k, s.g * k, s.b * k, s.a * k};
            }
        return out;
    }

  private:
    int m_w = 0, m_h = 0;
    std::vector<Rgba> m_px;
};

// An 8-bit indexed picture in the shared colour table, top row first, and
// which of its pixels are covered by the artwork (the rest is transparent).
struct IndexedImage {
    int width = 0, height = 0;
    std::vector<uint8_t> index;   // width * height palette indices
    std::vector<uint8_t> covered; // 1 where opaque, 0 where transparent
};

} // namespace artgen
