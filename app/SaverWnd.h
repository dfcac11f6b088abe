// The saver's full-screen windows: on the primary monitor the scene over the
// whole screen, above every other window, without a pointer, asking to close
// on any input; on every other monitor a window of its own with its own
// passes and no sound, whose input asks the primary window to close.
#pragma once

#include "platform/afx/Monitors.h"
#include "scene/SceneWnd.h"

#include <vector>

class CSaverWnd : public CSceneWnd {
  public:
    explicit CSaverWnd(const SceneDisplay &display = {});
    // Another monitor's window next to `primary`: its generator seeded with
    // `seed`, its sound off.
    CSaverWnd(CSaverWnd *primary, const SceneDisplay &display, unsigned int seed);
    ~CSaverWnd() override;

    void CreateFullScreen();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Makes `monitor` the screen and opens a saver window over it, in its
    // device pixels: the primary window when `primary` is null, else one of
    // its other monitors' windows (after which the primary window's monitor
    // is the screen again). Null when no window could be made.
    static CSaverWnd *OpenOn(const VxMonitorInfo &monitor, CSaverWnd *primary);
    // The primary window: a window on every other monitor connected now, and
    // none left on a monitor that has gone.
    void CoverOtherMonitors();
    // The scene's scale on a monitor: 2 from 1.5 device pixels per
    // device-independent pixel, else 1.
    static int SceneScaleFor(const VxMonitorInfo &monitor);

    // Where the pointer was at the first mouse move; (-1, -1) until then.
    POINT m_ptFirstMouse{-1, -1};
    VxMonitorInfo m_monitor;           // the monitor the window covers
    CSaverWnd *m_pPrimary = nullptr;   // another monitor's window: the primary one
    std::vector<CSaverWnd *> m_others; // the primary window: the other monitors' windows
    unsigned int m_nOthersOpened = 0;  // the primary window: for their seeds

  protected:
    void RequestClose();
    void OnMouseMove(LPARAM lParam);
    BOOL IsAnotherOfOurs(HWND hwnd) const;
};
