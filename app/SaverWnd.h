// The saver's full-screen window: the scene over the whole screen, above
// every other window, without a pointer, asking to close on any input.
#pragma once

#include "scene/SceneWnd.h"

class CSaverWnd : public CSceneWnd {
  public:
    CSaverWnd();
    ~CSaverWnd() override;

    void CreateFullScreen();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Where the pointer was at the first mouse move; (-1, -1) until then.
    POINT m_ptFirstMouse{-1, -1};

  protected:
    void RequestClose();
    void OnMouseMove(LPARAM lParam);
};
