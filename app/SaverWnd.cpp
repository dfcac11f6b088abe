#include "app/SaverWnd.h"

#include <algorithm>
#include <ctime>

CSaverWnd::CSaverWnd(const SceneDisplay &display) : CSceneWnd(TRUE, FALSE, display) {
    m_ptFirstMouse.x = -1;
    m_ptFirstMouse.y = -1;
}

CSaverWnd::CSaverWnd(CSaverWnd *primary, const SceneDisplay &display, unsigned int seed)
    : CSaverWnd(display) {
    // Passes of its own, and silent: the fly-bys of several monitors would
    // pile up into one noise.
    SeedGenerator(seed);
    m_nSound = 0;
    m_pPrimary = primary;
}

CSaverWnd::~CSaverWnd() = default;

void CSaverWnd::CreateFullScreen() {
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    RECT rc;
    SetRect(&rc, 0, 0, cx, cy);
    // Another monitor's window never takes the activation from the primary
    // one, which has the keyboard.
    Create(m_pPrimary ? WS_EX_TOPMOST | WS_EX_NOACTIVATE : WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, rc,
           nullptr);
}

int CSaverWnd::SceneScaleFor(const VxMonitorInfo &monitor) {
    const LONG width = monitor.rcMonitor.right - monitor.rcMonitor.left;
    return width > 0 && 2 * monitor.szPixels.cx >= 3 * width ? 2 : 1;
}

CSaverWnd *CSaverWnd::OpenOn(const VxMonitorInfo &monitor, CSaverWnd *primary) {
    VxUseMonitorAsScreen(&monitor);
    const SceneDisplay display{SceneScaleFor(monitor), {0, 0, 0, 0}};
    CSaverWnd *wnd = nullptr;
    if (primary) {
        // A seed of its own for each window opened, apart from the time
        // every scene of this second shares.
        const unsigned int n = ++primary->m_nOthersOpened;
        wnd = new CSaverWnd(primary, display, unsigned(std::time(nullptr)) ^ (0x9E3779B9u * n));
    } else {
        wnd = new CSaverWnd(display);
    }
    wnd->m_monitor = monitor;
    wnd->CreateFullScreen();
    if (primary)
        VxUseMonitorAsScreen(&primary->m_monitor);
    if (!wnd->GetSafeHwnd()) {
        delete wnd;
        return nullptr;
    }
    return wnd;
}

void CSaverWnd::CoverOtherMonitors() {
    if (m_pPrimary)
        return;
    const std::vector<VxMonitorInfo> monitors = VxEnumMonitors();
    auto connected = [&](const VxMonitorInfo &monitor) {
        return std::find(monitors.begin(), monitors.end(), monitor) != monitors.end();
    };
    // A monitor that has gone, or that the primary window covers, keeps no
    // window of its own.
    for (CSaverWnd *other : std::vector<CSaverWnd *>(m_others))
        if (!connected(other->m_monitor) || other->m_monitor == m_monitor)
            other->DestroyWindow();
    for (const VxMonitorInfo &monitor : monitors) {
        const bool covered =
            monitor == m_monitor ||
            std::any_of(m_others.begin(), m_others.end(),
                        [&](const CSaverWnd *other) { return other->m_monitor == monitor; });
        if (covered)
            continue;
        if (CSaverWnd *wnd = OpenOn(monitor, this))
            m_others.push_back(wnd);
    }
}

BOOL CSaverWnd::IsAnotherOfOurs(HWND hwnd) const {
    const CSaverWnd *primary = m_pPrimary ? m_pPrimary : this;
    if (!hwnd || hwnd == m_hWnd)
        return FALSE;
    if (primary->m_hWnd == hwnd)
        return TRUE;
    return std::any_of(primary->m_others.begin(), primary->m_others.end(),
                       [hwnd](const CSaverWnd *other) { return other->m_hWnd == hwnd; });
}

// Posted, never sent: the close handling runs later from the queue, outside
// the input handler. Every monitor's input goes to the primary window, the
// one that asks for the password.
void CSaverWnd::RequestClose() {
    (m_pPrimary ? m_pPrimary : this)->PostMessage(WM_CLOSE, 0, 0);
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
        if (m_pPrimary) {
            auto &others = m_pPrimary->m_others;
            others.erase(std::remove(others.begin(), others.end(), this), others.end());
            return Default();
        }
        // The other monitors' windows go with the primary one.
        while (!m_others.empty())
            m_others.back()->DestroyWindow();
        PostQuitMessage(0);
        return Default();
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_NCACTIVATE:
        return Default();
    case WM_ACTIVATE:
        // The activation passing to another of the saver's own windows is no
        // loss of it; another monitor's window that gets it (the platform
        // may activate whatever it shows) hands it on to the primary one,
        // which keeps the keyboard.
        if (LOWORD(wParam) == WA_INACTIVE && !IsAnotherOfOurs(reinterpret_cast<HWND>(lParam))) {
            RequestClose();
            return 0;
        }
        if (LOWORD(wParam) != WA_INACTIVE && m_pPrimary && !m_pPrimary->m_bPasswordActive)
            m_pPrimary->SetForegroundWindow();
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
    case WM_TIMER:
        // Every monitor's scene stands still while the password dialog is up.
        if (m_pPrimary && m_pPrimary->m_bPasswordActive)
            return 0;
        return CSceneWnd::WindowProc(message, wParam, lParam);
    case WM_CLOSE:
        // Whatever asks another monitor's window to close asks the primary
        // one: one password check ends them all.
        if (m_pPrimary) {
            RequestClose();
            return 0;
        }
        return CSceneWnd::WindowProc(message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        if (!m_pPrimary)
            CoverOtherMonitors();
        return 0;
    default:
        return CSceneWnd::WindowProc(message, wParam, lParam);
    }
}
