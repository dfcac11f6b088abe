// A real scene on a virtual screen for the scene's tests: the catalogue comes
// from a test module (or the executable's own resources), every sound request
// and message box is recorded, and frames are read back from the window's
// surface, the work surface and the background surface.
#pragma once

#include "SpriteFixtures.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/SoundOutput.h"
#include "tools/recorder/VirtualScene.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scenetest {

struct SceneSetup {
    int width = 1024, height = 768; // the virtual screen
    int depth = 32;                 // 8: the emulated palette display
    unsigned seed = 1;
    int reliability = 10;
    int sound = 2; // every pass heard, so that each request is observable
    int clearScreen = 0;
    int wallpaper = 0;
    // The screen's contents before the saver starts.
    std::function<QRgb(int x, int y)> screen = [](int, int) { return qRgb(0, 0, 96); };
    CatalogueOptions catalogue;
    bool realResources = false;    // the executable's own sprites instead
    bool load = true;              // false: the preview's scene, which loads nothing
    RECT windowRect{0, 0, -1, -1}; // right -1: the whole screen
    bool resetProcessState = true; // false: a second scene in the same process
};

// Every sound start reaching the output, as resource ids, and the stops.
class SoundLog : public ISoundOutput {
  public:
    BOOL Play(const WaveSound &sound) override;
    void Stop() override { ++stops; }
    std::vector<int> played;
    int stops = 0;
};

// Every message box shown while it lives.
class MessageBoxLog : public IMessageBoxService {
  public:
    MessageBoxLog() { m_previous = VxSetMessageBoxService(this); }
    ~MessageBoxLog() override { VxSetMessageBoxService(m_previous); }
    int Show(HWND, const char *text, const char *, UINT) override {
        texts.push_back(text);
        return IDOK;
    }
    std::vector<std::string> texts;

  private:
    IMessageBoxService *m_previous;
};

class SceneHarness {
  public:
    explicit SceneHarness(const SceneSetup &setup);
    ~SceneHarness();
    SceneHarness(const SceneHarness &) = delete;
    SceneHarness &operator=(const SceneHarness &) = delete;

    CSceneWnd *scene() const { return m_virtual->scene(); }
    void Tick() { m_virtual->Tick(); }
    void FirePauseTimer() { m_virtual->FirePauseTimer(); }
    bool Step() { return m_virtual->Step(); }
    int PauseMessages() const { return m_virtual->scene()->pauseMessages; }

    QImage WindowImage() const { return m_virtual->WindowImage(); }
    QImage WorkImage() const { return m_virtual->WorkImage(); }
    QImage BackgroundImage() const { return m_virtual->BackgroundImage(); }

    SoundLog sounds;

  private:
    std::unique_ptr<TestModule> m_module;
    ISoundOutput *m_previousOutput = nullptr;
    std::unique_ptr<vxrec::VirtualScene> m_virtual;
};

} // namespace scenetest
