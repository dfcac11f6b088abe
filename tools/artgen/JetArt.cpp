#include "JetArt.h"

#include "Noise.h"

#include <algorithm>
#include <array>
#include <numbers>

namespace artgen {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double Deg(double d) {
    return d * kPi / 180.0;
}

// Missiles are modelled about their own origin; the two carried by the jet
// sit at its wingtips, moved back by kMissileX.
constexpr double kMissileX = -0.07;
double MissileLocalX(Vec3 p) {
    return std::abs(p.y) > 0.2 ? p.x - kMissileX : p.x;
}

// ---- shape ---------------------------------------------------------------------------

struct Station {
    double x, halfWidth, top, bottom;
};

// Fuselage cross-sections from the nose tip to the tail.
constexpr std::array<Station, 13> kFuselage = {{
    {0.500, 0.001, 0.001, 0.001},
    {0.470, 0.015, 0.013, 0.013},
    {0.420, 0.029, 0.026, 0.024},
    {0.350, 0.042, 0.037, 0.033},
    {0.280, 0.050, 0.044, 0.038},
    {0.200, 0.055, 0.047, 0.041},
    {0.120, 0.068, 0.044, 0.044},
    {0.040, 0.094, 0.041, 0.046},
    {-0.080, 0.104, 0.039, 0.045},
    {-0.250, 0.100, 0.037, 0.041},
    {-0.380, 0.092, 0.035, 0.037},
    {-0.450, 0.086, 0.033, 0.034},
    {-0.490, 0.082, 0.031, 0.032},
}};

// Catmull-Rom interpolation of one field of the fuselage table at x.
double Profile(double x, double Station::*field) {
    const auto &s = kFuselage;
    if (x >= s.front().x)
        return s.front().*field;
    if (x <= s.back().x)
        return s.back().*field;
    size_t i = 0;
    while (!(x <= s[i].x && x >= s[i + 1].x))
        ++i;
    const double t = (s[i].x - x) / (s[i].x - s[i + 1].x);
    const double p1 = s[i].*field, p2 = s[i + 1].*field;
    const double p0 = i > 0 ? s[i - 1].*field : p1;
    const double p3 = i + 2 < s.size() ? s[i + 2].*field : p2;
    const double t2 = t * t, t3 = t2 * t;
    return 0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2 +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * t3);
}

double SignedPow(double v, double e) {
    return v < 0 ? -std::pow(-v, e) : std::pow(v, e);
}

Mesh Fuselage() {
    return Grid(
        40, 90,
        [](double u, double v) {
            // Stations are denser at the nose, where the shape changes fastest.
            const double x = 0.5 - 0.99 * (1 - std::pow(1 - v, 1.6));
            const double a = 2 * kPi * u;
            const double w = Profile(x, &Station::halfWidth);
            const double top = Profile(x, &Station::top), bottom = Profile(x, &Station::bottom);
            // Rounder at the nose, squarer (blended body) further back.
            const double e = x > 0.25 ? 0.9 : 0.75;
            const double c = SignedPow(std::cos(a), e), s = SignedPow(std::sin(a), e);
            return Vec3{x, w * c, s > 0 ? top * s : bottom * s};
        },
        Material::Body, true);
}

// A thin lifting surface over a quadrilateral planform: root chord from
// rootLe to rootTe, tip chord from tipLe to tipTe (x along the length, s
// along the span), mapped into the model by `place`.
struct Planform {
    double rootLe, rootTe, tipLe, tipTe; // x of the chord ends
    double rootS, tipS;                  // span coordinate of root and tip
    double rootThick, tipThick;          // maximum thickness
};

Mesh Surface(const Planform &p, const std::function<Vec3(double x, double s, double t)> &place,
             int nu = 14, int nv = 10) {
    auto point = [&](double u, double v, double side) {
        const double le = p.rootLe + (p.tipLe - p.rootLe) * v;
        const double te = p.rootTe + (p.tipTe - p.rootTe) * v;
        const double x = le + (te - le) * u;
        const double s = p.rootS + (p.tipS - p.rootS) * v;
        const double thick = p.rootThick + (p.tipThick - p.rootThick) * v;
        // Thickest a third of the way back from the leading edge.
        const double shape = 2.6 * std::sqrt(u) * (1 - u);
        return place(x, s, side * thick * 0.5 * shape);
    };
    Mesh m = Grid(
        nu, nv, [&](double u, double v) { return point(u, v, 1); }, Material::Body);
    m.Append(Grid(
        nu, nv, [&](double u, double v) { return point(u, v, -0.7); }, Material::Body));
    // Cap at the tip.
    m.Append(Grid(
        nu, 2,
        [&](double u, double w) {
            const Vec3 a = point(u, 1, 1), b = point(u, 1, -0.7);
            return a + (b - a) * w;
        },
        Material::Body));
    return m;
}

Mesh Ellipsoid(Vec3 c, Vec3 r, Material m, int nu = 32, int nv = 20) {
    return Grid(
        nu, nv,
        [&](double u, double v) {
            const double a = 2 * kPi * u, b = kPi * v;
            return Vec3{c.x + r.x * std::cos(b), c.y + r.y * std::sin(b) * std::cos(a),
                        c.z + r.z * std::sin(b) * std::sin(a)};
        },
        m, true);
}

// A body of revolution about the x axis: radius r(x) from x0 (front) to x1.
Mesh Revolve(double x0, double x1, const std::function<double(double)> &radius, Vec3 at, Material m,
             int nu = 20, int nv = 24) {
    return Grid(
        nu, nv,
        [&](double u, double v) {
            const double x = x0 + (x1 - x0) * v;
            const double r = radius(x), a = 2 * kPi * u;
            return Vec3{at.x + x, at.y + r * std::cos(a), at.z + r * std::sin(a)};
        },
        m, true);
}

Mesh Wings() {
    Mesh m;
    for (int side : {1, -1}) {
        auto flat = [side](double z0) {
            return [side, z0](double x, double s, double t) { return Vec3{x, side * s, z0 + t}; };
        };
        // Leading-edge extension along the forward fuselage.
        m.Append(Surface({0.30, -0.10, 0.12, -0.12, 0.040, 0.090, 0.010, 0.012}, flat(-0.004)));
        // Main wing.
        m.Append(Surface({0.12, -0.29, -0.175, -0.255, 0.085, 0.372, 0.018, 0.006}, flat(-0.004)));
        // Tailplane.
        m.Append(Surface({-0.33, -0.50, -0.455, -0.525, 0.070, 0.232, 0.010, 0.004}, flat(0.0)));
        // Fin, canted outwards.
        const double cant = Deg(18);
        m.Append(Surface({-0.255, -0.470, -0.405, -0.480, 0.0, 0.175, 0.010, 0.005},
                         [side, cant](double x, double s, double t) {
                             return Vec3{x,
                                         side * (0.066 + s * std::sin(cant) + t * std::cos(cant)),
                                         0.026 + s * std::cos(cant) - t * std::sin(cant)};
                         }));
    }
    return m;
}

Mesh Nozzles() {
    Mesh m;
    for (int side : {1, -1}) {
        const Vec3 at{0, side * 0.040, -0.001};
        m.Append(Revolve(
            -0.455, -0.545, [](double x) { return 0.037 - 0.05 * (-0.455 - x); }, at,
            Material::Nozzle, 24, 6));
        m.Append(Grid(
            24, 3,
            [&](double u, double v) {
                const double r = 0.0325 * (1 - v), a = 2 * kPi * u;
                return Vec3{-0.540 + 0.01 * v, at.y + r * std::cos(a), at.z + r * std::sin(a)};
            },
            Material::NozzleInner, true));
    }
    return m;
}

} // namespace

Mesh BuildMissile(bool motorLit) {
    // Length 0.26 along x, centred on the origin.
    Mesh m = Revolve(
        -0.13, 0.13,
        [](double x) {
            const double nose = 0.08; // ogive length
            if (x > 0.13 - nose) {
                const double t = (x - (0.13 - nose)) / nose;
                return 0.0115 * std::sqrt(std::max(0.0, 1 - t * t));
            }
            return 0.0115;
        },
        {}, Material::Missile, 14, 30);
    for (int k = 0; k < 4; ++k) {
        const double a = kPi / 4 + k * kPi / 2;
        const double c = std::cos(a), s = std::sin(a);
        auto fin = [c, s](double x, double r, double t) {
            return Vec3{x, r * c - t * s, r * s + t * c};
        };
        // Tail fins and small canards.
        m.Append(Surface({-0.095, -0.13, -0.118, -0.132, 0.010, 0.030, 0.003, 0.002}, fin, 4, 3));
        m.Append(Surface({0.045, 0.028, 0.035, 0.030, 0.010, 0.021, 0.002, 0.0015}, fin, 3, 2));
    }
    if (motorLit) {
        m.Append(Revolve(
            -0.29, -0.128,
            [](double x) {
                const double t = (x + 0.29) / 0.162; // 0 at the plume's end, 1 at the motor
                return 0.0125 * std::pow(t, 0.6) * (1.05 - 0.2 * t);
            },
            {}, Material::Flame, 14, 12));
    }
    return m;
}

Mesh BuildJet(bool withMissiles, bool motorsLit) {
    Mesh m = Fuselage();
    m.Append(Wings());
    m.Append(Nozzles());
    // Canopy bubble over the cockpit.
    m.Append(Ellipsoid({0.235, 0, 0.030}, {0.098, 0.031, 0.040}, Material::Canopy));
    if (withMissiles) {
        for (int side : {1, -1}) {
            // Launch rail joining the missile to the wingtip.
            m.Append(Surface(
                {-0.02, -0.22, -0.02, -0.22, 0.368, 0.384, 0.008, 0.008},
                [side](double x, double s, double t) {
                    return Vec3{x, side * s, -0.006 + t};
                },
                6, 2));
            Mesh missile = BuildMissile(motorsLit);
            for (Vertex &v : missile.vertices)
                v.pos = v.pos + Vec3{kMissileX, side * 0.386, -0.004};
            m.Append(missile);
        }
    }
    return m;
}

// ---- finish -----------------------------------------------------------------------------

namespace {

const Vec3 kLight = Normalize({-0.45, 0.38, 0.90}); // sun: from the upper left, high
const Vec3 kFill = Normalize({0.35, -0.55, 0.75});  // sky light from the other side

struct Finish {
    Rgb base;
    float specular, shininess;
};

bool Near(double v, double at, double width) {
    return std::abs(v - at) < width;
}

Finish BodyFinish(Vec3 p) {
    const Rgb light = Rgb8(132, 144, 160), dark = Rgb8(96, 110, 130), belly = Rgb8(172, 178, 186);
    Rgb base;
    if (p.z < -0.012) {
        base = belly;
    } else {
        // Two-tone disruptive camouflage from smooth noise over the planform.
        const double n = Fbm(p.x * 7.0 + 3.1, std::abs(p.y) * 7.0 + 0.4, 0.5, 3, 77);
        const float t = float(std::clamp((n - 0.47) * 14.0, 0.0, 1.0));
        base = Mix(light, dark, t);
    }
    // Radome and the anti-glare panel ahead of the canopy.
    if (p.x > 0.425)
        base = Rgb8(70, 76, 86);
    else if (p.x > 0.330 && p.z > 0.016 && std::abs(p.y) < 0.022)
        base = Rgb8(58, 64, 74);
    // Panel lines across the fuselage and wings, and along the span.
    const double stations[] = {0.425, 0.345, 0.09, -0.06, -0.21, -0.36};
    bool line = false;
    for (double s : stations)
        line |= Near(p.x, s, 0.0022);
    if (std::abs(p.y) > 0.11 && std::abs(p.z) < 0.02)
        line |= Near(std::abs(p.y), 0.19, 0.0022) || Near(std::abs(p.y), 0.29, 0.0022);
    // Control surfaces: a line a little ahead of the trailing edge.
    if (std::abs(p.y) > 0.11 && std::abs(p.y) < 0.37 && std::abs(p.z) < 0.02) {
        const double v = (std::abs(p.y) - 0.085) / (0.372 - 0.085);
        const double te = -0.29 + (-0.255 + 0.29) * v;
        line |= v > 0 && v < 1 && Near(p.x, te + 0.045, 0.0022);
    }
    if (line)
        base = base * 0.78f;
    // Low-visibility national marking on the upper wings.
    const double dx = p.x + 0.135, dy = std::abs(p.y) - 0.245;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (p.z > -0.012 && r < 0.034)
        base = r < 0.016 ? Rgb8(150, 158, 170) : (r > 0.028 ? Rgb8(62, 72, 88) : Rgb8(84, 96, 114));
    return {base, 0.22f, 20.f};
}

} // namespace

Rgb ShadeJet(const Sample &s) {
    const Vec3 n = s.normal;
    const double diffuse = std::max(0.0, Dot(n, kLight)) + 0.32 * std::max(0.0, Dot(n, kFill));
    const Vec3 h = Normalize(kLight + Vec3{0, 0, 1});
    const double nh = std::max(0.0, Dot(n, h));
    // Sky light from above, a little less on surfaces turned away.
    const float ambient = float(0.30 + 0.14 * n.z);
    Finish f{};
    switch (s.material) {
    case Material::Body:
        f = BodyFinish(s.model);
        break;
    case Material::Canopy: {
        // Dark glass reflecting the sky towards its rim; a bow frame.
        if (Near(s.model.x, 0.300, 0.004) || Near(s.model.x, 0.195, 0.0035))
            return BodyFinish({0, 0, 0}).base * float(ambient + 0.75 * diffuse);
        const float fresnel = float(std::pow(1.0 - n.z, 2.0));
        Rgb glass = Mix(Rgb8(16, 34, 62), Rgb8(120, 170, 214), std::min(1.f, fresnel * 1.4f));
        const float highlight = float(std::pow(nh, 90.0));
        const float sheen = float(std::pow(nh, 12.0)) * 0.25f;
        return glass * float(0.55 + 0.6 * diffuse) + Rgb{1, 1, 1} * (highlight * 1.2f + sheen);
    }
    case Material::Nozzle: {
        // Petals: fine bands around the nozzle.
        const double a = std::atan2(s.model.z, std::abs(s.model.y) - 0.040);
        const float band = 0.85f + 0.15f * float(std::cos(a * 14));
        f = {Rgb8(92, 88, 84) * band, 0.35f, 16.f};
        break;
    }
    case Material::NozzleInner:
        return Rgb8(22, 18, 16);
    case Material::Missile: {
        const double x = MissileLocalX(s.model);
        Rgb base = Rgb8(232, 232, 226);
        float highlight = 0.4f, shine = 30.f;
        if (x > 0.088) {
            base = Rgb8(44, 50, 60); // seeker window
            highlight = 0.9f, shine = 60.f;
        } else if (x > 0.030 && x < 0.046) {
            base = Rgb8(196, 36, 28); // warhead band
        }
        f = {base, highlight, shine};
        break;
    }
    case Material::Flame: {
        // White at the motor, yellow, then orange towards the plume's end.
        const float t = float(std::clamp((MissileLocalX(s.model) + 0.29) / 0.162, 0.0, 1.0));
        if (t > 0.6f)
            return Mix(Rgb8(255, 214, 92), Rgb8(255, 252, 230), (t - 0.6f) / 0.4f);
        return Mix(Rgb8(236, 104, 28), Rgb8(255, 214, 92), t / 0.6f);
    }
    case Material::None:
        return {};
    }
    const float highlight = float(std::pow(nh, double(f.shininess))) * f.specular;
    return f.base * float(ambient + 0.64 * diffuse) + Rgb{1, 1, 1} * highlight;
}

// ---- pictures ------------------------------------------------------------------------------

namespace {

constexpr int kSupersample = 4;
// Pixels per model unit for every sprite but the diagonal ones, which are
// scaled to fit their square.
constexpr double kSpriteScale = 236.0;

struct RowPose {
    double yawDeg, pitchDeg, rollDeg;
    bool missiles, motors;
    // Where the jet's origin sits, as a fraction of the sprite size (-1 = centre
    // the jet's bounding box).
    double fx, fy;
};

// One row per sprite: level flight in five headings, then the missile run:
// pulling up with ever more foreshortening, firing, rolling away to the
// right, and on its side with the missiles gone.
constexpr std::array<RowPose, 15> kRows = {{
    {180, 0, 0, true, false, -1, -1},
    {0, 0, 0, true, false, -1, -1},
    {45, 0, 0, true, false, -1, -1},
    {135, 0, 0, true, false, -1, -1},
    {90, 0, 0, true, false, -1, -1},
    {90, 14, 0, true, false, 0.5, 0.5},
    {90, 28, 0, true, false, 0.5, 0.5},
    {90, 42, 0, true, false, 0.5, 0.5},
    {90, 55, 0, true, false, 0.5, 0.5},
    {90, 64, 0, true, true, 0.5, 0.5},
    {90, 62, 22, false, false, 0.53, 0.42},
    {90, 58, 44, false, false, 0.56, 0.38},
    {90, 52, 64, false, false, 0.59, 0.35},
    {90, 46, 80, false, false, 0.62, 0.33},
    {90, 40, 90, false, false, 0.64, 0.32},
}};

// The fired missiles of rows 10-13: how far they have fallen away, as depth
// below the jet (model units) and as drop down the sprite (fraction).
struct FiredMissiles {
    double depth, drop, spread;
};
constexpr std::array<FiredMissiles, 4> kFired = {{
    {1.5, 0.66, 0.36},
    {4.0, 0.74, 0.30},
    {8.0, 0.81, 0.24},
    {15.0, 0.87, 0.18},
}};

Pose PoseOf(const RowPose &r) {
    Pose p;
    p.yaw = Deg(r.yawDeg);
    p.pitch = Deg(r.pitchDeg);
    p.roll = Deg(r.rollDeg);
    return p;
}

} // namespace

void JetSpriteSize(int row, int &w, int &h, int scale) {
    if (row <= 1) {
        w = 275, h = 200;
    } else if (row <= 3) {
        w = h = 222;
    } else {
        w = 200, h = 275;
    }
    w *= scale;
    h *= scale;
}

Image RenderJetSprite(int row, int scale) {
    const RowPose &r = kRows[size_t(row)];
    int w = 0, h = 0;
    JetSpriteSize(row, w, h, scale);
    const Mesh jet = BuildJet(r.missiles, r.motors);
    Pose pose = PoseOf(r);
    Camera cam;
    cam.scale = kSpriteScale * scale;
    if (row == 2 || row == 3) {
        // Largest scale that leaves a 3-pixel margin (at single size) in the square.
        double x0, y0, x1, y1;
        Camera unit;
        unit.scale = 1;
        Rasteriser::Bounds(jet, pose, unit, x0, y0, x1, y1);
        cam.scale = std::min((w - 6 * scale) / (x1 - x0), (h - 6 * scale) / (y1 - y0));
    }
    if (r.fx < 0) {
        double x0, y0, x1, y1;
        Rasteriser::Bounds(jet, pose, cam, x0, y0, x1, y1);
        cam.cx = w / 2.0 - (x0 + x1) / 2;
        cam.cy = h / 2.0 - (y0 + y1) / 2;
    } else {
        cam.cx = w * r.fx;
        cam.cy = h * r.fy;
        // Keep the whole jet inside the sprite with a small margin.
        double x0, y0, x1, y1;
        Rasteriser::Bounds(jet, pose, cam, x0, y0, x1, y1);
        const double kMargin = 3.0 * scale;
        cam.cx += std::max(0.0, kMargin - x0) - std::max(0.0, x1 - (w - kMargin));
        cam.cy += std::max(0.0, kMargin - y0) - std::max(0.0, y1 - (h - kMargin));
    }
    Rasteriser ras(w, h, kSupersample, cam);
    ras.Draw(jet, pose);
    if (row >= 10 && row <= 13) {
        const FiredMissiles &m = kFired[size_t(row - 10)];
        const Mesh missile = BuildMissile(true);
        for (int side : {1, -1}) {
            Pose mp;
            mp.yaw = Deg(90);
            mp.pitch = Deg(-35); // diving away, motor towards the viewer
            // Placed in view space so that it appears at the wanted spot.
            const double k = cam.eye / (cam.eye + m.depth);
            const double sx = w * (0.5 + side * -m.spread * 0.5) - cam.cx;
            const double sy = cam.cy - h * m.drop;
            mp.offset = {sx / (cam.scale * k), sy / (cam.scale * k), -m.depth};
            ras.Draw(missile, mp);
        }
    }
    return ras.Resolve(ShadeJet);
}

Image RenderTopView(int w, int h, double lengthPx, double yaw, double roll, double centreX,
                    double centreY, std::vector<Vec3> *nozzles) {
    const Mesh jet = BuildJet(true, false);
    Pose pose;
    pose.yaw = yaw;
    pose.roll = roll;
    Camera cam;
    cam.scale = lengthPx / 1.045;
    double x0, y0, x1, y1;
    Rasteriser::Bounds(jet, pose, cam, x0, y0, x1, y1);
    cam.cx = (centreX < 0 ? w / 2.0 : centreX) - (x0 + x1) / 2;
    cam.cy = (centreY < 0 ? h / 2.0 : centreY) - (y0 + y1) / 2;
    if (nozzles) {
        nozzles->clear();
        for (int side : {1, -1}) {
            const Projected p = cam.Project(pose.Rotate({-0.545, side * 0.040, 0}));
            nozzles->push_back({p.x, p.y, p.z});
        }
    }
    Rasteriser ras(w, h, kSupersample, cam);
    ras.Draw(jet, pose);
    return ras.Resolve(ShadeJet);
}

} // namespace artgen
