#include "TitleArt.h"

#include "JetArt.h"
#include "Noise.h"
#include "TextArt.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace artgen {

namespace {

constexpr double kPi = std::numbers::pi;

// A soft copy of a picture's coverage: box blur of radius r, twice.
std::vector<float> BlurredAlpha(const Image &img, int r) {
    const int w = img.Width(), h = img.Height();
    std::vector<float> a(size_t(w) * size_t(h)), t(a.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            a[size_t(y) * size_t(w) + size_t(x)] = img.At(x, y).a;
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0;
                for (int k = -r; k <= r; ++k)
                    s += a[size_t(y) * size_t(w) + size_t(std::clamp(x + k, 0, w - 1))];
                t[size_t(y) * size_t(w) + size_t(x)] = s / float(2 * r + 1);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0;
                for (int k = -r; k <= r; ++k)
                    s += t[size_t(std::clamp(y + k, 0, h - 1)) * size_t(w) + size_t(x)];
                a[size_t(y) * size_t(w) + size_t(x)] = s / float(2 * r + 1);
            }
    }
    return a;
}

// Paints `colour` over the picture with the given coverage.
void Paint(Image &img, const std::vector<float> &cover, Rgb colour, float opacity = 1.f, int dx = 0,
           int dy = 0) {
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const int sx = x - dx, sy = y - dy;
            if (sx < 0 || sy < 0 || sx >= img.Width() || sy >= img.Height())
                continue;
            const float a = cover[size_t(sy) * size_t(img.Width()) + size_t(sx)] * opacity;
            if (a <= 0)
                continue;
            Rgba &p = img.At(x, y);
            p = {p.r * (1 - a) + colour.r * a, p.g * (1 - a) + colour.g * a,
                 p.b * (1 - a) + colour.b * a, p.a * (1 - a) + a};
        }
}

} // namespace

Image RenderSplash() {
    const int w = kSplashWidth, h = kSplashHeight;
    Image img(w, h);
    // Dusk sky: deep navy above, a warm glow along the horizon, dark land.
    const float horizon = 0.80f;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float v = (y + 0.5f) / h;
            Rgb c;
            if (v < horizon) {
                const float t = v / horizon;
                c = Mix(Rgb8(6, 12, 34), Rgb8(34, 70, 122), std::pow(t, 1.3f));
                const float glow = std::pow(std::max(0.f, (t - 0.55f) / 0.45f), 2.2f);
                const float side = 1.f - 0.5f * std::abs((x + 0.5f) / w - 0.7f);
                c = Mix(c, Rgb8(236, 132, 60), glow * 0.85f * side);
            } else {
                const float hill = float(Fbm(x * 0.02, 3.5, 0.2, 3, 5));
                const float top = horizon + 0.02f + 0.05f * hill;
                c = v < top
                        ? Mix(Rgb8(200, 110, 60), Rgb8(34, 40, 60), (v - horizon) / (top - horizon))
                        : Mix(Rgb8(16, 20, 34), Rgb8(8, 9, 16), (v - top) / (1 - top));
            }
            img.At(x, y) = {c.r, c.g, c.b, 1};
        }
    // A few stars high up.
    Random rng(1977);
    for (int i = 0; i < 40; ++i) {
        const int x = int(rng.Uniform(0, w)), y = int(rng.Uniform(0, h * 0.45));
        const float b = float(rng.Uniform(0.35, 0.9)) * (1 - float(y) / (h * 0.5f));
        Rgba &p = img.At(x, y);
        p = {std::min(1.f, p.r + b), std::min(1.f, p.g + b), std::min(1.f, p.b + b), 1};
    }
    // The jet climbing away to the upper left, banked, trailing contrails
    // from its nozzles off the picture's right edge.
    std::vector<Vec3> nozzles;
    const Image jet = RenderTopView(w, h, 128, kPi * 0.86, -0.5, 262, 62, &nozzles);
    QPainterPath trails;
    for (const Vec3 &n : nozzles) {
        const double dx = n.x - 262, dy = n.y - 62; // away from the jet's centre
        const double len = std::hypot(dx, dy);
        const double ux = dx / len, uy = dy / len;
        trails.moveTo(n.x, n.y);
        trails.cubicTo(n.x + ux * 60, n.y + uy * 60, n.x + ux * 120 + 10, n.y + uy * 120 + 8,
                       n.x + ux * 240 + 30, n.y + uy * 240 + 30);
    }
    QPainterPathStroker stroker;
    stroker.setWidth(4);
    stroker.setCapStyle(Qt::RoundCap);
    const std::vector<float> trailCover = Coverage(stroker.createStroke(trails), w, h);
    std::vector<float> trail(trailCover.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Dense at the nozzles, thinning out behind.
            const double d = std::hypot(x - nozzles[0].x, y - nozzles[0].y);
            const float fade = float(std::clamp(d / 200.0, 0.0, 1.0));
            trail[size_t(y) * size_t(w) + size_t(x)] =
                trailCover[size_t(y) * size_t(w) + size_t(x)] * (0.85f - 0.7f * fade);
        }
    Paint(img, trail, Rgb8(226, 230, 236));
    img.Over(jet, 0, 0);

    // The name: bold oblique lettering in steel with a dark rim and shadow.
    const QPainterPath name =
        TextPath(QStringLiteral("Vantorix"), Face::SansBoldOblique, 62, 16, 150);
    QPainterPathStroker rim;
    rim.setWidth(4);
    rim.setJoinStyle(Qt::RoundJoin);
    const std::vector<float> nameCover = Coverage(name, w, h);
    const std::vector<float> rimCover = Coverage(rim.createStroke(name).united(name), w, h);
    Paint(img, rimCover, Rgb8(4, 6, 14), 0.6f, 3, 4);
    Paint(img, rimCover, Rgb8(10, 14, 30));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float a = nameCover[size_t(y) * size_t(w) + size_t(x)];
            if (a <= 0)
                continue;
            // Polished metal: bright above a horizon line in the letters.
            const float t = std::clamp((y - 104.f) / 46.f, 0.f, 1.f);
            const Rgb c = t < 0.5f ? Mix(Rgb8(250, 252, 255), Rgb8(176, 196, 222), t * 2)
                                   : Mix(Rgb8(92, 112, 142), Rgb8(196, 208, 226), (t - 0.5f) * 2);
            Rgba &p = img.At(x, y);
            p = {p.r * (1 - a) + c.r * a, p.g * (1 - a) + c.g * a, p.b * (1 - a) + c.b * a, 1};
        }
    const QPainterPath sub =
        TextPath(QStringLiteral("S C R E E N   S A V E R"), Face::SansBold, 13, 30, 174);
    Paint(img, Coverage(sub, w, h), Rgb8(4, 6, 14), 0.7f, 1, 1);
    Paint(img, Coverage(sub, w, h), Rgb8(206, 220, 238));
    return img;
}

Image RenderAbout() {
    const int w = kAboutWidth, h = kAboutHeight;
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Light grey with a faint vignette.
            const float dx = (x + 0.5f) / w - 0.5f, dy = (y + 0.5f) / h - 0.45f;
            const float v = 1.f - 0.18f * (dx * dx + dy * dy);
            const Rgb c = Rgb8(204, 206, 210) * v;
            img.At(x, y) = {c.r, c.g, c.b, 1};
        }
    const Image jet = RenderTopView(w, h, 148, kPi / 2, 0);
    Paint(img, BlurredAlpha(jet, 2), Rgb8(80, 84, 92), 0.4f, 5, 7);
    img.Over(jet, 0, 0);
    return img;
}

} // namespace artgen
