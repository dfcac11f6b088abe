// Painting of framework windows: the backing surface every window made by
// CreateEx draws into, device contexts of windows and of the screen,
// invalidation, WM_PAINT and CPaintDC, and presenting what was drawn.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/gdi/Gdi.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace {

// The toolkit's image of a top-level widget, when the window's surface can
// live in it as it is: no scaling between logical and device pixels, the
// widget's size, 32 bits per pixel. Null otherwise (not shown yet, say). On
// Wayland the toolkit paints into whichever of several buffers the
// compositor has handed back, so no one image stays the window's.
QImage *ToolkitImage(QWidget *w) {
    if (VxGetDisplayDepth() != 32 || !w || !w->isWindow() || VxOnWayland() ||
        !qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ||
        !qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS"))
        return nullptr;
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->devicePixelRatio() != 1.0)
            return nullptr;
    QBackingStore *store = w->backingStore();
    if (!store || store->size() != w->size() || w->size().isEmpty())
        return nullptr;
    QPaintDevice *device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    auto *image = static_cast<QImage *>(device);
    const QImage::Format format = image->format();
    if (image->size() != w->size() ||
        (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
         format != QImage::Format_ARGB32_Premultiplied))
        return nullptr;
    return image;
}

bool StillShared(const VxWindowImpl *impl, const QImage *image) {
    return image && image->constBits() == impl->sharedPixels && image->size() == impl->sharedSize &&
           image->bytesPerLine() == impl->sharedStride;
}

} // namespace

HBITMAP VxWindowBacking(VxWindowImpl *impl) {
    if (!impl)
        return nullptr;
    if (!impl->sharedPixels)
        return impl->backing;
    QWidget *w = impl->widget();
    if (StillShared(impl, ToolkitImage(w)))
        return impl->backing;
    // The toolkit let go of the image (a new size, a new native window): what
    // the window showed went with it.
    impl->sharedPixels = nullptr;
    const QSize size = w ? w->size() : QSize(1, 1);
    if (!VxSetBitmapPixels(impl->backing, nullptr, std::max(1, size.width()),
                           std::max(1, size.height()), 0)) {
        DeleteObject(impl->backing);
        impl->backing = nullptr;
    }
    if (w) {
        impl->invalid = QRegion(w->rect());
        impl->eraseBackground = true;
        w->update();
    }
    return impl->backing;
}

void VxShareBackingWithToolkit(VxWindowImpl *impl) {
    if (!impl || impl->sharedPixels || !impl->backing)
        return;
    QWidget *w = impl->widget();
    QImage *image = ToolkitImage(w);
    VxBitmapView view{};
    if (!image || !VxGetBitmapView(impl->backing, &view) || view.bitsPixel != 32 ||
        view.width != image->width() || view.height != image->height())
        return;
    // Written through constBits: the image must not detach from the buffer
    // the toolkit presents.
    auto *pixels = const_cast<uchar *>(image->constBits());
    const qsizetype stride = image->bytesPerLine();
    for (int y = 0; y < view.height; ++y)
        std::memcpy(pixels + y * stride, view.pixels + size_t(y) * view.stride,
                    size_t(view.width) * 4);
    if (!VxSetBitmapPixels(impl->backing, pixels, view.width, view.height, int(stride)))
        return;
    impl->sharedPixels = pixels;
    impl->sharedSize = image->size();
    impl->sharedStride = stride;
    w->update(); // all of it now holds the window's picture
}

void VxResizeBacking(VxWindowImpl *impl, QSize size) {
    // Before a resize the toolkit's image still holds the old picture; the
    // window takes a copy of its own and shares again once repainted.
    VxWindowBacking(impl);
    HBITMAP resized = VxResizedBacking(impl->backing, size.width(), size.height());
    if (resized == impl->backing)
        return;
    impl->backing = resized;
    impl->sharedPixels = nullptr;
}

QImage VxBackingImage(HBITMAP backing) {
    VxBitmapView view{};
    if (!backing || !VxGetBitmapView(backing, &view) || !view.pixels)
        return {};
    if (view.bitsPixel == 32)
        return QImage(view.pixels, view.width, view.height, view.stride, QImage::Format_RGB32);
    return VxBitmapToImage(backing);
}

bool VxDrawsInDevicePixels(const VxWindowImpl *impl) {
    const QWidget *w = impl ? impl->widget() : nullptr;
    return w && impl->drawingSize.isValid() &&
           impl->drawingSize == (QSizeF(w->size()) * w->devicePixelRatioF()).toSize();
}

QRect VxWidgetArea(const VxWindowImpl *impl, const QRect &area) {
    const QWidget *w = impl ? impl->widget() : nullptr;
    if (!w || !impl->drawingSize.isValid() || impl->drawingSize.isEmpty())
        return area;
    const qreal sx = qreal(w->width()) / impl->drawingSize.width();
    const qreal sy = qreal(w->height()) / impl->drawingSize.height();
    return QRectF(area.x() * sx, area.y() * sy, area.width() * sx, area.height() * sy)
        .toAlignedRect();
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    VxWindowImpl *impl = m_impl.get();
    if (!impl || !impl->widget())
        return;
    QWidget *w = impl->widget();
    const QRect bounds =
        impl->drawingSize.isValid() ? QRect(QPoint(0, 0), impl->drawingSize) : w->rect();
    const QRect area =
        rect ? QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1))
             : bounds;
    impl->invalid += area.intersected(bounds);
    if (erase)
        impl->eraseBackground = true;
    w->update(VxWidgetArea(impl, area));
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
        // Taking the DC reads nothing: the screen is grabbed once per start,
        // when a blit first reads it (ScreenService).
        dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    } else {
        if (!VxWindowBacking(impl)) {
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

// ---- painting ---------------------------------------------------------------------------------
void VxPresent(VxWindowImpl *impl, const RECT &rect) {
    if (!impl || impl->kind != VxWindowKind::Surface || IsRectEmpty(&rect))
        return;
    QWidget *w = impl->widget();
    if (w && impl->drawingSize.isValid() && !VxDrawsInDevicePixels(impl))
        w->update(); // shown scaled: the whole picture is scaled again
    else if (w)
        w->update(VxWidgetArea(
            impl, QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1))));
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
    if (!VxWindowBacking(impl) && impl->widget())
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
