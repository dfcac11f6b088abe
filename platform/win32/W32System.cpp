// System services of the framework over Win32: metrics, the monitors and
// which of them is "the screen", the screen's picture, cursors, the
// drawing layer's icons as the system's, and what the screen-saver host
// interface means where the system itself is the host.
#include "platform/win32/W32Framework_p.h"

#include "platform/afx/Monitors.h"
#include "platform/afx/ScreenSaverHost.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <map>
#include <vector>

// ---- the screen ---------------------------------------------------------------------------

namespace {

struct ScreenState {
    bool chosen = false; // a monitor (or a host's size) was made the screen
    RECT rect{};
    std::vector<uint32_t> grab; // the whole desktop, once per start
    int grabWidth = 0, grabHeight = 0;
    vxsys::Rect grabArea; // where the grab lies in the system's coordinates
    HBITMAP surface = nullptr;
};
ScreenState g_screen;

RECT PrimaryRect() {
    return RECT{0, 0, vxsys::Metric(SM_CXSCREEN), vxsys::Metric(SM_CYSCREEN)};
}

// Points the drawing layer's screen surface at the screen's part of the
// grab, or leaves the screen empty (black) without one.
void PointScreenSurface() {
    if (g_screen.grab.empty()) {
        VxSetScreenSurface(nullptr);
        return;
    }
    const RECT screen = VxScreenRect();
    const int left = std::clamp<int>(screen.left - g_screen.grabArea.left, 0, g_screen.grabWidth);
    const int top = std::clamp<int>(screen.top - g_screen.grabArea.top, 0, g_screen.grabHeight);
    const int width = std::min<int>(screen.right - screen.left, g_screen.grabWidth - left);
    const int height = std::min<int>(screen.bottom - screen.top, g_screen.grabHeight - top);
    if (!g_screen.surface)
        g_screen.surface = VxCreateDisplayBitmap(0, 0);
    if (!g_screen.surface || width <= 0 || height <= 0 ||
        !VxSetBitmapPixels(g_screen.surface,
                           reinterpret_cast<BYTE *>(g_screen.grab.data() +
                                                    size_t(top) * g_screen.grabWidth + left),
                           width, height, g_screen.grabWidth * 4)) {
        VxSetScreenSurface(nullptr);
        return;
    }
    VxSetScreenSurface(g_screen.surface);
}

void TakeSnapshot() {
    g_screen.grab = vxsys::GrabScreen(&g_screen.grabWidth, &g_screen.grabHeight);
    g_screen.grabArea = vxsys::VirtualScreen();
    PointScreenSurface();
}

} // namespace

RECT VxScreenRect() {
    return g_screen.chosen ? g_screen.rect : PrimaryRect();
}

void VxRefreshScreenSurface() {
    VxReleaseScreenSurface();
    VxSetScreenProvider(&TakeSnapshot);
}

void VxReleaseScreenSurface() {
    VxSetScreenProvider(nullptr);
    VxSetScreenSurface(nullptr);
    g_screen.grab = {};
    g_screen.grabWidth = g_screen.grabHeight = 0;
}

int GetSystemMetrics(int index) {
    const RECT screen = VxScreenRect();
    switch (index) {
    case SM_CXSCREEN:
        return screen.right - screen.left;
    case SM_CYSCREEN:
        return screen.bottom - screen.top;
    default:
        return vxsys::Metric(index);
    }
}

bool operator==(const VxMonitorInfo &a, const VxMonitorInfo &b) {
    return a.rcMonitor.left == b.rcMonitor.left && a.rcMonitor.top == b.rcMonitor.top &&
           a.rcMonitor.right == b.rcMonitor.right && a.rcMonitor.bottom == b.rcMonitor.bottom &&
           a.szPixels.cx == b.szPixels.cx && a.szPixels.cy == b.szPixels.cy;
}

// The process works in device pixels (it says so at start), so a monitor's
// rectangle and its pixels are the same size. The system tells top-level
// windows of monitors that come, go or change with WM_DISPLAYCHANGE itself.
std::vector<VxMonitorInfo> VxEnumMonitors() {
    std::vector<VxMonitorInfo> monitors;
    for (const vxsys::Monitor &m : vxsys::Monitors()) {
        VxMonitorInfo info;
        info.rcMonitor = RECT{m.rect.left, m.rect.top, m.rect.right, m.rect.bottom};
        info.szPixels = SIZE{m.rect.right - m.rect.left, m.rect.bottom - m.rect.top};
        info.bPrimary = m.primary ? TRUE : FALSE;
        if (std::find(monitors.begin(), monitors.end(), info) == monitors.end())
            monitors.push_back(info);
    }
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const VxMonitorInfo &m) { return m.bPrimary != FALSE; });
    if (monitors.empty()) {
        VxMonitorInfo only;
        only.rcMonitor = PrimaryRect();
        only.szPixels = SIZE{only.rcMonitor.right, only.rcMonitor.bottom};
        only.bPrimary = TRUE;
        monitors.push_back(only);
    }
    return monitors;
}

void VxUseMonitorAsScreen(const VxMonitorInfo *monitor) {
    g_screen.chosen = monitor != nullptr;
    if (monitor)
        g_screen.rect = monitor->rcMonitor;
    if (!g_screen.grab.empty())
        PointScreenSurface();
}

// ---- where the system is the host -------------------------------------------------------------
// The system starts, embeds and ends screen savers itself (/s, /p); the
// hosts of the X11 desktop that hand a window to draw in do not exist here.

HWND VxRootWindow() {
    return nullptr;
}

BOOL VxScreenPixelSize(SIZE *size) {
    if (!size)
        return FALSE;
    const RECT primary = PrimaryRect();
    *size = SIZE{primary.right, primary.bottom};
    return TRUE;
}

void VxUseHostScreen(SIZE size, HWND) {
    g_screen.chosen = true;
    g_screen.rect = RECT{0, 0, size.cx, size.cy};
    VxReleaseScreenSurface(); // no desktop picture of a host's: black
}

BOOL VxSetDrawingSize(HWND, SIZE) {
    return FALSE; // windows are always drawn at their own size
}

void VxMakePassive(HWND hwnd) {
    constexpr DWORD kTransparent = 0x00000020; // WS_EX_TRANSPARENT
    if (!hwnd)
        return;
    vxsys::SetExStyle(hwnd, vxsys::ExStyle(hwnd) | kTransparent | WS_EX_NOACTIVATE);
    vxsys::Enable(hwnd, false);
}

void VxQuitOnTerminationSignals() {
    // A window program is ended through its windows (WM_CLOSE, WM_ENDSESSION)
    // or the quit message, which the message loop handles already.
}

// ---- icons and cursors
// -----------------------------------------------------------------------------

namespace {

void *Convert(HICON icon, bool isIcon) {
    static std::map<HICON, void *> made; // kept for the process's life
    if (auto it = made.find(icon); it != made.end())
        return it->second;
    int width = 0, height = 0, hotX = 0, hotY = 0;
    ICONINFO info{};
    if (GetIconInfo(icon, &info)) {
        hotX = int(info.xHotspot);
        hotY = int(info.yHotspot);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
    const std::vector<uint32_t> pixels = VxIconArgb(icon, &width, &height);
    void *system = pixels.empty()
                       ? nullptr
                       : vxsys::MakeIcon(isIcon, hotX, hotY, width, height, pixels.data());
    made[icon] = system;
    return system;
}

HCURSOR g_currentCursor = nullptr;

} // namespace

void *VxSystemIcon(HICON icon) {
    return icon ? Convert(icon, true) : nullptr;
}

void *VxSystemCursor(HCURSOR cursor) {
    if (!cursor)
        return nullptr;
    if (cursor == VxArrowCursor())
        return vxsys::ArrowCursor();
    return Convert(cursor, false);
}

HCURSOR SetCursor(HCURSOR cursor) {
    const HCURSOR previous = g_currentCursor;
    g_currentCursor = cursor;
    vxsys::SetCursor(VxSystemCursor(cursor));
    return previous;
}
