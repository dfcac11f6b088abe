#include "Assets.h"

#include "ExplosionArt.h"
#include "IconArt.h"
#include "JetArt.h"
#include "Palette.h"
#include "Sounds.h"
#include "TitleArt.h"

#include <QBuffer>
#include <QByteArray>

#include <string>

namespace artgen {

namespace {

Asset BitmapAsset(const std::string &path, IndexedImage picture) {
    Asset a;
    a.path = path;
    a.bytes = EncodeBitmap(picture, SharedColourTable());
    a.picture = std::move(picture);
    return a;
}

Asset IconAsset(int id) {
    Asset a;
    a.path = "icons/icon_" + std::to_string(id) + ".ico";
    a.picture = QuantiseIcon(RenderIcon(id));
    a.bytes = EncodeIcon(a.picture);
    a.icon = true;
    return a;
}

// A smooth icon picture as a PNG file. The encoder adds nothing that changes
// from run to run (no time, no software name).
Asset PngIconAsset(const std::string &path, int id, int size) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    RenderIconAt(id, size).save(&buffer, "PNG");
    Asset a;
    a.path = path;
    a.bytes.assign(png.begin(), png.end());
    return a;
}

Asset WaveAsset(const std::string &path, const std::vector<uint8_t> &samples, uint32_t rate,
                bool fact) {
    Asset a;
    a.path = path;
    a.bytes = EncodeWave(samples, rate, fact);
    return a;
}

// The jets, their shadows and the explosion frames at `scale` times the
// single size. File names carry the resource id.
void AddSpriteSet(std::vector<Asset> &assets, int scale) {
    const std::string prefix = scale == 1 ? "bitmaps/" : "bitmaps/x2_";
    const int idOffset = scale == 1 ? 0 : 1000;
    std::vector<IndexedImage> jets;
    for (int row = 0; row < 15; ++row) {
        jets.push_back(Quantise(RenderJetSprite(row, scale), Dither::ErrorDiffusion));
        assets.push_back(BitmapAsset(
            prefix + "jet_" + std::to_string(2550 + idOffset + row) + ".bmp", jets.back()));
    }
    for (int row = 0; row < 15; ++row) {
        // Half the single size, rounded up across and down along the jet's
        // length, as the sprite table has it (275 -> 138, 200 -> 100,
        // 275 -> 137); the double-size shadow is exactly twice that.
        int w = 0, h = 0;
        JetSpriteSize(row, w, h);
        w = (w == 275 ? 138 : w / 2) * scale;
        h = h / 2 * scale;
        assets.push_back(
            BitmapAsset(prefix + "shadow_" + std::to_string(2600 + idOffset + row) + ".bmp",
                        MakeShadow(jets[size_t(row)], w, h)));
    }
    for (int frame = 0; frame < 8; ++frame) {
        const ExplosionFrame f = RenderExplosion(frame, scale);
        assets.push_back(
            BitmapAsset(prefix + "explosion_" + std::to_string(2500 + idOffset + frame) + ".bmp",
                        QuantiseWithMask(f.colour, f.opaque, Dither::ErrorDiffusion)));
    }
}

} // namespace

IndexedImage MakeShadow(const IndexedImage &jet, int w, int h) {
    IndexedImage s;
    s.width = w;
    s.height = h;
    s.index.assign(size_t(w) * size_t(h), uint8_t(kKeyIndex));
    s.covered.assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool any = false;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    const int jx = 2 * x + i, jy = 2 * y + j;
                    if (jx < jet.width && jy < jet.height)
                        any |= jet.covered[size_t(jy) * size_t(jet.width) + size_t(jx)] != 0;
                }
            if (any && ((x + y) & 1) == 0) {
                s.index[size_t(y) * size_t(w) + size_t(x)] = 0;
                s.covered[size_t(y) * size_t(w) + size_t(x)] = 1;
            }
        }
    return s;
}

std::vector<Asset> GenerateAll() {
    std::vector<Asset> assets;
    // Jets, their shadows and the explosion frames: the single-size set, then
    // the double-size set for screens of twice the pixel density (ids 1000
    // up), rendered at that size.
    for (int scale : {1, 2})
        AddSpriteSet(assets, scale);
    // Title card and About picture: opaque throughout.
    assets.push_back(BitmapAsset("bitmaps/splash_133.bmp",
                                 Quantise(RenderSplash(), Dither::ErrorDiffusion, 0.f)));
    assets.push_back(
        BitmapAsset("bitmaps/about_166.bmp", Quantise(RenderAbout(), Dither::ErrorDiffusion, 0.f)));
    // Icons and the cursor.
    for (int id : {128, 144, 145, 146, 147, 148, 149})
        assets.push_back(IconAsset(id));
    // The dialog's icons for screens with two or more device pixels per
    // point, and the application icon for the desktop's icon theme at each
    // size it asks for (its 64-pixel one doubles as the dialog's).
    for (int id : {144, 145, 146, 147, 148, 149})
        assets.push_back(PngIconAsset("icons/icon_" + std::to_string(id) + "_64.png", id, 64));
    for (int size : kAppIconSizes) {
        const std::string n = std::to_string(size);
        assets.push_back(
            PngIconAsset("icons/hicolor/" + n + "x" + n + "/apps/vantorix.png", 128, size));
    }
    Asset cursor;
    cursor.path = "icons/cursor_129.cur";
    cursor.bytes = EncodeInvisibleCursor();
    assets.push_back(cursor);
    // Sounds. The third fly-by is the first one's samples at half the rate.
    const std::vector<uint8_t> flyby1 = FlybySound(1);
    assets.push_back(WaveAsset("sounds/explosion_170.wav", ExplosionSound(), kExplosionRate, true));
    assets.push_back(WaveAsset("sounds/flyby_3000.wav", flyby1, kFlybyRate, false));
    assets.push_back(WaveAsset("sounds/flyby_3001.wav", FlybySound(2), kFlybyRate, false));
    assets.push_back(WaveAsset("sounds/flyby_3002.wav", flyby1, kFlybyRate / 2, false));
    return assets;
}

} // namespace artgen
