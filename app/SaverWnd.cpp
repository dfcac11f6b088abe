#include "app/SaverWnd.h"

CSaverWnd::CSaverWnd() : CSceneWnd(TRUE, FALSE) {
    m_ptFirstMouse.x = -1;
    m_ptFirstMouse.y = -1;
}

CSaverWnd::~CSaverWnd() = default;

void CSaverWnd::CreateFullScreen() {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT rc;
    SetRect(&rc, 0, 0, cx, cy);
    Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, rc, nullptr);
}

// Posted, never sent: the close handling runs later from the queue, outside
// the input handler.
void CSaverWnd::RequestClose() {
    PostMessage(WM_CLOSE, 0, 0);
}

void CSaverWnd::OnMouseMove(LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (m_ptFirstMouse.x == -1 && m_ptFirstMouse.y == -1)
        m_ptFirstMouse = pt; // the window learns where the pointer rests
    else if (pt.x != m_ptFirstMouse.x || pt.y != m_ptFirstMouse.y)
        RequestClose();
}

LRESULT CSaverWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND: {
        const UINT command = UINT(wParam);
        if (command == SC_SCREENSAVE || command == SC_CLOSE || command == SC_TASKLIST)
            return 0;
        return CSceneWnd::WindowProc(message, wParam, lParam);
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return Default();
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_NCACTIVATE:
        return Default();
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            RequestClose();
            return 0;
        }
        return Default();
    case WM_ACTIVATEAPP:
        if (!wParam) {
            RequestClose();
            return 0;
        }
        return Default();
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return Default();
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        RequestClose();
        return Default();
    default:
        return CSceneWnd::WindowProc(message, wParam, lParam);
    }
}
