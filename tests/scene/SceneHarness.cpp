#include "SceneHarness.h"

#include "res/ResourceTable.h"
#include "tests/sound/SoundDoubles.h"

#include <algorithm>

namespace scenetest {

namespace {

constexpr std::pair<int, DWORD> kWaveRates[] = {
    {170, 11025}, {3000, 8000}, {3001, 12000}, {3002, 16000}};

// A packed 8-bit DIB over the test table.
std::vector<BYTE> MakePackedDib(SIZE size, const std::function<BYTE(int, int)> &pixel) {
    gditest::DibLayout dib;
    dib.width = size.cx, dib.height = size.cy;
    for (int i = 0; i < 256; ++i)
        dib.table.push_back(gditest::Quad(TableRgb(BYTE(i)) & 0xFFFFFF));
    dib.pixel = [&pixel](int x, int y) { return uint32_t(pixel(x, y)); };
    return gditest::PackedDib(dib);
}

} // namespace

QRgb TableRgb(BYTE index) {
    static const QRgb known[] = {qRgb(0, 0, 0),      qRgb(255, 255, 255), qRgb(0, 128, 0),
                                 qRgb(200, 30, 40),  qRgb(250, 200, 20),  qRgb(60, 40, 20),
                                 qRgb(180, 180, 190)};
    // Distinct filler colours that never equal the key.
    return index < std::size(known) ? known[index] : qRgb(index, 255 - index, index / 2 + 64);
}

SIZE JetSizeOfRow(int row) {
    return row <= 1 ? SIZE{275, 200} : row <= 3 ? SIZE{222, 222} : SIZE{200, 275};
}

SIZE ShadowSizeOfRow(int row) {
    return row <= 1 ? SIZE{138, 100} : row <= 3 ? SIZE{111, 111} : SIZE{100, 137};
}

bool InJetBody(int row, int x, int y) {
    const SIZE s = JetSizeOfRow(row);
    return x >= s.cx / 10 && x < s.cx - s.cx / 10 && y >= s.cy / 10 && y < s.cy - s.cy / 10;
}

bool InShadowDark(int row, int x, int y) {
    return InJetBody(row, 2 * x, 2 * y) && (x + y) % 2 == 0;
}

bool InExplosionDisc(int x, int y) {
    return (x - 100) * (x - 100) + (y - 100) * (y - 100) < 80 * 80;
}

TestModule::TestModule(const SceneSetup &setup) {
    auto has = [](const std::vector<int> &rows, int row) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    };
    for (int row = 0; row < 15; ++row) {
        if (!has(setup.missingJetRows, row))
            Add(RT_BITMAP, WORD(2550 + row), MakePackedDib(JetSizeOfRow(row), [row](int x, int y) {
                    return InJetBody(row, x, y) ? kJetBody : kKey;
                }));
        if (!has(setup.missingShadowRows, row))
            Add(RT_BITMAP, WORD(2600 + row),
                MakePackedDib(ShadowSizeOfRow(row), [row](int x, int y) {
                    return InShadowDark(row, x, y) ? kBlack : kKey;
                }));
    }
    for (int f = 0; f < 8; ++f) {
        const BYTE colour = f == 0 ? kShock : f == 7 ? kScorch : kFireball;
        Add(RT_BITMAP, WORD(2500 + f), MakePackedDib({200, 200}, [colour](int x, int y) {
                return InExplosionDisc(x, y) ? colour : BYTE(kKey);
            }));
    }
    for (const auto &[id, rate] : kWaveRates)
        Add("WAVE", WORD(id), wavetest::SimpleWave({1, 1, rate, 8}, wavetest::Bytes(64, 128)));
}

vxrec::VirtualSceneOptions SceneHarness::Options(const SceneSetup &setup, HINSTANCE module) {
    vxrec::VirtualSceneOptions o = setup;
    o.screen = QImage(setup.width, setup.height, QImage::Format_RGB32);
    for (int y = 0; y < setup.height; ++y)
        for (int x = 0; x < setup.width; ++x)
            o.screen.setPixel(x, y, setup.desktop(x, y));
    o.resources = setup.realResources ? VxModuleHandle(&g_vantorixResources) : module;
    return o;
}

SceneHarness::SceneHarness(const SceneSetup &setup)
    : TestModule(setup), VirtualScene(Options(setup, Handle())) {
    m_previousOutput = VxSetSoundOutput(this);
}

BOOL SceneHarness::Play(const WaveSound &sound) {
    for (const auto &[id, rate] : kWaveRates)
        if (rate == sound.format.sampleRate)
            played.push_back(id);
    return TRUE;
}

} // namespace scenetest
