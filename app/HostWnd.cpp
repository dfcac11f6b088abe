#include "app/HostWnd.h"

#include "platform/afx/MessageBox.h"
#include "platform/afx/ScreenSaverHost.h"
#include "settings/SaverSettings.h"

#include <algorithm>
#include <cmath>

CHostWnd::CHostWnd() : CSceneWnd(TRUE, FALSE) {}

CHostWnd::~CHostWnd() = default;

SIZE CHostWnd::DrawingSize(SIZE shown, SIZE screen) {
    if (shown.cx <= 0 || shown.cy <= 0 || screen.cx <= 0 || screen.cy <= 0)
        return shown;
    // A window that fills most of the screen is the scene's screen itself.
    // In a much smaller one the scene keeps the window's shape at about the
    // screen's size, so the pane shows a miniature of the real thing rather
    // than a few huge jets.
    const double scale =
        std::min(double(screen.cx) / double(shown.cx), double(screen.cy) / double(shown.cy));
    if (scale < 1.25)
        return shown;
    return SIZE{LONG(std::lround(shown.cx * scale)), LONG(std::lround(shown.cy * scale))};
}

CHostWnd *CHostWnd::StartIn(CWnd *host) {
    RECT rc{};
    host->GetClientRect(&rc);
    const SIZE shown{rc.right - rc.left, rc.bottom - rc.top};
    if (shown.cx <= 0 || shown.cy <= 0)
        return nullptr;
    SIZE screen{};
    if (!VxScreenPixelSize(&screen))
        screen = shown;
    const SIZE drawing = DrawingSize(shown, screen);
    const bool scaled = drawing.cx != shown.cx || drawing.cy != shown.cy;

    // The scene's screen is the host's window. Over a snapshot it shows the
    // desktop picture XScreenSaver keeps for its hacks (the real screen is
    // covered by the host by now), or black.
    SaverSettings settings;
    settings.Load(AfxGetApp());
    SaverRunOverrides().ApplyTo(&settings);
    VxUseHostScreen(drawing, settings.ClearScreen == 0 ? host->GetSafeHwnd() : nullptr);

    auto *wnd = new CHostWnd;
    wnd->m_szShown = shown;
    RECT rcDrawing;
    SetRect(&rcDrawing, 0, 0, drawing.cx, drawing.cy);
    if (!wnd->Create(0, WS_CHILD, rcDrawing, host)) {
        delete wnd;
        return nullptr;
    }
    if (scaled)
        VxSetDrawingSize(wnd->GetSafeHwnd(), drawing);
    VxMakePassive(wnd->GetSafeHwnd());
    wnd->SetWindowPos(nullptr, 0, 0, shown.cx, shown.cy, 0);
    wnd->ShowWindow(SW_SHOW);
    return wnd;
}

void CHostWnd::RestartForNewSize() {
    CWnd *host = GetParent();
    CHostWnd *next = host ? StartIn(host) : nullptr;
    if (!next)
        return; // this scene goes on at its old size
    if (CWinApp *app = AfxGetApp(); app && app->m_pMainWnd == this) {
        app->m_pMainWnd = next;
        VxSetMainWindowHandle(next->GetSafeHwnd());
    }
    DestroyWindow(); // the object is gone after this
}

LRESULT CHostWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // The scene's screen has a fixed size: a new host size gets a new
        // scene once the resizing has settled.
        if (LOWORD(lParam) != m_szShown.cx || HIWORD(lParam) != m_szShown.cy)
            SetTimer(kResizeTimer, kResizeSettleMs, nullptr);
        else
            KillTimer(kResizeTimer);
        return Default();
    case WM_TIMER:
        if (wParam == kResizeTimer) {
            KillTimer(kResizeTimer);
            RestartForNewSize();
            return 0;
        }
        return CSceneWnd::WindowProc(message, wParam, lParam);
    case WM_CLOSE:
        // The host locks the screen; this window never asks for a password.
        DestroyWindow();
        return 0;
    default:
        return CSceneWnd::WindowProc(message, wParam, lParam);
    }
}
