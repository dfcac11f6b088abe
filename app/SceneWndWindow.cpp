// The scene window's window side: creation, the two timers, painting the
// preview icon, palette messages, system commands, the cursor and the close
// request with its password check.
#include "app/Password.h"
#include "scene/SceneWnd.h"

#include "platform/afx/Resources.h"

namespace {
constexpr WORD kCursorInvisible = 129;
constexpr WORD kIconApp = 128;
} // namespace

BOOL CSceneWnd::Create(DWORD exStyle, DWORD style, const RECT &rect, CWnd *parent) {
    if (!s_pszClassName) {
        // No background brush: until the scene draws, the window shows what
        // the screen showed before it.
        s_pszClassName = AfxRegisterWndClass(
            CS_HREDRAW | CS_VREDRAW,
            LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kCursorInvisible)), nullptr,
            nullptr);
    }
    return CreateEx(exStyle, s_pszClassName, "", style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->GetSafeHwnd() : nullptr);
}

UINT CSceneWnd::TickPeriodMs(int speed) {
    // 250 - 20 * speed for the dialog's 1..10; a stored value outside that
    // range runs at the nearer end instead of at a zero or negative period.
    if (speed < 1)
        speed = 1;
    if (speed > 10)
        speed = 10;
    return UINT(250 - 20 * speed);
}

void CSceneWnd::SetTickTimer(int speed) {
    KillTimer(kTickTimer);
    SetTimer(kTickTimer, TickPeriodMs(speed), nullptr);
}

void CSceneWnd::SetTopmost(BOOL topmost) {
    SetWindowPos(topmost ? &wndTopMost : &wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    InvalidateRect(nullptr, TRUE);
    UpdateWindow();
}

void CSceneWnd::DrawIdleIcon() {
    RECT rc;
    GetClientRect(&rc);
    const int x = (rc.left + rc.right) / 2 - 16;
    const int y = (rc.top + rc.bottom) / 2 - 16;
    HICON icon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kIconApp),
                                               IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (!icon)
        return;
    CDC *dc = GetDC();
    if (dc) {
        DrawIconEx(dc->GetSafeHdc(), x, y, icon, 32, 32, 0, nullptr, DI_NORMAL);
        ReleaseDC(dc);
    }
    // Each paint loads its own copy of the icon; it goes right after use.
    DestroyIcon(icon);
}

LRESULT CSceneWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        OnTimer(UINT_PTR(wParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        return Default();
    case WM_CREATE:
        return OnCreate();
    case WM_PALETTECHANGED:
        return 0;
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette();
    case WM_SYSCOMMAND:
        OnSysCommand(UINT(wParam), lParam);
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CSceneWnd::OnTimer(UINT_PTR id) {
    // The scene stands still while the password dialog is open.
    if (m_bPasswordActive)
        return;
    if (id == kPauseTimer) {
        KillTimer(kPauseTimer);
        PlayEffect(0, FALSE);
        SpawnPass();
        m_bBetweenPasses = FALSE;
        return;
    }
    Tick();
}

void CSceneWnd::OnPaint() {
    CPaintDC paint(this);
    MeasureClient();
    if (m_bIconMode) {
        CDC *dc = GetDC();
        if (dc) {
            RECT rc;
            GetClientRect(&rc);
            CBrush black(RGB(0, 0, 0));
            dc->FillRect(&rc, &black);
            ReleaseDC(dc);
        }
        DrawIdleIcon();
        m_bIconShown = TRUE;
    }
    // Otherwise nothing: frames are drawn by the tick only.
}

int CSceneWnd::OnCreate() {
    if (Default() == -1)
        return -1;
    SetTickTimer(m_nSpeed);
    return 0;
}

BOOL CSceneWnd::OnQueryNewPalette() {
    if (!m_pScenePalette)
        return BOOL(Default());
    CDC *dc = GetDC();
    if (!dc)
        return FALSE;
    CPalette *previous = dc->SelectPalette(m_pScenePalette, FALSE);
    dc->RealizePalette();
    if (previous)
        dc->SelectPalette(previous, FALSE);
    ReleaseDC(dc);
    return TRUE;
}

void CSceneWnd::OnSysCommand(UINT command, LPARAM) {
    // Every system command is consumed; the monitor going off silences the
    // saver for the rest of its run.
    if (command == SC_MONITORPOWER) {
        PlayEffect(0, FALSE);
        m_bMonitorOff = TRUE;
    }
}

BOOL CSceneWnd::OnSetCursor() {
    if (m_bIconShown || m_bPasswordActive) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return TRUE;
    }
    return BOOL(Default());
}

void CSceneWnd::OnClose() {
    if (m_bPasswordActive)
        return; // a request that arrives while the password dialog is open
    if (m_bIconMode) {
        CWnd::OnClose();
        return;
    }
    m_bPasswordActive = TRUE;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SetTopmost(FALSE);

    if (VerifySaverPassword(GetSafeHwnd())) {
        CWnd::OnClose(); // the object is gone after this
        return;
    }
    SetTopmost(TRUE);
    m_bPasswordActive = FALSE;
}

void CSceneWnd::PostNcDestroy() {
    if (m_bAutoDelete)
        delete this;
}
