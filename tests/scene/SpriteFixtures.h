// Small, fully known sprite catalogues and sounds for the scene's tests: packed
// 8-bit DIBs in the sprites' shared colour-table layout (entry 2 is the key
// colour), wave images told apart by their sample rate, and a resource module
// holding them.
#pragma once

#include "platform/afx/Resources.h"
#include "platform/win/WinTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace scenetest {

// Colour-table entries of the test sprites.
enum : BYTE {
    kBlack = 0,
    kKey = 2,      // RGB(0, 128, 0)
    kJetBody = 3,  // the jet's opaque pixels
    kFireball = 4, // explosion frames 1..6
    kScorch = 5,   // explosion frame 7
    kShock = 6,    // explosion frame 0, never shown
};
COLORREF TableColour(BYTE index);

using PixelFn = std::function<BYTE(int x, int y)>;
// A packed DIB (info header, 256-entry table, bottom-up 8-bit rows).
std::vector<BYTE> MakePackedDib(int width, int height, const PixelFn &pixel);
// A mono 8-bit PCM wave image of `frames` samples at `rate`.
std::vector<BYTE> MakeWave(DWORD rate, int frames);

// The sample rate that identifies each test sound.
DWORD TestWaveRate(int waveId);
int WaveIdForRate(DWORD rate);

// Jet images: the row's size, an opaque body inset by a tenth of each side on
// the key colour. Shadows: half size, the same silhouette as a checkerboard of
// black and key. Explosion frames: 200 x 200, a centred disc of the frame's
// colour on the key.
struct CatalogueOptions {
    bool withJets = true;
    std::vector<int> missingJetRows;    // rows whose jet image is left out
    std::vector<int> missingShadowRows; // rows whose shadow image is left out
    bool withSounds = true;
};

class TestModule {
  public:
    explicit TestModule(const CatalogueOptions &options = {});
    HINSTANCE Handle() const { return m_handle; }

  private:
    void Add(LPCSTR type, WORD id, std::vector<BYTE> bytes);
    std::vector<std::unique_ptr<std::vector<BYTE>>> m_blobs;
    std::vector<ResourceEntry> m_entries;
    ResourceModule m_module{};
    HINSTANCE m_handle = nullptr;
};

// The sizes the catalogue rows have.
SIZE JetSizeOfRow(int row);
SIZE ShadowSizeOfRow(int row);
bool InJetBody(int row, int x, int y);    // inside the opaque body of a jet image
bool InShadowDark(int row, int x, int y); // a black pixel of the shadow image
bool InExplosionDisc(int x, int y);

} // namespace scenetest
