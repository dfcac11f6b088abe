// The saver's scene on a virtual screen, driven tick by tick without a real
// display: the scene is built as the saver builds it (catalogue, then
// background), its window is made full screen (or at a given size), and the
// frames are read back from the window's surface. Used by the recorder, the
// golden-frame tests, the scene's tests and its benchmark.
#pragma once

#include "scene/SceneWnd.h"

#include <QImage>

#include <memory>

class IScreenService;
class VxVirtualScreen;

namespace vxrec {

struct VirtualSceneOptions {
    int width = 1024, height = 768; // the virtual screen
    int depth = 32;                 // 8: the emulated palette display
    unsigned seed = 1;
    int scale = 1;               // 2: the double-size art and distances
    RECT screenArea{0, 0, 0, 0}; // the scene's part of the screen; empty: all of it
    int reliability = 10;
    int sound = 0;
    int clearScreen = 0;
    int wallpaper = 0;
    // The screen's contents before the saver starts; null: black.
    QImage screen;
    HINSTANCE resources = nullptr; // null: the current resource module
    bool load = true;              // false: the preview's scene, which loads nothing
    RECT windowRect{0, 0, -1, -1}; // right -1: the whole screen
    bool resetProcessState = true; // false: a second scene in the same process
};

// A scene that reports every pause-timer message it receives.
class ObservedScene : public CSceneWnd {
  public:
    ObservedScene() : CSceneWnd(FALSE, TRUE) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int pauseMessages = 0;
};

class VirtualScene {
  public:
    explicit VirtualScene(const VirtualSceneOptions &options);
    ~VirtualScene();
    VirtualScene(const VirtualScene &) = delete;
    VirtualScene &operator=(const VirtualScene &) = delete;

    ObservedScene *scene() const { return m_scene; }
    void Tick() { m_scene->Tick(); }
    // What the window side does when the pause timer fires.
    void FirePauseTimer();
    // One timer period of the running saver: the pause timer's message when a
    // pass has ended, a tick otherwise. Returns true when a tick ran.
    bool Step();

    QImage WindowImage() const;     // what the window shows
    QImage WorkImage() const;       // the last composed frame
    QImage BackgroundImage() const; // the background with its scorch marks

  private:
    std::unique_ptr<VxVirtualScreen> m_screen;
    IScreenService *m_previousScreen = nullptr;
    ObservedScene *m_scene = nullptr;
    HINSTANCE m_previousModule = nullptr;
};

// A desktop with a few windows on it, drawn the same way every time: the
// stand-in for the screen in golden frames and pictures.
QImage SyntheticDesktop(QSize size);

// Makes sure a toolkit application exists (offscreen when no platform was
// chosen), for tools and tests that start without one.
void EnsureApplication();

} // namespace vxrec
