#include "Palette.h"

#include <cmath>
#include <initializer_list>
#include <vector>

namespace artgen {

namespace {

struct Point3 {
    float r, g, b;
};

// Appends `count` colours spaced evenly along the polyline through `points`
// (by length in RGB), both ends included.
void AddRamp(std::vector<PaletteEntry> &out, int count, std::initializer_list<Point3> points) {
    std::vector<Point3> p(points);
    std::vector<float> len(p.size(), 0.f);
    for (size_t i = 1; i < p.size(); ++i) {
        const float dr = p[i].r - p[i - 1].r, dg = p[i].g - p[i - 1].g, db = p[i].b - p[i - 1].b;
        len[i] = len[i - 1] + std::sqrt(dr * dr + dg * dg + db * db);
    }
    for (int k = 0; k < count; ++k) {
        const float s = len.back() * float(k) / float(count - 1);
        size_t i = 1;
        while (i + 1 < p.size() && len[i] < s)
            ++i;
        const float seg = len[i] - len[i - 1];
        const float t = seg > 0 ? (s - len[i - 1]) / seg : 0.f;
        auto lerp = [t](float a, float b) { return uint8_t(std::lround(a + (b - a) * t)); };
        out.push_back(
            {lerp(p[i - 1].r, p[i].r), lerp(p[i - 1].g, p[i].g), lerp(p[i - 1].b, p[i].b)});
    }
}

ColourTable BuildTable() {
    ColourTable t{};
    const auto &vga = VgaColours();
    for (int i = 0; i < 8; ++i) {
        t[size_t(i)] = vga[size_t(i)];
        t[size_t(248 + i)] = vga[size_t(8 + i)];
    }
    std::vector<PaletteEntry> art;
    // Neutral greys: metal, missile bodies, text.
    AddRamp(art, 20, {{10, 10, 10}, {246, 246, 246}});
    // Blue-greys of the jets, dark underside to sunlit highlight.
    AddRamp(art, 52,
            {{18, 22, 29},
             {52, 60, 72},
             {92, 104, 120},
             {140, 152, 167},
             {190, 199, 211},
             {236, 241, 247}});
    // A more saturated steel blue for the camouflage and the title lettering.
    AddRamp(art, 16, {{44, 56, 80}, {96, 114, 142}, {160, 176, 198}});
    // Canopy glass and sky: near-black navy to pale reflection.
    AddRamp(art, 28,
            {{5, 9, 26},
             {14, 30, 68},
             {38, 78, 128},
             {88, 138, 190},
             {168, 208, 238},
             {230, 244, 255}});
    // Reds of missile bands and markings.
    AddRamp(art, 12, {{62, 8, 8}, {150, 22, 18}, {222, 44, 30}, {250, 128, 104}});
    // Fire: white-hot core through yellow and orange to deep red.
    AddRamp(art, 52,
            {{255, 254, 232},
             {255, 240, 150},
             {255, 208, 70},
             {248, 158, 32},
             {232, 108, 22},
             {196, 60, 16},
             {138, 30, 10},
             {70, 14, 8}});
    // Fire seen through smoke: browns and dull oranges.
    AddRamp(art, 16, {{48, 32, 24}, {112, 66, 38}, {176, 100, 48}, {214, 142, 80}});
    // Smoke: warm greys.
    AddRamp(art, 24,
            {{22, 20, 19}, {70, 66, 62}, {128, 122, 116}, {188, 184, 178}, {226, 223, 218}});
    // Scorch: soot black through charred brown.
    AddRamp(art, 20, {{7, 5, 4}, {30, 22, 16}, {60, 42, 28}, {96, 70, 48}, {132, 106, 80}});
    for (size_t i = 0; i < art.size() && i < 240; ++i)
        t[8 + i] = art[i];
    return t;
}

// Perceptually weighted squared distance ("redmean" approximation).
inline float Distance(float r1, float g1, float b1, const PaletteEntry &e) {
    const float rm = (r1 + e.r) * 0.5f;
    const float dr = r1 - e.r, dg = g1 - e.g, db = b1 - e.b;
    return (2.f + rm / 256.f) * dr * dr + 4.f * dg * dg + (2.f + (255.f - rm) / 256.f) * db * db;
}

// The entries artwork may use: the image ramps and the neutral VGA colours
// (black, greys, white). The key and the saturated VGA colours are left out,
// so no opaque pixel can become transparent and no stray primary appears.
const std::vector<int> &ArtworkEntries() {
    static const std::vector<int> entries = [] {
        std::vector<int> e = {0, 7, 248, 255};
        for (int i = 8; i < 248; ++i)
            e.push_back(i);
        return e;
    }();
    return entries;
}

int Nearest(float r, float g, float b, const std::vector<int> &entries, const PaletteEntry *table) {
    int best = entries.front();
    float bestD = 1e30f;
    for (int i : entries) {
        const float d = Distance(r, g, b, table[i]);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

IndexedImage Reduce(const Image &img, const std::vector<uint8_t> &opaque, Dither dither,
                    const std::vector<int> &entries, const PaletteEntry *table, int keyIndex) {
    const int w = img.Width(), h = img.Height();
    IndexedImage out;
    out.width = w;
    out.height = h;
    out.index.assign(size_t(w) * size_t(h), uint8_t(keyIndex));
    out.covered = opaque;
    // Working colours in 0..255, with diffused error added as we go.
    std::vector<float> work(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = Clamp01(img.ColourAt(x, y));
            float *p = &work[(size_t(y) * size_t(w) + size_t(x)) * 3];
            p[0] = c.r * 255.f, p[1] = c.g * 255.f, p[2] = c.b * 255.f;
        }
    auto isOpaque = [&](int x, int y) {
        return x >= 0 && x < w && y >= 0 && y < h && opaque[size_t(y) * size_t(w) + size_t(x)];
    };
    // Slightly damped diffusion keeps speckle down in flat areas.
    constexpr float kStrength = 0.88f;
    for (int y = 0; y < h; ++y) {
        const bool reverse = dither == Dither::ErrorDiffusion && (y & 1);
        for (int i = 0; i < w; ++i) {
            const int x = reverse ? w - 1 - i : i;
            if (!isOpaque(x, y))
                continue;
            float *p = &work[(size_t(y) * size_t(w) + size_t(x)) * 3];
            const float r = std::clamp(p[0], 0.f, 255.f), g = std::clamp(p[1], 0.f, 255.f),
                        b = std::clamp(p[2], 0.f, 255.f);
            const int k = Nearest(r, g, b, entries, table);
            out.index[size_t(y) * size_t(w) + size_t(x)] = uint8_t(k);
            if (dither != Dither::ErrorDiffusion)
                continue;
            const float er = (r - table[k].r) * kStrength, eg = (g - table[k].g) * kStrength,
                        eb = (b - table[k].b) * kStrength;
            const int dx = reverse ? -1 : 1;
            struct Tap {
                int dx, dy;
                float w;
            };
            const Tap taps[] = {
                {dx, 0, 7 / 16.f}, {-dx, 1, 3 / 16.f}, {0, 1, 5 / 16.f}, {dx, 1, 1 / 16.f}};
            // The error goes only to covered neighbours, renormalised, so the
            // artwork's edge keeps its colour balance.
            float total = 0;
            for (const Tap &t : taps)
                if (isOpaque(x + t.dx, y + t.dy))
                    total += t.w;
            if (total <= 0)
                continue;
            for (const Tap &t : taps) {
                if (!isOpaque(x + t.dx, y + t.dy))
                    continue;
                float *q = &work[(size_t(y + t.dy) * size_t(w) + size_t(x + t.dx)) * 3];
                const float f = t.w / total;
                q[0] += er * f, q[1] += eg * f, q[2] += eb * f;
            }
        }
    }
    return out;
}

} // namespace

const std::array<PaletteEntry, 16> &VgaColours() {
    static const std::array<PaletteEntry, 16> vga = {{
        {0, 0, 0},
        {128, 0, 0},
        {0, 128, 0},
        {128, 128, 0},
        {0, 0, 128},
        {128, 0, 128},
        {0, 128, 128},
        {192, 192, 192},
        {128, 128, 128},
        {255, 0, 0},
        {0, 255, 0},
        {255, 255, 0},
        {0, 0, 255},
        {255, 0, 255},
        {0, 255, 255},
        {255, 255, 255},
    }};
    return vga;
}

const ColourTable &SharedColourTable() {
    static const ColourTable table = BuildTable();
    return table;
}

IndexedImage Quantise(const Image &img, Dither dither, float threshold) {
    std::vector<uint8_t> opaque(size_t(img.Width()) * size_t(img.Height()));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            opaque[size_t(y) * size_t(img.Width()) + size_t(x)] = img.At(x, y).a >= threshold;
    return QuantiseWithMask(img, opaque, dither);
}

IndexedImage QuantiseWithMask(const Image &img, const std::vector<uint8_t> &opaque, Dither dither) {
    return Reduce(img, opaque, dither, ArtworkEntries(), SharedColourTable().data(), kKeyIndex);
}

IndexedImage QuantiseIcon(const Image &img) {
    static const std::vector<int> entries = [] {
        std::vector<int> e;
        for (int i = 0; i < 16; ++i)
            e.push_back(i);
        return e;
    }();
    std::vector<uint8_t> opaque(size_t(img.Width()) * size_t(img.Height()));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            opaque[size_t(y) * size_t(img.Width()) + size_t(x)] = img.At(x, y).a >= 0.5f;
    // Transparent icon pixels carry index 0 (black) under a set AND-mask bit.
    return Reduce(img, opaque, Dither::None, entries, VgaColours().data(), 0);
}

} // namespace artgen
