#include "SceneHarness.h"

#include "res/ResourceTable.h"

namespace scenetest {

BOOL SoundLog::Play(const WaveSound &sound) {
    played.push_back(WaveIdForRate(sound.format.sampleRate));
    return TRUE;
}

SceneHarness::SceneHarness(const SceneSetup &setup) {
    vxrec::EnsureApplication();
    m_previousOutput = VxSetSoundOutput(&sounds);

    vxrec::VirtualSceneOptions o;
    o.width = setup.width;
    o.height = setup.height;
    o.depth = setup.depth;
    o.seed = setup.seed;
    o.reliability = setup.reliability;
    o.sound = setup.sound;
    o.clearScreen = setup.clearScreen;
    o.wallpaper = setup.wallpaper;
    o.load = setup.load;
    o.windowRect = setup.windowRect;
    o.resetProcessState = setup.resetProcessState;
    QImage screen(setup.width, setup.height, QImage::Format_RGB32);
    for (int y = 0; y < setup.height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(screen.scanLine(y));
        for (int x = 0; x < setup.width; ++x)
            row[x] = setup.screen(x, y);
    }
    o.screen = screen;
    if (setup.realResources) {
        o.resources = VxModuleHandle(&g_vantorixResources);
    } else {
        m_module = std::make_unique<TestModule>(setup.catalogue);
        o.resources = m_module->Handle();
    }
    m_virtual = std::make_unique<vxrec::VirtualScene>(o);
}

SceneHarness::~SceneHarness() {
    m_virtual.reset();
    VxSetSoundOutput(m_previousOutput);
}

} // namespace scenetest
