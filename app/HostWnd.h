// The scene inside a window that a screen-saver host hands over (XScreenSaver's
// saver window or its settings program's preview pane, a screen locker's
// window): a child covering the host's window, without the title card, the
// colour test, the password or any input rule. The host owns input and
// unlocking; it ends the run by a signal or by destroying its window.
#pragma once

#include "scene/SceneWnd.h"

class CHostWnd : public CSceneWnd {
  public:
    CHostWnd();
    ~CHostWnd() override;

    // Makes a scene whose screen is the host window's client area and shows
    // it there; null when no window could be made. A window much smaller than
    // the screen (a preview pane) gets a scene of about the screen's size,
    // shown scaled down.
    static CHostWnd *StartIn(CWnd *host);

    // The size the scene is drawn at for a host window of `shown` pixels on a
    // screen of `screen` pixels.
    static SIZE DrawingSize(SIZE shown, SIZE screen);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // A size change is followed once the host has stopped resizing.
    static constexpr UINT_PTR kResizeTimer = 3;
    static constexpr UINT kResizeSettleMs = 300;

  protected:
    void RestartForNewSize();

    SIZE m_szShown{}; // the host's client size the scene was made for
};
