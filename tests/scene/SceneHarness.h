// A real scene on a virtual screen for the scene's tests, with a small, fully
// known catalogue: 8-bit sprites whose colour-table entry 2 is the key colour,
// and sounds told apart by their sample rate. Every sound start and message
// box is recorded; frames are read back from the window, work and background.
#pragma once

#include "platform/afx/Resources.h"
#include "platform/afx/SoundOutput.h"
#include "tests/TestSupport.h"
#include "tests/gdi/GdiTestKit.h"
#include "tools/recorder/VirtualScene.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scenetest {

// Colour-table entries of the test sprites.
enum : BYTE { kBlack = 0, kKey = 2, kJetBody = 3, kFireball = 4, kScorch = 5, kShock = 6 };
QRgb TableRgb(BYTE index);

// Jets: the row's size, an opaque body inset by a tenth of each side on the
// key. Shadows: half size, the body's silhouette as a checkerboard of black
// and key. Explosion frames: 200 x 200, a disc of radius 80 on the key, in
// kShock (frame 0, never shown), kFireball (1..6) or kScorch (7).
SIZE JetSizeOfRow(int row);
SIZE ShadowSizeOfRow(int row);
bool InJetBody(int row, int x, int y);
bool InShadowDark(int row, int x, int y);
bool InExplosionDisc(int x, int y);

struct SceneSetup : vxrec::VirtualSceneOptions {
    SceneSetup() { sound = 2; } // every pass heard, so that each request is observable
    std::function<QRgb(int x, int y)> desktop = [](int, int) { return qRgb(0, 0, 96); };
    bool realResources = false; // the executable's own sprites instead
    std::vector<int> missingJetRows, missingShadowRows;
};

struct TestModule : vxtest::TestResources {
    explicit TestModule(const SceneSetup &setup);
};

class SceneHarness : public ISoundOutput, private TestModule, public vxrec::VirtualScene {
  public:
    explicit SceneHarness(const SceneSetup &setup = {});
    ~SceneHarness() override { VxSetSoundOutput(m_previousOutput); }
    BOOL Play(const WaveSound &sound) override;
    void Stop() override {}
    std::vector<int> played; // every sound started, as resource ids

  private:
    static vxrec::VirtualSceneOptions Options(const SceneSetup &setup, HINSTANCE module);
    ISoundOutput *m_previousOutput = nullptr;
};

} // namespace scenetest
