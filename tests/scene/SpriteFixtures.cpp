#include "SpriteFixtures.h"

#include <cstring>

namespace scenetest {

COLORREF TableColour(BYTE index) {
    switch (index) {
    case kBlack:
        return RGB(0, 0, 0);
    case 1:
        return RGB(255, 255, 255);
    case kKey:
        return RGB(0, 128, 0);
    case kJetBody:
        return RGB(200, 30, 40);
    case kFireball:
        return RGB(250, 200, 20);
    case kScorch:
        return RGB(60, 40, 20);
    case kShock:
        return RGB(180, 180, 190);
    default:
        // Distinct filler colours that never equal the key.
        return RGB(BYTE(index), BYTE(255 - index), BYTE(index / 2 + 64));
    }
}

namespace {
void Put16(std::vector<BYTE> &b, size_t at, WORD v) {
    std::memcpy(&b[at], &v, 2);
}
void Put32(std::vector<BYTE> &b, size_t at, DWORD v) {
    std::memcpy(&b[at], &v, 4);
}
} // namespace

std::vector<BYTE> MakePackedDib(int width, int height, const PixelFn &pixel) {
    const int stride = (width + 3) & ~3;
    std::vector<BYTE> dib(40 + 256 * 4 + size_t(stride) * height, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    std::memcpy(dib.data(), &h, sizeof h);
    for (int i = 0; i < 256; ++i) {
        const COLORREF c = TableColour(BYTE(i));
        BYTE *q = &dib[40 + i * 4];
        q[0] = GetBValue(c);
        q[1] = GetGValue(c);
        q[2] = GetRValue(c);
    }
    BYTE *bits = &dib[40 + 256 * 4];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bits[size_t(height - 1 - y) * stride + x] = pixel(x, y);
    return dib;
}

std::vector<BYTE> MakeWave(DWORD rate, int frames) {
    std::vector<BYTE> w(44 + frames);
    std::memcpy(&w[0], "RIFF", 4);
    Put32(w, 4, DWORD(36 + frames));
    std::memcpy(&w[8], "WAVEfmt ", 8);
    Put32(w, 16, 16);
    Put16(w, 20, 1); // PCM
    Put16(w, 22, 1); // mono
    Put32(w, 24, rate);
    Put32(w, 28, rate);
    Put16(w, 32, 1);
    Put16(w, 34, 8);
    std::memcpy(&w[36], "data", 4);
    Put32(w, 40, DWORD(frames));
    for (int i = 0; i < frames; ++i)
        w[44 + i] = BYTE(128 + ((i / 8) % 2 ? 40 : -40));
    return w;
}

DWORD TestWaveRate(int waveId) {
    switch (waveId) {
    case 170:
        return 11025;
    case 3000:
        return 8000;
    case 3001:
        return 12000;
    case 3002:
        return 16000;
    default:
        return 0;
    }
}

int WaveIdForRate(DWORD rate) {
    for (int id : {170, 3000, 3001, 3002})
        if (TestWaveRate(id) == rate)
            return id;
    return -1;
}

SIZE JetSizeOfRow(int row) {
    if (row <= 1)
        return {275, 200};
    if (row <= 3)
        return {222, 222};
    return {200, 275};
}

SIZE ShadowSizeOfRow(int row) {
    if (row <= 1)
        return {138, 100};
    if (row <= 3)
        return {111, 111};
    return {100, 137};
}

bool InJetBody(int row, int x, int y) {
    const SIZE s = JetSizeOfRow(row);
    return x >= s.cx / 10 && x < s.cx - s.cx / 10 && y >= s.cy / 10 && y < s.cy - s.cy / 10;
}

bool InShadowDark(int row, int x, int y) {
    // The shadow is the silhouette at half size, drawn as a checkerboard.
    return InJetBody(row, 2 * x, 2 * y) && (x + y) % 2 == 0;
}

bool InExplosionDisc(int x, int y) {
    const int dx = x - 100, dy = y - 100;
    return dx * dx + dy * dy < 80 * 80;
}

TestModule::TestModule(const CatalogueOptions &options) {
    auto missing = [](const std::vector<int> &rows, int row) {
        for (int r : rows)
            if (r == row)
                return true;
        return false;
    };
    if (options.withJets) {
        for (int row = 0; row < 15; ++row) {
            const SIZE s = JetSizeOfRow(row);
            if (!missing(options.missingJetRows, row))
                Add(RT_BITMAP, WORD(2550 + row), MakePackedDib(s.cx, s.cy, [row](int x, int y) {
                        return InJetBody(row, x, y) ? BYTE(kJetBody) : BYTE(kKey);
                    }));
            if (!missing(options.missingShadowRows, row))
                Add(RT_BITMAP, WORD(2600 + row),
                    MakePackedDib(ShadowSizeOfRow(row).cx, ShadowSizeOfRow(row).cy,
                                  [row](int x, int y) {
                                      return InShadowDark(row, x, y) ? BYTE(kBlack) : BYTE(kKey);
                                  }));
        }
        for (int f = 0; f < 8; ++f) {
            const BYTE colour = f == 0 ? kShock : f == 7 ? kScorch : kFireball;
            Add(RT_BITMAP, WORD(2500 + f), MakePackedDib(200, 200, [colour](int x, int y) {
                    return InExplosionDisc(x, y) ? colour : BYTE(kKey);
                }));
        }
    }
    if (options.withSounds)
        for (int id : {170, 3000, 3001, 3002})
            Add("WAVE", WORD(id), MakeWave(TestWaveRate(id), 64));
    m_module.entries = m_entries.data();
    m_module.count = m_entries.size();
    m_handle = VxModuleHandle(&m_module);
}

void TestModule::Add(LPCSTR type, WORD id, std::vector<BYTE> bytes) {
    m_blobs.push_back(std::make_unique<std::vector<BYTE>>(std::move(bytes)));
    m_entries.push_back({type, id, m_blobs.back()->data(), DWORD(m_blobs.back()->size())});
}

} // namespace scenetest
