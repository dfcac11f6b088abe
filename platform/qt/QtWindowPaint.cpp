// Painting of framework windows: the backing surface every window made by
// CreateEx draws into, device contexts of windows and of the screen,
// invalidation, WM_PAINT and CPaintDC, and presenting what was drawn.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"

#include <algorithm>

namespace {
HBITMAP MakeBacking(int width, int height) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = display
                         ? CreateCompatibleBitmap(display, std::max(1, width), std::max(1, height))
                         : nullptr;
    if (display)
        DeleteDC(display);
    return bitmap;
}
} // namespace

// Copies what the screen shows at `origin` into a new backing surface: a
// window without a background brush starts out showing what was under it.
void VxCopyFromScreen(HBITMAP backing, QPoint origin, QSize size) {
    if (!VxGetScreenSurface())
        return;
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HDC target = VxCreateSurfaceDC(backing);
    if (screen && target)
        BitBlt(target, 0, 0, size.width(), size.height(), screen, origin.x(), origin.y(), SRCCOPY);
    if (target)
        VxDeleteSurfaceDC(target);
    if (screen)
        DeleteDC(screen);
}

void VxResizeBacking(VxWindowImpl *impl, QSize size) {
    VxBitmapView view{};
    const int width = std::max(1, size.width()), height = std::max(1, size.height());
    if (impl->backing && VxGetBitmapView(impl->backing, &view) && view.width == width &&
        view.height == height)
        return;
    HBITMAP fresh = MakeBacking(width, height);
    if (!fresh)
        return;
    if (impl->backing) {
        HDC from = VxCreateSurfaceDC(impl->backing);
        HDC to = VxCreateSurfaceDC(fresh);
        if (from && to)
            BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
        if (to) {
            RECT ignored;
            VxTakeDirtyRect(to, &ignored);
            VxDeleteSurfaceDC(to);
        }
        if (from)
            VxDeleteSurfaceDC(from);
        DeleteObject(impl->backing);
    }
    impl->backing = fresh;
}

QImage VxBackingImage(HBITMAP backing) {
    VxBitmapView view{};
    if (!backing || !VxGetBitmapView(backing, &view) || !view.pixels)
        return {};
    if (view.bitsPixel == 32)
        return QImage(view.pixels, view.width, view.height, view.stride, QImage::Format_RGB32);
    return VxBitmapToImage(backing);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    VxWindowImpl *impl = m_impl.get();
    if (!impl || !impl->widget())
        return;
    QWidget *w = impl->widget();
    const QRect area =
        rect ? QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1))
             : w->rect();
    impl->invalid += area.intersected(w->rect());
    if (erase)
        impl->eraseBackground = true;
    w->update(area);
}

void CWnd::UpdateWindow() {
    VxPaintIfInvalid(this);
}

CDC *CWnd::GetDC() {
    VxWindowImpl *impl = m_impl.get();
    if (!impl)
        return nullptr;
    HDC dc = nullptr;
    if (impl->kind == VxWindowKind::Desktop) {
        VxRefreshScreenSurface();
        dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    } else {
        if (!impl->backing) {
            const QWidget *w = impl->widget();
            VxResizeBacking(impl, w ? w->size() : QSize(1, 1));
        }
        dc = impl->backing ? VxCreateSurfaceDC(impl->backing) : nullptr;
    }
    if (!dc)
        return nullptr;
    auto *cdc = new CDC;
    cdc->Attach(dc);
    return cdc;
}

int CWnd::ReleaseDC(CDC *dc) {
    if (!dc)
        return 0;
    const int released = ::ReleaseDC(m_hWnd, dc->Detach());
    delete dc;
    return released;
}

void CWnd::OnPaint() {
    CPaintDC dc(this); // validates
}

HDC GetDC(HWND hwnd) {
    CWnd *wnd = hwnd ? VxLookupHandle(hwnd) : CWnd::GetDesktopWindow();
    if (!wnd)
        return nullptr;
    CDC *dc = wnd->GetDC();
    if (!dc)
        return nullptr;
    HDC handle = dc->Detach();
    delete dc;
    return handle;
}

int ReleaseDC(HWND hwnd, HDC dc) {
    if (!dc)
        return 0;
    CWnd *wnd = hwnd ? VxLookupHandle(hwnd) : CWnd::GetDesktopWindow();
    if (!wnd || !wnd->m_impl || wnd->m_impl->kind == VxWindowKind::Desktop) {
        DeleteDC(dc);
        return 1;
    }
    RECT dirty;
    if (VxTakeDirtyRect(dc, &dirty))
        VxPresent(wnd->m_impl.get(), dirty);
    VxDeleteSurfaceDC(dc);
    return 1;
}

// ---- painting ---------------------------------------------------------------------------------
void VxPresent(VxWindowImpl *impl, const RECT &rect) {
    if (!impl || impl->kind != VxWindowKind::Surface || IsRectEmpty(&rect))
        return;
    if (QWidget *w = impl->widget())
        w->update(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)));
}

void VxPaintIfInvalid(CWnd *wnd) {
    if (!wnd || !wnd->m_impl || wnd->m_impl->invalid.isEmpty() || wnd->m_impl->destroying)
        return;
    const HWND self = wnd->m_hWnd;
    VxDispatch(wnd, WM_PAINT, 0, 0);
    // A handler that did not validate would be asked again and again.
    if (CWnd *again = VxLookupHandle(self); again && again->m_impl)
        again->m_impl->invalid = QRegion();
}

CPaintDC::CPaintDC(CWnd *window) : m_pWnd(window) {
    VxWindowImpl *impl = window ? window->m_impl.get() : nullptr;
    if (!impl)
        return;
    const QRect bounds = impl->invalid.boundingRect();
    if (!bounds.isEmpty())
        SetRect(&m_ps_rcPaint, bounds.left(), bounds.top(), bounds.right() + 1,
                bounds.bottom() + 1);
    const bool erase = impl->eraseBackground;
    impl->invalid = QRegion();
    impl->eraseBackground = false;
    if (!impl->backing && impl->widget())
        VxResizeBacking(impl, impl->widget()->size());
    if (impl->backing)
        m_hDC = VxCreateSurfaceDC(impl->backing);
    if (erase && m_hDC)
        VxDispatch(window, WM_ERASEBKGND, WPARAM(m_hDC), 0);
}

CPaintDC::~CPaintDC() {
    if (!m_hDC)
        return;
    RECT dirty;
    if (VxTakeDirtyRect(m_hDC, &dirty) && m_pWnd && m_pWnd->m_impl)
        VxPresent(m_pWnd->m_impl.get(), dirty);
    VxDeleteSurfaceDC(m_hDC);
    m_hDC = nullptr;
}
