// Painting of framework windows: the backing surface every window made by
// CreateEx draws into, device contexts of windows and of the screen,
// invalidation, WM_PAINT and CPaintDC, and showing what was drawn with the
// system's DIB-to-device call.
#include "platform/win32/W32Framework_p.h"

#include "platform/gdi/Gdi.h"

#include <algorithm>

namespace {

vxsys::Rect ToSys(const RECT &r) {
    return vxsys::Rect{r.left, r.top, r.right, r.bottom};
}

// Shows part of the backing surface through `dc` (a paint's), or through a
// DC of the window's own.
void Show(VxWindowImpl *impl, void *dc, const RECT &rect) {
    VxBitmapView view{};
    if (!impl->backing || !VxGetBitmapView(impl->backing, &view) || !view.pixels)
        return;
    vxsys::Pixels pixels;
    pixels.width = view.width;
    pixels.height = view.height;
    pixels.stride = view.stride;
    pixels.bitsPixel = view.bitsPixel;
    pixels.bits = view.pixels;
    // The surfaces of an 8-bit display hold system palette indices.
    RGBQUAD palette[256];
    if (view.bitsPixel == 8) {
        VxGetSystemPalette(palette);
        pixels.colors = reinterpret_cast<const uint32_t *>(palette);
    } else if (view.bitsPixel != 32) {
        return;
    }
    vxsys::Present(impl->hwnd, dc, pixels, ToSys(rect));
}

} // namespace

void VxResizeBacking(VxWindowImpl *impl, int width, int height) {
    const bool first = !impl->backing;
    impl->backing = VxResizedBacking(impl->backing, width, height);
    if (first && impl->backing && !(vxsys::Style(impl->hwnd) & WS_CHILD)) {
        // A new top-level window starts out showing the screen under it.
        const RECT screen = VxScreenRect();
        const vxsys::Rect placed = vxsys::WindowRect(impl->hwnd);
        VxCopyFromScreen(impl->backing, placed.left - screen.left, placed.top - screen.top,
                         std::max(1, width), std::max(1, height));
    }
}

void VxPresent(VxWindowImpl *impl, const RECT &rect) {
    if (!impl || impl->kind != VxWindowKind::Surface || IsRectEmpty(&rect))
        return;
    Show(impl, impl->paint ? impl->paint->dc : nullptr, rect);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (!m_impl || !m_hWnd || m_impl->kind == VxWindowKind::Desktop)
        return;
    vxsys::Rect r;
    if (rect)
        r = ToSys(*rect);
    vxsys::Invalidate(m_hWnd, rect ? &r : nullptr, erase != FALSE);
}

void CWnd::UpdateWindow() {
    if (m_impl && m_hWnd && m_impl->kind != VxWindowKind::Desktop)
        vxsys::Update(m_hWnd);
}

CDC *CWnd::GetDC() {
    VxWindowImpl *impl = m_impl.get();
    if (!impl)
        return nullptr;
    HDC dc = nullptr;
    if (impl->kind == VxWindowKind::Desktop) {
        // Taking the DC reads nothing: the screen is grabbed once per start,
        // when a blit first reads it.
        dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    } else if (impl->kind == VxWindowKind::Surface) {
        if (!impl->backing) {
            const vxsys::Rect client = vxsys::ClientRect(m_hWnd);
            VxResizeBacking(impl, client.right, client.bottom);
        }
        dc = impl->backing ? VxCreateSurfaceDC(impl->backing) : nullptr;
    }
    if (!dc)
        return nullptr;
    auto *cdc = new CDC;
    cdc->Attach(dc);
    return cdc;
}

// A paint: the system's BeginPaint (which has the background erased into
// the backing surface) and a DC of the drawing layer over the surface; at
// the end the painted area and whatever else was drawn are shown.
CPaintDC::CPaintDC(CWnd *window) : m_pWnd(window) {
    VxWindowImpl *impl = window ? window->m_impl.get() : nullptr;
    if (!impl || !window->m_hWnd || impl->kind == VxWindowKind::Desktop ||
        impl->kind == VxWindowKind::Foreign)
        return;
    auto *paint = new vxsys::PaintState;
    if (!vxsys::BeginPaint(window->m_hWnd, paint)) {
        delete paint;
        return;
    }
    impl->paint = paint;
    SetRect(&m_ps_rcPaint, paint->area.left, paint->area.top, paint->area.right,
            paint->area.bottom);
    if (impl->kind != VxWindowKind::Surface)
        return;
    if (!impl->backing) {
        const vxsys::Rect client = vxsys::ClientRect(window->m_hWnd);
        VxResizeBacking(impl, client.right, client.bottom);
    }
    if (impl->backing)
        m_hDC = VxCreateSurfaceDC(impl->backing);
}

CPaintDC::~CPaintDC() {
    VxWindowImpl *impl = m_pWnd ? m_pWnd->m_impl.get() : nullptr;
    RECT dirty{};
    const bool drawn = m_hDC && VxTakeDirtyRect(m_hDC, &dirty);
    if (m_hDC) {
        VxDeleteSurfaceDC(m_hDC);
        m_hDC = nullptr;
    }
    if (!impl || !impl->paint)
        return;
    vxsys::PaintState *paint = impl->paint;
    if (impl->kind == VxWindowKind::Surface)
        Show(impl, paint->dc, m_ps_rcPaint);
    vxsys::EndPaint(m_pWnd->m_hWnd, paint);
    impl->paint = nullptr;
    delete paint;
    // Drawing outside the painted area is shown as after any other drawing.
    const RECT &painted = m_ps_rcPaint;
    const bool inside = dirty.left >= painted.left && dirty.top >= painted.top &&
                        dirty.right <= painted.right && dirty.bottom <= painted.bottom;
    if (drawn && !inside && impl->kind == VxWindowKind::Surface)
        VxPresent(impl, dirty);
}
